#include "settings/FormNewAgent.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

#include <array>
#include <exception>
#include <stdexcept>

#include "platform/Paths.h"
#include "platform/ui/FitTexts.h"
#include "platform/ui/UserDialogs.h"
#include "settings/IniFile.h"
#include "settings/KodrillApp.h"
#include "settings/NewAgentFiles.h"

TFormNewAgent* FormNewAgent = nullptr;

namespace {
enum TFileType { ftInclude = 0, ftProject = 1, ftSource = 2 };

QLineEdit* NewNameEdit(QWidget* parent, const QString& name, const QString& text) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(name);
  return edit;
}

QAction* AddBrowseButton(QLineEdit* edit) {
  QAction* action = edit->addAction(edit->style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
  action->setObjectName(edit->objectName() + QStringLiteral("Browse"));
  action->setToolTip(QStringLiteral("Durchsuchen..."));
  return action;
}

QPushButton* NewButton(QWidget* parent, const QString& name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}
}  // namespace

TFormNewAgent::TFormNewAgent(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormNewAgent"));
  setWindowTitle(QStringLiteral("FormNewAgent"));
  setFixedSize(440, 300);

  auto* pages = new QStackedWidget(this);

  PanelSelect = new QWidget(pages);
  PanelSelect->setObjectName(QStringLiteral("PanelSelect"));
  ListView1 = new QListWidget(PanelSelect);
  ListView1->setObjectName(QStringLiteral("ListView1"));
  ListView1->setViewMode(QListView::IconMode);
  ListView1->setIconSize(QSize(32, 32));
  ListView1->setMovement(QListView::Static);
  ListView1->setResizeMode(QListView::Adjust);
  ListView1->setGridSize(QSize(96, 72));
  ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
  const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
  const QIcon projectIcon = style()->standardIcon(QStyle::SP_DirIcon);
  new QListWidgetItem(fileIcon, QStringLiteral("Inc-Datei"), ListView1);
  new QListWidgetItem(projectIcon, QStringLiteral("Projekt"), ListView1);
  new QListWidgetItem(fileIcon, QStringLiteral("Asm-Datei"), ListView1);
  auto* selectLayout = new QVBoxLayout(PanelSelect);
  selectLayout->addWidget(ListView1);

  PanelProject = new QWidget(pages);
  PanelProject->setObjectName(QStringLiteral("PanelProject"));
  FilenameEdit1 = NewNameEdit(PanelProject, QStringLiteral("FilenameEdit1"), QStringLiteral("Project1.AsmPrj"));
  Label2 = new QLabel(QStringLiteral("Zu erstellende Dateien:"), PanelProject);
  Label2->setObjectName(QStringLiteral("Label2"));
  CheckListBoxFiles = new QListWidget(PanelProject);
  CheckListBoxFiles->setObjectName(QStringLiteral("CheckListBoxFiles"));
  for (const char* item : {"*.AsmPrj", "*.par", "*.asm", "make.bat"}) {
    auto* entry = new QListWidgetItem(QString::fromLatin1(item), CheckListBoxFiles);
    entry->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    entry->setCheckState(Qt::Checked);
  }
  auto* projectLayout = new QVBoxLayout(PanelProject);
  projectLayout->addWidget(FilenameEdit1);
  projectLayout->addWidget(Label2);
  projectLayout->addWidget(CheckListBoxFiles);

  PanelProjectFile = new QWidget(pages);
  PanelProjectFile->setObjectName(QStringLiteral("PanelProjectFile"));
  Label1 = new QLabel(QStringLiteral("ProjectDirectory:"), PanelProjectFile);
  Label1->setObjectName(QStringLiteral("Label1"));
  FilenameEdit3 = NewNameEdit(PanelProjectFile, QStringLiteral("FilenameEdit3"), QStringLiteral("File1.asm"));
  auto* fileLayout = new QVBoxLayout(PanelProjectFile);
  fileLayout->addWidget(Label1);
  fileLayout->addWidget(FilenameEdit3);
  fileLayout->addStretch();

  pages->addWidget(PanelSelect);
  pages->addWidget(PanelProject);
  pages->addWidget(PanelProjectFile);

  BtnCancel = NewButton(this, QStringLiteral("BtnCancel"), QStringLiteral("&Abbrechen"));
  BtnBack = NewButton(this, QStringLiteral("BtnBack"), QStringLiteral("< &Zurück"));
  BtnContinue = NewButton(this, QStringLiteral("BtnContinue"), QStringLiteral("&Weiter >"));
  BtnFinish = NewButton(this, QStringLiteral("BtnFinish"), QStringLiteral("&Fertigstellen"));
  BtnBack->setEnabled(false);
  BtnContinue->setEnabled(false);
  BtnFinish->setEnabled(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BtnCancel);
  buttons->addStretch();
  buttons->addWidget(BtnBack);
  buttons->addWidget(BtnContinue);
  buttons->addWidget(BtnFinish);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages, 1);
  layout->addLayout(buttons);

  connect(ListView1, &QListWidget::itemSelectionChanged, this, &TFormNewAgent::ListView1Change);
  connect(ListView1, &QListWidget::itemDoubleClicked, this, &TFormNewAgent::FileTypeSelected);
  connect(AddBrowseButton(FilenameEdit1), &QAction::triggered, this, &TFormNewAgent::FilenameEdit1Browse);
  connect(AddBrowseButton(FilenameEdit3), &QAction::triggered, this, &TFormNewAgent::FilenameEdit3Browse);
  FilenameEdit1->installEventFilter(this);
  connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(BtnBack, &QPushButton::clicked, this, &TFormNewAgent::BtnBackClick);
  connect(BtnContinue, &QPushButton::clicked, this, &TFormNewAgent::BtnContinueClick);
  connect(BtnFinish, &QPushButton::clicked, this, &TFormNewAgent::BtnFinishClick);
  FitTexts(this);
}

void TFormNewAgent::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) {
    // A choice from the start, so that Return goes on at once; a later showing keeps the last one.
    if (SelectedItem() < 0) ListView1->setCurrentRow(0);
    ShowPage(pgSelect);
  }
}

bool TFormNewAgent::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FilenameEdit1 && event->type() == QEvent::FocusOut) FilenameEdit1Exit();
  return QDialog::eventFilter(watched, event);
}

void TFormNewAgent::ShowPage(TPage page) {
  FPage = page;
  auto* pages = static_cast<QStackedWidget*>(PanelSelect->parentWidget());
  pages->setCurrentWidget(page == pgSelect ? PanelSelect : page == pgProject ? PanelProject : PanelProjectFile);
  BtnBack->setEnabled(page != pgSelect);
  BtnFinish->setEnabled(page != pgSelect);
  BtnContinue->setEnabled(page == pgSelect && SelectedItem() >= 0);
  // Return goes on as the page's main button does, unless another button has the focus.
  (page == pgSelect ? BtnContinue : BtnFinish)->setDefault(true);
  if (page == pgSelect)
    ListView1->setFocus();
  else
    (page == pgProject ? FilenameEdit1 : FilenameEdit3)->setFocus();
}

int TFormNewAgent::SelectedItem() const {
  const QList<QListWidgetItem*> selected = ListView1->selectedItems();
  return selected.size() == 1 ? ListView1->row(selected.constFirst()) : -1;
}

void TFormNewAgent::ListView1Change() { BtnContinue->setEnabled(FPage == pgSelect && SelectedItem() >= 0); }

void TFormNewAgent::FileTypeSelected() {
  switch (SelectedItem()) {
    case ftInclude:
      FilenameEdit3->setText(QStringLiteral("File1.Inc"));
      FDefaultExt = QStringLiteral("Inc");
      ShowPage(pgProjectFile);
      break;
    case ftProject:
      ShowPage(pgProject);
      break;
    case ftSource:
      FilenameEdit3->setText(QStringLiteral("File1.Asm"));
      FDefaultExt = QStringLiteral("Asm");
      ShowPage(pgProjectFile);
      break;
    default:
      break;
  }
}

void TFormNewAgent::FilenameEdit1Exit() { FilenameEdit1->setText(WithProjectExtension(FilenameEdit1->text())); }

void TFormNewAgent::FilenameEdit1Browse() {
  const QString chosen =
      AskSaveFileName(this, QStringLiteral("Neues Projekt anlegen"), WithProjectExtension(FilenameEdit1->text()),
                      QStringLiteral("Projekt (*.AsmPrj)"), QStringLiteral("AsmPrj"));
  if (!chosen.isEmpty()) FilenameEdit1->setText(WithProjectExtension(QDir::toNativeSeparators(chosen)));
}

void TFormNewAgent::FilenameEdit3Browse() {
  const QString filter = FDefaultExt + QStringLiteral("-Datei (*.") + FDefaultExt + QStringLiteral(" *.") +
                         FDefaultExt.toLower() + QStringLiteral(")");
  const QString chosen =
      AskSaveFileName(this, QStringLiteral("Neue Datei anlegen"), FilenameEdit3->text(), filter, FDefaultExt);
  if (!chosen.isEmpty()) FilenameEdit3->setText(QDir::toNativeSeparators(chosen));
}

void TFormNewAgent::BtnContinueClick() {
  if (FPage == pgSelect) FileTypeSelected();
}

void TFormNewAgent::BtnBackClick() { ShowPage(pgSelect); }

void TFormNewAgent::BtnFinishClick() {
  try {
    if (FPage == pgProject ? ProjectStep() : FileStep()) accept();
  } catch (const std::exception& e) {
    // A file that cannot be written ends the step; the wizard stays open for another name.
    ShowErrorBox(this, QString::fromUtf8(e.what()));
  }
}

bool TFormNewAgent::FileStep() {
  const QString name = FilenameEdit3->text();
  setWindowTitle(name);
  const QString path = Paths::ExpandFileName(name);
  const int type = SelectedItem();
  if (type == ftInclude || type == ftSource) WriteNewFile(path, NewSourceFileLines());
  OpenCreated(path);
  return true;
}

bool TFormNewAgent::ProjectStep() {
  const QString base = NewProjectBase(FilenameEdit1->text());
  // An empty name would create hidden files named only by their extensions.
  if (NewProjectName(base).isEmpty()) throw std::runtime_error("Bitte einen Projektnamen angeben.");
  setWindowTitle(base);
  std::array<bool, 4> checked{};
  for (int i = 0; i < 4; ++i) checked[i] = CheckListBoxFiles->item(i)->checkState() == Qt::Checked;
  const TAssemblerPrefs* prefs = KodrillApp->AssemblerPrefs();
  for (const TNewFile& file : NewProjectFiles(base, checked, prefs->AsDirectory, prefs->AsExecutable))
    WriteNewFile(file.Path, file.Lines);
  OpenCreated(NewProjectFilePath(base));
  return true;
}

void TFormNewAgent::WriteNewFile(const QString& name, const QStringList& lines) {
  // A file named so in other letter case is the one meant ("demo.asm" for "Demo.Asm"), as the
  // project and make.bat find it: no second file beside it.
  const QString path = Paths::MatchLetterCase(name);
  // Never replace a user's file without asking; "No" keeps it and goes on with the next one.
  if (Paths::FileExists(path) &&
      !AskYesNo(this, QStringLiteral("Die Datei \"%1\" existiert bereits. Ersetzen?").arg(QDir::toNativeSeparators(path))))
    return;
  WriteIniFile(path, lines);
}

void TFormNewAgent::OpenCreated(const QString& name) {
  // A file kept in other letter case is the one opened ("P2.ASMPRJ" for "p2.AsmPrj").
  if (OnOpenFile) OnOpenFile(Paths::MatchLetterCase(name));
}
