// Reading INI files (our profile reader and the file-level reads) and writing them whole.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "SettingsTestUtil.h"
#include "platform/ProfileReader.h"
#include "settings/IniFile.h"

using namespace Qt::StringLiterals;

namespace {

class IniFileTest : public ::testing::Test {
 protected:
  QString Write(const QByteArray& bytes) {
    const QString path = Dir.filePath(u"t.ini"_s);
    WriteBytes(path, bytes);
    return path;
  }
  QTemporaryDir Dir;
};

TEST_F(IniFileTest, ReaderMatchesNamesWithoutCaseTrimsAndSkipsComments) {
  const TProfileFile p = TProfileFile::FromBytes(
      "ignored=before any section\r\n"
      "  [ Global ]  \r\n"
      "; Processor=commented\r\n"
      "  Processor =  6811  \r\n"
      "\r\n"
      "bare line\n"
      "=no key\n"
      "Path=a=b\n"
      "PROCESSOR=second\n"
      "[other]\n"
      "x=1\n"
      "[GLOBAL]\n"
      "Late=yes\n"
      "path=not first\n");
  EXPECT_EQ(p.SectionNames(), (QStringList{u"Global"_s, u"other"_s}));
  EXPECT_EQ(p.KeyNames(u"global"_s), (QStringList{u"Processor"_s, u"bare line"_s, u"Path"_s, u"Late"_s}));
  EXPECT_EQ(p.Value(u"GLOBAL"_s, u"processor"_s), u"6811"_s);
  EXPECT_EQ(p.Value(u"global"_s, u"path"_s), u"a=b"_s);
  EXPECT_EQ(p.Value(u"global"_s, u"late"_s), u"yes"_s);
  EXPECT_EQ(p.Value(u"global"_s, u"bare line"_s), QString());
  EXPECT_EQ(p.Value(u"global"_s, u"ignored"_s), QString());
  EXPECT_EQ(p.Value(u"missing"_s, u"x"_s), QString());
  EXPECT_TRUE(p.KeyNames(u"missing"_s).isEmpty());
}

TEST_F(IniFileTest, ReaderDecodesUtf8OrElseLatin1) {
  const QString umlaut = u"M\u00FCller"_s;
  EXPECT_EQ(TProfileFile::FromBytes("[s]\nk=M\xC3\xBCller\n").Value(u"s"_s, u"k"_s), umlaut);
  EXPECT_EQ(TProfileFile::FromBytes("[s]\nk=M\xFCller\n").Value(u"s"_s, u"k"_s), umlaut);
}

TEST_F(IniFileTest, ReaderSurvivesGarbageNulBytesLongLinesAndMissingFiles) {
  QByteArray junk;
  for (int i = 0; i < 200000; ++i) junk += char((i * 7919 + i / 13) & 0xFF);
  QByteArray bytes = junk + "\n[s]\nk" + QByteArray(3, '\0') + QByteArray("=v\0w\n", 5) +
                     QByteArray(100 * 1024, 'x') + "=long\nlast=";
  bytes += QByteArray(100 * 1024, 'y');
  const TProfileFile p(Write(bytes));
  EXPECT_EQ(p.Value(u"s"_s, u"last"_s).size(), 100 * 1024);
  EXPECT_EQ(p.Value(u"s"_s, QString(100 * 1024, u'x')), u"long"_s);
  EXPECT_EQ(p.KeyNames(u"s"_s).size(), 3);

  EXPECT_TRUE(TProfileFile(Dir.filePath(u"absent.ini"_s)).SectionNames().isEmpty());
  EXPECT_TRUE(TProfileFile(Dir.path()).SectionNames().isEmpty());  // a directory
  TStringIniList l{u"keep=1"_s};
  ReadSectionValues(Dir.filePath(u"absent.ini"_s), u"s"_s, l);
  EXPECT_EQ(l, QStringList{u"keep=1"_s});
  EXPECT_EQ(ReadIniInteger(Dir.filePath(u"absent.ini"_s), u"s"_s, u"k"_s, 42), 42);
}

TEST_F(IniFileTest, ReadSectionValuesMergesIntoAListThatIsNotCleared) {
  const QString path = Write(
      "[A]\r\nx=1\r\nshared=from A\r\n"
      "[B]\r\nSHARED=from B\r\nb=2\r\nempty=\r\nheader=h\r\n");
  TStringIniList l{u"[keep]"_s, u"Empty=old"_s, u"other=o"_s};
  ReadSectionValues(path, u"A"_s, l);
  EXPECT_EQ(l, (QStringList{u"[keep]"_s, u"Empty=old"_s, u"other=o"_s, u"x=1"_s, u"shared=from A"_s}));
  ReadSectionValues(path, u"b"_s, l);
  // Same-named keys are replaced in place (spelled as in the file), empty values remove.
  EXPECT_EQ(l, (QStringList{u"[keep]"_s, u"other=o"_s, u"x=1"_s, u"SHARED=from B"_s, u"b=2"_s,
                            u"header=h"_s}));
}

TEST_F(IniFileTest, FileLevelReadIntegerAcceptsTheHexPrefix) {
  const QString path = Write(
      "[s]\nhex=0x1F\nHEX2=0X1f\nshort=0x\nneg=0x-1\ndollar=$10\nblanks=  12  \nbad=12a\nbig=0x100000000\n");
  EXPECT_EQ(ReadIniInteger(path, u"s"_s, u"hex"_s, -1), 31);
  EXPECT_EQ(ReadIniInteger(path, u"s"_s, u"hex2"_s, -1), 31);
  EXPECT_EQ(ReadIniInteger(path, u"s"_s, u"short"_s, -1), -1);
  EXPECT_EQ(ReadIniInteger(path, u"s"_s, u"neg"_s, -1), -1);
  EXPECT_EQ(ReadIniInteger(path, u"s"_s, u"dollar"_s, -1), 16);
  EXPECT_EQ(ReadIniInteger(path, u"s"_s, u"blanks"_s, -1), 12);  // the reader trims
  EXPECT_EQ(ReadIniInteger(path, u"s"_s, u"bad"_s, -1), -1);
  EXPECT_EQ(ReadIniInteger(path, u"s"_s, u"big"_s, -1), -1);
  EXPECT_EQ(ReadIniInteger(path, u"s"_s, u"missing"_s, 5), 5);
}

TEST_F(IniFileTest, WriteIniFileWritesEveryLineWithCrLfAndNothingElse) {
  const QString path = Dir.filePath(u"w.ini"_s);
  WriteBytes(path, "old content that is longer than the new one\n");
  WriteIniFile(path, {u"[A]"_s, u"a=1"_s, u"[B]"_s, u"b=\u00E4"_s});
  EXPECT_EQ(ReadBytes(path), QByteArray("[A]\r\na=1\r\n[B]\r\nb=\xC3\xA4\r\n"));
  WriteIniFile(path, {});
  EXPECT_EQ(ReadBytes(path), QByteArray());
}

TEST_F(IniFileTest, FailedWriteThrowsTheGermanMessageAndKeepsTheOldFile) {
  // A non-empty directory stands where the file should go: it cannot be replaced.
  const QString path = Dir.filePath(u"taken"_s);
  ASSERT_TRUE(QDir(Dir.path()).mkpath(u"taken/inner"_s));
  try {
    WriteIniFile(path, {u"x=1"_s});
    FAIL() << "no exception";
  } catch (const EFileCreateError& e) {
    EXPECT_EQ(e.Message(), u"Kann Datei "_s + path + u" nicht erstellen"_s);
  }
  EXPECT_TRUE(QFileInfo(path + u"/inner"_s).isDir());

  const QString noDir = Dir.filePath(u"missing/dir/f.ini"_s);
  EXPECT_THROW(WriteIniFile(noDir, {u"x=1"_s}), EFileCreateError);
  EXPECT_FALSE(QFile::exists(noDir));
}

}  // namespace
