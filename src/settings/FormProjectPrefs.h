#pragma once
// "Projekt Einstellungen": the current project's processor and number format, and its files.
#include <QDialog>

class QListWidget;
class QPushButton;
class QTabWidget;
class TFormRadioGroup;
class TProcessorCombo;

class TFormProjectPrefs : public QDialog {
  Q_OBJECT

 public:
  explicit TFormProjectPrefs(QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();
  void BitBtnOKClick();

  QTabWidget* PageControl;
  TProcessorCombo* ComboBoxCPU;
  TFormRadioGroup* RdGrNumberFormat;
  QListWidget* ListBoxFiles;
  QPushButton* BitBtnOK;
  QPushButton* BitBtnCancel;
};

extern TFormProjectPrefs* FormProjectPrefs;
