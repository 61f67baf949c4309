// The main window: its commands and enable rules, opening files, the close questions, saving
// and failures, key precedence and start-up.
#include <QApplication>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "AppFixture.h"
#include "app/VoTimerMessage.h"
#include "assemble/FormAssemble.h"
#include "search_print/FormPrintPreview.h"

using FormMainTest = AppTest;

TEST_F(FormMainTest, WindowHasEveryCommandWithCaptionsShortcutsAndButtons) {
  EXPECT_EQ(Main->objectName(), u"FormMain");
  EXPECT_EQ(Main->windowTitle(), u"Tallow-Fen Kodrill 0.9");
  const struct { const char* name; const char* caption; QKeySequence key; } items[] = {
      {"MenNew", "&Neu...", QKeySequence(Qt::CTRL | Qt::Key_N)},
      {"MenOpen", "&Öffnen...", QKeySequence(Qt::CTRL | Qt::Key_O)},
      {"MenClose", "Schlie&ßen", QKeySequence(Qt::CTRL | Qt::Key_F4)},
      {"MenCloseAll", "Alle sc&hließen", {}},
      {"MenSave", "&Speichern", QKeySequence(Qt::CTRL | Qt::Key_S)},
      {"MenSaveAs", "Speichern &unter...", {}},
      {"MenProjectSaveAs", "&Projekt speichern unter...", {}},
      {"MenSaveAll", "Alles spei&chern", {}},
      {"MenPrint", "&Drucken...", QKeySequence(Qt::CTRL | Qt::Key_P)},
      {"MenExit", "&Beenden", {}},
      {"MenUndo", "Rückgängig", QKeySequence(Qt::CTRL | Qt::Key_Z)},
      {"MenRedo", "Wiederherstellen", {}},
      {"MenCut", "Ausschneiden", QKeySequence(Qt::CTRL | Qt::Key_X)},
      {"MenCopy", "Kopieren", QKeySequence(Qt::CTRL | Qt::Key_C)},
      {"MenPaste", "Einfügen", QKeySequence(Qt::CTRL | Qt::Key_V)},
      {"MenSelAll", "Alles markieren", QKeySequence(Qt::CTRL | Qt::Key_A)},
      {"MenSearch", "Suchen...", QKeySequence(Qt::CTRL | Qt::Key_F)},
      {"MenReplace", "Ersetzen...", QKeySequence(Qt::CTRL | Qt::Key_R)},
      {"MenSearchAgain", "Weitersuchen", QKeySequence(Qt::Key_F3)},
      {"MenAsProj", "Projekt speichern und &assemblieren", QKeySequence(Qt::CTRL | Qt::Key_F9)},
      {"MenAsProjRun", "Speichern, assemblieren und &starten", QKeySequence(Qt::Key_F9)},
      {"MenShowOutput", "Ausgabe an&zeigen...", {}},
      {"MenGlobal", "&Global...", {}},
      {"MenProject", "&Projekt...", {}},
      {"MenSavePrefs", "Einstellungen &speichern", {}},
      {"MenInhalt", "&Inhalt", {}},
      {"MenIndex", "Inde&x", {}},
      {"MenInfo", "In&fo...", {}},
      {"PMenClose", "Schliessen", QKeySequence(Qt::CTRL | Qt::Key_F4)},
      {"PMenSave", "Speichern", QKeySequence(Qt::CTRL | Qt::Key_S)},
      {"PMenCut", "Ausschneiden", QKeySequence(Qt::CTRL | Qt::Key_X)},
      {"PMenCopy", "Kopieren", QKeySequence(Qt::CTRL | Qt::Key_C)},
      {"PMenPaste", "Einfügen", QKeySequence(Qt::CTRL | Qt::Key_V)},
  };
  for (const auto& item : items) {
    QAction* a = Action(item.name);
    ASSERT_NE(a, nullptr) << item.name;
    EXPECT_EQ(a->text(), QString::fromUtf8(item.caption)) << item.name;
    EXPECT_EQ(a->shortcut(), item.key) << item.name;
  }
  for (const char* menu : {"MMenFile", "MMenEdit", "MMenAssemble", "MMenSettings", "MMenHelp"})
    EXPECT_NE(Main->findChild<QMenu*>(QLatin1String(menu)), nullptr) << menu;

  auto* toolbar = Main->findChild<QToolBar*>(QStringLiteral("ToolbarStandard"));
  ASSERT_NE(toolbar, nullptr);
  EXPECT_EQ(toolbar->windowTitle(), u"Standard");
  EXPECT_EQ(toolbar->allowedAreas(), Qt::AllToolBarAreas);
  QStringList order;
  for (QAction* a : toolbar->actions()) order << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
  EXPECT_EQ(order.join(u' '), u"BtnNew BtnOpen BtnSave | BtnPrint | BtnCut BtnCopy BtnPaste | BtnUndo BtnRedo | BtnAsProj");
  auto* save = toolbar->findChild<QToolButton*>(QStringLiteral("BtnSave"));
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(save->toolTip(), u"Datei speichern");
  EXPECT_EQ(toolbar->findChild<QToolButton*>(QStringLiteral("BtnAsProj"))->toolTip(), u"Speichern und Assemblieren");

  QStringList bookmarks;
  for (QAction* a : Main->findChild<QMenu*>(QStringLiteral("PMenToggleBookmark"))->actions())
    bookmarks << a->objectName() + QLatin1Char('=') + a->text() + QLatin1Char('/') + a->data().toString();
  EXPECT_EQ(bookmarks.first(), u"PMenToggleBM1=1/1");
  EXPECT_EQ(bookmarks.last(), u"PMenToggleBM0=0/0");
  EXPECT_EQ(bookmarks.size(), 10);

  EXPECT_EQ(Panel(0), u"1:   1  ");
  EXPECT_EQ(Panel(2), u"Einfügen");
  EXPECT_EQ(Main->StatusPanel(0)->alignment() & Qt::AlignRight, Qt::AlignRight);
}

TEST_F(FormMainTest, EnableRulesWithoutAndWithTabs) {
  const char* withView[] = {"MenClose", "PMenClose", "MenCloseAll", "MenSaveAs", "MenProjectSaveAs", "MenPrint",
                            "BtnPrint", "MenSelAll", "MenSearch", "MenReplace", "MenAsProj", "BtnAsProj",
                            "MenProject"};
  const char* modified[] = {"MenSave", "PMenSave", "BtnSave", "MenSaveAll", "MenUndo", "BtnUndo"};
  for (const char* n : withView) EXPECT_FALSE(Action(n)->isEnabled()) << n;
  for (const char* n : modified) EXPECT_FALSE(Action(n)->isEnabled()) << n;
  for (const char* n : {"MenAsProjRun", "MenInhalt", "MenIndex", "MenSearchAgain", "MenCut", "MenCopy", "MenRedo"})
    EXPECT_FALSE(Action(n)->isEnabled()) << n;
  for (const char* n : {"MenNew", "BtnNew", "MenOpen", "BtnOpen", "MenExit", "MenShowOutput", "MenGlobal",
                        "MenSavePrefs", "MenInfo"})
    EXPECT_TRUE(Action(n)->isEnabled()) << n;
  EXPECT_FALSE(Main->findChild<QMenu*>(QStringLiteral("PMenToggleBookmark"))->menuAction()->isEnabled());

  WriteFile("a.asm", "\tnop\n\tnop\n");
  Main->OpenFile(QStringLiteral("a.asm"));
  ASSERT_EQ(Tabs(), 1);
  for (const char* n : withView) EXPECT_TRUE(Action(n)->isEnabled()) << n;
  EXPECT_FALSE(Action("MenSave")->isEnabled());
  EXPECT_FALSE(Action("MenAsProjRun")->isEnabled());
  EXPECT_TRUE(Main->findChild<QMenu*>(QStringLiteral("PMenGotoBookmark"))->menuAction()->isEnabled());
  EXPECT_FALSE(Action("PMenGotoBM3")->isEnabled());

  View(0)->Editor()->InsertText(QStringLiteral("x"));
  for (const char* n : modified) EXPECT_TRUE(Action(n)->isEnabled()) << n;
  EXPECT_EQ(View(0)->Caption(), Native("a.asm") + QStringLiteral("[Geändert]"));

  View(0)->Editor()->SelectAll();
  Main->UpdateControls();
  for (const char* n : {"MenCut", "PMenCut", "BtnCut", "MenCopy", "PMenCopy", "BtnCopy"})
    EXPECT_TRUE(Action(n)->isEnabled()) << n;

  Trigger("PMenToggleBM3");
  EXPECT_TRUE(View(0)->IsBookmarkSet(3));
  EXPECT_TRUE(Action("PMenToggleBM3")->isChecked());
  EXPECT_TRUE(Action("PMenGotoBM3")->isEnabled());
  EXPECT_FALSE(Action("PMenToggleBM4")->isChecked());
}

TEST_F(FormMainTest, OpensFilesByExtensionIgnoringCaseAndReportsThem) {
  for (const char* name : {"TEST.Asm", "b.inc", "demo.hc11", "c.ASC", "x.txt", "noext"}) WriteFile(name, "\tnop\n");
  for (const char* name : {"TEST.Asm", "b.inc", "demo.hc11", "c.ASC", "x.txt", "noext"})
    Main->OpenFile(QString::fromLatin1(name));
  ASSERT_EQ(Tabs(), 4);
  EXPECT_EQ(View(0)->FileName, Native("TEST.Asm"));
  EXPECT_EQ(View(3)->FileName, Native("c.ASC"));
  EXPECT_EQ(Panel(3), u"Asmfile \"c.ASC\" gelesen.");
  EXPECT_TRUE(Main->TimerMessage()->IsShowing());
  EXPECT_EQ(Project()->FileCount(), 4);
  EXPECT_EQ(Main->PageControl()->currentIndex(), 0);  // new tabs stay behind the active one

  // A missing file still gets its (empty) tab and the message, without an error box.
  Main->OpenFile(QStringLiteral("missing.asm"));
  EXPECT_EQ(Tabs(), 5);
  EXPECT_EQ(Panel(3), u"Asmfile \"missing.asm\" gelesen.");
  EXPECT_TRUE(Errors.empty());
  EXPECT_EQ(View(4)->Editor()->Lines().Count() <= 1, true);

  // The same file twice gives two tabs.
  Main->OpenFile(QStringLiteral("b.inc"));
  EXPECT_EQ(Tabs(), 6);
}

TEST_F(FormMainTest, SaveWritesBytesAndTypingAfterwardsMarksAgain) {
  WriteFile("a.asm", "\tnop\r\n\trts\r\n");
  Main->OpenFile(Path("a.asm"));
  TEditorView* v = View(0);
  v->Editor()->SetCaretXY(1, 1);
  v->Editor()->InsertText(QStringLiteral("l1"));
  EXPECT_TRUE(v->Modified());
  QToolButton* btn = Main->findChild<QToolButton*>(QStringLiteral("BtnSave"));
  ASSERT_TRUE(btn->isEnabled());
  QTest::mouseClick(btn, Qt::LeftButton);
  EXPECT_FALSE(v->Modified());
  EXPECT_EQ(ReadFile("a.asm"), QByteArray("l1\tnop\r\n\trts\r\n"));
  EXPECT_EQ(v->Caption(), Path("a.asm"));
  EXPECT_FALSE(Action("MenSave")->isEnabled());
  v->Editor()->InsertText(QStringLiteral("x"));
  EXPECT_TRUE(v->Modified());
  EXPECT_TRUE(Action("MenSave")->isEnabled());
}

TEST_F(FormMainTest, FailedSaveKeepsFileAndModifiedFlag) {
  QDir(Temp.path()).mkdir(QStringLiteral("sub"));
  WriteFile("sub/a.asm", "old\n");
  Main->OpenFile(Path("sub/a.asm"));
  ASSERT_TRUE(QDir(Temp.path()).rename(QStringLiteral("sub"), QStringLiteral("moved")));
  View(0)->Editor()->InsertText(QStringLiteral("new"));
  Trigger("MenSave");
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_TRUE(View(0)->Modified());
  EXPECT_EQ(View(0)->Caption(), Path("sub/a.asm") + QStringLiteral("[Geändert]"));
  EXPECT_FALSE(QDir(Path("sub")).exists());
  EXPECT_EQ(ReadFile("moved/a.asm"), QByteArray("old\n"));

  // A save failing inside the close question ends it; the window stays open.
  Answers = {TAnswer::Yes};
  SaveNames = {Path("sub/a.asm")};
  EXPECT_FALSE(Main->close());
  EXPECT_EQ(Errors.size(), 2u);
  EXPECT_EQ(Tabs(), 1);
  EXPECT_TRUE(View(0)->Modified());
}

TEST_F(FormMainTest, CloseQuestionsComeLastTabFirstAndCancelStops) {
  WriteFile("a.asm", "a\n");
  WriteFile("b.asm", "b\n");
  Main->OpenFile(Path("a.asm"));
  Main->OpenFile(Path("b.asm"));
  View(0)->Editor()->InsertText(QStringLiteral("1"));
  View(1)->Editor()->InsertText(QStringLiteral("2"));
  Answers = {TAnswer::Cancel};
  EXPECT_FALSE(Main->close());
  ASSERT_EQ(Questions.size(), 1u);
  EXPECT_EQ(Questions[0], QStringLiteral("Möchten Sie die Änderungen in\n\"") + Path("b.asm") + QStringLiteral("\"\nspeichern?"));
  EXPECT_EQ(Main->PageControl()->currentIndex(), 1);  // the asking tab is brought to the front
  EXPECT_EQ(Tabs(), 2);

  // No for b, Yes for a with the save dialog always shown (preset to the file's name).
  Questions.clear();
  Answers = {TAnswer::No, TAnswer::Yes};
  SaveNames = {Path("a2.asm")};
  EXPECT_TRUE(Main->FormCloseQuery());
  ASSERT_EQ(Questions.size(), 2u);
  EXPECT_TRUE(Questions[1].contains(Path("a.asm")));
  ASSERT_EQ(SavePresets.size(), 1u);
  EXPECT_EQ(SavePresets[0], Path("a.asm"));
  EXPECT_EQ(ReadFile("a2.asm"), QByteArray("1a\n"));
  EXPECT_EQ(ReadFile("b.asm"), QByteArray("b\n"));

  // Cancelling the save dialog refuses the close.
  View(0)->Editor()->InsertText(QStringLiteral("3"));
  Answers = {TAnswer::Yes};
  EXPECT_FALSE(Main->FormCloseQuery());
}

TEST_F(FormMainTest, NamedProjectIsAlwaysAskedAboutAndNoWritesNothing) {
  WriteFile("p.AsmPrj", "[global]\r\nProcessor=6811\r\nFileCount=0\r\n[HighLighter]\r\n");
  Main->OpenFile(QStringLiteral("p.asmprj"));
  EXPECT_EQ(Main->windowTitle(), u"Kodrill [p.asmprj]");
  const QByteArray before = ReadFile("p.AsmPrj");
  Answers = {TAnswer::Cancel};
  EXPECT_FALSE(Main->close());
  ASSERT_EQ(Questions.size(), 1u);
  EXPECT_EQ(Questions[0], u"Möchten Sie die Änderungen im Projekt\n\"p.asmprj\"\nspeichern?");
  Answers = {TAnswer::No};
  EXPECT_TRUE(Main->close());
  EXPECT_EQ(ReadFile("p.AsmPrj"), before);
}

TEST_F(FormMainTest, CloseAllAndCtrlF4ActivateThePreviousTab) {
  for (const char* n : {"a.asm", "b.asm", "c.asm"}) {
    WriteFile(n, "x\n");
    Main->OpenFile(Path(QString::fromLatin1(n)));
  }
  Main->show();
  Main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
  Main->PageControl()->setCurrentIndex(0);
  View(0)->Editor()->setFocus();
  QTest::keyClick(View(0)->Editor(), Qt::Key_F4, Qt::ControlModifier);
  ASSERT_EQ(Tabs(), 2);
  // Closing the first tab wraps to the last one.
  EXPECT_EQ(Main->ActiveView()->FileName, Path("c.asm"));
  EXPECT_EQ(Project()->FileCount(), 2);
  Main->ActiveView()->Editor()->setFocus();
  QTest::keyClick(Main->ActiveView()->Editor(), Qt::Key_F4, Qt::ControlModifier);
  ASSERT_EQ(Tabs(), 1);
  EXPECT_EQ(Main->ActiveView()->FileName, Path("b.asm"));

  Trigger("MenCloseAll");
  EXPECT_EQ(Tabs(), 0);
  EXPECT_EQ(Project()->FileCount(), 0);
  EXPECT_EQ(Panel(3), u"Projekt geschlossen.");
  EXPECT_TRUE(Questions.empty());
  EXPECT_FALSE(Action("MenClose")->isEnabled());
}

TEST_F(FormMainTest, MenuKeysNeverReachTheEditorEvenWhenDisabled) {
  WriteFile("a.asm", "one\ntwo\n");
  Main->OpenFile(Path("a.asm"));
  Main->show();
  Main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
  TEditControl* editor = View(0)->Editor();
  editor->setFocus();
  std::vector<int> commands;
  editor->OnCommandProcessed = [&](TEditControl*, int command, QChar) { commands.push_back(command); };

  // Disabled items swallow their keys: nothing to undo, F9 always disabled.
  ASSERT_FALSE(Action("MenUndo")->isEnabled());
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(editor, Qt::Key_F9);
  QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
  QTest::keyClick(editor, Qt::Key_D, Qt::AltModifier);  // opens the "&Datei" menu instead
  if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  EXPECT_TRUE(commands.empty());
  EXPECT_EQ(editor->Lines().Text(0), u"one");

  // An enabled item runs its command (Ctrl+A selects all through the menu).
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  EXPECT_TRUE(editor->HasSelection());
  // Ordinary keys still reach the editor.
  QTest::keyClick(editor, Qt::Key_Right);
  EXPECT_FALSE(commands.empty());
}

TEST_F(FormMainTest, StartUpChangesIntoProjectDirectoryAndOpensArguments) {
  QDir(Temp.path()).mkdir(QStringLiteral("proj"));
  WriteFile("proj/a.asm", "a\n");
  WriteFile("proj/b.inc", "b\n");
  WriteFile("Kodrill.ini", "[General]\r\nProjectDirectory=" + Native("proj").toUtf8() + "\r\n");
  WriteFile("a.asm", "start a\n");
  WriteFile("c.asm", "start c\n");
  Main->StartUp({QStringLiteral("a.asm"), QStringLiteral("b.inc"), QStringLiteral("x.txt")});
  ASSERT_EQ(Tabs(), 2);
  EXPECT_EQ(View(0)->FileName, Native("proj/a.asm"));  // the project directory wins
  EXPECT_EQ(View(1)->FileName, Native("proj/b.inc"));
  EXPECT_EQ(Panel(3), u"Asmfile \"b.inc\" gelesen.");
  // Found only where the program was started: that file is meant.
  QDir::setCurrent(Temp.path());
  Main->StartUp({QStringLiteral("c.asm")});
  ASSERT_EQ(Tabs(), 3);
  EXPECT_EQ(View(2)->FileName, Native("c.asm"));
  EXPECT_TRUE(Errors.empty());
}

TEST_F(FormMainTest, StartUpWithUnusableProjectDirectoryReportsAndOpensNothing) {
  WriteFile("a.asm", "a\n");
  WriteFile("Kodrill.ini", "[General]\r\nProjectDirectory=" + Native("nowhere").toUtf8() + "\r\n");
  Main->StartUp({QStringLiteral("a.asm")});
  EXPECT_EQ(Tabs(), 0);
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_TRUE(Errors[0].contains(Native("nowhere")));
  EXPECT_EQ(QDir::currentPath(), QDir(Temp.path()).canonicalPath());
}

TEST_F(FormMainTest, SaveAllSkipsUnreadTabsAndOpenUsesTheDialog) {
  WriteFile("a.asm", "a\n");
  OpenNames = {Path("a.asm")};
  Trigger("MenOpen");
  ASSERT_EQ(Tabs(), 1);
  Main->OpenFile(Path("gone.asm"));
  ASSERT_EQ(Tabs(), 2);
  EXPECT_TRUE(View(1)->LoadFailed());
  View(0)->Editor()->InsertText(QStringLiteral("z"));
  Trigger("MenSaveAll");
  EXPECT_EQ(ReadFile("a.asm"), QByteArray("za\n"));
  EXPECT_FALSE(QFile::exists(Path("gone.asm")));
  EXPECT_FALSE(Action("MenSaveAll")->isEnabled());
}

TEST_F(FormMainTest, CommandsReachSettingsPrintPreviewAndSaveBeforeAssembling) {
  WriteFile("a.asm", "a\n");
  Main->OpenFile(Path("a.asm"));
  View(0)->Editor()->InsertText(QStringLiteral("b"));

  // Without the assemble dialog the command still saves every file first.
  ASSERT_EQ(FormAssemble, nullptr);
  Trigger("MenAsProj");
  EXPECT_EQ(ReadFile("a.asm"), QByteArray("ba\n"));
  EXPECT_FALSE(View(0)->Modified());

  Trigger("MenSavePrefs");
  EXPECT_TRUE(QFile::exists(Path("Kodrill.ini")));
  EXPECT_TRUE(Errors.empty());

  FormPrintPreview = new TFormPrintPreview(Main);
  Trigger("BtnPrint");
  EXPECT_TRUE(FormPrintPreview->isVisible());
  delete FormPrintPreview;
  FormPrintPreview = nullptr;
}
