#include "app/FormMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

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
#include "platform/Paths.h"
#include "platform/ui/UserDialogs.h"
#include "search_print/SearchReplaceDialog.h"
#include "settings/FormGlobalPrefs.h"
#include "settings/FormNewAgent.h"
#include "settings/FormProjectPrefs.h"
#include "settings/KodrillApp.h"

// The resources live in a static library: register them explicitly.
static void InitResources() { Q_INIT_RESOURCE(resources); }

TFormMain* FormMain = nullptr;

namespace {

const char* const GutterBitmaps[] = {"BOOKMARK0", "BOOKMARK1", "BOOKMARK2", "BOOKMARK3", "BOOKMARK4",
                                     "BOOKMARK5", "BOOKMARK6", "BOOKMARK7", "BOOKMARK8", "BOOKMARK9",
                                     "BREAKPOINT", "ERROR", "POSITION", "WARNING"};

const QString OpenFilter = QStringLiteral(
    "alle (*.AsmPrj; *.Asm; *.Asc, *.Inc)|*.AsmPrj;*.Asm;*.Asc;*.Inc|Assemblerdateien (*.Asm, *.HC11)|*.Asm;*.HC11|"
    "Includedateien (*.Inc)|*.Inc|Projektdateien (*.AsmPrj)|*.AsmPrj|alle Dateien|*");
const QString ProjectFilter = QStringLiteral("Projektdateien (*.AsmPrj)|*.AsmPrj");
const QString ProjectExt = QStringLiteral(".AsmPrj");
constexpr int StatusInterval = 5000;

// "description|pattern;pattern|..." as the file dialog wants it: "description (pattern pattern);;...".
QString DialogFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList entries;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    entries.append(parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                   QLatin1Char(')'));
  return entries.join(QStringLiteral(";;"));
}

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

QAction* TFormMain::NewAction(const char* name, const QString& caption, const QKeySequence& shortcut,
                              void (TFormMain::*handler)()) {
  auto* action = new QAction(caption, this);
  action->setObjectName(QLatin1String(name));
  action->setShortcut(shortcut);
  if (!shortcut.isEmpty()) FMenuKeys.append(shortcut);
  if (handler)
    connect(action, &QAction::triggered, this,
            [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
  return action;
}

QAction* TFormMain::NewButton(const char* name, const QString& hint, const QString& glyph, QAction* menuItem) {
  auto* button = new QAction(QIcon(QStringLiteral(":/glyphs/") + glyph), hint, this);
  button->setObjectName(QLatin1String(name));
  button->setToolTip(hint);
  connect(button, &QAction::triggered, menuItem, &QAction::trigger);
  FToolbarStandard->addAction(button);
  FToolbarStandard->widgetForAction(button)->setObjectName(QLatin1String(name));
  return button;
}

static QAction* Separator(QWidget* owner, const char* name) {
  auto* action = new QAction(owner);
  action->setSeparator(true);
  action->setObjectName(QLatin1String(name));
  owner->addAction(action);
  return action;
}

void TFormMain::CreateActions() {
  const auto ctrl = [](int key) { return QKeySequence(Qt::CTRL | key); };
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu"));

  QMenu* file = bar->addMenu(QStringLiteral("&Datei"));
  file->setObjectName(QStringLiteral("MMenFile"));
  file->menuAction()->setObjectName(QStringLiteral("MMenFile"));
  QAction* menNew = NewAction("MenNew", QStringLiteral("&Neu..."), ctrl(Qt::Key_N), &TFormMain::MenNewClick);
  QAction* menOpen = NewAction("MenOpen", QStringLiteral("&Öffnen..."), ctrl(Qt::Key_O), &TFormMain::MenOpenClick);
  QAction* menClose = NewAction("MenClose", QStringLiteral("Schlie&ßen"), ctrl(Qt::Key_F4), &TFormMain::MenCloseClick);
  file->addActions({menNew, menOpen, menClose,
                    NewAction("MenCloseAll", QStringLiteral("Alle sc&hließen"), {}, &TFormMain::MenCloseAllClick)});
  CreateRecentMenu(file, menClose);
  Separator(file, "MenBar1");
  QAction* menSave = NewAction("MenSave", QStringLiteral("&Speichern"), ctrl(Qt::Key_S), &TFormMain::MenSaveClick);
  file->addActions({menSave, NewAction("MenSaveAs", QStringLiteral("Speichern &unter..."), {}, &TFormMain::MenSaveAsClick),
                    NewAction("MenProjectSaveAs", QStringLiteral("&Projekt speichern unter..."), {},
                              &TFormMain::MenProjectSaveAsClick),
                    NewAction("MenSaveAll", QStringLiteral("Alles spei&chern"), {}, &TFormMain::MenSaveAllClick)});
  Separator(file, "MenBar2");
  QAction* menPrint = NewAction("MenPrint", QStringLiteral("&Drucken..."), ctrl(Qt::Key_P), &TFormMain::MenPrintClick);
  file->addAction(menPrint);
  Separator(file, "MenBar3");
  file->addAction(NewAction("MenExit", QStringLiteral("&Beenden"), {}, &TFormMain::MenExitClick));

  QMenu* edit = bar->addMenu(QStringLiteral("&Bearbeiten"));
  edit->setObjectName(QStringLiteral("MMenEdit"));
  edit->menuAction()->setObjectName(QStringLiteral("MMenEdit"));
  QAction* menUndo = NewAction("MenUndo", QStringLiteral("Rückgängig"), ctrl(Qt::Key_Z), &TFormMain::MenUndoClick);
  QAction* menRedo = NewAction("MenRedo", QStringLiteral("Wiederherstellen"), {}, &TFormMain::MenRedoClick);
  edit->addActions({menUndo, menRedo});
  Separator(edit, "MenBar4");
  QAction* menCut = NewAction("MenCut", QStringLiteral("Ausschneiden"), ctrl(Qt::Key_X), &TFormMain::MenCutClick);
  QAction* menCopy = NewAction("MenCopy", QStringLiteral("Kopieren"), ctrl(Qt::Key_C), &TFormMain::MenCopyClick);
  QAction* menPaste = NewAction("MenPaste", QStringLiteral("Einfügen"), ctrl(Qt::Key_V), &TFormMain::MenPasteClick);
  edit->addActions({menCut, menCopy, menPaste});
  Separator(edit, "MenBar5");
  edit->addAction(NewAction("MenSelAll", QStringLiteral("Alles markieren"), ctrl(Qt::Key_A), &TFormMain::MenSelAllClick));
  Separator(edit, "MenBar6");
  edit->addActions({NewAction("MenSearch", QStringLiteral("Suchen..."), ctrl(Qt::Key_F), &TFormMain::MenSearchClick),
                    NewAction("MenReplace", QStringLiteral("Ersetzen..."), ctrl(Qt::Key_R), &TFormMain::MenReplaceClick),
                    NewAction("MenSearchAgain", QStringLiteral("Weitersuchen"), QKeySequence(Qt::Key_F3),
                              &TFormMain::MenSearchAgainClick)});
  edit->addAction(
      NewAction("MenGotoLine", QStringLiteral("Gehe zu Zeile..."), ctrl(Qt::Key_G), &TFormMain::MenGotoLineClick));
  Separator(edit, "MenBar9");
  edit->addActions({NewAction("MenGotoDefinition", QStringLiteral("Gehe zu Definition"), QKeySequence(Qt::Key_F12),
                              &TFormMain::MenGotoDefinitionClick),
                    NewAction("MenGoBack", QStringLiteral("Zurück"), QKeySequence(Qt::ALT | Qt::Key_Left),
                              &TFormMain::MenGoBackClick),
                    NewAction("MenGotoSymbol", QStringLiteral("Gehe zu Symbol..."),
                              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), &TFormMain::MenGotoSymbolClick)});

  QMenu* assemble = bar->addMenu(QStringLiteral("&Assemblieren"));
  assemble->setObjectName(QStringLiteral("MMenAssemble"));
  assemble->menuAction()->setObjectName(QStringLiteral("MMenAssemble"));
  QAction* menAsProj = NewAction("MenAsProj", QStringLiteral("Projekt speichern und &assemblieren"), ctrl(Qt::Key_F9),
                                 &TFormMain::MenAsProjClick);
  QAction* menAsProjRun = NewAction("MenAsProjRun", QStringLiteral("Speichern, assemblieren und &starten"),
                                    QKeySequence(Qt::Key_F9), nullptr);
  menAsProjRun->setEnabled(false);
  assemble->addActions({menAsProj, menAsProjRun,
                        NewAction("MenShowOutput", QStringLiteral("Ausgabe an&zeigen..."), {},
                                  &TFormMain::MenShowOutputClick)});
  Separator(assemble, "MenBarMessages");
  QAction* menNextMessage = NewAction("MenNextMessage", QStringLiteral("&Nächste Meldung"), QKeySequence(Qt::Key_F8),
                                      &TFormMain::MenNextMessageClick);
  QAction* menPrevMessage = NewAction("MenPrevMessage", QStringLiteral("&Vorherige Meldung"),
                                      QKeySequence(Qt::SHIFT | Qt::Key_F8), &TFormMain::MenPrevMessageClick);
  // Also from the assemble dialog, which stays in front of the window.
  menNextMessage->setShortcutContext(Qt::ApplicationShortcut);
  menPrevMessage->setShortcutContext(Qt::ApplicationShortcut);
  assemble->addActions({menNextMessage, menPrevMessage});

  QMenu* settings = bar->addMenu(QStringLiteral("&Einstellungen"));
  settings->setObjectName(QStringLiteral("MMenSettings"));
  settings->menuAction()->setObjectName(QStringLiteral("MMenSettings"));
  settings->addActions({NewAction("MenGlobal", QStringLiteral("&Global..."), {}, &TFormMain::MenEditorClick),
                        NewAction("MenProject", QStringLiteral("&Projekt..."), {}, &TFormMain::MenAssemblerClick)});
  Separator(settings, "MenBar7");
  settings->addAction(NewAction("MenSavePrefs", QStringLiteral("Einstellungen &speichern"), {},
                                &TFormMain::MenSavePrefsClick));

  QMenu* help = bar->addMenu(QStringLiteral("&Hilfe"));
  help->setObjectName(QStringLiteral("MMenHelp"));
  help->menuAction()->setObjectName(QStringLiteral("MMenHelp"));
  QAction* inhalt = NewAction("MenInhalt", QStringLiteral("&Inhalt"), {}, nullptr);
  QAction* index = NewAction("MenIndex", QStringLiteral("Inde&x"), {}, nullptr);
  inhalt->setEnabled(false);
  index->setEnabled(false);
  help->addActions({inhalt, index});
  Separator(help, "MenBar8");
  help->addAction(NewAction("MenInfo", QStringLiteral("In&fo..."), {}, &TFormMain::MenInfoClick));

  // The headings' mnemonics (Alt+D, ...) belong to the menu as well.
  for (QAction* heading : bar->actions()) FMenuKeys.append(QKeySequence::mnemonic(heading->text()));

  FToolbarStandard = new QToolBar(QStringLiteral("Standard"), this);
  FToolbarStandard->setObjectName(QStringLiteral("ToolbarStandard"));
  FToolbarStandard->setAllowedAreas(Qt::AllToolBarAreas);
  FToolbarStandard->setMovable(true);
  FToolbarStandard->setFloatable(true);
  FToolbarStandard->setIconSize(QSize(16, 16));
  FToolbarStandard->toggleViewAction()->setVisible(false);  // the tool bar cannot be closed
  addToolBar(Qt::TopToolBarArea, FToolbarStandard);
  NewButton("BtnNew", QStringLiteral("Datei neu"), QStringLiteral("new"), menNew);
  NewButton("BtnOpen", QStringLiteral("Datei öffnen"), QStringLiteral("open"), menOpen);
  NewButton("BtnSave", QStringLiteral("Datei speichern"), QStringLiteral("save"), menSave);
  Separator(FToolbarStandard, "ToolbarSeperator1");
  NewButton("BtnPrint", QStringLiteral("Drucken"), QStringLiteral("print"), menPrint);
  Separator(FToolbarStandard, "ToolbarSeperator2");
  NewButton("BtnCut", QStringLiteral("Ausschneiden"), QStringLiteral("cut"), menCut);
  NewButton("BtnCopy", QStringLiteral("Kopieren"), QStringLiteral("copy"), menCopy);
  NewButton("BtnPaste", QStringLiteral("Einfügen"), QStringLiteral("paste"), menPaste);
  Separator(FToolbarStandard, "ToolbarSeperator3");
  NewButton("BtnUndo", QStringLiteral("Rückgängig"), QStringLiteral("undo"), menUndo);
  NewButton("BtnRedo", QStringLiteral("Wiederherstellen"), QStringLiteral("redo"), menRedo);
  Separator(FToolbarStandard, "ToolbarSeperator4");
  NewButton("BtnAsProj", QStringLiteral("Speichern und Assemblieren"), QStringLiteral("assemble"),
                                 menAsProj);
}

void TFormMain::CreatePopupMenu() {
  FPopupMenuChilds = new QMenu(this);
  FPopupMenuChilds->setObjectName(QStringLiteral("PopupMenuChilds"));
  // The main menu owns these keys; here they are only shown, so they must not compete.
  const auto item = [this](const char* name, const QString& caption, const QKeySequence& key,
                           void (TFormMain::*handler)()) {
    QAction* action = NewAction(name, caption, key, handler);
    action->setShortcutContext(Qt::WidgetShortcut);
    FPopupMenuChilds->addAction(action);
    return action;
  };
  item("PMenClose", QStringLiteral("Schliessen"), QKeySequence(Qt::CTRL | Qt::Key_F4), &TFormMain::MenCloseClick);
  item("PMenSave", QStringLiteral("Speichern"), QKeySequence(Qt::CTRL | Qt::Key_S), &TFormMain::MenSaveClick);
  Separator(FPopupMenuChilds, "PMenBar1");
  item("PMenCut", QStringLiteral("Ausschneiden"), QKeySequence(Qt::CTRL | Qt::Key_X), &TFormMain::MenCutClick);
  item("PMenCopy", QStringLiteral("Kopieren"), QKeySequence(Qt::CTRL | Qt::Key_C), &TFormMain::MenCopyClick);
  item("PMenPaste", QStringLiteral("Einfügen"), QKeySequence(Qt::CTRL | Qt::Key_V), &TFormMain::MenPasteClick);
  Separator(FPopupMenuChilds, "PMenBar2");

  QMenu* toggle = FPopupMenuChilds->addMenu(QStringLiteral("Bookmark (zurück)setzen"));
  toggle->setObjectName(QStringLiteral("PMenToggleBookmark"));
  toggle->menuAction()->setObjectName(QStringLiteral("PMenToggleBookmark"));
  QMenu* gotoMenu = FPopupMenuChilds->addMenu(QStringLiteral("Bookmark anspringen"));
  gotoMenu->setObjectName(QStringLiteral("PMenGotoBookmark"));
  gotoMenu->menuAction()->setObjectName(QStringLiteral("PMenGotoBookmark"));
  for (int i = 1; i <= 10; ++i) {
    const int n = i % 10;  // "1" ... "9", then "0"
    QAction* t = toggle->addAction(QString::number(n));
    t->setObjectName(QStringLiteral("PMenToggleBM%1").arg(n));
    t->setData(n);
    t->setCheckable(true);
    connect(t, &QAction::triggered, this, [this, n] { RunCommand([this, n] { MenToggleBookmarkClick(n); }); });
    FToggleItems[n] = t;
    QAction* g = gotoMenu->addAction(QString::number(n));
    g->setObjectName(QStringLiteral("PMenGotoBM%1").arg(n));
    g->setData(n);
    connect(g, &QAction::triggered, this, [this, n] { RunCommand([this, n] { MenGotoBookmark(n); }); });
    FGotoItems[n] = g;
  }
}

void TFormMain::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar"));
  const int widths[4] = {65, 75, 50, 50};
  const QString texts[4] = {QStringLiteral("1:   1  "), QString(), QStringLiteral("Einfügen"), QString()};
  for (int i = 0; i < 4; ++i) {
    auto* panel = new QLabel(texts[i], bar);
    panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    panel->setMinimumWidth(widths[i]);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    if (i == 0) panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bar->addWidget(panel, i == 3 ? 1 : 0);  // messages get the rest of the width
    FStatusPanels[i] = panel;
  }
}

void TFormMain::CreateRecentMenu(QMenu* file, QAction* before) {
  FRecentMenu = new QMenu(QStringLiteral("&Zuletzt geöffnet"), file);
  FRecentMenu->setObjectName(QStringLiteral("MenRecent"));
  FRecentMenu->menuAction()->setObjectName(QStringLiteral("MenRecent"));
  file->insertMenu(before, FRecentMenu);
  connect(FRecentMenu, &QMenu::aboutToShow, this, &TFormMain::UpdateRecentMenu);
  UpdateRecentMenu();
}

void TFormMain::UpdateRecentMenu() {
  FRecentMenu->clear();
  const QList<TRecentFiles::TEntry> entries =
      KodrillApp ? KodrillApp->RecentFiles().MenuEntries() : QList<TRecentFiles::TEntry>();
  for (qsizetype i = 0; i < entries.size(); ++i) {
    const TRecentFiles::TEntry& entry = entries[i];
    if (i > 0 && entries[i - 1].Project && !entry.Project) FRecentMenu->addSeparator();
    const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QStringLiteral("1&0");
    QAction* item = FRecentMenu->addAction(number + u' ' + QString(entry.Path).replace(u'&', QStringLiteral("&&")));
    // A file that is gone stays listed: its drive or folder may come back.
    item->setEnabled(entry.Exists);
    const QString path = entry.Path;
    connect(item, &QAction::triggered, this, [this, path] { RunCommand([this, path] { OpenFile(path); }); });
  }
  FRecentMenu->menuAction()->setEnabled(!entries.isEmpty());
}

void TFormMain::AddRecent(const QString& path) {
  try {
    KodrillApp->AddRecent(path);
  } catch (const std::exception& e) {
    ShowStatus(QString::fromUtf8(e.what()));
  }
  UpdateRecentMenu();
}

void TFormMain::RunCommand(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    ShowErrorBox(this, QString::fromUtf8(e.what()));
  }
  UpdateControls();
}

bool TFormMain::IsMenuShortcut(QKeyCombination key) const {
  const QKeySequence sequence(key);
  return FMenuKeys.contains(sequence);
}

TEditorView* TFormMain::View(int index) const { return qobject_cast<TEditorView*>(FPageControl->widget(index)); }
int TFormMain::ViewCount() const { return FPageControl ? FPageControl->count() : 0; }
TEditorView* TFormMain::ActiveView() const {
  return FPageControl ? qobject_cast<TEditorView*>(FPageControl->currentWidget()) : nullptr;
}

void TFormMain::StartUp(const QStringList& args) {
  RunCommand([] { KodrillApp->LoadPrefs(); });
  UpdateRecentMenu();
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
    ShowErrorBox(this, QStringLiteral("Kann nicht in das Projektverzeichnis %1 wechseln.\n"
                                      "Die Dateien der Befehlszeile werden nicht geöffnet.")
                           .arg(directory));
    return;
  }
  for (const QString& arg : args) {
    // A relative name that is not in the project directory but where the program was
    // started from means that file.
    QString name = arg;
    if (QDir::isRelativePath(name) && !Paths::FileExists(name) && Paths::FileExists(startDirectory + name))
      name = startDirectory + name;
    RunCommand([this, &name] { OpenFile(name); });
  }
}

void TFormMain::OpenFile(const QString& name) {
  const QString ext = Paths::ExtractFileExt(name).toUpper();
  if (ext == u".ASMPRJ") {
    OpenProject(name);
  } else if (ext == u".HC11" || ext == u".ASC" || ext == u".INC" || ext == u".ASM") {
    TStringIniList properties;
    properties.append(QStringLiteral("File=") + name);
    TEditorView* view = AddAsmFile(properties, name);
    if (view && !view->LoadFailed()) AddRecent(view->PathName);
    // The user is about to type into what was just opened.
    ActivateView(view);
  }
}

void TFormMain::OpenAsmFile(const TStringIniList& properties) { AddAsmFile(properties, QString()); }

TEditorView* TFormMain::AddAsmFile(const TStringIniList& properties, const QString& givenName) {
  auto* entry = new TProjectAsmFile(KodrillApp->Project(), properties, this, givenName);
  // Marks of the last run go into files opened after it, too.
  if (FormAssemble) FormAssemble->MarkErrors(*entry);
  ShowStatus(QStringLiteral("Asmfile \"%1\" gelesen.").arg(entry->File));
  if (FSymbols) FSymbols->Watch(entry->View());
  if (entry->View()) FollowView(entry->View());
  UpdateControls();
  return entry->View();
}

TEditorView* TFormMain::FindView(const QString& path) const {
  for (int i = 0; i < ViewCount(); ++i)
    if (TSymbolIndex::Key(View(i)->PathName) == TSymbolIndex::Key(path)) return View(i);
  return nullptr;
}

TEditorView* TFormMain::ShowSourceFile(const QString& path) {
  TEditorView* view = FindView(path);
  if (!view && Paths::FileExists(path)) {
    TStringIniList properties;
    properties.append(QStringLiteral("File=") + path);
    view = AddAsmFile(properties, path);
  }
  ActivateView(view);
  return view;
}

void TFormMain::ShowMessageLine(const QString& path, int line, const QString& text) {
  TEditorView* view = ShowSourceFile(path);
  if (view) view->GotoMark(line);
  ShowStatus(view ? text : text + QStringLiteral(" (Datei %1 nicht gefunden)").arg(path));
}

void TFormMain::FollowView(TEditorView* view) {
  view->OnTextState = [this](TEditorView* v) {
    // Loaded or saved: the file watch takes the file's new state.
    if (!v->Modified()) FFileWatch->Schedule();
    FRecovery->Follow(v);
  };
  FFileWatch->Follow();
}

TEditorView* TFormMain::OpenForRecovery(const QString& path) {
  TEditorView* view = path.isEmpty() ? nullptr : FindView(path);
  if (!view) {
    TStringIniList properties;
    properties.append(QStringLiteral("File=") + path);
    view = AddAsmFile(properties, path);
  }
  ActivateView(view);
  return view;
}

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
  project->Directory = Paths::ExtractFilePath(full);
  project->FileName = Paths::ExtractFileName(full);
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
  if (canClose)
    for (int i = 0; i < ViewCount(); ++i) View(i)->SetModified(false);
  return canClose;
}

bool TFormMain::CloseProject() {
  if (!FormCloseQuery()) return false;
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
  FRecovery->Close();
  emit Closed();
}

void TFormMain::UpdateControls() {
  if (!FPageControl) return;
  TEditorView* view = ActiveView();
  bool anyModified = false;
  for (int i = 0; i < ViewCount(); ++i)
    if (TEditorView* v = View(i); v && v->Modified()) anyModified = true;
  const bool hasView = view != nullptr;
  const bool selAvail = hasView && view->SelAvail();
  const bool canRedo = hasView && view->CanRedo();
  const bool canUndo = hasView && view->CanUndo();
  const bool canPaste = hasView && view->CanPaste();
  const bool modified = hasView && view->Modified();

  const auto enable = [this](std::initializer_list<const char*> names, bool value) {
    for (const char* name : names)
      if (QAction* action = findChild<QAction*>(QLatin1String(name), Qt::FindDirectChildrenOnly))
        action->setEnabled(value);
  };
  enable({"MenClose", "PMenClose", "MenCloseAll", "MenSaveAs", "MenProjectSaveAs", "MenPrint", "BtnPrint",
          "MenSelAll", "MenSearch", "MenReplace", "MenAsProj", "BtnAsProj", "MenProject"},
         hasView);
  FPopupMenuChilds->findChild<QMenu*>(QStringLiteral("PMenToggleBookmark"))->menuAction()->setEnabled(hasView);
  FPopupMenuChilds->findChild<QMenu*>(QStringLiteral("PMenGotoBookmark"))->menuAction()->setEnabled(hasView);
  enable({"MenSave", "PMenSave", "BtnSave"}, modified);
  enable({"MenSaveAll"}, anyModified);
  enable({"MenUndo", "BtnUndo"}, canUndo);
  enable({"MenRedo", "BtnRedo"}, canRedo);
  enable({"MenCut", "PMenCut", "BtnCut", "MenCopy", "PMenCopy", "BtnCopy"}, selAvail);
  enable({"MenPaste", "PMenPaste", "BtnPaste"}, canPaste);
  enable({"MenSearchAgain"}, hasView && FSearchReplaceDialog->HasSearchText());
  enable({"MenGotoDefinition", "MenGotoSymbol"}, hasView);
  enable({"MenGoBack"}, hasView && FSymbols && FSymbols->CanGoBack());
  enable({"MenGotoLine"}, hasView);
  enable({"MenNextMessage", "MenPrevMessage"}, FormAssemble && FormAssemble->HasMessages());
  if (hasView) {
    for (int n = 0; n < 10; ++n) {
      const bool set = view->IsBookmarkSet(n);
      FGotoItems[n]->setEnabled(set);
      FToggleItems[n]->setChecked(set);
    }
  }
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

void TFormMain::MenNewClick() {
  if (FormNewAgent) FormNewAgent->exec();
}

void TFormMain::MenOpenClick() {
  const QString name = AskOpenFileName(this, QStringLiteral("Öffnen"), QString(), DialogFilter(OpenFilter));
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
  for (int i = ViewCount() - 1; i >= 0; --i) {
    TEditorView* view = View(i);
    // An unchanged tab whose file could not be read must not overwrite that file with nothing.
    if (!view->Modified() && view->LoadFailed()) continue;
    view->Save();
  }
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
  editor->Lines().FinishLoad();  // the dialog offers every line of the file
  TFormGotoLine dialog(this, editor->CaretLine(), std::max(1, editor->Lines().Count()),
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
  MenSaveAllClick();
  if (FormAssemble) FormAssemble->Assemble();
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
