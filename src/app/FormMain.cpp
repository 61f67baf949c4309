// TFormMain: construction, the tabs, the status message and the commands of the edit, search,
// assemble, settings and help menus.
#include "app/FormMain.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTabWidget>

#include <utility>

#include "app/DragDrop.h"
#include "app/EditorView.h"
#include "app/FileWatch.h"
#include "app/FormAbout.h"
#include "app/FormGotoLine.h"
#include "app/ProjectAsmFile.h"
#include "app/Recovery.h"
#include "app/SymbolNavigator.h"
#include "app/TabCloser.h"
#include "app/VoTimerMessage.h"
#include "assemble/FormAssemble.h"
#include "editor/EditControl.h"
#include "platform/ui/UserDialogs.h"
#include "search_print/SearchReplaceDialog.h"
#include "settings/FormGlobalPrefs.h"
#include "settings/FormProjectPrefs.h"
#include "settings/KodrillApp.h"

// The resources live in a static library: register them explicitly.
static void InitResources() { Q_INIT_RESOURCE(resources); }

TFormMain* FormMain = nullptr;

namespace {

const char* const GutterBitmaps[] = {"BOOKMARK0", "BOOKMARK1", "BOOKMARK2", "BOOKMARK3", "BOOKMARK4",
                                     "BOOKMARK5", "BOOKMARK6", "BOOKMARK7", "BOOKMARK8", "BOOKMARK9",
                                     "BREAKPOINT", "ERROR", "POSITION", "WARNING"};

constexpr int StatusInterval = 5000;

// A 16x16 bitmap with fuchsia as the transparent colour.
QPixmap GutterImage(const QString& name) {
  QImage image = QImage(QStringLiteral(":/bitmaps/") + name).convertToFormat(QImage::Format_ARGB32);
  const QRgb fuchsia = qRgb(255, 0, 255);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if ((line[x] | 0xFF000000u) == fuchsia) line[x] = 0;
  }
  return QPixmap::fromImage(image);
}

}  // namespace

TFormMain::TFormMain(QWidget* parent) : QMainWindow(parent) {
  InitResources();
  setObjectName(QStringLiteral("FormMain"));
  setWindowIcon(QIcon(QStringLiteral(":/glyphs/kodrill")));
  SetCaptionDefault();
  CreateImageList();

  FPageControl = new QTabWidget(this);
  FPageControl->setObjectName(QStringLiteral("PageControl"));
  setCentralWidget(FPageControl);
  connect(FPageControl, &QTabWidget::currentChanged, this, [this] { PageControlChange(); });
  new TTabCloser(FPageControl, [this](int index) { RunCommand([this, index] { CloseTab(index); }); });

  CreateActions();
  CreatePopupMenu();
  CreateStatusBar();

  FDragDrop = new TDragDrop(this);
  FDragDrop->setObjectName(QStringLiteral("DragDrop"));
  FDragDrop->OnFilesDropped = [this](int n) { DragDropFilesDropped(n); };
  FDragDrop->SetActive(true);

  FTimerMessage = new TVoTimerMessage(this);
  FTimerMessage->setObjectName(QStringLiteral("TimerMessage"));
  FTimerMessage->OnTextChanged = [this](const QString& text) { TimerMessageTextChanged(text); };

  FSearchReplaceDialog = new TVoSearchReplaceDialog(this);
  FSearchReplaceDialog->setObjectName(QStringLiteral("SearchReplaceDialog"));
  FSymbols = new TSymbolNavigator(this);
  FFileWatch = new TFileWatch(this);
  FRecovery = new TRecovery(this);

  if (KodrillApp) KodrillApp->Project()->OnOpenFile = [this](const TStringIniList& list) { OpenAsmFile(list); };
  // Queued: focus moves while widgets are being torn down.
  connect(qApp, &QApplication::focusChanged, this, [this] { UpdateControls(); }, Qt::QueuedConnection);
  UpdateControls();
}

TFormMain::~TFormMain() {
  disconnect(qApp, nullptr, this, nullptr);
  if (KodrillApp) KodrillApp->Project()->OnOpenFile = nullptr;
  delete FSymbols;  // no index work for tabs that are going away
  FSymbols = nullptr;
  // The entries own their views: free them while the tab widget still exists.
  for (int i = ViewCount() - 1; i >= 0; --i) {
    TEditorView* view = View(i);
    if (TProjectAsmFile* entry = view->ProjectFile())
      delete entry;
    else
      delete view;
  }
  if (FormMain == this) FormMain = nullptr;
}

void TFormMain::SetCaptionDefault() {
  setWindowTitle(QStringLiteral("Tallow-Fen Kodrill ") + (KodrillApp ? KodrillApp->Version : QString()));
}

void TFormMain::CreateImageList() {
  for (const char* name : GutterBitmaps) FImageList.push_back(GutterImage(QLatin1String(name)));
}

void TFormMain::RunCommand(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    ShowErrorBox(this, QString::fromUtf8(e.what()));
  }
  ShowAssembleAgain();  // a closing that failed: only once its error was shown
  UpdateControls();
}

void TFormMain::ShowAssembleAgain() {
  if (!std::exchange(FAssembleAside, false) || !FormAssemble) return;
  FormAssemble->show();
  FormAssemble->raise();
}

TEditorView* TFormMain::View(int index) const { return qobject_cast<TEditorView*>(FPageControl->widget(index)); }
int TFormMain::ViewCount() const { return FPageControl ? FPageControl->count() : 0; }
TEditorView* TFormMain::ActiveView() const {
  return FPageControl ? qobject_cast<TEditorView*>(FPageControl->currentWidget()) : nullptr;
}

void TFormMain::PageControlChange() {
  for (int i = 0; i < ViewCount(); ++i) View(i)->ActiveTabChanged();
  UpdateControls();
}

void TFormMain::ShowStatus(const QString& text) { FTimerMessage->ShowText(text, StatusInterval); }

void TFormMain::TimerMessageTextChanged(const QString& newText) { FStatusPanels[3]->setText(newText); }

void TFormMain::DragDropFilesDropped(int numItems) {
  const QStringList files = FDragDrop->Files;
  for (int i = 0; i < numItems && i < files.size(); ++i) RunCommand([this, &files, i] { OpenFile(files[i]); });
  FDragDrop->ClearList();
}

void TFormMain::MenPrintClick() {
  if (TEditorView* view = ActiveView()) view->Print();
}

void TFormMain::MenExitClick() { close(); }

void TFormMain::MenUndoClick() {
  if (TEditorView* view = ActiveView()) view->Editor()->Undo();
}

void TFormMain::MenRedoClick() {
  if (TEditorView* view = ActiveView()) view->Editor()->Redo();
}

void TFormMain::MenCutClick() {
  if (TEditorView* view = ActiveView()) view->Editor()->CutToClipboard();
}

void TFormMain::MenCopyClick() {
  if (TEditorView* view = ActiveView()) view->Editor()->CopyToClipboard();
}

void TFormMain::MenPasteClick() {
  if (TEditorView* view = ActiveView()) view->Editor()->PasteFromClipboard();
}

void TFormMain::MenSelAllClick() {
  if (TEditorView* view = ActiveView()) view->Editor()->SelectAll();
}

void TFormMain::MenSearchClick() {
  if (TEditorView* view = ActiveView()) {
    FSearchReplaceDialog->SetEditControl(view->Editor());
    FSearchReplaceDialog->Search();
  }
}

void TFormMain::MenReplaceClick() {
  if (TEditorView* view = ActiveView()) {
    FSearchReplaceDialog->SetEditControl(view->Editor());
    FSearchReplaceDialog->Replace();
  }
}

void TFormMain::MenSearchAgainClick() {
  if (TEditorView* view = ActiveView()) {
    FSearchReplaceDialog->SetEditControl(view->Editor());
    FSearchReplaceDialog->SearchAgain();
  }
}

void TFormMain::MenGotoDefinitionClick() { FSymbols->GotoDefinition(ActiveView()); }

void TFormMain::MenGoBackClick() { FSymbols->GoBack(); }

void TFormMain::MenGotoSymbolClick() {
  if (ActiveView()) FSymbols->ShowSymbols();
}

void TFormMain::MenGotoLineClick() {
  QPointer<TEditorView> view = ActiveView();
  if (!view) return;
  TEditControl* editor = view->Editor();
  // A file still being read does not hold the dialog up: the jump reads as far as it needs.
  const int lineCount = editor->Lines().Loading() ? 0 : std::max(1, editor->Lines().Count());
  TFormGotoLine dialog(this, editor->CaretLine(), lineCount,
                       [view](int line) { return view ? view->CharsInLine(line) : 0; });
  if (dialog.exec() != QDialog::Accepted || !view || !dialog.Target()) return;
  view->GotoLine(dialog.Target()->Line, dialog.Target()->Column);
  ActivateView(view);
}

void TFormMain::CloseTab(int index) {
  TEditorView* view = View(index);
  if (!view) return;
  // Closing a tab in the background leaves the user in the tab they work in.
  QWidget* const current = FPageControl->currentWidget();
  const QPointer<QWidget> background = current != view ? current : nullptr;
  view->CloseView();
  if (background) FPageControl->setCurrentWidget(background);
}

void TFormMain::MenAsProjClick() {
  // The run under way reads the files on disk: nothing is saved under it.
  if (FormAssemble && FormAssemble->IsRunning()) {
    ShowStatus(QStringLiteral("Es wird bereits assembliert."));
    return;
  }
  MenSaveAllClick();
  if (!FormAssemble) return;
  // A run the dialog does not show is told here: lasting while it goes on, then its outcome.
  FormAssemble->OnRunStatus = [this](const QString& text, bool running) {
    FTimerMessage->DefaultText = running ? text : QString();
    FTimerMessage->ShowText(text, 0);
  };
  FormAssemble->Assemble();
}

void TFormMain::MenShowOutputClick() {
  if (!FormAssemble) return;
  FormAssemble->show();
  FormAssemble->raise();
}

void TFormMain::MenNextMessageClick() { StepMessage(true); }

void TFormMain::MenPrevMessageClick() { StepMessage(false); }

void TFormMain::StepMessage(bool forward) {
  if (FormAssemble && FormAssemble->HasMessages() && !FormAssemble->StepMessage(forward))
    ShowStatus(forward ? QStringLiteral("Keine weitere Meldung.") : QStringLiteral("Keine frühere Meldung."));
}

void TFormMain::MenEditorClick() {
  if (FormGlobalPrefs && FormGlobalPrefs->exec() == QDialog::Accepted) KodrillApp->Project()->ApplyHighlighterPrefs();
}

void TFormMain::MenAssemblerClick() {
  if (FormProjectPrefs && FormProjectPrefs->exec() == QDialog::Accepted)
    KodrillApp->Project()->ApplyHighlighterPrefs();
}

void TFormMain::MenSavePrefsClick() { KodrillApp->SavePrefs(); }

void TFormMain::MenInfoClick() {
  if (FormAbout) FormAbout->exec();
}

void TFormMain::MenToggleBookmarkClick(int n) {
  if (TEditorView* view = ActiveView()) view->ToggleBookmark(n);
}

void TFormMain::MenGotoBookmark(int n) {
  if (TEditorView* view = ActiveView()) view->GotoBookmark(n);
}
