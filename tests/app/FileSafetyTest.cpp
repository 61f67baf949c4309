// Recent files, changes made outside and crash recovery, driven through the main window; and the
// real program killed in the middle of typing, under an X server of its own.
#include <QDeadlineTimer>
#include <QDialog>
#include <QDirIterator>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>
#include <QWheelEvent>

#include <filesystem>

#include "AppFixture.h"
#include "editor/EditLinesImpl.h"

int JournalCount(const QString& root) {
  int n = 0;
  for (QDirIterator it(root, {"*.journal"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next()) ++n;
  return n;
}
bool JournalHasEntries(const QString& root) { return JournalCount(root) > 0; }

class FileSafetyTest : public AppTest {
 protected:
  // "b" typed into a.asm ("a\r\n") and journaled, then the window gone as after a crash.
  void TypeIntoAFileAndCrash() {
    WriteFile("Kodrill.ini", "[General]\r\nProjectDirectory=" + Temp.path().toUtf8() + "\r\n");
    WriteFile("a.asm", "a\r\n");
    Main->StartUp({Path("a.asm")});
    View(0)->Editor()->InsertText(QStringLiteral("b"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return JournalHasEntries(Path("Kodrill-Wiederherstellung")); }, 3000));
    delete Main;
  }
};

TEST_F(FileSafetyTest, RecentMenuListsOpenedProjectsFirstAndKeepsTheRestOfTheSettingsFile) {
  const QByteArray settings = "[General]\r\nWindow.Left=7\r\n; J\xF6rg\r\n";
  WriteFile("Kodrill.ini", settings);
  WriteFile("a.asm", "a\n");
  WriteFile("p.AsmPrj", "[global]\r\nFileCount=0\r\n");
  OpenNames = {Path("a.asm"), Path("p.AsmPrj")};
  Trigger("MenOpen");
  Trigger("MenOpen");
  QFile::remove(Path("a.asm"));
  auto* menu = Main->findChild<QMenu*>(QStringLiteral("MenRecent"));
  emit menu->aboutToShow();
  const QList<QAction*> items = menu->actions();  // the project, a separator, the file that is gone
  ASSERT_EQ(items.size(), 3);
  EXPECT_TRUE(items[0]->text() == "&1 " + Native("p.AsmPrj") && items[1]->isSeparator() && !items[2]->isEnabled());
  const QByteArray recent = "[Recent]\r\nEntry1=" + Native("p.AsmPrj").toUtf8() + "\r\nEntry2=" +
                            Native("a.asm").toUtf8() + "\r\n";
  EXPECT_EQ(ReadFile("Kodrill.ini"), settings + recent);
  Trigger("MenSavePrefs");  // writes the list after everything else
  const QByteArray saved = ReadFile("Kodrill.ini");
  EXPECT_TRUE(saved.endsWith(recent) && saved.indexOf("[General]") < saved.indexOf("[Recent]")) << saved.data();
}

TEST_F(FileSafetyTest, ChangesMadeOutsideReloadAskOrMarkTheTabAndLoseNothing) {
  WriteFile("a.asm", "l1\nl2\nl3\n");
  Main->OpenFile(Path("a.asm"));
  TEditorView* v = View(0);
  TEditControl* e = v->Editor();
  e->SetCaretXY(2, 3);
  v->ToggleBookmark(4);
  // Replaced by a rename, as editors save: reloaded in place, and the watch follows the new file;
  // not while a question is open (a replacement waiting for "Ja" would go into the new text).
  QDialog question(Main);
  question.setModal(true);
  question.show();
  QSaveFile replace(Path("a.asm"));
  ASSERT_TRUE(replace.open(QIODevice::WriteOnly) && replace.write("L1\nl2\nl3\nl4\n") && replace.commit());
  QTest::qWait(800);
  EXPECT_EQ(e->Lines().Count(), 3);
  question.close();
  ASSERT_TRUE(QTest::qWaitFor([&] { return e->Lines().Count() == 4; }));
  EXPECT_TRUE(e->CaretColumn() == 2 && e->CaretLine() == 3 && v->IsBookmarkSet(4) && !v->Modified() &&
              Questions.empty());
  QTest::qWait(400);  // every check after the reload is done: only the watch can see what follows

  // With changes in the tab: asked; kept, the next save asks before overwriting.
  e->InsertText(QStringLiteral("x"));
  Answers = {TAnswer::No, TAnswer::No, TAnswer::Yes};
  WriteFile("a.asm", "new\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return Questions.size() == 1; }));
  EXPECT_EQ(Questions[0], "Die Datei \"" + Native("a.asm") + "\" wurde außerhalb von Kodrill geändert. Neu laden?");
  for (const QByteArray bytes : {"new\n", "L1\nl2\nlx3\nl4\n"}) {
    Trigger("MenSave");
    EXPECT_EQ(ReadFile("a.asm"), bytes);
  }
  // Deleted: the tab keeps the text as a change, and saving writes the file again.
  QFile::remove(Path("a.asm"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return v->Deleted(); }));
  EXPECT_EQ(v->Caption(), QStringLiteral("a.asm[Gelöscht][Geändert]"));
  Trigger("MenSave");
  QTest::qWait(400);  // our own save is no change made outside
  EXPECT_EQ(ReadFile("a.asm") + v->Caption().toUtf8(), "L1\nl2\nlx3\nl4\na.asm");
  EXPECT_EQ(Questions.size(), 3u);
  // Deleted and back again: the caption follows the file by itself.
  QFile::remove(Path("a.asm"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return v->Deleted(); }));
  WriteFile("a.asm", "back\n");
  EXPECT_TRUE(QTest::qWaitFor([&] { return v->Caption() == QStringLiteral("a.asm[Geändert]"); }));
}

// A file that is there but cannot be read opens no tab; where a tab stays (a project's file, a
// read that fails later or on a reload), that tab never writes over the file.
class UnreadableFileTest : public FileSafetyTest {
 protected:
  void SetUp() override {
    FileSafetyTest::SetUp();
    std::tie(Limit, TEditLinesImpl::MaxLoadLine) = std::pair(TEditLinesImpl::MaxLoadLine, std::size_t(100));
  }
  void TearDown() override {
    TEditLinesImpl::MaxLoadLine = Limit;
    FileSafetyTest::TearDown();
  }
  QString ReadError(const QString& name, const QString& reason) const {
    return QStringLiteral("Kann Datei %1 nicht lesen: %2").arg(Native(name), reason);
  }
  std::size_t Limit = 0;
  const QByteArray Long = QByteArray(101, 'x') + "\n";
};

TEST_F(UnreadableFileTest, IsRefusedWithAMessageAndLeavesNoTab) {
  QDir(Temp.path()).mkdir("dir.asm");
  WriteFile("long.asm", "\tnop\n" + Long);
  QStringList names = {"dir.asm", "long.asm"};
  QStringList errors = {ReadError("dir.asm", "Das ist ein Verzeichnis"),
                        ReadError("long.asm", "Zeile 2 ist länger als 100 Bytes")};
#ifdef Q_OS_UNIX
  ASSERT_EQ(QProcess::execute("mkfifo", {Path("pipe.asm")}), 0);
  names.append("pipe.asm");
  errors.append(ReadError("pipe.asm", QStringLiteral("Das ist keine gewöhnliche Datei")));
#endif
  QStringList paths;
  for (const QString& name : names) paths.append(Path(name));
  Main->StartUp(paths);
  OpenNames = {Path("long.asm")};
  Trigger("MenOpen");
  errors.append(errors[1]);
  EXPECT_EQ(Tabs(), 0);
  EXPECT_EQ(QStringList(Errors.begin(), Errors.end()), errors);
  EXPECT_NE(Panel(3), QStringLiteral("Asmfile \"%1\" gelesen.").arg(Path("long.asm")));
  EXPECT_EQ(Project()->FileCount(), 0);
  EXPECT_FALSE(ReadFile("Kodrill.ini").contains("long.asm"));  // not in the recent files either
}

TEST_F(UnreadableFileTest, ATabThatCouldNotReadItsFileNeverWritesOverIt) {
  // Read in the background: the long line lies far behind the first screen.
  const QByteArray late = QByteArray(99, 'a').append('\n').repeated(48 << 10) + Long;
  WriteFile("late.asm", late);
  WriteFile("long.asm", Long);
  WriteFile("ok.asm", "ok\n");
  WriteFile("p.AsmPrj", "[global]\r\nFileCount=2\r\n[File1]\r\nFile=long.asm\r\n[File2]\r\nFile=ok.asm\r\n");
  Main->OpenFile(Path("p.AsmPrj"));
  ASSERT_EQ(Tabs(), 2);  // the project keeps its file
  EXPECT_EQ(QStringList(Errors.begin(), Errors.end()), QStringList{ReadError("long.asm", "Zeile 1 ist länger als 100 Bytes")});
  Main->OpenFile(Path("late.asm"));
  ASSERT_EQ(Tabs(), 3);
  View(2)->Editor()->InsertText(QStringLiteral("typed while reading "));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !View(2)->Editor()->Lines().Loading(); }));
  // A tab whose file was read, then made unreadable outside.
  WriteFile("ok.asm", Long);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Errors.size() == 3; })) << QStringList(Errors.begin(), Errors.end()).join("|").toStdString();
  for (int i = 0; i < Tabs(); ++i) View(i)->Editor()->InsertText(QStringLiteral("x"));
  Trigger("MenSaveAll");  // says once that changes stay unsaved, and stops an assemble
  ASSERT_EQ(Errors.size(), 4u);
  EXPECT_TRUE(Errors.back().startsWith(QStringLiteral("Die Datei %1 wird nicht überschrieben").arg(Native("long.asm"))));
  for (int i = 0; i < Tabs(); ++i) {
    Main->PageControl()->setCurrentIndex(i);
    Trigger("MenSave");
  }
  EXPECT_EQ(ReadFile("long.asm") + ReadFile("ok.asm") + ReadFile("late.asm"), Long + Long + late);
  EXPECT_EQ(Errors.size(), 7u);
  EXPECT_TRUE(Errors.back().startsWith(QStringLiteral("Die Datei %1 wird nicht überschrieben").arg(Native("late.asm"))));
  SaveNames = {Path("copy.asm")};  // under another name it is saved, with what was typed while reading
  Trigger("MenSaveAs");
  EXPECT_EQ(ReadFile("copy.asm"), "typed while reading x" + late.chopped(Long.size()));
}

// A wheel turn far down reads on; the read fails on a line over the limit: told, not thrown.
TEST_F(UnreadableFileTest, AReadThatFailsUnderTheMouseWheelIsTold) {
  const QByteArray line = QByteArray(99, 'a').append('\n');
  WriteFile("w.asm", line.repeated(3000) + Long + line.repeated(45 << 10));
  Main->show();
  Main->OpenFile(Path("w.asm"));
  TEditControl* e = View(0)->Editor();
  ASSERT_TRUE(e->Lines().Loading());
  QWheelEvent wheel(QPointF(50, 50), e->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120 * 1200),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(e->viewport(), &wheel);
  EXPECT_EQ(QStringList(Errors.begin(), Errors.end()), QStringList{ReadError("w.asm", "Zeile 3001 ist länger als 100 Bytes")});
  EXPECT_FALSE(e->Lines().Loading());
}

// Restored over its file, the text of a tab that read only part of it would cut the file short.
TEST_F(UnreadableFileTest, TheTextOfAFileReadInPartIsRecoveredBesideIt) {
  const QByteArray late = QByteArray(99, 'a').append('\n').repeated(48 << 10) + Long;
  WriteFile("Kodrill.ini", "[General]\r\nProjectDirectory=" + Temp.path().toUtf8() + "\r\n");
  WriteFile("late.asm", late);
  Main->StartUp({Path("late.asm")});
  View(0)->Editor()->InsertText(QStringLiteral("typed\n"));  // a line within the lowered limit
  ASSERT_TRUE(QTest::qWaitFor([&] { return !View(0)->LoadError().isEmpty(); }));
  ASSERT_TRUE(QTest::qWaitFor([this] { return JournalHasEntries(Path("Kodrill-Wiederherstellung")); }, 3000));
  delete Main;
  Main = FormMain = new TFormMain;
  Answers = {TAnswer::Yes};
  Main->StartUp({});
  ASSERT_EQ(Tabs(), 1);
  EXPECT_EQ(View(0)->PathName, QString());
  EXPECT_TRUE(QByteArray::fromStdString(View(0)->Editor()->Lines().SaveToBytes()) == "typed\n" + late.chopped(Long.size()));
  EXPECT_TRUE(ReadFile("late.asm") == late);
}

// A file that is still a file but cannot be read whole now: its tab is no change of the user's.
TEST_F(UnreadableFileTest, AReloadThatFailsOnAFileMarksNoChange) {
  WriteFile("d.asm", "keep me\r\n");
  Main->OpenFile(Path("d.asm"));
  WriteFile("d.asm", "\tnop\n" + Long);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Errors.size() == 1; }));
  EXPECT_FALSE(View(0)->Modified());
}

// A file replaced by a pipe: the tab keeps the text it read as a change, and a save names the
// real reason.
TEST_F(UnreadableFileTest, AReloadThatCannotOpenTheFileKeepsTheText) {
#ifndef Q_OS_UNIX
  GTEST_SKIP() << "needs a pipe";
#endif
  WriteFile("c.asm", "keep me\r\n");
  Main->OpenFile(Path("c.asm"));
  ASSERT_EQ(QProcess::execute("mkfifo", {Path("pipe")}), 0);
  std::filesystem::rename(Path("pipe").toStdString(), Path("c.asm").toStdString());
  ASSERT_TRUE(QTest::qWaitFor([&] { return Errors.size() == 1; }));
  EXPECT_EQ(Errors[0], ReadError("c.asm", "Das ist keine gewöhnliche Datei"));
  EXPECT_EQ(View(0)->Editor()->Lines().SaveToBytes(), "keep me\r\n");
  EXPECT_TRUE(View(0)->Modified());  // the only copy of the text: closing asks
  View(0)->Editor()->InsertText(QStringLiteral("x"));
  Answers = {TAnswer::Yes};  // overwrite what changed outside
  Trigger("MenSave");
  ASSERT_EQ(Errors.size(), 2u);
  EXPECT_TRUE(Errors[1].contains(QStringLiteral("keine gewöhnliche Datei"))) << Errors[1].toStdString();
  EXPECT_TRUE(View(0)->Modified());
}

TEST_F(FileSafetyTest, ModifiedTextsAreJournaledAndOfferedAgainAfterAnEndWithoutClosing) {
  WriteFile("Kodrill.ini", "[General]\r\nProjectDirectory=" + Temp.path().toUtf8() + "\r\n");
  WriteFile("a.asm", "a\r\n");
  const auto entries = [this] { return JournalHasEntries(Path("Kodrill-Wiederherstellung")); };
  Main->StartUp({Path("a.asm")});
  View(0)->Editor()->InsertText(QStringLiteral("b"));
  ASSERT_TRUE(QTest::qWaitFor(entries, 3000));
  Trigger("MenSave");  // a save takes the entry away
  ASSERT_TRUE(QTest::qWaitFor([&] { return !entries(); }));
  View(0)->Editor()->InsertText(QStringLiteral("c"));
  ASSERT_TRUE(QTest::qWaitFor(entries, 3000));
  delete Main;  // gone without the close question, as after a crash
  // Started with a project holding the file: the text goes into the project's tab, and
  // nothing asks to save it away again.
  WriteFile("p.AsmPrj", "[global]\r\nFileCount=1\r\n[File1]\r\nFile=a.asm\r\n");
  Main = FormMain = new TFormMain;
  Answers = {TAnswer::Yes};
  Main->StartUp({Path("p.AsmPrj")});
  ASSERT_EQ(Questions.size(), 1u);
  ASSERT_EQ(Tabs(), 1);
  EXPECT_EQ(KodrillApp->Project()->Files.size(), 1);
  EXPECT_TRUE(Questions[0].endsWith(QStringLiteral(" für\n\"%1\".").arg(Native("a.asm"))));
  EXPECT_TRUE(View(0)->Modified());
  EXPECT_EQ(View(0)->Editor()->Lines().SaveToBytes(), "bca\r\n");
  Answers = {TAnswer::No, TAnswer::No};  // neither the file nor the project
  EXPECT_TRUE(Main->close());  // a normal close takes the journal away
  EXPECT_TRUE(QDir(Path("Kodrill-Wiederherstellung")).isEmpty());
}

// A file changed after its text went into the journal is a change made outside: asked about,
// and a save asks before overwriting it with the recovered text.
TEST_F(FileSafetyTest, ARecoveredTextNeverOverwritesAFileChangedSinceWithoutAQuestion) {
  ASSERT_NO_FATAL_FAILURE(TypeIntoAFileAndCrash());
  WriteFile("a.asm", "a\r\nfix\r\n");
  Main = FormMain = new TFormMain;
  Answers = {TAnswer::Yes, TAnswer::No, TAnswer::No};  // restore; keep it; do not overwrite
  Main->StartUp({});
  ASSERT_TRUE(QTest::qWaitFor([&] { return Questions.size() == 2; }));
  EXPECT_EQ(Questions[1], "Die Datei \"" + Native("a.asm") + "\" wurde außerhalb von Kodrill geändert. Neu laden?");
  EXPECT_EQ(View(0)->Editor()->Lines().SaveToBytes(), "ba\r\n");
  Trigger("MenSave");
  EXPECT_EQ(Questions.size(), 3u);
  EXPECT_EQ(ReadFile("a.asm"), "a\r\nfix\r\n");
  EXPECT_TRUE(View(0)->Modified());
}

// Two instances that both had the file open with changes: both texts come back, the second in a
// tab without a name; neither replaces the other.
TEST_F(FileSafetyTest, TwoRecoveredTextsOfOneFileBothComeBack) {
  ASSERT_NO_FATAL_FAILURE(TypeIntoAFileAndCrash());
  Main = FormMain = new TFormMain;
  Answers = {TAnswer::Cancel};  // the first instance's text waits for the next start
  Main->StartUp({Path("a.asm")});
  View(0)->Editor()->InsertText(QStringLiteral("c"));
  ASSERT_TRUE(QTest::qWaitFor([this] { return JournalCount(Path("Kodrill-Wiederherstellung")) == 2; }, 3000));
  delete Main;
  Main = FormMain = new TFormMain;
  Answers = {TAnswer::Yes, TAnswer::Yes};
  Main->StartUp({});
  ASSERT_EQ(Questions.size(), 3u) << QStringList(Questions.begin(), Questions.end()).join("|").toStdString();
  ASSERT_EQ(Tabs(), 2);
  QStringList texts;
  for (int i = 0; i < Tabs(); ++i) texts << QString::fromUtf8(View(i)->Editor()->Lines().SaveToBytes());
  texts.sort();
  EXPECT_EQ(texts, QStringList({"ba\r\n", "ca\r\n"}));
  EXPECT_TRUE(View(0)->Modified() && View(1)->Modified());
  EXPECT_NE(View(0)->PathName.isEmpty(), View(1)->PathName.isEmpty());
  EXPECT_EQ(ReadFile("a.asm"), "a\r\n");
}

// The question put off with Escape or the close box leaves the text for the next start.
TEST_F(FileSafetyTest, RecoveryQuestionPutOffByEscapeOrTheCloseBoxKeepsTheText) {
  ASSERT_NO_FATAL_FAILURE(TypeIntoAFileAndCrash());
  const auto question = Hooks.Question;
  Hooks.Question = nullptr;  // the real box
  for (const bool escape : {true, false}) {
    Main = FormMain = new TFormMain;
    QTimer::singleShot(0, [escape] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      if (escape) QTest::keyClick(box, Qt::Key_Escape);
      else box->close();
      if (box->isVisible()) {
        ADD_FAILURE() << (escape ? "Escape" : "the close box") << " left the question open";
        box->buttons().constFirst()->click();
      }
    });
    Main->StartUp({});
    EXPECT_EQ(Tabs(), 0) << escape;
    delete Main;
  }
  Main = FormMain = new TFormMain;
  Hooks.Question = question;
  Answers = {TAnswer::Yes};
  Main->StartUp({});
  ASSERT_EQ(Tabs(), 1);
  EXPECT_EQ(View(0)->Editor()->Lines().SaveToBytes(), "ba\r\n");
}

// Every character typed more than two seconds before the kill is offered at the next start.
TEST_F(FileSafetyTest, TextTypedTwoSecondsBeforeAKillIsOfferedAtTheNextStart) {
  const QString xvfb = QStandardPaths::findExecutable("Xvfb"), xdotool = QStandardPaths::findExecutable("xdotool");
  if (xvfb.isEmpty() || xdotool.isEmpty()) GTEST_SKIP() << "Xvfb and xdotool are needed to type into the program";
  // Kodrill.ini lies beside the program: a copy of the program has settings of its own.
  ASSERT_TRUE(QFile::copy(KODRILL_PROGRAM, Path("kodrill")));
  WriteFile("Kodrill.ini", "[General]\r\nProjectDirectory=" + Temp.path().toUtf8() + "\r\n");
  WriteFile("a.asm", "\tnop\r\n");
  QProcess x, app, typing;
  x.start(xvfb, {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"});
  ASSERT_TRUE(x.waitForReadyRead(10000));
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DISPLAY", u':' + QString::fromLatin1(x.readAllStandardOutput()).trimmed());
  env.insert("QT_QPA_PLATFORM", "xcb");
  for (QProcess* p : {&app, &typing}) p->setProcessEnvironment(env);
  const auto xdo = [&](const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(xdotool, args);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed().section(u'\n', 0, 0);
  };
  // There is no window manager: the test gives the input focus itself.
  const auto focus = [&](const QString& title) {
    QString id;
    const auto found = [&] { return !(id = xdo({"search", "--onlyvisible", "--name", title})).isEmpty(); };
    return QTest::qWaitFor(found, 15000) &&
           (xdo({"windowfocus", id}), QTest::qWaitFor([&] { return xdo({"getwindowfocus"}) == id; }, 5000));
  };

  app.start(Path("kodrill"), {"a.asm"});
  ASSERT_TRUE(focus("Kodrill")) << app.readAllStandardError().toStdString();
  xdo({"type", "--delay", "20", "first "});
  const QDeadlineTimer killAt(2000);
  const QByteArray second = "second part typed while being killed";
  typing.start(xdotool, {"type", "--delay", "150", QString::fromLatin1(second)});
  QTest::qWait(int(killAt.remainingTime()));
  app.kill();  // SIGKILL
  ASSERT_TRUE(app.waitForFinished());
  typing.waitForFinished();  // nothing of it may reach the next start

  app.start(Path("kodrill"), {});
  ASSERT_TRUE(focus("^Assembler-Editor$"));
  xdo({"key", "Return"});  // "Wiederherstellen"
  ASSERT_TRUE(focus("Kodrill"));
  xdo({"key", "ctrl+s"});
  QByteArray saved;
  EXPECT_TRUE(QTest::qWaitFor([&] { return (saved = ReadFile("a.asm")) != "\tnop\r\n"; }, 10000));
  // All of the first part, and of the second what was journaled before the kill.
  ASSERT_TRUE(saved.startsWith("first ") && saved.endsWith("\tnop\r\n")) << saved.toStdString();
  EXPECT_TRUE(second.startsWith(saved.mid(6, saved.size() - 12))) << saved.toStdString();
  for (QProcess* p : {&app, &x}) p->kill(), p->waitForFinished();
}
