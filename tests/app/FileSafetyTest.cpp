// Recent files, changes made outside and crash recovery, driven through the main window.
#include <QDirIterator>
#include <QMenu>
#include <QSaveFile>

#include "AppFixture.h"

using FileSafetyTest = AppTest;

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
  const QList<QAction*> items = menu->actions();
  ASSERT_EQ(items.size(), 3);  // the project, a separator, the file that is gone
  EXPECT_EQ(items[0]->text(), QStringLiteral("&1 ") + Native("p.AsmPrj"));
  EXPECT_TRUE(items[1]->isSeparator());
  EXPECT_FALSE(items[2]->isEnabled());
  const QByteArray recent = "[Recent]\r\nEntry1=" + Native("p.AsmPrj").toUtf8() + "\r\nEntry2=" +
                            Native("a.asm").toUtf8() + "\r\n";
  EXPECT_EQ(ReadFile("Kodrill.ini"), settings + recent);

  // The next start reads the list; saving the settings writes it after everything else.
  TKodrillApp next;
  next.SetSettingsFilePath(Path("Kodrill.ini"));
  next.LoadPrefs();
  EXPECT_EQ(next.RecentFiles().Entries(), KodrillApp->RecentFiles().Entries());
  Trigger("MenSavePrefs");
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
  // Replaced by a rename, as editors save: reloaded in place, the watch follows the new file.
  QSaveFile replace(Path("a.asm"));
  ASSERT_TRUE(replace.open(QIODevice::WriteOnly) && replace.write("L1\nl2\nl3\nl4\n") && replace.commit());
  ASSERT_TRUE(QTest::qWaitFor([&] { return e->Lines().Count() == 4; }));
  EXPECT_EQ(QPoint(e->CaretColumn(), e->CaretLine()), QPoint(2, 3));
  EXPECT_TRUE(v->IsBookmarkSet(4) && !v->Modified() && Questions.empty());
  QTest::qWait(400);  // every check after the reload is done: only the watch can see what follows

  // With changes in the tab: asked; kept, the next save asks before overwriting.
  e->InsertText(QStringLiteral("x"));
  Answers = {TAnswer::No, TAnswer::No, TAnswer::Yes};
  WriteFile("a.asm", "new\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return Questions.size() == 1; }));
  EXPECT_EQ(Questions[0], QStringLiteral("Die Datei \"%1\" wurde außerhalb von Kodrill geändert. Neu laden?")
                              .arg(Native("a.asm")));
  Trigger("MenSave");
  EXPECT_EQ(ReadFile("a.asm"), QByteArray("new\n"));
  Trigger("MenSave");
  EXPECT_EQ(ReadFile("a.asm"), QByteArray("L1\nl2\nlx3\nl4\n"));
  EXPECT_EQ(Questions.size(), 3u);

  // Deleted: the tab keeps the text as a change, and saving writes the file again.
  QFile::remove(Path("a.asm"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return v->Deleted(); }));
  EXPECT_EQ(v->Caption(), Native("a.asm") + QStringLiteral("[Gelöscht][Geändert]"));
  Trigger("MenSave");
  EXPECT_EQ(ReadFile("a.asm"), QByteArray("L1\nl2\nlx3\nl4\n"));
  QTest::qWait(400);  // our own save is no change made outside
  EXPECT_EQ(v->Caption() + QString::number(Questions.size()), Native("a.asm") + u'3');
}

TEST_F(FileSafetyTest, ModifiedTextsAreJournaledAndOfferedAgainAfterAnEndWithoutClosing) {
  WriteFile("Kodrill.ini", "[General]\r\nProjectDirectory=" + Temp.path().toUtf8() + "\r\n");
  WriteFile("a.asm", "a\r\n");
  const auto entries = [this] {
    QDirIterator it(Path("Kodrill-Wiederherstellung"), {QStringLiteral("*.journal")}, QDir::Files,
                    QDirIterator::Subdirectories);
    int n = 0;
    for (; it.hasNext(); it.next()) ++n;
    return n;
  };
  Main->StartUp({Path("a.asm")});
  View(0)->Editor()->InsertText(QStringLiteral("b"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return entries() == 1; }, 3000));
  Trigger("MenSave");
  ASSERT_TRUE(QTest::qWaitFor([&] { return entries() == 0; }));
  View(0)->Editor()->InsertText(QStringLiteral("c"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return entries() == 1; }, 3000));

  delete Main;  // gone without the close question, as after a crash
  Main = FormMain = new TFormMain;
  Answers = {TAnswer::Yes};
  Main->StartUp({});
  ASSERT_EQ(Questions.size(), 1u);
  EXPECT_TRUE(Questions[0].endsWith(QStringLiteral(" für\n\"%1\".").arg(Native("a.asm"))));
  ASSERT_EQ(Tabs(), 1);
  EXPECT_TRUE(View(0)->Modified());
  EXPECT_EQ(View(0)->Editor()->Lines().SaveToBytes(), "bca\r\n");
  // A normal close takes the journal away.
  Answers = {TAnswer::No};
  EXPECT_TRUE(Main->close());
  EXPECT_TRUE(QDir(Path("Kodrill-Wiederherstellung")).isEmpty());
}
