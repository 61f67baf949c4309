// Reading INI files (our profile reader and the file-level reads) and writing them whole.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "SettingsTestUtil.h"
#include "editor/EditLines.h"
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

TEST_F(IniFileTest, ReaderTakesEveryLineEndEachLinesOwnEncodingAndQuotes) {
  const struct {
    QByteArray Bytes;
    const char16_t* Value;  // of key k in section s
  } cases[] = {
      {"[s]\rk=v\r", u"v"},
      {"[s]\nk=v", u"v"},
      {"\xEF\xBB\xBF[s]\nk=v\n", u"v"},
      {QByteArray("\xFF\xFE[\0s\0]\0\r\0k\0=\0v\0", 16), u"v"},
      {"[s]\n; J\xF6rg\nk=M\xC3\xBC\n", u"M\u00FC"},
      {"[s]\nk=\xC3\n", u"\u00C3"},  // a sequence cut off by the line end
      {"[s]\nk=\" a \"\n", u" a "},
      {"[s]\nk=\"\"q\"\"\n", u"\"q\""},
      {"[s]\nk=\"\n", u"\""},
      {"[s]\n  k =  a=b;c  \n", u"a=b;c"},
      {"[s]\n;k=comment\nk=first\nK=second\n", u"first"},
      {"k=x\n  [ S ] ; c\nk=v\n", u"v"},
      {"[s]\nk\nk=late\n", u""},
  };
  for (const auto& [bytes, value] : cases)
    EXPECT_EQ(TProfileFile(Write(bytes)).Value(u"S"_s, u"K"_s), QString::fromUtf16(value)) << bytes.toStdString();

  const TProfileFile p = TProfileFile::FromBytes("[A]\nb=1\n[c]\nx=1\n[a]\nd=2\nB=3\n");
  EXPECT_EQ(p.SectionNames(), (QStringList{u"A"_s, u"c"_s}));
  EXPECT_EQ(p.KeyNames(u"a"_s), (QStringList{u"b"_s, u"d"_s}));
}

TEST_F(IniFileTest, FileLevelReadsMergeIntoAListThatIsNotClearedAndTakeTheHexPrefix) {
  const QString path = Write("[A]\r\nx=1\r\nshared=from A\r\n[B]\r\nSHARED=from B\r\nb=2\r\nempty=\r\n"
                             "[s]\nhex=0x1F\nHEX2=0X1f\nshort=0x\nneg=0x-1\ndollar=$10\nblanks=  12  \nbig=0x100000000\n");
  TStringIniList l{u"[keep]"_s, u"Empty=old"_s};
  ReadSectionValues(path, u"A"_s, l);
  ReadSectionValues(path, u"b"_s, l);
  ReadSectionValues(Dir.filePath(u"absent.ini"_s), u"A"_s, l);
  EXPECT_EQ(l, (QStringList{u"[keep]"_s, u"x=1"_s, u"SHARED=from B"_s, u"b=2"_s}));
  const std::pair<const char16_t*, int> cases[] = {{u"hex", 31},    {u"hex2", 31},   {u"short", -1}, {u"neg", -1},
                                                   {u"dollar", 16}, {u"blanks", 12}, {u"big", -1},   {u"none", -1}};
  for (const auto& [key, value] : cases) EXPECT_EQ(ReadIniInteger(path, u"s"_s, QString::fromUtf16(key), -1), value);
}

TEST_F(IniFileTest, WriteIniFileReplacesTheWholeFileWithCrLfLinesOrFailsAndKeepsIt) {
  const QString path = Write("old content that is longer than the new one\n");
  WriteIniFile(path, {u"[A]"_s, u"a=1"_s, u"b=\u00E4"_s});
  EXPECT_EQ(ReadBytes(path), QByteArray("[A]\r\na=1\r\nb=\xC3\xA4\r\n"));
  EXPECT_THROW(WriteIniFile(Dir.filePath(u"missing/f.ini"_s), {u"x=1"_s}), EFileCreateError);
  EXPECT_THROW(WriteIniFile(Dir.path(), {u"x=1"_s}), EFileCreateError);
  EXPECT_FALSE(QFile::exists(Dir.filePath(u"missing"_s)));
}

// A project or settings file in a folder that is gone says why in the words a source file's save
// uses.
TEST_F(IniFileTest, AFailedWriteSaysWhyAsASourceSaveDoes) {
  const QString path = Dir.filePath(u"missing/f.ini"_s);
  const auto reason = [](const std::exception& e) {
    const std::string message = e.what();
    return message.substr(message.find(": "));
  };
  std::string ini = "no error", text = "no error";
  try {
    WriteIniFile(path, {u"x=1"_s});
  } catch (const EFileCreateError& e) {
    ini = reason(e);
  }
  TEditLines source;
  try {
    source.SaveToFile(path);
  } catch (const EEditFileError& e) {
    text = reason(e);
  }
  EXPECT_EQ(ini, text);
}

TEST_F(IniFileTest, WriteIniSectionReplacesOnlyItsSectionAndKeepsEveryOtherByte) {
  const TIniSection recent{u"Recent"_s, {u"Entry1=/a"_s}};
  const QByteArray written = "[Recent]\r\nEntry1=/a\r\n";
  const std::pair<QByteArray, QByteArray> cases[] = {
      {"", written},
      {"[General]\r\n; J\xF6rg\r\n", "[General]\r\n; J\xF6rg\r\n" + written},
      {"[A]\nk=1", "[A]\nk=1\r\n" + written},
      {"\xEF\xBB\xBF[Recent]\r\nEntry1=/old\r\n[B]\r\n", "\xEF\xBB\xBF" + written + "[B]\r\n"},
      {"[ recent ]\nEntry1=/old\n[B]\rb=2\n[Recent]\nEntry2=/x\n", written + "[B]\rb=2\n"},
      {QByteArray("[A]\0", 4), {}},  // no text file: refused, left as it is
  };
  for (const auto& [before, after] : cases) {
    const QString path = Write(before);
    if (after.isEmpty()) EXPECT_THROW(WriteIniSection(path, recent), EFileReadError);
    else WriteIniSection(path, recent);
    EXPECT_EQ(ReadBytes(path), after.isEmpty() ? before : after) << before.toStdString();
  }
}

}  // namespace
