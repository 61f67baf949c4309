#include "app/EditorView.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QMenu>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabWidget>

#include <algorithm>

#include "app/FormMain.h"
#include "app/ProjectAsmFile.h"
#include "editor/EditControl.h"
#include "editor/EditorModel.h"
#include "platform/Memory.h"
#include "platform/Paths.h"
#include "platform/ui/UserDialogs.h"
#include "search_print/FormPrintPreview.h"
#include "settings/FormPrefsLogic.h"
#include "settings/KodrillApp.h"

namespace {
constexpr int GutterWidth = 34;
constexpr int NumberGap = 6;  // between a line number and the text
constexpr int ImageError = 11;
constexpr int ImageWarning = 13;
constexpr int FirstMarkImage = 10;
const QString ModifiedSuffix = QStringLiteral("[Geändert]");
const QString DeletedSuffix = QStringLiteral("[Gelöscht]");
}  // namespace

TEditorView::TEditorView(QTabWidget* pageControl, QStatusBar* statusBar, QMenu* popupMenu,
                         const std::vector<QPixmap>* imageList, TProjectAsmFile* projectFile)
    : QWidget(nullptr), FPageControl(pageControl), FStatusBar(statusBar), FPopupMenu(popupMenu),
      FProjectFile(projectFile) {
  FHighlighter = std::make_unique<TVoMAssemSyn>();
  FHighlighter->SetCPUType(VoCPU_6811);

  FEditor = new TEditControl(this);
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(FEditor, 0, 0);
  FEditor->setCursor(Qt::IBeamCursor);
  FEditor->SetBookmarkImages(imageList);
  FEditor->SetHighlighter(FHighlighter.get());
  FEditor->OnChange = [this](TEditControl*) { EditorChange(); };
  FEditor->OnStatusChange = [this](TEditControl*, TStatusChanges changes) { EditorStatusChange(changes); };
  FEditor->OnStatusMessage = [this](TEditControl*, const QString& text) {
    if (auto* window = qobject_cast<TFormMain*>(this->window())) window->ShowStatus(text);
  };
  FEditor->OnLoadProgress = [this](TEditControl*) { ShowLoadProgress(); };
  if (FPopupMenu) {
    FEditor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FEditor, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
      if (OnChange) OnChange(this);
      FPopupMenu->exec(FEditor->mapToGlobal(pos));
    });
  }
  FEditor->SetGutterWidth(GutterWidth);
  // Menu keys must never reach the editor's own key table.
  FEditor->installEventFilter(this);
  FEditor->viewport()->installEventFilter(this);
  setFocusProxy(FEditor);

  if (FProjectFile) FileName = FProjectFile->File;
  RestoreEditorState();
  SetModified(false);
  ApplyHighlighterSettings();

  if (FPageControl) {
    FPageControl->addTab(this, QString());
    UpdateCaption();
  }
}

TEditorView::~TEditorView() {
  // No more reports from a half-destroyed view.
  OnChange = nullptr;
  OnTextState = nullptr;
  FEditor->OnChange = nullptr;
  FEditor->OnStatusChange = nullptr;
  FEditor->OnStatusMessage = nullptr;
  FEditor->OnLoadProgress = nullptr;
  delete FLoadProgress;
  if (FProjectFile) FProjectFile->ViewDestroyed();
  // The editor refers to the highlighter: detach before the highlighter goes.
  FEditor->SetHighlighter(nullptr);
  delete FEditor;
  FEditor = nullptr;
}

QString TEditorView::Caption() const {
  return Paths::ExtractFileName(FileName) + (FDeleted ? DeletedSuffix : QString()) +
         (FModified ? ModifiedSuffix : QString());
}

QString TEditorView::ToolTip() const { return PathName.isEmpty() ? FileName : PathName; }

void TEditorView::UpdateCaption() {
  if (!FPageControl) return;
  const int index = FPageControl->indexOf(this);
  if (index < 0) return;
  QString text = Caption();
  text.replace(QLatin1Char('&'), QStringLiteral("&&"));  // no mnemonics in file names
  FPageControl->setTabText(index, text);
  FPageControl->setTabToolTip(index, ToolTip());
}

void TEditorView::SetModified(bool value) {
  FModified = value;
  UpdateCaption();
  if (OnChange) OnChange(this);
  if (OnTextState) OnTextState(this);
}

void TEditorView::LoadFile() {
  // Kept as a full path: a later change of the current directory must not move the file.
  const QString name = FProjectFile ? FProjectFile->Directory + FProjectFile->File : QString();
  // A project from a desktop whose file names ignore letter case may name "DEMO.ASM" as "Demo.asm".
  PathName = name.isEmpty() ? QString() : Paths::MatchLetterCase(Paths::ExpandFileName(name));
  // Taken before reading: a change made while reading shows up at the next check.
  const TDiskState state = ReadDiskState(PathName);
  Disk.Synced(state);
  // Under its UTF-8 name the file is missing, so an empty tab would save a second file beside it.
  if (!state.Exists && Paths::ExistsUnderLatin1Name(PathName)) {
    FLoadFailed = true;
    FLoadError = NotUtf8NameText(PathName);
    UpdateCaption();
    throw EEditFileError(FLoadError.toStdString());
  }
  try {
    StartLoad(state, false);
  } catch (...) {
    UpdateCaption();  // a missing or unreadable file's tab still tells its full path
    throw;
  }
  FileName = PathName;
  SetModified(false);
}

void TEditorView::StartLoad(const TDiskState& state, bool reload) {
  const bool failedBefore = FLoadFailed;
  const QString errorBefore = FLoadError;
  FLoadFailed = true;
  FLoadError.clear();
  try {
    FEditor->LoadFromFile(PathName);
  } catch (const EEditFileError& e) {
    if (reload && !FEditor->Lines().LoadFailed()) {
      // Not even opened: the tab keeps its text, and a save asks as for any change made outside.
      FLoadFailed = failedBefore;
      FLoadError = errorBefore;
    } else if (state.Exists) {
      // A missing file is a new one; a file that is there but unreadable must stay as it is.
      FLoadError = QString::fromUtf8(e.what());
    }
    throw;
  }
  FLoadFailed = FEditor->Lines().LoadFailed();
}

void TEditorView::ShowLoadProgress() {
  const TEditLines& lines = FEditor->Lines();
  if (!lines.Loading()) {
    // Not deleted at once: this may run inside the bar's own showing (below).
    if (FLoadProgress) FLoadProgress->deleteLater();
    FLoadProgress = nullptr;
    // A read error later in the load: the tab holds only the start of the file and must not
    // overwrite it.
    if (lines.LoadFailed()) {
      FLoadFailed = true;
      FLoadError = lines.LoadError();
    }
    return;
  }
  if (!FLoadProgress && FStatusBar) {
    FLoadProgress = new QProgressBar(FStatusBar);
    FLoadProgress->setObjectName(QStringLiteral("LoadProgress"));
    FLoadProgress->setRange(0, 1000);
    FLoadProgress->setMaximumWidth(160);
    // Showing the bar lays out the window; the editor's new size may read the rest of the file.
    FStatusBar->addPermanentWidget(FLoadProgress);
    if (FLoadProgress) FLoadProgress->setVisible(IsActiveTab());
  }
  if (FLoadProgress)
    FLoadProgress->setValue(static_cast<int>(lines.LoadedBytes() * 1000 / std::max<qint64>(1, lines.LoadSize())));
}

void TEditorView::ReloadFile() {
  const QPoint caret(FEditor->CaretColumn(), FEditor->CaretLine());
  StoreEditorState();
  const TDiskState state = ReadDiskState(PathName);
  StartLoad(state, true);
  Disk.Synced(state);
  FDeleted = false;
  if (FProjectFile) {
    for (int n = 0; n < 10; ++n) FEditor->ClearBookmark(n);
    RestoreEditorState();
  }
  FEditor->Lines().LoadUpTo(caret.y());
  FEditor->SetCaretXY(caret.x(), std::min(caret.y(), std::max(1, FEditor->Lines().Count())));
  SetModified(false);
}

void TEditorView::MarkDeleted(const TDiskState& now) {
  Disk.Synced(now);
  FDeleted = true;
  // The text now lives only here: closing must ask, saving recreates the file.
  SetModified(true);
}

void TEditorView::MarkPresent() {
  if (!FDeleted) return;
  FDeleted = false;
  UpdateCaption();
}

bool TEditorView::WriteLines(const QString& path) {
  const QString target = QFileInfo(path).canonicalFilePath();
  if (!FLoadError.isEmpty() &&
      (path == PathName || (!target.isEmpty() && target == QFileInfo(PathName).canonicalFilePath())))
    throw EEditFileError(QStringLiteral("Die Datei %1 wird nicht überschrieben: %2 Speichern Sie den Text unter einem "
                                        "anderen Namen.")
                             .arg(QDir::toNativeSeparators(PathName),
                                  FLoadError == NotUtf8NameText(PathName)
                                      ? QStringLiteral("Ihr Name ist auf der Platte nicht in UTF-8 geschrieben.")
                                      : QStringLiteral("Kodrill konnte sie nicht vollständig lesen."))
                             .toStdString());
  if (path == PathName && Disk.OverwriteNeedsAsking(ReadDiskState(path)) &&
      !AskYesNo(this, QStringLiteral("Die Datei \"%1\" wurde außerhalb von Kodrill geändert. Trotzdem mit Ihrem "
                                     "Text überschreiben?")
                          .arg(path)))
    return false;
  FEditor->Lines().SaveToFile(path);
  Disk.Synced(ReadDiskState(path));
  FLoadFailed = FDeleted = false;
  FLoadError.clear();
  return true;
}

void TEditorView::Save() {
  if (PathName.isEmpty()) {
    SaveAs();
    return;
  }
  if (!WriteLines(PathName)) return;
  SetModified(false);
  emit Saved();
}

void TEditorView::SaveAs() {
  const QString name = AskSaveFileName(this, QStringLiteral("Speichern unter"), FileName, QString());
  if (name.isEmpty() || !WriteLines(name)) return;
  PathName = name;
  FileName = PathName;
  // The entry follows the new name, so the project names the file that holds the text.
  if (FProjectFile) {
    FProjectFile->File = PathName;
    FProjectFile->Directory.clear();
  }
  SetModified(false);
  emit Saved();
}

bool TEditorView::QuerySave() {
  if (!FModified) return true;
  if (FPageControl) FPageControl->setCurrentWidget(this);
  // Line breaks as "\n": a bare CR does not break the line in the message box here.
  const QString text = QStringLiteral("Möchten Sie die Änderungen in\n\"%1\"\nspeichern?").arg(FileName);
  switch (AskYesNoCancel(this, text)) {
    case TAnswer::Yes:
      SaveAs();
      return !FModified;
    case TAnswer::No:
      // The flag stays until the whole close goes ahead: a later "Abbrechen" keeps the edits.
      return true;
    case TAnswer::Cancel:
      break;
  }
  return false;
}

void TEditorView::CloseView() {
  if (!QuerySave()) return;
  SetModified(false);
  if (FPageControl && FPageControl->count() > 1) {
    const int active = FPageControl->currentIndex();
    FPageControl->setCurrentIndex(active > 0 ? active - 1 : FPageControl->count() - 1);
  }
  if (TProjectAsmFile* entry = FProjectFile)
    delete entry;  // frees this view too
  else
    delete this;
  Platform::ReleaseFreeMemorySoon();
}

void TEditorView::Print() {
  if (!FormPrintPreview) return;
  FEditor->Lines().FinishLoad();
  FormPrintPreview->ShowPreview(FEditor->Lines(), FileName);
}

bool TEditorView::CanUndo() const { return FEditor->CanUndo(); }
bool TEditorView::CanRedo() const { return FEditor->CanRedo(); }
bool TEditorView::CanPaste() const { return FEditor->CanPaste(); }
bool TEditorView::SelAvail() const { return FEditor->HasSelection(); }

bool TEditorView::IsBookmarkSet(int n) const { return FEditor->HasBookmark(n); }

void TEditorView::ToggleBookmark(int n) {
  if (FEditor->HasBookmark(n))
    FEditor->ClearBookmark(n);
  else
    FEditor->SetBookmark(n, FEditor->CaretColumn(), FEditor->CaretLine());
  if (OnChange) OnChange(this);
}

void TEditorView::GotoBookmark(int n) { FEditor->GotoBookmark(n); }

void TEditorView::ClearMarks() {
  TEditMarkList& marks = FEditor->Marks();
  // A run starts: the lines it reports are those of the text now, whatever is typed meanwhile.
  marks.StartLineRecord();
  for (int i = marks.Count() - 1; i >= 0; --i) {
    TEditMark* mark = marks[i];
    // Marks of every kind placed by AddMark go, bookmarks stay.
    if (mark->ImageIndex >= FirstMarkImage || dynamic_cast<TMyEditMark*>(mark)) marks.Delete(i);
  }
}

void TEditorView::AddMark(int kind, int line) {
  auto mark = std::make_unique<TMyEditMark>(FEditor);
  mark->Line = FEditor->Marks().RecordedLine(line);
  mark->SourceLine = line;
  mark->Column = 1;
  mark->Visible = true;
  mark->InternalImage = false;
  // Where the gutter cannot show them all: errors before warnings before other messages.
  if (kind == 0) {
    mark->ImageIndex = ImageWarning;
    mark->Priority = 1;
  } else if (kind == 1) {
    mark->ImageIndex = ImageError;
    mark->Priority = 2;
  }
  FEditor->Marks().Add(std::move(mark));
}

void TEditorView::GotoMark(int line, int column) {
  if (FPageControl) FPageControl->setCurrentWidget(this);
  const TEditMarkList& marks = FEditor->Marks();
  const TMyEditMark* found = nullptr;
  for (int i = 0; i < marks.Count(); ++i)
    if (auto* mark = dynamic_cast<const TMyEditMark*>(marks[i]); mark && mark->SourceLine == line) found = mark;
  if (!found) return;
  const int markLine = found->Line;
  // The assembler's columns count bytes of the file, a byte order mark's too.
  if (line == 1) column -= FEditor->Lines().BytesBeforeFirstLine();
  // The line may have changed since the run: the column stays inside it.
  FEditor->SetCaretXY(std::clamp(column, 1, FEditor->Model().LineLength(markLine) + 1), markLine);
  FEditor->SetSelectionStart(QPoint(0, markLine));
  FEditor->SetSelectionEnd(QPoint(0, markLine + 1));
}

QHash<int, int> TEditorView::MarkLines() const {
  QHash<int, int> lines;
  const TEditMarkList& marks = FEditor->Marks();
  for (int i = 0; i < marks.Count(); ++i)
    if (auto* mark = dynamic_cast<const TMyEditMark*>(marks[i]); mark && mark->Line != mark->SourceLine)
      lines.insert(mark->SourceLine, mark->Line);
  return lines;
}

void TEditorView::MoveMarks(const QHash<int, int>& lines) {
  // Lines of a big file may not be read yet: the marks wait there, as AddMark's do.
  TEditMarkList& marks = FEditor->Marks();
  for (int i = 0; i < marks.Count(); ++i)
    if (auto* mark = dynamic_cast<TMyEditMark*>(marks[i])) mark->Line = lines.value(mark->SourceLine, mark->Line);
  if (marks.OnChange) marks.OnChange();
}

void TEditorView::GotoLine(int line, int charColumn) {
  const TEditorModel& model = FEditor->Model();
  FEditor->Lines().LoadUpTo(line);  // a line not read yet is waited for
  line = std::clamp(line, 1, model.LineCount());  // the text may have changed since it was asked
  charColumn = std::min(charColumn, CharsInLine(line) + 1);
  int column = 1;
  for (int i = 1; i < charColumn; ++i) column = model.NextCharColumn(line, column);
  // A far jump shows the line in the middle of the window, not at its edge.
  const int top = FEditor->TopLine();
  if (line < top || line >= top + FEditor->LinesInWindow()) FEditor->SetTopLine(line - FEditor->LinesInWindow() / 2);
  FEditor->SetCaretXY(column, line);
}

int TEditorView::CharsInLine(int line) const {
  const TEditorModel& model = FEditor->Model();
  return model.CharColumn(line, model.LineLength(line) + 1) - 1;
}

void TEditorView::RestoreEditorState() {
  if (!FProjectFile) return;
  // Stored values may be anything: keep them inside the text, read as far as they reach.
  int reach = FProjectFile->TopLine;
  for (int n = 0; n < 10; ++n) reach = std::max(reach, FProjectFile->BookmarkY[n]);
  FEditor->Lines().LoadUpTo(reach);
  const int lastLine = std::max(1, FEditor->Lines().Count());
  if (FProjectFile->TopLine != -1) FEditor->SetTopLine(std::clamp(FProjectFile->TopLine, 1, lastLine));
  for (int n = 0; n < 10; ++n) {
    const int x = FProjectFile->BookmarkX[n];
    const int y = FProjectFile->BookmarkY[n];
    if (x < 0 || y < 1 || y > lastLine) continue;
    // A bookmark may stand anywhere the caret can: up to the end of a long line.
    const int lineEnd = static_cast<int>(FEditor->Lines().Line(y - 1).size()) + 1;
    FEditor->SetBookmark(n, std::clamp(x, 1, std::max(FEditor->MaxLeftChar(), lineEnd)), y);
  }
}

void TEditorView::StoreEditorState() {
  if (!FProjectFile) return;
  FProjectFile->TopLine = FEditor->TopLine();
  for (int n = 0; n < 10; ++n) {
    int column = -1, line = -1;
    if (!FEditor->GetBookmark(n, column, line)) column = line = -1;
    FProjectFile->BookmarkX[n] = column;
    FProjectFile->BookmarkY[n] = line;
  }
}

void TEditorView::ApplyHighlighterSettings() {
  if (!KodrillApp) return;
  const THighLighterPrefs* prefs = KodrillApp->HighLighterPrefs();
  FEditor->setFont(EditorFont(prefs->FontName, prefs->FontSize));
  if (const TVoMAssemSyn* master = KodrillApp->HighLighterPrefs()->HighLighter()) {
    const int count = std::min(FHighlighter->AttributeCount(), master->AttributeCount());
    for (int i = 0; i < count; ++i) FHighlighter->Attribute(i)->Assign(*master->Attribute(i));
    FHighlighter->SetExtendedTables(master->ExtendedTables());
  }
  // Files opened without a project would show no keywords at all: until a processor is chosen,
  // the default processor and number format of the settings apply.
  const THighlightChoice choice = HighlightChoice(*KodrillApp->Project(), *KodrillApp->AssemblerPrefs());
  SetProcessor(choice.Processor);
  if (choice.NumberFormat) SetNumberFormat(*choice.NumberFormat);
  ApplyLineNumbers();
}

void TEditorView::ApplyLineNumbers() {
  TGutter gutter = FEditor->Gutter();
  gutter.ShowLineNumbers = KodrillApp->GeneralPrefs()->ShowLineNumbers;
  // The numbers stand right of the marks, in a width that follows the line count.
  gutter.AutoSize = gutter.ShowLineNumbers;
  gutter.LeftOffset = GutterWidth;
  gutter.RightOffset = NumberGap;
  gutter.DigitCount = 1;
  gutter.Width = GutterWidth;
  FEditor->SetGutter(gutter);
}

void TEditorView::SetProcessor(const QString& name) {
  Processor = name;
  FHighlighter->SetCPUTypeString(name.toStdString());
}

void TEditorView::SetNumberFormat(TVoNumberFormat value) {
  NumberFormat = value;
  FHighlighter->SetNumberFormat(value);
}

void TEditorView::EditorChange() {
  emit TextChanged();
  // SetModified reports the text state itself.
  if (!FModified) SetModified(FEditor->Modified());
  else if (OnTextState) OnTextState(this);
}

void TEditorView::EditorStatusChange(TStatusChanges changes) {
  WriteStatus(changes);
  if (OnChange) OnChange(this);
}

bool TEditorView::IsActiveTab() const { return !FPageControl || FPageControl->currentWidget() == this; }

void TEditorView::WriteStatus(TStatusChanges changes) {
  // A tab in the background (reloaded, or still being read) must not overwrite the active one's.
  if (!FStatusBar || !IsActiveTab()) return;
  if (changes & (scAll | scCaretX | scCaretY))
    if (auto* panel = FStatusBar->findChild<QLabel*>(QStringLiteral("StatusPanel0")))
      panel->setText(CaretText(FEditor->CaretLine(), FEditor->CaretCharColumn()));
  if (changes & (scAll | scInsertMode))
    if (auto* panel = FStatusBar->findChild<QLabel*>(QStringLiteral("StatusPanel2")))
      panel->setText(FEditor->InsertMode() ? QStringLiteral("Einfügen") : QStringLiteral("Überschr."));
}

QString TEditorView::NotUtf8NameText(const QString& name) {
  return QStringLiteral("Der Dateiname „%1“ ist nicht in UTF-8 geschrieben; Kodrill kann die Datei nicht öffnen. "
                        "Bitte die Datei umbenennen (zum Beispiel mit convmv).")
      .arg(QDir::toNativeSeparators(name));
}

QString TEditorView::CaretText(int line, int column) { return QString::asprintf("%6d:%3d  ", line, column); }

void TEditorView::ActiveTabChanged() {
  WriteStatus(scAll);
  if (FLoadProgress) FLoadProgress->setVisible(IsActiveTab());
}

bool TEditorView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    // The press has put the caret on the word; the editor finishes the click first.
    if (mouse->button() == Qt::LeftButton && (mouse->modifiers() & Qt::ControlModifier))
      QMetaObject::invokeMethod(this, &TEditorView::DefinitionRequested, Qt::QueuedConnection);
  }
  if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
    return QWidget::eventFilter(watched, event);
  auto* window = qobject_cast<TFormMain*>(this->window());
  auto* key = static_cast<QKeyEvent*>(event);
  if (!window || !window->IsMenuShortcut(key->keyCombination())) return QWidget::eventFilter(watched, event);
  // Override: not taken, so the menu's shortcut runs. Press: the item is disabled; swallow it.
  event->ignore();
  if (event->type() == QEvent::KeyPress) event->accept();
  return true;
}
