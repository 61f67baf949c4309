// The main window: opening files, the active tab, close questions, saving, keys, start-up, dialogs.
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QStatusBar>
#include <QScopeGuard>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <optional>

#include "AppFixture.h"
#include "assemble/FormAssemble.h"

using namespace Qt::StringLiterals;
using FormMainTest = AppTest;

namespace {
// The window's assemble dialog, running make.bat with the program's own interpreter; a message
// jumps as in the program.
struct TAssembleDialog {
  explicit TAssembleDialog(TFormMain* main) {
    qputenv("COMSPEC", KODRILL_CMD_PATH);
    FormAssemble = new TFormAssemble(main);  // freed with the window
    FormAssemble->OnShowMessage = [main](const QString& path, int line, int column, const QString& text) {
      main->ShowMessageLine(path, line, column, text);
    };
  }
  ~TAssembleDialog() {
    qunsetenv("COMSPEC");
    FormAssemble = nullptr;
  }
};

// A project of one file, assembled once by a make.bat that hands over Log as the assembler's.
class OneFileRunTest : public AppTest {
 protected:
  void Assemble(const QByteArray& entry, const QByteArray& log) {
    WriteFile("test.AsmPrj", "[global]\r\nFileCount=1\r\n[File1]\r\nFile=" + entry + "\r\n");
    WriteFile("made.log", log);
    WriteFile("make.bat", "@cp made.log test.log\r\n");
    Dialog.emplace(Main);
    Main->OpenFile(Path("test.AsmPrj"));
    ShowActive();
    QTest::keyClick(Main, Qt::Key_F9, Qt::ControlModifier);
  }
  void TearDown() override {
    Dialog.reset();
    AppTest::TearDown();
  }
  std::optional<TAssembleDialog> Dialog;
};
}  // namespace

TEST_F(FormMainTest, OpensFilesByExtensionIgnoringCaseAndSavesNoUnreadOne) {
  const char* names[] = {"TEST.Asm", "b.inc", "demo.hc11", "c.ASC", "x.txt", "noext", "missing.asm", "b.inc"};
  for (const char* name : names) WriteFile(name, "\tnop\n");
  QFile::remove(Path("missing.asm"));
  for (const char* name : names) Main->OpenFile(QString::fromLatin1(name));
  // A missing file gets an empty tab; the same file twice gets two.
  ASSERT_EQ(Tabs(), 6);
  EXPECT_EQ(View(3)->FileName, Native("c.ASC"));
  EXPECT_EQ(Panel(3), u"Asmfile \"b.inc\" gelesen.");
  View(0)->Editor()->InsertText(QStringLiteral("z"));
  // A file without changes is not written again: a read-only one would stop the run.
  QFile unchanged(Path("demo.hc11"));
  const QDateTime old = QDateTime::currentDateTime().addDays(-1);
  ASSERT_TRUE(unchanged.open(QIODevice::ReadWrite) && unchanged.setFileTime(old, QFileDevice::FileModificationTime));
  unchanged.close();
  WriteFile("c.ASC", "\tnop\n\tnop\n");  // changed outside, not yet reloaded: not written over either
  Trigger("MenAsProj");  // saves every file first
  EXPECT_EQ(ReadFile("TEST.Asm"), QByteArray("z\tnop\n"));
  EXPECT_EQ(QFileInfo(Path("demo.hc11")).lastModified(), old);
  EXPECT_EQ(ReadFile("c.ASC"), QByteArray("\tnop\n\tnop\n"));
  EXPECT_TRUE(Questions.empty());
  EXPECT_FALSE(QFile::exists(Path("missing.asm")));
}

TEST_F(FormMainTest, SaveWritesBytesAndAFailedSaveKeepsTheFlag) {
  QDir(Temp.path()).mkdir(QStringLiteral("sub"));
  WriteFile("sub/a.asm", "\tnop\r\n\trts\r\n");
  Main->OpenFile(Path("sub/a.asm"));
  TEditorView* v = View(0);
  v->Editor()->InsertText(QStringLiteral("l1"));
  QTest::mouseClick(Main->findChild<QToolButton*>(QStringLiteral("BtnSave")), Qt::LeftButton);
  EXPECT_FALSE(Action("MenSave")->isEnabled());
  v->Editor()->InsertText(QStringLiteral("x"));  // typing after a save marks again
  EXPECT_EQ(Main->PageControl()->tabText(0), u"a.asm[Geändert]"_s);
  EXPECT_EQ(Main->PageControl()->tabToolTip(0), Native("sub/a.asm"));
  ASSERT_TRUE(QDir(Temp.path()).rename(QStringLiteral("sub"), QStringLiteral("moved")));
  Trigger("MenSave");
  Answers = {TAnswer::Yes};  // a save failing inside the close question ends it too
  SaveNames = {Path("sub/a.asm")};
  EXPECT_FALSE(Main->close());
  EXPECT_EQ(Errors.size(), 2u);
  EXPECT_TRUE(v->Modified());
  EXPECT_EQ(ReadFile("moved/a.asm"), QByteArray("l1\tnop\r\n\trts\r\n"));
}

TEST_F(FormMainTest, CloseQuestionsComeLastTabFirstAndNoThenCancelKeepsTheEdits) {
  for (const char* n : {"a", "b"}) WriteFile(n + u".asm"_s, n + QByteArray("\n"));
  const QByteArray project = "[global]\r\nFileCount=2\r\n[File1]\r\nFile=a.asm\r\n[File2]\r\nFile=b.asm\r\n";
  WriteFile("p.AsmPrj", project);
  WriteFile("q.AsmPrj", "[global]\r\nFileCount=0\r\n");
  const std::pair<const char*, std::function<void()>> paths[] = {
      {"Beenden", [this] { Main->close(); }},
      {"Alle schließen", [this] { Trigger("MenCloseAll"); }},
      {"Projekt öffnen", [this] { Main->OpenFile(Path("q.AsmPrj")); }},
      {"Projekt ablegen", [this] { Drop({Path("q.AsmPrj")}); }},
  };
  // "Nein" for b, then "Abbrechen" at a or at the project question.
  const std::deque<TAnswer> answers[] = {{TAnswer::No, TAnswer::Cancel}, {TAnswer::No, TAnswer::No, TAnswer::Cancel}};
  for (const auto& [how, close] : paths) {
    for (const auto& given : answers) {
      Answers = {TAnswer::No, TAnswer::No, TAnswer::No};
      Main->OpenFile(Path("p.AsmPrj"));
      ASSERT_EQ(Tabs(), 2) << how;
      View(0)->Editor()->InsertText(QStringLiteral("1"));
      View(1)->Editor()->InsertText(QStringLiteral("2"));
      Answers = given;
      Questions.clear();
      close();
      EXPECT_EQ(Questions.size(), given.size()) << how;  // "Abbrechen" ends the questions
      ASSERT_EQ(Tabs(), 2) << how;
      Main->PageControl()->setCurrentIndex(1);
      EXPECT_TRUE(View(0)->Modified() && View(1)->Modified()) << how << given.size();
      EXPECT_TRUE(Action("MenSave")->isEnabled()) << how << given.size();
    }
  }
  // b is asked again, first, and comes to the front; "Ja" always shows the save dialog.
  Main->PageControl()->setCurrentIndex(0);
  Questions.clear();
  Answers = {TAnswer::Cancel};
  Main->close();
  EXPECT_EQ(Main->PageControl()->currentIndex(), 1);
  Answers = {TAnswer::No, TAnswer::Yes, TAnswer::No};
  SaveNames = {Path("a2.asm")};
  EXPECT_TRUE(Main->close());
  const QString file = QStringLiteral("Möchten Sie die Änderungen in\n\"%1\"\nspeichern?");
  EXPECT_EQ(Questions, (std::vector<QString>{file.arg(Path("b.asm")), file.arg(Path("b.asm")), file.arg(Path("a.asm")),
                                             u"Möchten Sie die Änderungen im Projekt\n\"p.AsmPrj\"\nspeichern?"_s}));
  EXPECT_EQ(SavePresets, std::vector<QString>{Path("a.asm")});
  EXPECT_EQ(ReadFile("a2.asm") + ReadFile("b.asm"), QByteArray("1a\nb\n"));
  EXPECT_EQ(ReadFile("p.AsmPrj"), project);  // "Nein" writes nothing
}

TEST_F(FormMainTest, AProjectDirectoryThatCannotBeEnteredIsToldAndOpensNothing) {
  const QString missing = Path("missing");
  WriteFile("Kodrill.ini", "[General]\r\nProjectDirectory=" + missing.toUtf8() + "\r\n");
  WriteFile("a.asm", "a\n");
  Main->StartUp({});
  Main->StartUp({Path("a.asm")});
  const QString told = u"Kann nicht in das Projektverzeichnis %1 wechseln."_s.arg(missing);
  EXPECT_EQ(Errors, (std::vector<QString>{told, told + u"\nDie Dateien der Befehlszeile werden nicht geöffnet."_s}));
  EXPECT_EQ(Tabs(), 0);
}

// A Latin-1 name from the command line arrives with stand-ins: no tab that would save beside it.
TEST_F(FormMainTest, ANameThatIsNoUtf8IsRefusedWithoutATab) {
  Main->OpenFile(Path(u"Gr\uFFFD\uFFFDe.inc"_s));
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_TRUE(Errors[0].contains(u"nicht in UTF-8"_s)) << Errors[0].toStdString();
  EXPECT_EQ(Tabs(), 0);
}

TEST_F(FormMainTest, TheFileTheUserOpensBecomesActiveAndTakesTheKeys) {
  for (const char* n : {"a.asm", "b.asm", "c.asm"}) WriteFile(n, "\n");
  WriteFile("p.AsmPrj", "[global]\r\nFileCount=2\r\n[File1]\r\nFile=b.asm\r\n[File2]\r\nFile=c.asm\r\n");
  WriteFile("Kodrill.ini", "[General]\r\nProjectDirectory=" + Temp.path().toUtf8() + "\r\n");
  ShowActive();
  const std::tuple<const char*, std::function<void()>, const char*> cases[] = {
      {"Befehlszeile", [this] { Main->StartUp({QStringLiteral("c.asm"), QStringLiteral("b.asm")}); }, "b.asm"},
      {"Ablegen", [this] { Drop({Path("b.asm"), Path("c.asm")}); }, "c.asm"},
      {"Öffnen", [this] { OpenNames = {Path("b.asm")}; Trigger("MenOpen"); }, "b.asm"},
      {"Projekt", [this] { Main->OpenFile(Path("p.AsmPrj")); }, "b.asm"},
  };
  for (const auto& [how, open, active] : cases) {
    Answers = {TAnswer::No, TAnswer::No, TAnswer::No, TAnswer::No};
    Main->CloseProject();
    Main->OpenFile(Path("a.asm"));
    open();
    EXPECT_EQ(Main->ActiveView()->FileName, Native(QLatin1String(active))) << how;
    ASSERT_NE(QApplication::focusWidget(), nullptr) << how;
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("x"));
    EXPECT_EQ(Main->ActiveView()->Editor()->Lines().Text(0), u"x"_s) << how;
  }
}

TEST_F(FormMainTest, StatusBarShowsTheCaretModeAndLoadOfTheActiveTab) {
  WriteFile("a.asm", "1\n2\n3\n");
  WriteFile("big.asm", QByteArray("\tnop\n").repeated(1 << 20));  // read on in steps
  Main->OpenFile(Path("a.asm"));
  View(0)->Editor()->SetCaretXY(2, 3);
  View(0)->Editor()->SetInsertMode(false);
  Main->OpenFile(Path("big.asm"));
  auto* progress = Main->statusBar()->findChild<QProgressBar*>(u"LoadProgress"_s);
  ASSERT_NE(progress, nullptr);
  for (const auto& [tab, caret, mode, loading] : {std::tuple{0, "     3:  2  ", "Überschr.", false},
                                                   {1, "     1:  1  ", "Einfügen", true},
                                                   {0, "     3:  2  ", "Überschr.", false}}) {
    Main->PageControl()->setCurrentIndex(tab);
    EXPECT_EQ(Panel(0) + Panel(2), QString::fromUtf8(caret) + QString::fromUtf8(mode)) << tab;
    EXPECT_EQ(!progress->isHidden(), loading) << tab;
  }
  // The caret and mode panels keep their widths (up to line 999999): the panels beside do not jump.
  for (const auto& [panel, text] : {std::pair{0, TEditorView::CaretText(999999, 999)}, {2, u"Überschr."_s},
                                    {2, u"Einfügen"_s}}) {
    Main->StatusPanel(panel)->setText(text);
    EXPECT_GE(Main->StatusPanel(panel)->minimumWidth(), Main->StatusPanel(panel)->sizeHint().width()) << panel;
  }
}

// The first tab, whose second line is the rest of a file read in steps: showing the progress bar
// lays out the editor, which reads to the end meanwhile (the bar went inside its own showing).
TEST_F(FormMainTest, AFileReadToItsEndWhileItsProgressBarShowsOpens) {
  const QByteArray bytes = "; x\n\tfcb\t" + QByteArray("1,").repeated(5 << 19) + "1\n";
  WriteFile("long.asm", bytes);
  Main->show();
  Main->OpenFile(Path("long.asm"));
  ASSERT_EQ(Main->PageControl()->count(), 1);
  EXPECT_TRUE(QByteArray::fromStdString(View(0)->Editor()->Lines().SaveToBytes()) == bytes);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Main->statusBar()->findChild<QProgressBar*>(u"LoadProgress"_s); }));
}

#ifndef Q_OS_WIN
TEST_F(FormMainTest, BackslashInAGivenNameIsPartOfTheName) {
  // Names holding a backslash; an entry stored in a project still reads it as a separator.
  QDir(Temp.path()).mkpath(QStringLiteral("x\\y/sub"));
  WriteFile("x\\y/a\\b.asm", "given\n");
  WriteFile("x\\y/sub/c.asm", "stored\n");
  WriteFile("x\\y/p\\q.AsmPrj", "[global]\r\nFileCount=1\r\n[File1]\r\nFile=sub\\c.asm\r\n");
  const QString file = Path("x\\y/a\\b.asm");
  const std::function<void()> opens[] = {[&] { Main->StartUp({file}); }, [&] { Drop({file}); },
                                         [&] { OpenNames = {file}; Trigger("MenOpen"); }};
  for (const auto& open : opens) {
    open();
    ASSERT_EQ(Main->ActiveView()->FileName, file);
    EXPECT_EQ(Main->ActiveView()->Editor()->Lines().Text(0), u"given"_s);
  }
  Main->OpenFile(Path("x\\y/p\\q.AsmPrj"));
  ASSERT_EQ(Tabs(), 1);
  EXPECT_EQ(Project()->FileName, u"p\\q.AsmPrj"_s);
  EXPECT_EQ(View(0)->Editor()->Lines().Text(0), u"stored"_s);
}
#endif

TEST_F(FormMainTest, FileDialogsShowPlainFiltersAndTheProjectName) {
  Hooks.OpenFileName = nullptr;
  Hooks.SaveFileName = nullptr;
  QStringList filters;
  QString name;
  const auto inspectNextDialog = [&] {
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
      for (filters.clear(); filters.size() < combo->count();) filters << combo->itemText(int(filters.size()));
      name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
      dialog->reject();
    });
  };
  inspectNextDialog();
  Trigger("MenOpen");
  EXPECT_EQ(filters, (QStringList{u"alle (*.AsmPrj; *.Asm; *.Asc, *.Inc)"_s, u"Assemblerdateien (*.Asm, *.HC11)"_s,
                                  u"Includedateien (*.Inc)"_s, u"Projektdateien (*.AsmPrj)"_s, u"alle Dateien"_s}));
  WriteFile("a.asm", "a\n");
  WriteFile("p.AsmPrj", "[global]\r\nFileCount=1\r\n[File1]\r\nFile=a.asm\r\n");
  Main->OpenFile(Path("a.asm"));
  // No named project: the name field starts empty; a named one is offered.
  for (const QString& expected : {QString(), u"p.AsmPrj"_s}) {
    inspectNextDialog();
    Trigger("MenProjectSaveAs");
    EXPECT_EQ(filters, QStringList{u"Projektdateien (*.AsmPrj)"_s});
    EXPECT_EQ(name, expected);
    Main->OpenFile(Path("p.AsmPrj"));
  }
}

TEST_F(FormMainTest, OpenStartsBesideTheFileInFront) {
  QStringList presets;
  Hooks.OpenFileName = [&](const QString&, const QString& preset) { return presets << preset, QString(); };
  Trigger("MenOpen");  // no file: the current folder
  QDir(Temp.path()).mkpath(u"sub"_s);
  WriteFile("sub/a.asm", "a\n");
  Main->OpenFile(Path("sub/a.asm"));
  Trigger("MenOpen");
  EXPECT_EQ(presets, (QStringList{QString(), Native("sub") + QDir::separator()}));
}

// Sizes and dates in the file list follow the program's language, not the system's.
TEST_F(FormMainTest, FileDialogsWriteSizesAndDatesInTheProgramsLanguage) {
  const QLocale system;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const auto restore = qScopeGuard([&] { QLocale::setDefault(system); });
  WriteFile("a.asm", QByteArray(1536, ' '));
  Hooks.OpenFileName = nullptr;
  QStringList shown;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    const auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
    QModelIndexList found;
    const auto listed = [&] {  // the folder is read in the background
      const QModelIndex first = list->model()->index(0, 0, list->rootIndex());
      return first.isValid() && !(found = list->model()->match(first, Qt::DisplayRole, u"a.asm"_s)).isEmpty();
    };
    if (QTest::qWaitFor(listed))
      for (int column : {1, 3}) shown << found[0].siblingAtColumn(column).data().toString();
    dialog->reject();
  });
  AskOpenFileName(Main, u"Öffnen"_s, Temp.path(), u"alle Dateien (*)"_s);
  const QLocale german;
  EXPECT_EQ(shown, (QStringList{german.formattedDataSize(1536),
                                german.toString(QFileInfo(Path("a.asm")).lastModified(), QLocale::ShortFormat)}));
}

TEST_F(FormMainTest, MenuKeysNeverReachTheEditorAndCtrlF4ActivatesThePreviousTab) {
  for (const char* n : {"a.asm", "b.asm", "c.asm"}) {
    WriteFile(n, "one\ntwo\n");
    Main->OpenFile(Path(QString::fromLatin1(n)));
  }
  ShowActive();
  Main->PageControl()->setCurrentIndex(0);
  TEditControl* editor = View(0)->Editor();
  std::vector<int> commands;
  editor->OnCommandProcessed = [&](TEditControl*, int command, QChar) { commands.push_back(command); };
  ASSERT_FALSE(Action("MenUndo")->isEnabled());  // disabled items swallow their keys
  for (const QKeyCombination key : {Qt::CTRL | Qt::Key_Z, Qt::CTRL | Qt::Key_C, QKeyCombination(Qt::Key_F9)})
    QTest::keyClick(editor, key.key(), key.keyboardModifiers());
  EXPECT_TRUE(commands.empty());
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);  // through the menu
  EXPECT_TRUE(editor->HasSelection());
  QTest::keyClick(editor, Qt::Key_Right);
  EXPECT_FALSE(commands.empty());

  // Closing the first tab wraps to the last one; then the one before it.
  for (const char* next : {"c.asm", "b.asm"}) {
    QTest::keyClick(Main->ActiveView()->Editor(), Qt::Key_F4, Qt::ControlModifier);
    EXPECT_EQ(Main->ActiveView()->FileName, Path(QLatin1String(next)));
  }
  Trigger("MenCloseAll");
  EXPECT_EQ(Project()->FileCount(), 0);
  EXPECT_FALSE(Action("MenClose")->isEnabled());
}

TEST_F(FormMainTest, StartUpOpensArgumentsInTheProjectDirectoryOrNone) {
  QDir(Temp.path()).mkdir(QStringLiteral("proj"));
  WriteFile("proj/a.asm", "a\n");
  WriteFile("a.asm", "start a\n");
  WriteFile("c.asm", "start c\n");
  WriteFile("Kodrill.ini", "[General]\r\nProjectDirectory=" + Native("nowhere").toUtf8() + "\r\n");
  Main->StartUp({QStringLiteral("a.asm")});
  EXPECT_EQ(Tabs(), 0);
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_TRUE(Errors[0].contains(Native("nowhere")));

  WriteFile("Kodrill.ini", "[General]\r\nProjectDirectory=" + Native("proj").toUtf8() + "\r\n");
  Main->StartUp({QStringLiteral("a.asm"), QStringLiteral("x.txt"), QStringLiteral("c.asm")});
  ASSERT_EQ(Tabs(), 2);
  EXPECT_EQ(View(0)->FileName, Native("proj/a.asm"));  // the project directory wins
  EXPECT_EQ(View(1)->FileName, Native("c.asm"));       // only where the program started
  // A name found nowhere is reported where the user meant it: from where the program started.
  QDir::setCurrent(Temp.path());
  Main->StartUp({QStringLiteral("gone/p.AsmPrj")});
  ASSERT_EQ(Errors.size(), 2u);
  EXPECT_TRUE(Errors[1].contains(Native("gone"))) << Errors[1].toStdString();
}

TEST_F(FormMainTest, TabsCloseByButtonOrMiddleClickAskingAsCloseDoes) {
  for (const char* n : {"a.asm", "b.asm", "c.asm"}) {
    WriteFile(n, "one\n");
    Main->OpenFile(Path(QString::fromLatin1(n)));
  }
  ShowActive();
  View(1)->Editor()->InsertText(u"x"_s);
  QTabBar* bar = Main->PageControl()->tabBar();
  // "Abbrechen" keeps the modified tab, "Nein" closes it unsaved; the user stays in c.asm.
  for (const TAnswer answer : {TAnswer::Cancel, TAnswer::No}) {
    Answers = {answer};
    QTest::mouseClick(bar, Qt::MiddleButton, Qt::NoModifier, bar->tabRect(1).center());
    EXPECT_EQ(Main->ActiveView()->FileName, Native("c.asm"));
  }
  EXPECT_EQ(Questions.size(), 2u);
  EXPECT_EQ(Tabs(), 2);
  EXPECT_EQ(ReadFile("b.asm"), QByteArray("one\n"));
  QWidget* button = bar->tabButton(0, QTabBar::RightSide) ? bar->tabButton(0, QTabBar::RightSide)
                                                           : bar->tabButton(0, QTabBar::LeftSide);
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
  ASSERT_EQ(Tabs(), 1);
  EXPECT_EQ(Main->ActiveView()->FileName, Native("c.asm"));
  // Without a tab the status bar shows no caret position.
  EXPECT_FALSE(Panel(0).trimmed().isEmpty());
  Trigger("MenCloseAll");
  EXPECT_EQ(Tabs(), 0);
  EXPECT_TRUE(Panel(0).trimmed().isEmpty()) << Panel(0).toStdString();
}

// A run goes on behind a closed dialog, told in the status bar; a second request saves nothing;
// closing the program ends the run.
TEST_F(FormMainTest, AHiddenRunIsToldAndEndsWithTheProgram) {
  WriteFile("test.asm", "\tnop\n");
  WriteFile("test.AsmPrj", "[global]\r\nFileCount=1\r\n[File1]\r\nFile=test.asm\r\n");
  WriteFile("make.bat", "@sleep 30\r\n");
  const TAssembleDialog dialog(Main);
  Main->OpenFile(Path("test.AsmPrj"));
  const QString running = u"Es wird assembliert... (\"Ausgabe anzeigen...\" zeigt den Lauf)"_s;
  QStringList shown;
  QTimer::singleShot(300, Main, [&] { FormAssemble->close(); });
  QTimer::singleShot(600, Main, [&] {
    shown << Panel(3);
    View(0)->Editor()->InsertText(QStringLiteral("x"));
    Trigger("MenAsProj");
    shown << Panel(3) + (View(0)->Modified() ? " (modified)" : "");
    Trigger("MenShowOutput");
    shown << Panel(3) + (FormAssemble->isVisible() ? "(shown)" : "");
    // The questions of closing have the screen to themselves; kept open, the dialog comes back.
    const auto ask = Hooks.Question;
    Hooks.Question = [&, ask](const QString& text) { return shown << (FormAssemble->isVisible() ? "over" : ""), ask(text); };
    Answers = {TAnswer::Cancel};
    Main->close();
    shown << (FormAssemble->isVisible() ? "(back)" : "");
    Hooks.Question = ask;
    // A save that fails stops the closing too (the file's, then the project's); its error box is
    // not under the dialog, which comes back after it.
    Hooks.Error = [&](const QString&) { shown << (FormAssemble->isVisible() ? "error under" : "error"); };
    Answers = {TAnswer::Yes};
    SaveNames = {Path("missing/test.asm")};
    Main->close();
    shown << (FormAssemble->isVisible() ? "(back)" : "");
    QFile::remove(Path("test.AsmPrj"));
    QDir(Temp.path()).mkdir(QStringLiteral("test.AsmPrj"));
    Answers = {TAnswer::No, TAnswer::Yes};
    Main->close();
    shown << (FormAssemble->isVisible() ? "(back)" : "");
    Answers = {TAnswer::No, TAnswer::No};  // the file, then the project
    Main->close();
    Hooks.Question = ask;
  });
  QElapsedTimer clock;
  clock.start();
  Trigger("MenAsProj");
  EXPECT_LT(clock.elapsed(), 20000);
  EXPECT_EQ(ReadFile("test.asm"), "\tnop\n");
  EXPECT_EQ(shown, (QStringList{running, u"Es wird bereits assembliert. (modified)"_s, u"(shown)"_s, "", u"(back)"_s,
                                u"error"_s, u"(back)"_s, u"error"_s, u"(back)"_s}));
  EXPECT_EQ(Panel(3), "Assemblieren: Abgebrochen.");
}

// A project from Windows names "Demo.asm" for the file DEMO.ASM: its messages reach the open tab.
TEST_F(OneFileRunTest, MessagesReachAFileNamedInOtherLetterCase) {
  WriteFile("DEMO.ASM", "\tnop\n\tbad\n");
  Assemble("Demo.asm", "> > > DEMO.ASM(2): error: eins\n");
  QTest::keyClick(Main, Qt::Key_F8);
  EXPECT_EQ(Tabs(), 1);
  EXPECT_EQ(Main->ActiveView()->Editor()->SelectedText().trimmed(), u"bad"_s);
  EXPECT_EQ(Panel(3), u"Meldung 1 von 1: DEMO.ASM(2): error: eins"_s);
}

// Marks follow the text: after lines were inserted above them, saved and the tab closed, a jump
// opens the file on the line the message is now on; changes given up move nothing, and a file
// changed outside since goes by the log again.
TEST_F(OneFileRunTest, AFileOpenedAgainKeepsWhereItsMarksWereSaved) {
  // A file big enough to be read in parts: the message's line is read only after the tab opens.
  QByteArray text;
  for (int i = 1; i <= 1000000; ++i) text += i == 100000 ? "\tbad\n" : "\tnop\n";
  WriteFile("test.asm", text);
  Assemble("test.asm", "> > > test.asm(100000): error: eins\n");
  const auto insertAtTop = [this](const QString& lines) {
    Main->ActiveView()->Editor()->SetCaretXY(1, 1);
    Main->ActiveView()->Editor()->InsertText(lines);
  };
  // The line selected by a jump to the message (as by Return in the message list), and its text.
  const auto jump = [this] {
    Main->ShowMessageLine(Path("test.asm"), 100000, 0, u"eins"_s);
    if (Tabs() != 1) return std::pair(0, QString());
    TEditControl* editor = Main->ActiveView()->Editor();
    return std::pair(editor->CaretLine(), editor->SelectedText().trimmed());
  };
  insertAtTop(u"; eins\n; zwei\n"_s);
  Answers = {TAnswer::No};  // given up at the close: the file has the message where the log says
  Trigger("MenClose");
  EXPECT_EQ(jump(), std::pair(100000, u"bad"_s));
  insertAtTop(u"; eins\n; zwei\n"_s);
  Trigger("MenSave");
  Trigger("MenClose");
  ASSERT_EQ(Tabs(), 0);
  EXPECT_EQ(jump(), std::pair(100002, u"bad"_s));
  Trigger("MenClose");
  WriteFile("test.asm", text);  // changed outside since
  EXPECT_EQ(jump(), std::pair(100000, u"bad"_s));
}

TEST_F(FormMainTest, F8StepsThroughTheLastRunsMessagesAcrossFiles) {
  WriteFile("test.asm", "\tnop\n\tldaa #1\n");
  WriteFile("sub.inc", "\tnop\n\tnop\n\tbad\n");
  WriteFile("test.AsmPrj", "[global]\r\nFileCount=0\r\n");
  // make.bat only hands over a log, as an assembler writes it.
  WriteFile("made.log", "> > > test.asm(2): error: eins\nfatal error\n> > > sub.inc(3):2: error: zwei\n"
                        "> > > fehlt.inc(1): error: drei\n");
  WriteFile("make.bat", "@cp made.log test.log\r\n");
  const TAssembleDialog dialog(Main);
  Main->OpenFile(Path("test.AsmPrj"));
  Main->OpenFile(Path("test.asm"));  // by its full name
  ShowActive();
  EXPECT_FALSE(Action("MenNextMessage")->isEnabled());
  QTest::keyClick(Main, Qt::Key_F9, Qt::ControlModifier);
  auto* list = FormAssemble->findChild<QListView*>(QStringLiteral("ListBoxErrors"));
  ASSERT_EQ(list->model()->rowCount(), 4);
  ASSERT_TRUE(Action("MenNextMessage")->isEnabled());
  // Key, then the file in front, its selected line, the caret's column, the list's row and the status text.
  const std::tuple<Qt::KeyboardModifiers, const char*, const char*, int, int, QString> steps[] = {
      {{}, "test.asm", "ldaa #1", 1, 0, u"Meldung 1 von 4: test.asm(2): error: eins"_s},
      {{}, "sub.inc", "bad", 2, 2, u"Meldung 3 von 4: sub.inc(3):2: error: zwei"_s},
      {{}, "sub.inc", "bad", 2, 3,
       u"Meldung 4 von 4: fehlt.inc(1): error: drei (Datei %1 nicht gefunden)"_s.arg(Native("fehlt.inc"))},
      {{}, "sub.inc", "bad", 2, 3, u"Keine weitere Meldung."_s},
      {Qt::ShiftModifier, "sub.inc", "bad", 2, 2, u"Meldung 3 von 4: sub.inc(3):2: error: zwei"_s},
      {Qt::ShiftModifier, "test.asm", "ldaa #1", 1, 0, u"Meldung 1 von 4: test.asm(2): error: eins"_s},
      {Qt::ShiftModifier, "test.asm", "ldaa #1", 1, 0, u"Keine frühere Meldung."_s},
  };
  View(0)->Editor()->SetCaretXY(5, 1);  // a message without a column still goes to its line's start
  int i = 0;
  for (const auto& [mods, file, selected, column, row, status] : steps) {
    QTest::keyClick(Main, Qt::Key_F8, mods);
    EXPECT_EQ(QFileInfo(Main->ActiveView()->PathName).fileName(), QLatin1String(file)) << i;
    EXPECT_EQ(Main->ActiveView()->Editor()->SelectedText().trimmed(), QLatin1String(selected)) << i;
    EXPECT_EQ(Main->ActiveView()->Editor()->CaretColumn(), column) << i;
    EXPECT_EQ(list->currentIndex().row(), row) << i;
    EXPECT_EQ(Panel(3), status) << i++;
  }
  EXPECT_EQ(Tabs(), 2);
  // A click in the list is where F8 goes on from.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(2, 0)).center());
  QTest::keyClick(Main, Qt::Key_F8);
  EXPECT_EQ(list->currentIndex().row(), 3);
  // Another project: the messages of the last one's run lead nowhere.
  WriteFile("other.AsmPrj", "[global]\r\nFileCount=0\r\n");
  Answers = {TAnswer::No, TAnswer::No, TAnswer::No};
  Main->OpenFile(Path("other.AsmPrj"));
  ASSERT_EQ(Tabs(), 0);
  QTest::keyClick(Main, Qt::Key_F8, Qt::ShiftModifier);
  EXPECT_EQ(Tabs(), 0);
}
