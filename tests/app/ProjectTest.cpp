// Projects through the real window: the stored file byte for byte, the round trip of files,
// top lines and bookmarks, bad project files and unwritable places.
#include <QFileInfo>
#include <QRandomGenerator>

#include "AppFixture.h"

using ProjectTest = AppTest;

namespace {
QByteArray Lines(int count) {
  QByteArray text;
  for (int i = 1; i <= count; ++i) text += "\tnop ; line " + QByteArray::number(i) + "\n";
  return text;
}
QByteArray FileSection(int n, const QByteArray& file, const QByteArray& directory, int topLine,
                       const QByteArray& bookmarks) {
  QByteArray s = "[File" + QByteArray::number(n) + "]\r\nFile=" + file + "\r\n";
  if (!directory.isEmpty()) s += "Directory=" + directory + "\r\n";
  s += "FileType=Assembler,68HC11\r\nWindow.Left=-1\r\nWindow.Top=-1\r\nWindow.Width=-1\r\nWindow.Height=-1\r\n"
       "Window.WindowState=normal\r\nEditor.TopLine=" + QByteArray::number(topLine) + "\r\n" + bookmarks;
  return s;
}
}  // namespace

TEST_F(ProjectTest, SavedProjectIsExactAndReopensWithFilesTopLinesAndBookmarks) {
  QDir(Temp.path()).mkdir(QStringLiteral("sub"));
  WriteFile("a.asm", Lines(300));
  WriteFile("sub/b.inc", Lines(5));
  Main->resize(800, 600);
  Main->OpenFile(QStringLiteral("a.asm"));
  Main->OpenFile(Path("sub/b.inc"));
  ASSERT_EQ(Tabs(), 2);
  Project()->Processor = QStringLiteral("6811");
  Project()->NumberFormat = QStringLiteral("Motorola");

  TEditControl* a = View(0)->Editor();
  a->SetCaretXY(1, 2);
  Trigger("PMenToggleBM3");
  a->SetCaretXY(4, 7);
  Trigger("PMenToggleBM7");
  a->SetTopLine(120);
  const int topA = a->TopLine();
  ASSERT_GT(topA, 1);
  Main->PageControl()->setCurrentIndex(1);
  View(1)->Editor()->SetCaretXY(2, 5);
  Trigger("PMenToggleBM0");
  Trigger("PMenToggleBM1");  // another bookmark on the same line replaces it
  EXPECT_FALSE(View(1)->IsBookmarkSet(0));

  const int topB = View(1)->Editor()->TopLine();
  SaveNames = {Path("demo")};  // the suffix is added
  Trigger("MenProjectSaveAs");
  ASSERT_TRUE(Errors.empty()) << Errors.front().toStdString();
  const QByteArray expected =
      "[global]\r\nProcessor=6811\r\nNumberFormat=Motorola\r\nFileCount=2\r\n" +
      FileSection(1, "a.asm", {}, topA,
                  "Editor.BookMark[3].X=1\r\nEditor.BookMark[3].Y=2\r\n"
                  "Editor.BookMark[7].X=4\r\nEditor.BookMark[7].Y=7\r\n") +
      FileSection(2, "b.inc", Native("sub/").toUtf8(), topB, "Editor.BookMark[1].X=2\r\nEditor.BookMark[1].Y=5\r\n") +
      "[HighLighter]\r\n";
  EXPECT_EQ(ReadFile("demo.AsmPrj"), expected);
  EXPECT_EQ(Panel(3), QStringLiteral("Projektfile \"") + Path("demo") + QStringLiteral(".AsmPrj\" geschrieben."));
  EXPECT_EQ(Main->windowTitle(), u"Tallow-Fen Kodrill 0.9");  // saving keeps the caption

  Answers = {TAnswer::No};
  Trigger("MenCloseAll");
  ASSERT_EQ(Tabs(), 0);
  EXPECT_TRUE(Project()->FileName.isEmpty());
  EXPECT_EQ(Main->windowTitle(), u"Tallow-Fen Kodrill 0.9");

  Main->OpenFile(Path("demo.AsmPrj"));
  ASSERT_EQ(Tabs(), 2);
  EXPECT_EQ(Main->windowTitle(), u"Kodrill [demo.AsmPrj]");
  EXPECT_EQ(Panel(3), QStringLiteral("Projektfile \"") + Native("demo.AsmPrj") + QStringLiteral("\" (2 Dateien) gelesen."));
  int column = 0, line = 0;
  ASSERT_TRUE(View(0)->Editor()->GetBookmark(3, column, line));
  EXPECT_EQ(QPoint(column, line), QPoint(1, 2));
  ASSERT_TRUE(View(0)->Editor()->GetBookmark(7, column, line));
  EXPECT_EQ(QPoint(column, line), QPoint(4, 7));
  EXPECT_EQ(View(0)->Editor()->TopLine(), topA);
  ASSERT_TRUE(View(1)->Editor()->GetBookmark(1, column, line));
  EXPECT_EQ(QPoint(column, line), QPoint(2, 5));
  EXPECT_EQ(View(1)->FileName, Native("sub/b.inc"));
  EXPECT_EQ(View(0)->Processor, u"6811");
  EXPECT_EQ(View(0)->NumberFormat, VoNF_MotorolaMode);

  // Saving again without changes writes the same bytes.
  Answers = {TAnswer::Yes};
  EXPECT_TRUE(Main->FormCloseQuery());
  EXPECT_EQ(ReadFile("demo.AsmPrj"), expected);
}

TEST_F(ProjectTest, BadProjectFilesNeverCrashAndGiveSensibleTabs) {
  WriteFile("a.asm", Lines(3));
  QByteArray garbage(4096, '\0');
  for (char& c : garbage) c = char(QRandomGenerator::global()->bounded(256));
  const QByteArray longLine(100 * 1024, 'x');
  const struct { const char* name; QByteArray content; int tabs; } cases[] = {
      {"garbage", garbage, 0},
      {"empty values", "[global]\r\nFileCount=\r\nProcessor=\r\n[File1]\r\nFile=\r\n", 0},
      {"duplicate sections",
       "[global]\r\nFileCount=1\r\n[File1]\r\nFile=a.asm\r\n[global]\r\nFileCount=1\r\n[File1]\r\nFile=a.asm\r\n", 1},
      {"long lines", "[global]\r\nFileCount=1\r\nX=" + longLine + "\r\n[File1]\r\nFile=" + longLine + "\r\n", 1},
      {"huge count", "[global]\r\nFileCount=100000000\r\n[File1]\r\nFile=a.asm\r\n[File2]\r\nFile=a.asm\r\n", 2},
      {"hex count", "[global]\r\nFileCount=0x2\r\n[File1]\r\nFile=a.asm\r\n[File2]\r\nFile=a.asm\r\n", 2},
      {"missing file", "[global]\r\nFileCount=1\r\n[File1]\r\nFile=gone.asm\r\n", 1},
  };
  for (const auto& c : cases) {
    WriteFile("p.AsmPrj", c.content);
    Answers = {TAnswer::No};
    Main->OpenFile(Path("p.AsmPrj"));
    EXPECT_EQ(Tabs(), c.tabs) << c.name;
    EXPECT_EQ(Project()->FileName, u"p.AsmPrj") << c.name;
    EXPECT_TRUE(Errors.empty()) << c.name;
    Answers = {TAnswer::No};
    Main->CloseProject();
    EXPECT_EQ(Tabs(), 0) << c.name;
  }
}

TEST_F(ProjectTest, StoredPositionsAreKeptInsideTheText) {
  WriteFile("a.asm", Lines(3));
  WriteFile("p.AsmPrj",
            "[global]\r\nFileCount=2\r\n"
            "[File1]\r\nFile=a.asm\r\nEditor.TopLine=-7\r\n"
            "Editor.BookMark[1].X=5\r\nEditor.BookMark[1].Y=99999\r\n"
            "Editor.BookMark[2].X=2147483647\r\nEditor.BookMark[2].Y=2\r\n"
            "Editor.BookMark[3].X=-1\r\nEditor.BookMark[3].Y=1\r\n"
            "Editor.BookMark[4].X=1\r\nEditor.BookMark[4].Y=-2147483648\r\n"
            "Editor.BookMark[5].X=2\r\nEditor.BookMark[5].Y=3\r\n"
            "[File2]\r\nFile=a.asm\r\nEditor.TopLine=2147483647\r\n");
  Main->OpenFile(Path("p.AsmPrj"));
  ASSERT_EQ(Tabs(), 2);
  TEditControl* e = View(0)->Editor();
  EXPECT_FALSE(e->HasBookmark(1));  // beyond the text
  EXPECT_TRUE(e->HasBookmark(2));
  EXPECT_FALSE(e->HasBookmark(3));  // X of -1 means unset
  EXPECT_FALSE(e->HasBookmark(4));
  int column = 0, line = 0;
  ASSERT_TRUE(e->GetBookmark(5, column, line));
  EXPECT_EQ(QPoint(column, line), QPoint(2, 3));
  EXPECT_GE(e->TopLine(), 1);
  EXPECT_GE(View(1)->Editor()->TopLine(), 1);
  EXPECT_LE(View(1)->Editor()->TopLine(), 3);
}

TEST_F(ProjectTest, UnwritableProjectPlaceLosesNothing) {
  // A directory where the project file should be: it reads as an empty project and cannot be written.
  QDir(Temp.path()).mkpath(QStringLiteral("ro/p.AsmPrj"));
  WriteFile("ro/a.asm", "a\n");
  Main->OpenFile(Path("ro/p.AsmPrj"));
  EXPECT_EQ(Project()->FileName, u"p.AsmPrj");
  Main->OpenFile(Path("ro/a.asm"));
  ASSERT_EQ(Tabs(), 1);
  View(0)->Editor()->InsertText(QStringLiteral("edit"));

  SaveNames = {Path("nodir/other.AsmPrj")};
  Trigger("MenProjectSaveAs");
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_EQ(Errors[0], QStringLiteral("Kann Datei ") + Native("nodir/other.AsmPrj") + QStringLiteral(" nicht erstellen"));
  EXPECT_EQ(Project()->FileName, u"p.AsmPrj");
  EXPECT_EQ(Project()->Directory, Native("ro/"));
  EXPECT_TRUE(View(0)->Modified());

  // The close question's project save fails: the window stays open with everything in it.
  Answers = {TAnswer::No, TAnswer::Yes};
  EXPECT_FALSE(Main->close());
  ASSERT_EQ(Errors.size(), 2u);
  EXPECT_TRUE(Errors[1].startsWith(u"Kann Datei "));
  EXPECT_EQ(Tabs(), 1);
  EXPECT_EQ(Project()->FileCount(), 1);
}

TEST_F(ProjectTest, ProjectInAMissingDirectoryLeavesTheCurrentProject) {
  WriteFile("a.asm", "a\n");
  WriteFile("p.AsmPrj", "[global]\r\nFileCount=1\r\n[File1]\r\nFile=a.asm\r\n");
  Main->OpenFile(Path("p.AsmPrj"));
  ASSERT_EQ(Tabs(), 1);
  OpenNames = {Path("nodir/q.AsmPrj")};
  Trigger("MenOpen");
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_TRUE(Errors[0].contains(u"nodir"));
  EXPECT_TRUE(Questions.empty());
  EXPECT_EQ(Tabs(), 1);
  EXPECT_EQ(Project()->FileName, u"p.AsmPrj");
  EXPECT_EQ(Main->windowTitle(), u"Kodrill [p.AsmPrj]");
}
