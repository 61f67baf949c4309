#pragma once
// "Gehe zu Zeile": asks for a line number and optionally a column ("120" or "120:8").
#include <QDialog>

#include <functional>
#include <optional>

#include "app/GotoLine.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TFormGotoLine : public QDialog {
  Q_OBJECT

 public:
  // CurrentLine is offered first; CharsInLine gives a line's length for clamping the column.
  // LineCount 0: the text is still being read and the target is taken as typed.
  TFormGotoLine(QWidget* parent, int currentLine, int lineCount, std::function<int(int line)> charsInLine);

  // The place asked for; only set while the input is valid.
  std::optional<TGotoTarget> Target() const { return FTarget; }

 private:
  void EditLineChange();

  int FLineCount;
  std::function<int(int line)> FCharsInLine;
  std::optional<TGotoTarget> FTarget;
  QLineEdit* EditLine;
  QLabel* LabelHint;
  QPushButton* BtnOK;
};
