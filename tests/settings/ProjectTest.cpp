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

class TTestFile : public TProjectFile {
 public:
  void CreateView() override {}
  void DestroyView() override {}
  void LoadView() override {}
  void ApplyHighlighterPrefs() override {}
};

class ProjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SavedCwd = QDir::currentPath();
    ASSERT_TRUE(QDir(Tmp.path()).mkpath(u"proj"_s) && QDir(Tmp.path()).mkpath(u"other"_s));
    ProjDir = Paths::IncludeTrailingSeparator(QDir::toNativeSeparators(Tmp.filePath(u"proj"_s)));
    OtherDir = Paths::IncludeTrailingSeparator(QDir::toNativeSeparators(Tmp.filePath(u"other"_s)));
    ASSERT_TRUE(QDir::setCurrent(ProjDir));
    Project.Directory = ProjDir;
    Project.FileName = u"test.AsmPrj"_s;
    Project.OnOpenFile = [this](const TStringIniList& list) { Open(list); };
  }
  void TearDown() override { QDir::setCurrent(SavedCwd); }  // before Tmp goes
  TTestFile* Open(const TStringIniList& list) {
    Owned.push_back(std::make_unique<TTestFile>());
    Project.AddFile(Owned.back().get());
    Owned.back()->LoadFromList(list);
    return Owned.back().get();
  }
  TTestFile* OpenFile(const QString& file) { return Open(TStringIniList{u"File="_s + file}); }
  QString ProjectPath() const { return ProjDir + Project.FileName; }
  QStringList Names() const {
    QStringList names;
    for (TProjectFile* f : Project.Files) names << f->Directory + f->File;
    return names;
  }
  // The lines of one [FileN] section for a file with no window state and no bookmarks.
  static QStringList PlainEntry(const QString& file, const QString& dir, int topLine = -1) {
    QStringList l;
    if (!file.isEmpty()) l << u"File="_s + file;
    if (!dir.isEmpty()) l << u"Directory="_s + dir;
    return l << u"FileType=Assembler,68HC11"_s << u"Window.Left=-1"_s << u"Window.Top=-1"_s << u"Window.Width=-1"_s
             << u"Window.Height=-1"_s << u"Window.WindowState=normal"_s << u"Editor.TopLine=%1"_s.arg(topLine);
  }

  QTemporaryDir Tmp;
  QString SavedCwd, ProjDir, OtherDir;
  TProject Project;
  std::vector<std::unique_ptr<TTestFile>> Owned;  // declared last: freed before the project
};

TEST_F(ProjectTest, SaveWritesTheFormatByteForByte) {
  Project.Processor = u"6811"_s, Project.NumberFormat = u"Motorola"_s;
  TTestFile* a = OpenFile(u"a.asm"_s);
  a->TopLine = 12, a->BookmarkX[3] = 4, a->BookmarkY[3] = 20, a->BookmarkX[7] = 0, a->BookmarkY[7] = 99;
  TTestFile* b = OpenFile(u"../other/b.inc"_s);
  b->WindowState = TWindowState::Maximized, b->WindowLeft = 5;
  OpenFile(ProjDir + u"c.asm"_s);  // a full name in the project directory
  Project.Save();

  QStringList expected{u"[global]"_s, u"Processor=6811"_s, u"NumberFormat=Motorola"_s, u"FileCount=3"_s, u"[File1]"_s};
  expected << PlainEntry(u"a.asm"_s, QString(), 12) << u"Editor.BookMark[3].X=4"_s << u"Editor.BookMark[3].Y=20"_s
           << u"Editor.BookMark[7].X=0"_s << u"Editor.BookMark[7].Y=99"_s << u"[File2]"_s;
  QStringList bLines = PlainEntry(u"b.inc"_s, OtherDir);
  bLines.replace(3, u"Window.Left=5"_s);
  bLines.replace(7, u"Window.WindowState=maximized"_s);
  expected << bLines << u"[File3]"_s << PlainEntry(u"c.asm"_s, QString()) << u"[HighLighter]"_s;
  EXPECT_EQ(QString::fromUtf8(ReadBytes(ProjectPath())), QString::fromUtf8(CrLf(expected)));
  EXPECT_EQ(Names(), (QStringList{u"a.asm"_s, OtherDir + u"b.inc"_s, u"c.asm"_s}));  // kept normalised

  Owned.erase(Owned.begin() + 1);  // the tab closes and frees its file
  Project.Save();
  EXPECT_TRUE(ReadBytes(ProjectPath()).contains("FileCount=2\r\n[File1]\r\nFile=a.asm\r\n"));
  EXPECT_TRUE(ReadBytes(ProjectPath()).contains("[File2]\r\nFile=c.asm\r\n"));
}

TEST_F(ProjectTest, EveryEntryReadsBackAsTheSameFileAndWritesBackByteForByteWhateverTheLineEnds) {
  QStringList lines{u"[global]"_s, u"Processor=6811"_s, u"NumberFormat=C"_s, u"FileCount=7"_s};
  const QString names[][2] = {{u"M\u00FCller.asm"_s, {}}, {u"J?rg.asm"_s, OtherDir}, {{}, OtherDir},
                              {u"\" lead.asm\""_s, {}},  {u"\"trail.asm\t\""_s, {}}, {u"\"\"q\"\""_s, {}},
                              {u"d=e;f.asm"_s, {}}};
  for (int i = 0; i < 7; ++i) lines << u"[File%1]"_s.arg(i + 1) << PlainEntry(names[i][0], names[i][1]);
  const QByteArray canonical = CrLf(lines << u"[HighLighter]"_s).replace("J?rg", "J\xF6rg");  // one in Latin-1
  for (const char* end : {"\r\n", "\n", "\r"}) {
    WriteBytes(ProjectPath(), QByteArray("; comment by J\xF6rg\r\n" + canonical).replace("\r\n", end));
    Owned.clear();
    Project.Load();
    EXPECT_EQ(Names(), (QStringList{u"M\u00FCller.asm"_s, OtherDir + u"J\u00F6rg.asm"_s, OtherDir, u" lead.asm"_s,
                                    u"trail.asm\t"_s, u"\"q\""_s, u"d=e;f.asm"_s}));
    Project.Save();
    EXPECT_EQ(ReadBytes(ProjectPath()), canonical) << end;
  }
  // A name the file cannot hold is refused, and the file stays as it was.
  const std::pair<QString, QString> refused[] = {
      {u"x\ny.asm"_s, u"Die Zeile „File=x\u23CEy.asm“ enthält einen Zeilenumbruch."_s},
      {OtherDir + u"a\\b.asm"_s,
       u"Der Dateiname „%1a\\b.asm“ enthält „\\“, den die Projektdatei als Verzeichnistrenner liest."_s.arg(OtherDir)}};
  for (const auto& [name, reason] : refused) {
    if (name.contains(u'\\') && Paths::Separator() == u"\\") continue;
    OpenFile(u"n.asm"_s)->File = name;  // as the user gave it
    try {
      Project.Save();
      ADD_FAILURE() << "no exception";
    } catch (const EFileCreateError& e) {
      EXPECT_EQ(e.Message(), u"Kann Datei %1 nicht erstellen: "_s.arg(ProjectPath()) + reason);
    }
    EXPECT_EQ(ReadBytes(ProjectPath()), canonical);
    Owned.pop_back();
  }
}

// Saved under a new name in another folder, then saved again: the entries name the same files,
// whatever the current directory is.
TEST_F(ProjectTest, SavingAgainAfterSaveAsInAnotherFolderNamesTheSameFiles) {
  OpenFile(OtherDir + u"x.asm"_s);  // a file opened on its own
  OpenFile(u"a.asm"_s);             // one in the project's folder
  Project.Save();
  Project.MoveTo(OtherDir, u"q.AsmPrj"_s);
  QDir::setCurrent(Tmp.path());  // wherever the current directory is
  Project.Save();
  const QByteArray first = ReadBytes(OtherDir + u"q.AsmPrj"_s);
  EXPECT_TRUE(first.contains("[File1]\r\nFile=x.asm\r\nFileType=")) << first.toStdString();
  EXPECT_TRUE(first.contains("[File2]\r\nFile=a.asm\r\nDirectory=" + ProjDir.toUtf8() + "\r\n"))
      << first.toStdString();
  Project.Save();
  EXPECT_EQ(ReadBytes(OtherDir + u"q.AsmPrj"_s), first);
}

TEST_F(ProjectTest, AnEntryInAFolderNamedLikeTheProjectsInOtherLetterCaseKeepsItsFolder) {
  const QString twin = Tmp.filePath(u"PROJ"_s);
  if (Paths::SamePath(twin, ProjDir)) GTEST_SKIP() << "file names ignore letter case here";
  ASSERT_TRUE(QDir().mkpath(twin));
  const QString file = QDir::toNativeSeparators(twin + u"/c.asm"_s);
  OpenFile(file);
  Project.Save();
  Owned.clear();
  Project.Load();
  EXPECT_EQ(Names(), QStringList{file});
}

TEST_F(ProjectTest, LoadTakesDefaultsHexCountStoredSeparatorsAndOnlyTheSectionsUpToTheCount) {
  WriteBytes(ProjectPath(),
             "[global]\r\nFileCount=0x3\r\n[File3]\r\nFile=c.asm\r\n[File03]\r\nFile=zero.asm\r\n[File4]\r\nFile=d.asm\r\n"
             "[File1]\r\nFile=sub\\a.asm\r\nDirectory=..\\other\r\nWindow.WindowState=Maximized\r\n"
             "Editor.BookMark[1].X=-5\r\n");
  Project.Load();
  EXPECT_EQ(Project.Processor + u' ' + Project.NumberFormat, u"6800 C++"_s);
  EXPECT_EQ(Names(), (QStringList{Paths::FromStored(u"../other/sub/a.asm"_s), u"c.asm"_s}));
  const TProjectFile* a = Project.GetFile(0);
  EXPECT_EQ(a->WindowState, TWindowState::Normal);  // only the exact word counts
  EXPECT_EQ(a->BookmarkX[1], -5);

  Project.Save();
  const QString text = QString::fromUtf8(ReadBytes(ProjectPath()));
  EXPECT_TRUE(text.startsWith(u"[global]\r\nProcessor=6800\r\nNumberFormat=C++\r\nFileCount=2\r\n"_s));
  EXPECT_TRUE(text.contains(u"[File1]\r\nFile=a.asm\r\nDirectory="_s + OtherDir + u"sub"_s + Paths::Separator()));
}

TEST_F(ProjectTest, AMissingFileLoadsEmptyWhileNoTextFileIsRefusedAndChangesNothing) {
  Project.Load();  // missing: an empty project
  EXPECT_EQ(Project.Processor + QString::number(Project.FileCount()), u"68000"_s);

  // Binary, a directory, too big (sparse, so cheap) and a pipe.
  WriteBytes(ProjDir + u"nul.AsmPrj"_s, QByteArray("[global]\r\nFileCount=1\0", 23));
  QFile big(ProjDir + u"big.AsmPrj"_s);
  ASSERT_TRUE(QDir(ProjDir).mkdir(u"dir.AsmPrj"_s) && big.open(QIODevice::WriteOnly) && big.resize(64 << 20));
  QStringList names{u"nul.AsmPrj"_s, u"dir.AsmPrj"_s, u"big.AsmPrj"_s};
  if (MakeFifo(ProjDir + u"pipe.AsmPrj"_s)) names << u"pipe.AsmPrj"_s;
  for (const QString& name : names) {
    Project.FileName = name;
    Project.Processor = u"6301"_s;
    const QByteArray before = ReadBytes(ProjDir + name);
    try {
      Project.Load();
      ADD_FAILURE() << "no exception for " << name.toStdString();
    } catch (const std::exception& e) {
      EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(u"Kann Datei "_s + ProjDir + name + u" nicht lesen: "_s));
    }
    EXPECT_EQ(Project.Processor, u"6301"_s);
    EXPECT_EQ(ReadBytes(ProjDir + name), before);
  }
  Project.Directory = Tmp.filePath(u"gone/"_s);
  EXPECT_THROW(Project.Load(), EProjectDirectoryError);
  EXPECT_EQ(Project.Directory + Paths::CurrentDir(), Tmp.filePath(u"gone/"_s) + ProjDir);
}

TEST_F(ProjectTest, FilesAreFoundByAsciiUpperCaseNameAndLeaveTheProjectWhenFreed) {
  TTestFile* full = OpenFile(OtherDir + u"main.asm"_s);
  TTestFile* bare = OpenFile(u"main.asm"_s);
  TTestFile* umlaut = OpenFile(u"\u00E4.asm"_s);
  EXPECT_EQ(Project.FindFile(u"MAIN.ASM"_s), bare);
  EXPECT_EQ(Project.FindFile(OtherDir.toLower() + u"MAIN.ASM"_s), full);
  EXPECT_EQ(Project.FindFile(u"\u00E4.ASM"_s), umlaut);
  EXPECT_EQ(Project.FindFile(u"\u00C4.asm"_s), nullptr);
  TProject other;
  other.AddFile(bare);
  other.RemoveFile(bare);
  EXPECT_EQ(bare->Project, &Project);
  Owned.clear();
  EXPECT_EQ(Project.FileCount(), 0);
}

}  // namespace
