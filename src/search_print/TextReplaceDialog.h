#pragma once
// TTextReplaceDialog "Text Ersetzen": the search dialog with the replacement text and its history.
#include "search_print/TextSearchDialog.h"

class TTextReplaceDialog : public TTextSearchDialog {
  Q_OBJECT

 public:
  explicit TTextReplaceDialog(QWidget* parent = nullptr);

  QString ReplaceText() const;
  void SetReplaceText(const QString& text);
  QStringList ReplaceHistory() const;

 protected:
  void FormCloseQuery() override;

 private:
  QLabel* FLabel2 = nullptr;
  QComboBox* FReplaceText = nullptr;
};
