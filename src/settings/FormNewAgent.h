#pragma once
// The wizard behind "Neu...": a new include or assembler source file, or a new project with
// its parameter file, main source and make.bat.
#include <QDialog>
#include <QStringList>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QWidget;

class TFormNewAgent : public QDialog {
  Q_OBJECT

 public:
  explicit TFormNewAgent(QWidget* parent = nullptr);

  // Opens a created file or project by name (the main window's OpenFile).
  std::function<void(const QString&)> OnOpenFile;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum TPage { pgSelect, pgProject, pgProjectFile };

  void ShowPage(TPage page);
  void ListView1Change();
  void FileTypeSelected();
  void FilenameEdit1Exit();
  void FilenameEdit1Browse();
  void FilenameEdit3Browse();
  void BtnContinueClick();
  void BtnBackClick();
  void BtnFinishClick();
  bool FileStep();
  bool ProjectStep();
  // Writes one file unless it exists and the user keeps it; throws EFileCreateError.
  void WriteNewFile(const QString& name, const QStringList& lines);
  void OpenCreated(const QString& name);
  int SelectedItem() const;

  TPage FPage = pgSelect;
  QString FDefaultExt = QStringLiteral("Asm");

  QWidget* PanelSelect;
  QWidget* PanelProject;
  QWidget* PanelProjectFile;
  QListWidget* ListView1;
  QLineEdit* FilenameEdit1;
  QLabel* Label2;
  QListWidget* CheckListBoxFiles;
  QLabel* Label1;
  QLineEdit* FilenameEdit3;
  QPushButton* BtnCancel;
  QPushButton* BtnBack;
  QPushButton* BtnContinue;
  QPushButton* BtnFinish;
};

extern TFormNewAgent* FormNewAgent;
