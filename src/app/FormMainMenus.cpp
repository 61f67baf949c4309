// TFormMain: the menus, the tool bar, the pop-up menu of the tabs, the status bar, the list of
// recent files and which of their items are enabled.
#include "app/FormMain.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

#include "app/EditorView.h"
#include "app/SymbolNavigator.h"
#include "assemble/FormAssemble.h"
#include "search_print/SearchReplaceDialog.h"
#include "settings/KodrillApp.h"

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
  // The widest text each panel shows (long files, either mode): the panels beside stay put.
  const QString widest[4] = {TEditorView::CaretText(999999, 999), QString(), QStringLiteral("Überschr."), QString()};
  for (int i = 0; i < 4; ++i) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    if (i == 0) panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    int least = widths[i];
    for (const QString& text : {widest[i], texts[i]}) {
      panel->setText(text);
      least = std::max(least, panel->sizeHint().width());
    }
    panel->setMinimumWidth(least);
    bar->addWidget(panel, i == 3 ? 1 : 0);  // messages get the rest of the width
    FStatusPanels[i] = panel;
  }
}

void TFormMain::CreateRecentMenu(QMenu* file, QAction* before) {
  FRecentMenu = new QMenu(QStringLiteral("&Zuletzt geöffnet"), file);
  FRecentMenu->setObjectName(QStringLiteral("MenRecent"));
  FRecentMenu->menuAction()->setObjectName(QStringLiteral("MenRecent"));
  file->insertMenu(before, FRecentMenu);
  // Its entries, and whether their files still exist, are looked up only when it opens.
  connect(FRecentMenu, &QMenu::aboutToShow, this, &TFormMain::UpdateRecentMenu);
  EnableRecentMenu();
}

void TFormMain::EnableRecentMenu() {
  FRecentMenu->menuAction()->setEnabled(KodrillApp && !KodrillApp->RecentFiles().Entries().isEmpty());
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
  EnableRecentMenu();
}

bool TFormMain::IsMenuShortcut(QKeyCombination key) const {
  const QKeySequence sequence(key);
  return FMenuKeys.contains(sequence);
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
  if (!hasView) StatusPanel(0)->clear();  // no caret to show
  if (hasView) {
    for (int n = 0; n < 10; ++n) {
      const bool set = view->IsBookmarkSet(n);
      FGotoItems[n]->setEnabled(set);
      FToggleItems[n]->setChecked(set);
    }
  }
}
