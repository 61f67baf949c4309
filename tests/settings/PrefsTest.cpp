// The application object and Kodrill.ini, with the list of files opened last.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileDevice>
#include <QTemporaryDir>

#include "SettingsTestUtil.h"
#include "highlight/AssemSyn.h"
#include "platform/Paths.h"
#include "settings/IniFile.h"
#include "settings/KodrillApp.h"

using namespace Qt::StringLiterals;

namespace {

class PrefsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // No assembler along PATH: the defaults are the fixed ones.
    SavedPath = qgetenv("PATH");
    qputenv("PATH", Tmp.filePath(u"nothing"_s).toUtf8());
    IniPath = Tmp.filePath(u"Kodrill.ini"_s);
    App.SetSettingsFilePath(IniPath);
  }
  void TearDown() override { qputenv("PATH", SavedPath); }
  THighlighterAttributes* Attr(int i) const { return App.HighLighterPrefs()->HighLighter()->Attribute(i); }

  QTemporaryDir Tmp;
  QByteArray SavedPath;
  QString IniPath;
  TKodrillApp App;
};

TEST_F(PrefsTest, WithoutAFileLoadGivesTheDefaultsAndSaveWritesThe67Lines) {
  // Per attribute in list order: bold, italic, foreground (no background, underline or strike-out).
  const std::tuple<const char16_t*, bool, bool, const char16_t*> attributes[] = {
      {u"comment", false, true, u"$000000FF"},     {u"directive", true, false, u"$00800000"},
      {u"identifier", false, false, u"$1FFFFFFF"}, {u"illegal char", false, false, u"$1FFFFFFF"},
      {u"keyword", true, false, u"$1FFFFFFF"},     {u"number", false, false, u"$00808000"},
      {u"space", false, false, u"$80000005"},      {u"string", false, false, u"$00008000"},
      {u"symbol", false, false, u"$1FFFFFFF"}};
  const QString exeDir = Paths::ExcludeTrailingSeparator(Paths::ExecutableDirectory());
  QStringList expected{u"[HighLighter]"_s, u"Font.Name=Courier New"_s, u"Font.Size=10"_s};
  for (const auto& [name, bold, italic, foreground] : attributes) {
    const QString p = u"AsmSyn."_s + QString::fromUtf16(name);
    expected << p + u".Style.Bold="_s + QString::number(bold) << p + u".Style.Italic="_s + QString::number(italic)
             << p + u".Style.Underline=0"_s << p + u".Style.StrikeOut=0"_s << p + u".Background=$1FFFFFFF"_s
             << p + u".Foreground="_s + QString::fromUtf16(foreground);
  }
  expected << u"[Assembler]"_s << u"DefaultNumberFormat=C"_s << u"DefaultProcessor=6811"_s << u"AsDirectory=/usr/local/"_s
           << u"AsExecutable=bin/asl"_s << u"[General]"_s << u"Window.Left=0"_s << u"Window.Top=0"_s
           << u"ProjectDirectory="_s + exeDir << u"KodrillDirectory="_s + exeDir;
  App.LoadPrefs();
  App.SavePrefs();
  EXPECT_EQ(QString::fromUtf8(ReadBytes(IniPath)), QString::fromUtf8(CrLf(expected)));
}

TEST_F(PrefsTest, HandEditedFileWithCrLineEndsChangesOnlyWhatItNames) {
  WriteBytes(IniPath,
             "[HighLighter]\rAsmSyn.keyword.Style.Italic=1\rAsmSyn.comment.Foreground=255\r"
             "AsmSyn.directive.Style.Bold=true\rAsmSyn.illegal char.Background=$00112233\r"
             "AsmSyn.number.Foreground=teal\rFont.Size=big\r"
             "[Assembler]\rWindow.Left=-40\rAsDirectory=\" c:\\as\\ \"\rDefaultProcessor=\rAsExecutable=bin/other\r"
             "[General]\rWindow.Top=0x10\r");
  App.GeneralPrefs()->WindowTop = 33;
  App.LoadPrefs();
  EXPECT_EQ(Attr(4)->Style(), fsBold | fsItalic);  // keyword
  EXPECT_EQ(Attr(1)->Style(), fsBold);             // "true" is no boolean
  EXPECT_EQ(Attr(5)->Foreground(), 0x00808000);    // unparsable: current value
  EXPECT_EQ(App.AssemblerPrefs()->DefaultProcessor, u"6811"_s);  // empty counts as missing
  EXPECT_EQ(App.GeneralPrefs()->WindowTop, 33);    // "0x" is only for the file-level read
  EXPECT_EQ(App.AssemblerPrefs()->AsDirectory, u" c:\\as\\ "_s);

  App.GeneralPrefs()->KodrillDirectory.clear();
  App.SavePrefs();
  const QStringList lines = QString::fromUtf8(ReadBytes(IniPath)).split(u"\r\n"_s);
  ASSERT_EQ(lines.size(), 67);  // 66 lines and the empty rest after the last CR LF
  EXPECT_EQ(lines.indexOf(u"AsmSyn.comment.Foreground=$000000FF"_s), 8);
  EXPECT_EQ(lines.indexOf(u"AsmSyn.illegal char.Background=$00112233"_s), 25);
  EXPECT_EQ(lines.mid(59, 7), (QStringList{u"DefaultProcessor=6811"_s, u"AsDirectory=\" c:\\as\\ \""_s,
                                           u"AsExecutable=bin/other"_s, u"[General]"_s, u"Window.Left=-40"_s,
                                           u"Window.Top=33"_s, u"ProjectDirectory="_s + App.GeneralPrefs()->ProjectDirectory}));
}

TEST_F(PrefsTest, FontSizeOutsideFourTo200PointsGivesTheDefault) {
  for (const auto& [text, size] : {std::pair{"100000", 10}, {"201", 10}, {"200", 200}, {"16", 16}, {"4", 4},
                                   {"3", 10}, {"0", 10}, {"-5", 10}, {"abc", 10}}) {
    WriteBytes(IniPath, QByteArray("[HighLighter]\nFont.Size=") + text + "\n");
    App.LoadPrefs();
    EXPECT_EQ(App.HighLighterPrefs()->FontSize, size) << text;
  }
}

TEST_F(PrefsTest, NoTextFileGivesTheDefaultsWithAMessageAndIsNeverReplacedByAPipe) {
  const QString nul = Tmp.filePath(u"nul.ini"_s), pipe = Tmp.filePath(u"pipe.ini"_s);
  WriteBytes(nul, QByteArray("[HighLighter]\nFont.Name=Mono\0", 29));
  for (const auto& [path, reason] : {std::pair(nul, u"Sie ist keine Textdatei."_s),
                                     std::pair(pipe, u"Das ist keine gewöhnliche Datei."_s)}) {
    if (path == pipe && !MakeFifo(pipe)) continue;
    App.SetSettingsFilePath(path);
    App.HighLighterPrefs()->FontName.clear();
    try {
      App.LoadPrefs();
      ADD_FAILURE() << "no exception for " << path.toStdString();
    } catch (const EFileReadError& e) {
      EXPECT_EQ(QString::fromUtf8(e.what()),
                u"Kann Datei %1 nicht lesen: %2\nEs gelten die Standardeinstellungen."_s.arg(path, reason));
    }
    EXPECT_EQ(App.HighLighterPrefs()->FontName, u"Courier New"_s);
  }
  if (!QFileInfo::exists(pipe)) return;
  EXPECT_THROW(App.SavePrefs(), EFileCreateError);
  EXPECT_FALSE(QFileInfo(pipe).isFile());
}

TEST_F(PrefsTest, AsmlFoundAlongPathGivesTheInstallationDirectory) {
  const QString bin = Tmp.filePath(u"inst/bin"_s);
  ASSERT_TRUE(QDir().mkpath(bin));
  WriteBytes(bin + u"/asl"_s, "#!/bin/sh\n");
  QFile(bin + u"/asl"_s).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  qputenv("PATH", (Tmp.filePath(u"nothing"_s) + u":"_s + bin).toUtf8());
  App.LoadPrefs();
  EXPECT_EQ(App.AssemblerPrefs()->AsDirectory, Tmp.filePath(u"inst/"_s));
  EXPECT_EQ(App.AssemblerPrefs()->AsExecutable, u"bin/asl"_s);
}

TEST_F(PrefsTest, RecentListKeepsTheLastTenOnceEachAndListsProjectsFirst) {
  const auto full = [this](const QString& name) { return QDir::toNativeSeparators(Tmp.filePath(name)); };
  QStringList eleven;
  for (int i = 1; i <= 11; ++i) eleven << u"%1.asm"_s.arg(i);
  const std::pair<QStringList, QStringList> cases[] = {  // added; kept, most recent first
      {{u"a.asm"_s, u"b.asm"_s, u"sub/../a.asm"_s}, {u"a.asm"_s, u"b.asm"_s}},
      {eleven, QStringList(eleven.crbegin(), eleven.crbegin() + 10)},
      {{u"a.asm"_s, u"x\ny.asm"_s, {}}, {u"a.asm"_s}},
  };
  for (const auto& [added, kept] : cases) {
    TRecentFiles recent, reread;
    for (const QString& name : added) recent.Add(name.isEmpty() ? name : full(name));
    reread.LoadFromList(recent.SaveToList());
    QStringList want;
    for (const QString& name : kept) want << full(name);
    EXPECT_EQ(recent.Entries(), want);
    EXPECT_EQ(reread.Entries(), want);
  }
  WriteBytes(full(u"a.asm"_s), "a\n");
  WriteBytes(full(u"p.AsmPrj"_s), "");
  TRecentFiles recent;
  recent.LoadFromList({u"Entry2="_s + full(u"p.AsmPrj"_s), u"Entry1="_s + full(u"gone.asm"_s),
                       u"Entry9="_s + full(u"a.asm"_s), u"Entry3="_s + full(u"gone.ASMPRJ"_s)});
  QStringList menu;  // name, P for a project, - for a file that is gone
  for (const TRecentFiles::TEntry& e : recent.MenuEntries())
    menu << QDir(Tmp.path()).relativeFilePath(e.Path) + (e.Project ? u" P"_s : u""_s) + (e.Exists ? u""_s : u" -"_s);
  EXPECT_EQ(menu, (QStringList{u"p.AsmPrj P"_s, u"gone.ASMPRJ P -"_s, u"gone.asm -"_s, u"a.asm"_s}));
#ifndef Q_OS_WIN
  // A drive path from a Windows machine is kept, not buried under the current folder.
  TRecentFiles old, reread;
  old.LoadFromList({u"Entry1=C:\\Projekte\\ALT.AsmPrj"_s});
  reread.LoadFromList(old.SaveToList());
  EXPECT_EQ(reread.Entries(), QStringList{u"C:\\Projekte\\ALT.AsmPrj"_s});
#endif
}

}  // namespace
