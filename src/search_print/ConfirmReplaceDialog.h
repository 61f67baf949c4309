#pragma once
// TConfirmReplaceDialog "Confirm replace": asks before each replacement. Its results are the
// TConfirmResult values.
#include <QDialog>

class QLabel;
class QPushButton;

class TConfirmReplaceDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TConfirmReplaceDialog(QWidget* parent = nullptr);

  void SetQuestion(const QString& text);
  QString Question() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormCreate();

  QLabel* FImage1 = nullptr;
  QLabel* FConfirmation = nullptr;
  QPushButton* FReplace = nullptr;
  QPushButton* FSkip = nullptr;
  QPushButton* FCancel = nullptr;
  QPushButton* FReplaceAll = nullptr;
};
