// TFormMain: opening, saving and closing files and projects (start-up, recovered texts, the close
// question) and bringing the tab of a file to the front.
#include "app/FormMain.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QTabWidget>

#include "app/EditorView.h"
#include "app/FileWatch.h"
#include "app/ProjectAsmFile.h"
#include "app/Recovery.h"
#include "app/SymbolNavigator.h"
#include "assemble/FormAssemble.h"
#include "platform/Paths.h"
#include "platform/ui/UserDialogs.h"
#include "settings/FormNewAgent.h"
#include "settings/KodrillApp.h"

namespace {

const QString OpenFilter = QStringLiteral(
    "alle (*.AsmPrj; *.Asm; *.Asc, *.Inc)|*.AsmPrj;*.Asm;*.Asc;*.Inc|Assemblerdateien (*.Asm, *.HC11)|*.Asm;*.HC11|"
    "Includedateien (*.Inc)|*.Inc|Projektdateien (*.AsmPrj)|*.AsmPrj|alle Dateien|*");
const QString ProjectFilter = QStringLiteral("Projektdateien (*.AsmPrj)|*.AsmPrj");
const QString ProjectExt = QStringLiteral(".AsmPrj");

// "description|pattern;pattern|..." as the file dialog wants it: "description (pattern pattern);;...".
QString DialogFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList entries;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    entries.append(parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                   QLatin1Char(')'));
  return entries.join(QStringLiteral(";;"));
}

// A file that is there but cannot be read: the user learns why; its tab, if kept, never
// writes over it.
void ReportUnreadable(QWidget* window, const QString& error) {
  if (!error.isEmpty()) ShowErrorBox(window, error);
}

TStringIniList FileProperties(const QString& path) {
  TStringIniList properties;
  properties.append(QStringLiteral("File=") + path);
  return properties;
}

}  // namespace

void TFormMain::StartUp(const QStringList& args) {
  RunCommand([] { KodrillApp->LoadPrefs(); });
  EnableRecentMenu();
  OpenStartFiles(args);
  // After the files of the command line, so that a recovered text goes into the tab that its
  // project just opened instead of a tab that opening the project would close again.
  FRecovery->Start(QFileInfo(KodrillApp->SettingsFilePath()).absoluteDir().filePath(
      QStringLiteral("Kodrill-Wiederherstellung")));
}

void TFormMain::OpenStartFiles(const QStringList& args) {
  const QString startDirectory = Paths::CurrentDir();
  const QString directory = Paths::FromStored(KodrillApp->GeneralPrefs()->ProjectDirectory);
  // No project directory configured: stay where the program was started.
  if (!directory.isEmpty() && !Paths::SetCurrentDir(directory)) {
    ShowErrorBox(this, QStringLiteral("Kann nicht in das Projektverzeichnis %1 wechseln.").arg(directory) +
                           (args.isEmpty() ? QString()
                                           : QStringLiteral("\nDie Dateien der Befehlszeile werden nicht geöffnet.")));
    return;
  }
  for (const QString& arg : args) {
    // A relative name that is not in the project directory means the file where the program
    // was started from, and is reported there when it is missing.
    QString name = arg;
    if (QDir::isRelativePath(name) && !Paths::FileExists(name)) name = startDirectory + name;
    RunCommand([this, &name] { OpenFile(name); });
  }
}

void TFormMain::OpenFile(const QString& name) {
  // A name whose bytes are no UTF-8 (Latin-1 from an old system) arrives with stand-ins for them;
  // a tab under that name would save a second file beside the real one.
  if (name.contains(QChar::ReplacementCharacter) && !QFileInfo::exists(name)) {
    ShowErrorBox(this, TEditorView::NotUtf8NameText(name));
    return;
  }
  const QString ext = Paths::ExtractFileExt(name).toUpper();
  if (ext == u".ASMPRJ") {
    OpenProject(name);
  } else if (ext == u".HC11" || ext == u".ASC" || ext == u".INC" || ext == u".ASM") {
    TEditorView* view = AddFileTab(name);
    if (view && !view->LoadFailed()) AddRecent(view->PathName);
    // The user is about to type into what was just opened.
    ActivateView(view);
  }
}

void TFormMain::OpenAsmFile(const TStringIniList& properties) {
  // The project keeps its file, and so the tab.
  if (TEditorView* view = AddAsmFile(properties, QString())) ReportUnreadable(this, view->LoadError());
}

TEditorView* TFormMain::AddAsmFile(const TStringIniList& properties, const QString& givenName) {
  auto* entry = new TProjectAsmFile(KodrillApp->Project(), properties, this, givenName);
  // Marks of the last run go into files opened after it, too, where the text saved put them.
  if (FormAssemble) {
    FormAssemble->MarkErrors(*entry);
    const auto saved = entry->View() ? FSavedMarks.constFind(TSymbolIndex::Key(entry->View()->PathName))
                                     : FSavedMarks.cend();
    if (saved != FSavedMarks.cend() && saved->Run == FormAssemble->RunNumber() &&
        SameFileState(saved->Disk, entry->View()->Disk.Known()))
      entry->View()->MoveMarks(saved->Lines);
  }
  const bool unreadable = entry->View() && !entry->View()->LoadError().isEmpty();
  if (!unreadable) ShowStatus(QStringLiteral("Asmfile \"%1\" gelesen.").arg(entry->File));
  // Nothing to index there; a pipe would block the reader for good.
  if (FSymbols && !unreadable) FSymbols->Watch(entry->View());
  if (entry->View()) FollowView(entry->View());
  UpdateControls();
  return entry->View();
}

TEditorView* TFormMain::AddFileTab(const QString& path) {
  TEditorView* view = AddAsmFile(FileProperties(path), path);
  const QString error = view ? view->LoadError() : QString();
  if (error.isEmpty()) return view;
  // Refused: an empty tab would only invite writing over the file.
  delete view->ProjectFile();  // frees the view too
  UpdateControls();
  ReportUnreadable(this, error);
  return nullptr;
}

TEditorView* TFormMain::FindView(const QString& path) const {
  for (int i = 0; i < ViewCount(); ++i)
    if (TSymbolIndex::Key(View(i)->PathName) == TSymbolIndex::Key(path)) return View(i);
  return nullptr;
}

TEditorView* TFormMain::ShowSourceFile(const QString& path) {
  TEditorView* view = FindView(path);
  if (!view && Paths::FileExists(path)) view = AddFileTab(path);
  ActivateView(view);
  return view;
}

void TFormMain::ShowMessageLine(const QString& path, int line, int column, const QString& text) {
  TEditorView* view = ShowSourceFile(path);
  if (view) view->GotoMark(line, column);
  ShowStatus(view ? text : text + QStringLiteral(" (Datei %1 nicht gefunden)").arg(path));
}

void TFormMain::FollowView(TEditorView* view) {
  view->OnTextState = [this](TEditorView* v) {
    // Loaded or saved: the file watch takes the file's new state.
    if (!v->Modified()) FFileWatch->Schedule();
    FRecovery->Follow(v);
  };
  // Only a save puts the marks' places into the file: changes given up take theirs along.
  connect(view, &TEditorView::Saved, this, [this, view] {
    if (!FormAssemble) return;
    FSavedMarks.insert(TSymbolIndex::Key(view->PathName),
                       {view->Disk.Known(), FormAssemble->RunNumber(), view->MarkLines()});
  });
  FFileWatch->Follow();
}

TEditorView* TFormMain::OpenForRecovery(const QString& path) {
  TEditorView* view = path.isEmpty() ? nullptr : FindView(path);
  // A tab with changes of its own (another instance's text of the same file) keeps them: this
  // text goes into a new tab without a name.
  if (view && view->Modified()) {
    view = AddFileTab(QString());
  } else if (!view) {
    // The recovered text needs its tab even when the file cannot be read now.
    view = AddAsmFile(FileProperties(path), path);
    if (view) ReportUnreadable(this, view->LoadError());
  }
  ActivateView(view);
  return view;
}

void TFormMain::CheckOutsideChanges() { FFileWatch->Schedule(); }

void TFormMain::ActivateView(TEditorView* view) {
  if (!view) return;
  FPageControl->setCurrentWidget(view);
  view->setFocus();
}

void TFormMain::OpenProject(const QString& name) {
  TProject* project = KodrillApp->Project();
  const QString full = Paths::ExpandFileName(name);
  const QString directory = Paths::ExtractFilePath(full);
  // Refuse before anything is closed when the directory cannot be entered or the file not read.
  const QString current = Paths::CurrentDir();
  if (!Paths::SetCurrentDir(directory)) throw EProjectDirectoryError(directory);
  Paths::SetCurrentDir(current);
  TProject::CheckFile(full);

  if (!CloseProject()) return;
  project->Directory = directory;
  project->FileName = Paths::ExtractFileName(full);
  try {
    project->Load();
  } catch (...) {
    project->Directory.clear();
    project->FileName.clear();
    throw;
  }
  ShowStatus(QStringLiteral("Projektfile \"%1%2\" (%3 Dateien) gelesen.")
                 .arg(project->Directory, project->FileName)
                 .arg(project->FileCount()));
  setWindowTitle(QStringLiteral("Kodrill [") + project->FileName + QLatin1Char(']'));
  AddRecent(project->Directory + project->FileName);
  // Every earlier tab was closed: the first tab holds the project's first file.
  if (ViewCount() > 0) ActivateView(View(0));
}

void TFormMain::SaveProject(const QString& name) {
  TProject* project = KodrillApp->Project();
  const QString oldDirectory = project->Directory;
  const QString oldFileName = project->FileName;
  const QString full = Paths::ExpandFileName(name);
  project->MoveTo(Paths::ExtractFilePath(full), Paths::ExtractFileName(full));
  try {
    project->Save();
  } catch (...) {
    // Keep the project where it was: the new place cannot be written.
    project->Directory = oldDirectory;
    project->FileName = oldFileName;
    throw;
  }
  ShowStatus(QStringLiteral("Projektfile \"%1\" geschrieben.").arg(name));
  AddRecent(full);
}

bool TFormMain::FormCloseQuery() {
  // The closing questions have the screen to themselves: the assemble dialog steps aside.
  if (FormAssemble && FormAssemble->isVisible()) {
    FormAssemble->hide();
    FAssembleAside = true;
  }
  bool canClose = true;
  for (int i = ViewCount() - 1; i >= 0 && canClose; --i) canClose = View(i)->QuerySave();
  TProject* project = KodrillApp->Project();
  if (canClose && !project->FileName.isEmpty()) {
    raise();
    activateWindow();
    canClose = false;
    const QString text =
        QStringLiteral("Möchten Sie die Änderungen im Projekt\n\"%1\"\nspeichern?").arg(project->FileName);
    switch (AskYesNoCancel(this, text)) {
      case TAnswer::Yes:
        SaveProject(project->Directory + project->FileName);
        canClose = true;
        break;
      case TAnswer::No:
        canClose = true;
        break;
      case TAnswer::Cancel:
        break;
    }
  }
  // Only now may the changes of files answered with "Nein" go.
  if (canClose) {
    for (int i = 0; i < ViewCount(); ++i) View(i)->SetModified(false);
    FAssembleAside = false;
  } else {
    ShowAssembleAgain();
  }
  return canClose;
}

bool TFormMain::CloseProject() {
  if (!FormCloseQuery()) return false;
  // A run under way belongs to the project that goes.
  if (FormAssemble) FormAssemble->CancelRun();
  for (int i = ViewCount() - 1; i >= 0; --i) View(i)->CloseView();
  TProject* project = KodrillApp->Project();
  project->FileName.clear();
  project->Directory.clear();
  SetCaptionDefault();
  return true;
}

void TFormMain::closeEvent(QCloseEvent* event) {
  bool canClose = false;
  RunCommand([this, &canClose] { canClose = FormCloseQuery(); });
  if (!canClose) {
    event->ignore();
    return;
  }
  event->accept();
  // A run under way ends with the program, its children too.
  if (FormAssemble) FormAssemble->CancelRun();
  FRecovery->Close();
  emit Closed();
}

void TFormMain::MenNewClick() {
  if (FormNewAgent) FormNewAgent->exec();
}

void TFormMain::MenOpenClick() {
  // Beside the file in front, if it has one; else in the current (project) folder.
  const TEditorView* view = ActiveView();
  const QString folder = view && !view->PathName.isEmpty() ? Paths::ExtractFilePath(view->PathName) : QString();
  const QString name = AskOpenFileName(this, QStringLiteral("Öffnen"), folder, DialogFilter(OpenFilter));
  if (!name.isEmpty()) OpenFile(name);
}

void TFormMain::MenCloseClick() {
  if (TEditorView* view = ActiveView()) view->CloseView();
}

void TFormMain::MenCloseAllClick() {
  if (CloseProject()) ShowStatus(QStringLiteral("Projekt geschlossen."));
}

void TFormMain::MenSaveClick() {
  if (TEditorView* view = ActiveView()) view->Save();
}

void TFormMain::MenSaveAsClick() {
  if (TEditorView* view = ActiveView()) view->SaveAs();
}

void TFormMain::MenProjectSaveAsClick() {
  TProject* project = KodrillApp->Project();
  // Without a named project the files are saved as a new project from the current directory.
  if (!project->Directory.isEmpty() && !Paths::SetCurrentDir(project->Directory))
    throw EProjectDirectoryError(project->Directory);
  const QString preset = (project->Directory.isEmpty() ? Paths::CurrentDir() : project->Directory) + project->FileName;
  QString name = AskSaveFileName(this, QStringLiteral("Projekt speichern unter"), preset, DialogFilter(ProjectFilter),
                                 ProjectExt.mid(1));
  if (name.isEmpty()) return;
  if (Paths::ExtractFileExt(name).isEmpty()) name += ProjectExt;
  SaveProject(name);
}

void TFormMain::MenSaveAllClick() {
  TEditorView* refused = nullptr;
  for (int i = ViewCount() - 1; i >= 0; --i) {
    TEditorView* view = View(i);
    if (!view->Modified()) {
      // A tab without changes has nothing to write: its file is as it was read, or changed
      // outside and about to be reloaded. Writing anyway would stop an assemble at every
      // read-only file, and must not fill a file that could not be read with nothing.
      if (view->LoadFailed() || view->Disk.Known().Exists) continue;
    } else if (!view->LoadError().isEmpty()) {
      refused = view;  // told after the others are saved
      continue;
    }
    view->Save();
  }
  // Changes that may not go over the file they came from: Save says why, and an assemble that
  // needs them does not run.
  if (refused) refused->Save();
}
