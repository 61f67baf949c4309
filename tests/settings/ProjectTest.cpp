// The project model and the .AsmPrj format.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>
#include <vector>

#include "SettingsTestUtil.h"
#include "platform/Paths.h"
#include "settings/IniFile.h"
#include "settings/Project.h"

using namespace Qt::StringLiterals;

namespace {

// A project file whose "view" is a few fields, and which records the hook calls.
class TTestFile : public TProjectFile {
 public:
  int ViewTopLine = -1;
  std::array<int, 10> ViewX{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  std::array<int, 10> ViewY{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  QStringList Calls;

  void CreateView() override { Calls << u"create"_s; }
  void DestroyView() override { Calls << u"destroy"_s; }
  void LoadView() override { Calls << u"load"_s; }
  void ApplyHighlighterPrefs() override { Calls << u"apply"_s; }
  void StoreViewState() override {
    TopLine = ViewTopLine;
    BookmarkX = ViewX;
    BookmarkY = ViewY;
  }
  void ClearErrorMarks() override { Calls << u"clear"_s; }
  void MarkError(int kind, int line) override { Calls << u"mark %1 %2"_s.arg(kind).arg(line); }
  void ShowError(int line) override { Calls << u"show %1"_s.arg(line); }
};

class ProjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir(Tmp.path()).mkpath(u"proj"_s));
    ASSERT_TRUE(QDir(Tmp.path()).mkpath(u"other"_s));
    ProjDir = Paths::IncludeTrailingSeparator(QDir::toNativeSeparators(Tmp.filePath(u"proj"_s)));
    OtherDir = Paths::IncludeTrailingSeparator(QDir::toNativeSeparators(Tmp.filePath(u"other"_s)));
    ASSERT_TRUE(QDir::setCurrent(ProjDir));
    Project.Directory = ProjDir;
    Project.FileName = u"test.AsmPrj"_s;
    Project.OnOpenFile = [this](const TStringIniList& list) { Open(list); };
  }

  TTestFile* Open(const TStringIniList& list) {
    auto f = std::make_unique<TTestFile>();
    Project.AddFile(f.get());
    f->LoadFromList(list);
    Owned.push_back(std::move(f));
    return Owned.back().get();
  }
  TTestFile* OpenFile(const QString& file) { return Open(TStringIniList{u"File="_s + file}); }
  QString ProjectPath() const { return ProjDir + Project.FileName; }

  // The lines of one [FileN] section for a file with no window state and no bookmarks.
  static QStringList PlainEntry(const QString& file, const QString& dir, int topLine = -1) {
    QStringList l{u"File="_s + file};
    if (!dir.isEmpty()) l << u"Directory="_s + dir;
    l << u"FileType=Assembler,68HC11"_s << u"Window.Left=-1"_s << u"Window.Top=-1"_s
      << u"Window.Width=-1"_s << u"Window.Height=-1"_s << u"Window.WindowState=normal"_s
      << u"Editor.TopLine=%1"_s.arg(topLine);
    return l;
  }

  QTemporaryDir Tmp;
  TCurrentDirGuard CwdGuard;  // restores the directory before Tmp goes
  QString ProjDir, OtherDir;
  TProject Project;
  std::vector<std::unique_ptr<TTestFile>> Owned;  // declared last: freed before the project
};

TEST_F(ProjectTest, SaveWritesTheFormatByteForByte) {
  WriteBytes(OtherDir + u"b.inc"_s, "x");
  Project.Processor = u"6811"_s;
  Project.NumberFormat = u"Motorola"_s;
  TTestFile* a = OpenFile(u"a.asm"_s);
  a->ViewTopLine = 12;
  a->ViewX[3] = 4, a->ViewY[3] = 20;
  a->ViewX[7] = 0, a->ViewY[7] = 99;
  TTestFile* b = OpenFile(OtherDir + u"b.inc"_s);  // opened on its own, full path
  b->WindowState = TWindowState::Maximized;
  b->WindowLeft = 5;
  Project.Save();

  QStringList expected{u"[global]"_s, u"Processor=6811"_s, u"NumberFormat=Motorola"_s, u"FileCount=2"_s,
                       u"[File1]"_s};
  expected << PlainEntry(u"a.asm"_s, QString(), 12)
           << u"Editor.BookMark[3].X=4"_s << u"Editor.BookMark[3].Y=20"_s << u"Editor.BookMark[7].X=0"_s
           << u"Editor.BookMark[7].Y=99"_s << u"[File2]"_s;
  QStringList bLines = PlainEntry(u"b.inc"_s, OtherDir);
  bLines.replace(3, u"Window.Left=5"_s);
  bLines.replace(7, u"Window.WindowState=maximized"_s);
  expected << bLines << u"[HighLighter]"_s;
  EXPECT_EQ(QString::fromUtf8(ReadBytes(ProjectPath())), QString::fromUtf8(CrLf(expected)));

  // The entries keep their normalised paths.
  EXPECT_EQ(b->File, u"b.inc"_s);
  EXPECT_EQ(b->Directory, OtherDir);
  EXPECT_EQ(a->Directory, QString());
}

TEST_F(ProjectTest, FilesInTheProjectDirectoryLoseTheirDirectoryEvenInOtherLetterCase) {
  TTestFile* full = OpenFile(ProjDir + u"full.asm"_s);
  TTestFile* upper = OpenFile(u"x.asm"_s);
  upper->Directory = ProjDir.toUpper();
  TTestFile* rel = OpenFile(u"../other/r.asm"_s);
  Project.Save();
  EXPECT_EQ(full->File, u"full.asm"_s);
  EXPECT_EQ(full->Directory, QString());
  EXPECT_EQ(upper->Directory, QString());
  EXPECT_EQ(rel->File, u"r.asm"_s);
  EXPECT_EQ(rel->Directory, OtherDir);
  const QString text = QString::fromUtf8(ReadBytes(ProjectPath()));
  EXPECT_EQ(text.count(u"Directory="_s), 1);
  EXPECT_TRUE(text.endsWith(u"\r\n[HighLighter]\r\n"_s));
}

TEST_F(ProjectTest, ClosingAFileRenumbersTheSections) {
  OpenFile(u"one.asm"_s);
  OpenFile(u"two.asm"_s);
  OpenFile(u"three.asm"_s);
  Owned.erase(Owned.begin() + 1);  // the tab closes and frees its file
  ASSERT_EQ(Project.FileCount(), 2);
  Project.Save();
  QStringList expected{u"[global]"_s, u"FileCount=2"_s, u"[File1]"_s};
  expected << PlainEntry(u"one.asm"_s, QString()) << u"[File2]"_s << PlainEntry(u"three.asm"_s, QString())
           << u"[HighLighter]"_s;
  EXPECT_EQ(ReadBytes(ProjectPath()), CrLf(expected));
}

TEST_F(ProjectTest, LoadReadsWhatSaveWrote) {
  Project.Processor = u"8051"_s;
  Project.NumberFormat = u"Intel"_s;
  TTestFile* a = OpenFile(u"a.asm"_s);
  a->ViewTopLine = 3;
  a->ViewX[0] = 1, a->ViewY[0] = 2;
  a->ViewX[9] = 7, a->ViewY[9] = 8;
  a->WindowState = TWindowState::Minimized;
  a->WindowHeight = 300;
  OpenFile(OtherDir + u"b.inc"_s);
  Project.Save();
  const QByteArray saved = ReadBytes(ProjectPath());

  TProject loaded;
  std::vector<std::unique_ptr<TTestFile>> files;
  loaded.OnOpenFile = [&](const TStringIniList& list) {
    files.push_back(std::make_unique<TTestFile>());
    loaded.AddFile(files.back().get());
    files.back()->LoadFromList(list);
  };
  loaded.Directory = ProjDir;
  loaded.FileName = Project.FileName;
  loaded.Load();
  EXPECT_EQ(loaded.Processor, u"8051"_s);
  EXPECT_EQ(loaded.NumberFormat, u"Intel"_s);
  EXPECT_EQ(loaded.IniList, (QStringList{u"Processor=8051"_s, u"NumberFormat=Intel"_s, u"FileCount=2"_s}));
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0]->WindowState, TWindowState::Minimized);
  EXPECT_EQ(files[0]->BookmarkX, (std::array<int, 10>{1, -1, -1, -1, -1, -1, -1, -1, -1, 7}));
  EXPECT_EQ(files[1]->Directory, OtherDir);

  // Saving the loaded project again gives the same bytes.
  for (auto& f : files) {
    f->ViewTopLine = f->TopLine;
    f->ViewX = f->BookmarkX;
    f->ViewY = f->BookmarkY;
  }
  loaded.Save();
  EXPECT_EQ(ReadBytes(ProjectPath()), saved);
}

TEST_F(ProjectTest, LoadAppliesDefaultsHexCountStoredSeparatorsAndOddNumbers) {
  WriteBytes(ProjectPath(),
             "[global]\r\nFileCount=0x2\r\n"
             "[File1]\r\nFile=sub\\a.asm\r\nDirectory=..\\other\r\nWindow.WindowState=Maximized\r\n"
             "Editor.TopLine=99999999999\r\nEditor.BookMark[1].X=-5\r\nEditor.BookMark[1].Y=3\r\n"
             "Editor.BookMark[2].X=2147483647\r\nEditor.BookMark[2].Y=-2147483648\r\n"
             "[File2]\r\nFile=b.asm\r\n[HighLighter]\r\n");
  Project.Load();
  EXPECT_EQ(Project.Processor, u"6800"_s);
  EXPECT_EQ(Project.NumberFormat, u"C++"_s);
  ASSERT_EQ(Project.FileCount(), 2);
  const TProjectFile* a = Project.GetFile(0);
  EXPECT_EQ(a->File, Paths::FromStored(u"sub/a.asm"_s));
  EXPECT_EQ(a->Directory, Paths::FromStored(u"../other/"_s));
  EXPECT_EQ(a->WindowState, TWindowState::Normal);  // only the exact word counts
  EXPECT_EQ(a->TopLine, -1);
  EXPECT_EQ(a->BookmarkX[1], -5);
  EXPECT_EQ(a->BookmarkY[1], 3);
  EXPECT_EQ(a->BookmarkX[2], 2147483647);
  EXPECT_EQ(a->BookmarkY[2], -2147483647 - 1);

  Project.Save();
  const QString text = QString::fromUtf8(ReadBytes(ProjectPath()));
  EXPECT_TRUE(text.startsWith(u"[global]\r\nProcessor=6800\r\nNumberFormat=C++\r\nFileCount=2\r\n"_s));
  EXPECT_TRUE(text.contains(u"[File1]\r\nFile=a.asm\r\nDirectory="_s + OtherDir + u"sub"_s + Paths::Separator()));
}

TEST_F(ProjectTest, FileCountOpensOnlyTheSectionsPresentUpToItInOrder) {
  const QByteArray sections =
      "[File3]\nFile=three.asm\n[File1]\nFile=one.asm\n[File03]\nFile=leading zero.asm\n"
      "[FileX]\nFile=x.asm\n[File0]\nFile=zero.asm\n";
  WriteBytes(ProjectPath(), "[global]\nFileCount=2147483647\n" + sections);
  Project.Load();
  ASSERT_EQ(Project.FileCount(), 2);
  EXPECT_EQ(Project.GetFile(0)->File, u"one.asm"_s);
  EXPECT_EQ(Project.GetFile(1)->File, u"three.asm"_s);

  Owned.clear();
  WriteBytes(ProjectPath(), "[global]\nFileCount=2\n" + sections);
  Project.Load();
  ASSERT_EQ(Project.FileCount(), 1);
  EXPECT_EQ(Project.GetFile(0)->File, u"one.asm"_s);
}

TEST_F(ProjectTest, MissingOrGarbageProjectFileLoadsAsAnEmptyProject) {
  Project.Load();
  EXPECT_EQ(Project.FileCount(), 0);
  EXPECT_EQ(Project.Processor, u"6800"_s);
  EXPECT_EQ(Project.NumberFormat, u"C++"_s);

  const char raw[] = "\x00\xFF[global]\x00\nFileCount=\xFF\xFE\n[File1\n\x01=\x02\n";
  QByteArray junk(raw, sizeof raw - 1);
  for (int i = 0; i < 5000; ++i) junk += char((i * 131) ^ (i >> 3));
  WriteBytes(ProjectPath(), junk);
  Project.Processor.clear();
  Project.Load();
  EXPECT_EQ(Project.FileCount(), 0);
  EXPECT_EQ(Project.Processor, u"6800"_s);
}

TEST_F(ProjectTest, UnreachableDirectoryThrowsAndLeavesTheProjectAsItWas) {
  const QString missing = Paths::IncludeTrailingSeparator(QDir::toNativeSeparators(Tmp.filePath(u"gone"_s)));
  Project.Directory = missing;
  Project.Processor = u"6301"_s;
  try {
    Project.Load();
    FAIL() << "no exception";
  } catch (const EProjectDirectoryError& e) {
    EXPECT_TRUE(QString::fromUtf8(e.what()).contains(missing));
  }
  EXPECT_EQ(Project.Directory, missing);
  EXPECT_EQ(Project.FileName, u"test.AsmPrj"_s);
  EXPECT_EQ(Project.Processor, u"6301"_s);
  EXPECT_EQ(Paths::CurrentDir(), ProjDir);
}

TEST_F(ProjectTest, SaveFailureReportsThePath) {
  Project.FileName.clear();  // the project path is then the directory itself
  EXPECT_THROW(Project.Save(), EFileCreateError);
}

TEST_F(ProjectTest, FindFileComparesNamesInAsciiUpperCaseOnly) {
  TTestFile* full = OpenFile(OtherDir + u"main.asm"_s);
  TTestFile* bare = OpenFile(u"main.asm"_s);
  TTestFile* umlaut = OpenFile(u"\u00E4.asm"_s);
  EXPECT_EQ(Project.FindFile(u"MAIN.ASM"_s), bare);
  EXPECT_EQ(Project.FindFile(OtherDir.toLower() + u"MAIN.ASM"_s), full);
  EXPECT_EQ(Project.FindFile(u"\u00E4.ASM"_s), umlaut);
  EXPECT_EQ(Project.FindFile(u"\u00C4.asm"_s), nullptr);
  EXPECT_EQ(Project.FindFile(u"other.asm"_s), nullptr);
}

TEST_F(ProjectTest, OperationsForwardToTheFilesTheyConcern) {
  TTestFile* a = OpenFile(u"a.asm"_s);
  TTestFile* b = OpenFile(u"B.inc"_s);
  Project.ApplyHighlighterPrefs();
  Project.ClearErrorMarks();
  Project.MarkError(u"b.INC"_s, 1, 17);
  Project.ShowError(u"A.ASM"_s, 4);
  Project.MarkError(u"none.asm"_s, 0, 1);
  EXPECT_EQ(a->Calls, (QStringList{u"apply"_s, u"clear"_s, u"show 4"_s}));
  EXPECT_EQ(b->Calls, (QStringList{u"apply"_s, u"clear"_s, u"mark 1 17"_s}));
}

TEST_F(ProjectTest, AFileBelongsToOneProjectAtATime) {
  TTestFile f;
  TProject other;
  Project.AddFile(&f);
  other.AddFile(&f);
  Project.AddFile(nullptr);
  EXPECT_EQ(f.Project, &Project);
  EXPECT_EQ(other.FileCount(), 0);
  other.RemoveFile(&f);
  EXPECT_EQ(Project.FileCount(), 1);
  Project.RemoveFile(&f);
  EXPECT_EQ(f.Project, nullptr);
  EXPECT_EQ(Project.FileCount(), 0);
  {
    TTestFile g;
    other.AddFile(&g);
  }
  EXPECT_EQ(other.FileCount(), 0);  // a freed file leaves its project
}

}  // namespace
