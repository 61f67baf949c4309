// The application object and Kodrill.ini.
#include <gtest/gtest.h>

#include <QFileDevice>
#include <QTemporaryDir>

#include "SettingsTestUtil.h"
#include "highlight/AssemSyn.h"
#include "platform/Paths.h"
#include "settings/IniFile.h"
#include "settings/KodrillApp.h"

using namespace Qt::StringLiterals;

namespace {

struct AttributeRow {
  const char16_t* Name;
  bool Bold, Italic;
  const char16_t* Background;
  const char16_t* Foreground;
};

// The start values of the master highlighter, in attribute order.
const AttributeRow DefaultAttributes[] = {
    {u"comment", false, true, u"$1FFFFFFF", u"$000000FF"},
    {u"directive", true, false, u"$1FFFFFFF", u"$00800000"},
    {u"identifier", false, false, u"$1FFFFFFF", u"$1FFFFFFF"},
    {u"illegal char", false, false, u"$1FFFFFFF", u"$1FFFFFFF"},
    {u"keyword", true, false, u"$1FFFFFFF", u"$1FFFFFFF"},
    {u"number", false, false, u"$1FFFFFFF", u"$00808000"},
    {u"space", false, false, u"$1FFFFFFF", u"$80000005"},
    {u"string", false, false, u"$1FFFFFFF", u"$00008000"},
    {u"symbol", false, false, u"$1FFFFFFF", u"$1FFFFFFF"},
};

QStringList AttributeLines(const AttributeRow& r) {
  const QString p = u"AsmSyn."_s + QString::fromUtf16(r.Name);
  return {p + u".Style.Bold="_s + (r.Bold ? u"1"_s : u"0"_s),
          p + u".Style.Italic="_s + (r.Italic ? u"1"_s : u"0"_s),
          p + u".Style.Underline=0"_s,
          p + u".Style.StrikeOut=0"_s,
          p + u".Background="_s + QString::fromUtf16(r.Background),
          p + u".Foreground="_s + QString::fromUtf16(r.Foreground)};
}

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

  QStringList DefaultFile() const {
    const QString exeDir = Paths::ExcludeTrailingSeparator(Paths::ExecutableDirectory());
    QStringList l{u"[HighLighter]"_s, u"Font.Name=Courier New"_s, u"Font.Size=10"_s};
    for (const AttributeRow& r : DefaultAttributes) l << AttributeLines(r);
    l << u"[Assembler]"_s << u"DefaultNumberFormat=C"_s << u"DefaultProcessor=6811"_s
      << u"AsDirectory=/usr/local/"_s << u"AsExecutable=bin/asl"_s << u"[General]"_s << u"Window.Left=0"_s
      << u"Window.Top=0"_s << u"ProjectDirectory="_s + exeDir << u"KodrillDirectory="_s + exeDir;
    return l;
  }
  THighlighterAttributes* Attr(int i) const { return App.HighLighterPrefs()->HighLighter()->Attribute(i); }

  QTemporaryDir Tmp;
  QByteArray SavedPath;
  QString IniPath;
  TKodrillApp App;
};

TEST_F(PrefsTest, WithoutAFileLoadGivesTheDefaultsAndSaveWritesThe67Lines) {
  App.LoadPrefs();
  App.SavePrefs();
  const QStringList expected = DefaultFile();
  ASSERT_EQ(expected.size(), 67);
  EXPECT_EQ(QString::fromUtf8(ReadBytes(IniPath)), QString::fromUtf8(CrLf(expected)));

  // Reading the written file back and saving again changes nothing.
  TKodrillApp again;
  again.SetSettingsFilePath(IniPath);
  again.LoadPrefs();
  again.SavePrefs();
  EXPECT_EQ(ReadBytes(IniPath), CrLf(expected));
}

TEST_F(PrefsTest, HandEditedFileChangesOnlyWhatItNames) {
  WriteBytes(IniPath,
             "[HighLighter]\r\n"
             "AsmSyn.keyword.Style.Italic=1\r\n"
             "AsmSyn.comment.Foreground=255\r\n"
             "AsmSyn.directive.Style.Bold=true\r\n"
             "AsmSyn.illegal char.Background=$00112233\r\n"
             "AsmSyn.illegal char.Style.StrikeOut=1\r\n"
             "AsmSyn.number.Foreground=teal\r\n"
             "Font.Size=big\r\n"
             "[Assembler]\r\n"
             "Window.Left=-40\r\n"
             "AsDirectory=c:\\as\\\r\n"
             "[General]\r\n"
             "Window.Top=0x10\r\n");
  App.GeneralPrefs()->WindowTop = 33;
  App.LoadPrefs();
  EXPECT_EQ(Attr(4)->Style(), fsBold | fsItalic);  // keyword
  EXPECT_EQ(Attr(0)->Foreground(), 255);           // comment
  EXPECT_EQ(Attr(1)->Style(), fsBold);             // "true" is no boolean
  EXPECT_EQ(Attr(3)->Background(), 0x00112233);   // illegal char
  EXPECT_EQ(Attr(3)->Style(), fsStrikeOut);
  EXPECT_EQ(Attr(5)->Foreground(), 0x00808000);    // unparsable: current value
  EXPECT_EQ(App.HighLighterPrefs()->FontSize, 10);
  EXPECT_EQ(App.GeneralPrefs()->WindowLeft, -40);  // found under [Assembler]
  EXPECT_EQ(App.GeneralPrefs()->WindowTop, 33);    // "0x" is only for the file-level read
  EXPECT_EQ(App.AssemblerPrefs()->AsDirectory, u"c:\\as\\"_s);  // kept as the file says

  App.SavePrefs();
  const QStringList lines = QString::fromUtf8(ReadBytes(IniPath)).split(u"\r\n"_s);
  ASSERT_EQ(lines.size(), 68);  // 67 lines and the empty rest after the last CR LF
  EXPECT_EQ(lines.indexOf(u"AsmSyn.comment.Foreground=$000000FF"_s), 8);
  EXPECT_EQ(lines.indexOf(u"AsmSyn.keyword.Style.Italic=1"_s), 28);
  EXPECT_EQ(lines.indexOf(u"AsmSyn.illegal char.Style.StrikeOut=1"_s), 24);
  EXPECT_EQ(lines.indexOf(u"AsmSyn.illegal char.Background=$00112233"_s), 25);
  EXPECT_EQ(lines.indexOf(u"AsDirectory=c:\\as\\"_s), 60);
  EXPECT_EQ(lines.indexOf(u"Window.Left=-40"_s), 63);  // back under [General]
  EXPECT_EQ(lines.count(u"Window.Left=-40"_s), 1);
  EXPECT_EQ(lines[62], u"[General]"_s);
}

TEST_F(PrefsTest, EmptyValuesCountAsMissingAndEmptyFieldsAreNotWritten) {
  WriteBytes(IniPath, "[Assembler]\nDefaultProcessor=\nAsExecutable=bin/other\n");
  App.LoadPrefs();
  EXPECT_EQ(App.AssemblerPrefs()->DefaultProcessor, u"6811"_s);
  EXPECT_EQ(App.AssemblerPrefs()->AsExecutable, u"bin/other"_s);
  App.GeneralPrefs()->KodrillDirectory.clear();
  App.SavePrefs();
  const QString text = QString::fromUtf8(ReadBytes(IniPath));
  EXPECT_FALSE(text.contains(u"KodrillDirectory"_s));
  EXPECT_EQ(text.count(u"\r\n"_s), 66);
}

TEST_F(PrefsTest, BinaryOrTruncatedFilesGiveDefaults) {
  const char raw[] = "[HighLighter]\nFont.Size=\x00\x01\nAsmSyn.comment.Foreground=$FF";
  QByteArray junk(raw, sizeof raw - 1);
  for (int i = 0; i < 3000; ++i) junk += char(i * 37);
  WriteBytes(IniPath, junk);
  App.LoadPrefs();
  EXPECT_EQ(App.HighLighterPrefs()->FontSize, 10);
  EXPECT_EQ(App.HighLighterPrefs()->FontName, u"Courier New"_s);
  EXPECT_EQ(App.AssemblerPrefs()->DefaultNumberFormat, u"C"_s);

  WriteBytes(IniPath, "[HighLighter]\r\nFont.Name=Mono\r\nFont.Si");
  App.LoadPrefs();
  EXPECT_EQ(App.HighLighterPrefs()->FontName, u"Mono"_s);
  EXPECT_EQ(App.HighLighterPrefs()->FontSize, 10);
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
  EXPECT_TRUE(KnownAssemblerExecutables().contains(u"bin/asl"_s));
}

TEST_F(PrefsTest, FailedSaveThrowsAndKeepsTheOldFile) {
  App.LoadPrefs();
  WriteBytes(Tmp.filePath(u"file"_s), "not a directory");
  const QString bad = Tmp.filePath(u"file/Kodrill.ini"_s);
  App.SetSettingsFilePath(bad);
  try {
    App.SavePrefs();
    FAIL() << "no exception";
  } catch (const EFileCreateError& e) {
    EXPECT_EQ(e.Message(), u"Kann Datei "_s + bad + u" nicht erstellen"_s);
  }
  EXPECT_EQ(ReadBytes(Tmp.filePath(u"file"_s)), QByteArray("not a directory"));
}

TEST_F(PrefsTest, SettingsFileSitsBesideAWritableExecutable) {
  TKodrillApp fresh;
  EXPECT_EQ(fresh.SettingsFilePath(), Paths::ExecutableDirectory() + u"Kodrill.ini"_s);
}

}  // namespace
