#pragma once
// TTextSearchDialog "Text Suchen": search text with its history, four options and the direction.
#include <QDialog>
#include <QStringList>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class TTextSearchDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TTextSearchDialog(QWidget* parent = nullptr);

  QString SearchText() const;
  void SetSearchText(const QString& text);
  bool SearchBackwards() const;
  void SetSearchBackwards(bool value);
  bool SearchCaseSensitive() const;
  void SetSearchCaseSensitive(bool value);
  bool SearchWholeWords() const;
  void SetSearchWholeWords(bool value);
  bool SearchFromCursor() const;
  void SetSearchFromCursor(bool value);
  bool SearchInSelection() const;
  void SetSearchInSelection(bool value);

  QStringList SearchHistory() const;

  void done(int result) override;

 protected:
  // Each opening starts in the search text, ready to be typed over: once the window is active,
  // since its activation gives the focus back to where it was.
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  // Offset lets a derived dialog make room below the search text.
  TTextSearchDialog(QWidget* parent, int offset);
  // Remembers the entered texts when the dialog closes with OK.
  virtual void FormCloseQuery();
  static QComboBox* CreateHistoryBox(QWidget* parent, const QString& name, int top);
  static void RememberText(QComboBox* box);
  static QStringList Items(const QComboBox* box);

 private:
  QLabel* FLabel1 = nullptr;
  QComboBox* FSearchText = nullptr;
  QGroupBox* FSearchOptions = nullptr;
  QCheckBox* FCaseSensitive = nullptr;
  QCheckBox* FWholeWords = nullptr;
  QCheckBox* FFromCursor = nullptr;
  QCheckBox* FSelectedOnly = nullptr;
  QGroupBox* FDirection = nullptr;
  QButtonGroup* FDirectionButtons = nullptr;
  QPushButton* FOK = nullptr;
  QPushButton* FCancel = nullptr;
  bool FOpening = false;
};
