// Projects through the real window: the exact file, the round trip of the views, bad places.
#include <fstream>

#include "AppFixture.h"

using ProjectTest = AppTest;

namespace {
QByteArray Lines(int count) {
  QByteArray text;
  for (int i = 1; i <= count; ++i) text += "\tnop ; line " + QByteArray::number(i) + "\n";
  return text;
}
QByteArray Section(int n, const QByteArray& file, const QByteArray& directory, int topLine, const QByteArray& marks) {
  return "[File" + QByteArray::number(n) + "]\r\nFile=" + file + "\r\n" +
         (directory.isEmpty() ? QByteArray() : "Directory=" + directory + "\r\n") +
         "FileType=Assembler,68HC11\r\nWindow.Left=-1\r\nWindow.Top=-1\r\nWindow.Width=-1\r\nWindow.Height=-1\r\n"
         "Window.WindowState=normal\r\nEditor.TopLine=" + QByteArray::number(topLine) + "\r\n" + marks;
}
QPoint Bookmark(TEditorView* view, int n) {
  int column = -1, line = -1;
  view->Editor()->GetBookmark(n, column, line);
  return QPoint(column, line);
}
}  // namespace

TEST_F(ProjectTest, SavedProjectIsExactAndReopensWithFilesTopLinesAndBookmarks) {
  QDir(Temp.path()).mkdir(QStringLiteral("sub"));
  WriteFile("a.asm", Lines(300));
  WriteFile("sub/b.inc", Lines(5));
  Main->resize(800, 600);
  Main->OpenFile(Path("sub/b.inc"));
  View(0)->Editor()->SetCaretXY(2, 5);
  Trigger("PMenToggleBM0");
  Trigger("PMenToggleBM1");  // another bookmark on the same line replaces it
  Main->OpenFile(QStringLiteral("a.asm"));
  Project()->Processor = QStringLiteral("6811");
  Project()->NumberFormat = QStringLiteral("Motorola");
  TEditControl* a = View(1)->Editor();
  a->SetCaretXY(4, 7);
  Trigger("PMenToggleBM7");
  a->SetTopLine(120);
  const int topA = a->TopLine(), topB = View(0)->Editor()->TopLine();
  ASSERT_GT(topA, 1);

  SaveNames = {Path("demo")};  // the suffix is added
  Trigger("MenProjectSaveAs");
  ASSERT_TRUE(Errors.empty());
  const QByteArray expected =
      "[global]\r\nProcessor=6811\r\nNumberFormat=Motorola\r\nFileCount=2\r\n" +
      Section(1, "b.inc", Native("sub/").toUtf8(), topB, "Editor.BookMark[1].X=2\r\nEditor.BookMark[1].Y=5\r\n") +
      Section(2, "a.asm", {}, topA, "Editor.BookMark[7].X=4\r\nEditor.BookMark[7].Y=7\r\n") + "[HighLighter]\r\n";
  EXPECT_EQ(ReadFile("demo.AsmPrj"), expected);
  EXPECT_EQ(Main->windowTitle(), u"Tallow-Fen Kodrill 0.9");  // saving keeps the caption

  Answers = {TAnswer::No};
  Trigger("MenCloseAll");
  Main->OpenFile(Path("demo.AsmPrj"));
  ASSERT_EQ(Tabs(), 2);
  EXPECT_EQ(Main->windowTitle(), u"Kodrill [demo.AsmPrj]");
  EXPECT_EQ(Bookmark(View(0), 1), QPoint(2, 5));
  EXPECT_EQ(Bookmark(View(1), 7), QPoint(4, 7));
  EXPECT_EQ(View(1)->Editor()->TopLine(), topA);
  // Saving again without changes writes the same bytes.
  Answers = {TAnswer::Yes};
  EXPECT_TRUE(Main->FormCloseQuery());
  EXPECT_EQ(ReadFile("demo.AsmPrj"), expected);
}

#ifndef Q_OS_WIN
// A project from a Windows machine: names in other letter case open the files on disk (and save
// there, no second file beside them); a drive path stays as it was written.
TEST_F(ProjectTest, ProjectsFromWindowsOpenTheirFilesAndKeepTheirDrivePaths) {
  QDir(Temp.path()).mkpath(QStringLiteral("INC"));
  WriteFile("DEMO.ASM", "d\n");
  WriteFile("INC/mod01.inc", "m\n");
  WriteFile("p.AsmPrj", "[global]\r\nFileCount=3\r\n[File1]\r\nFile=Demo.asm\r\n[File2]\r\nFile=inc\\MOD01.INC\r\n"
                        "[File3]\r\nFile=x.asm\r\nDirectory=C:\\Projekte\\Alt\\\r\n");
  Main->OpenFile(Path("p.AsmPrj"));
  ASSERT_EQ(Tabs(), 3);
  EXPECT_EQ(View(0)->Editor()->Lines().Text(0) + View(1)->Editor()->Lines().Text(0), QStringLiteral("dm"));
  EXPECT_EQ(Main->PageControl()->tabToolTip(2), QStringLiteral("C:/Projekte/Alt/x.asm"));  // missing: its full name
  View(0)->Editor()->InsertText(QStringLiteral("x"));
  Trigger("MenSave");
  EXPECT_EQ(ReadFile("DEMO.ASM"), "xd\n");
  EXPECT_FALSE(QFileInfo::exists(Path("Demo.asm")));
  Project()->Save();
  EXPECT_TRUE(ReadFile("p.AsmPrj").contains("[File3]\r\nFile=x.asm\r\nDirectory=C:/Projekte/Alt/\r\n"))
      << ReadFile("p.AsmPrj").toStdString();
}
#endif

#ifndef Q_OS_WIN
// A name written in Latin-1 bytes on disk cannot be reached: told, and never saved beside it.
TEST_F(ProjectTest, AnEntryWhoseNameIsLatin1OnDiskIsToldAndNeverSavedBeside) {
  std::ofstream(Temp.path().toStdString() + "/Gr\xF6\xDF" "e.inc") << "x\n";
  WriteFile("p.AsmPrj", "[global]\r\nFileCount=1\r\n[File1]\r\nFile=Gr\xF6\xDF" "e.inc\r\n");
  Main->OpenFile(Path("p.AsmPrj"));
  ASSERT_EQ(Tabs(), 1);
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_TRUE(Errors[0].contains(QStringLiteral("nicht in UTF-8"))) << Errors[0].toStdString();
  View(0)->Editor()->InsertText(QStringLiteral("y"));
  Trigger("MenSave");
  ASSERT_EQ(Errors.size(), 2u);
  EXPECT_TRUE(Errors[1].contains(QStringLiteral("Ihr Name ist auf der Platte nicht in UTF-8"))) << Errors[1].toStdString();
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Gr\u00F6\u00DF" "e.inc"))));
  EXPECT_EQ(QDir(Temp.path()).entryList(QDir::Files).size(), 2);  // the project and the file
}
#endif

TEST_F(ProjectTest, StoredPositionsAreKeptInsideTheText) {
  WriteFile("a.asm", Lines(3) + QByteArray(3000, 'x') + "\n");
  WriteFile("p.AsmPrj",
            "[global]\r\nFileCount=2\r\n[File1]\r\nFile=a.asm\r\nEditor.TopLine=-7\r\n"
            "Editor.BookMark[6].X=2000\r\nEditor.BookMark[6].Y=4\r\n"
            "Editor.BookMark[1].X=5\r\nEditor.BookMark[1].Y=99999\r\n"
            "Editor.BookMark[2].X=2147483647\r\nEditor.BookMark[2].Y=2\r\n"
            "Editor.BookMark[3].X=-1\r\nEditor.BookMark[3].Y=1\r\n"
            "Editor.BookMark[4].X=1\r\nEditor.BookMark[4].Y=-2147483648\r\n"
            "Editor.BookMark[5].X=2\r\nEditor.BookMark[5].Y=3\r\n"
            "[File2]\r\nFile=a.asm\r\nEditor.TopLine=2147483647\r\n");
  Main->OpenFile(Path("p.AsmPrj"));
  ASSERT_EQ(Tabs(), 2);
  TEditControl* e = View(0)->Editor();
  const bool set[] = {false, false, true, false, false, true};  // beyond the text, X of -1: unset
  for (int n = 1; n <= 5; ++n) EXPECT_EQ(e->HasBookmark(n), set[n]) << n;
  EXPECT_EQ(Bookmark(View(0), 5), QPoint(2, 3));
  EXPECT_EQ(Bookmark(View(0), 6), QPoint(2000, 4));  // far out on a long line, as set there
  EXPECT_GE(e->TopLine(), 1);
  EXPECT_LE(View(1)->Editor()->TopLine(), 4);
}

TEST_F(ProjectTest, UnusableProjectPlacesLoseNothing) {
  // A directory takes the project file's place once it is open: the project cannot be written.
  QDir(Temp.path()).mkpath(QStringLiteral("ro"));
  WriteFile("ro/a.asm", "a\n");
  Main->OpenFile(Path("ro/p.AsmPrj"));
  QDir(Temp.path()).mkpath(QStringLiteral("ro/p.AsmPrj"));
  Main->OpenFile(Path("ro/a.asm"));
  View(0)->Editor()->InsertText(QStringLiteral("edit"));
  SaveNames = {Path("nodir/other.AsmPrj")};
  Trigger("MenProjectSaveAs");
  EXPECT_EQ(Project()->Directory + Project()->FileName, Native("ro/p.AsmPrj"));
  // The close question's project save fails after "Nein" for the file: nothing is dropped.
  Answers = {TAnswer::No, TAnswer::Yes};
  EXPECT_FALSE(Main->close());
  EXPECT_TRUE(View(0)->Modified());
  // A project in a missing directory is refused before anything is closed or asked.
  OpenNames = {Path("nodir/q.AsmPrj")};
  Trigger("MenOpen");
  // So is a project file that cannot be read (here a directory).
  OpenNames = {Path("ro/p.AsmPrj")};
  Trigger("MenOpen");
  ASSERT_EQ(Errors.size(), 4u);
  EXPECT_EQ(Errors[0], QStringLiteral("Kann Datei %1 nicht erstellen: Den Ordner %2 gibt es nicht.")
                           .arg(Native("nodir/other.AsmPrj"), Native("nodir")));
  EXPECT_TRUE(Errors[2].contains(u"nodir"));
  EXPECT_TRUE(Errors[3].startsWith(QStringLiteral("Kann Datei %1 nicht lesen").arg(Native("ro/p.AsmPrj"))));
  EXPECT_EQ(Questions.size(), 2u);
}
