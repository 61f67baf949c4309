// Name/value rules, typed reads and writes of the INI string list.
#include <gtest/gtest.h>

#include <climits>

#include "SettingsTestUtil.h"
#include "settings/StringIniList.h"

using namespace Qt::StringLiterals;

namespace {

TEST(ParseIniInteger, AcceptsLeadingBlanksHexAndSignedDecimalOnly) {
  const struct {
    const char16_t* Text;
    bool Ok;
    int Value;
  } cases[] = {
      {u"12", true, 12}, {u"   12", true, 12}, {u"+7", true, 7}, {u"-0", true, 0}, {u"007", true, 7},
      {u"-2147483648", true, INT_MIN}, {u"2147483647", true, INT_MAX}, {u"$ff", true, 255},
      {u"$000000000FF", true, 255}, {u"$80000000", true, INT_MIN}, {u"$FFFFFFFF", true, -1}, {u" $1F", true, 31},
      {u"12 ", false, 0}, {u"\t12", false, 0}, {u"", false, 0}, {u"   ", false, 0}, {u"$", false, 0},
      {u"0x1F", false, 0}, {u"2147483648", false, 0}, {u"-2147483649", false, 0},
      {u"99999999999999999999999", false, 0}, {u"$100000000", false, 0}, {u"-$5", false, 0},
      {u"+-5", false, 0}, {u"-", false, 0}, {u"1 2", false, 0}, {u"$G", false, 0}, {u"\uFF11", false, 0},
  };
  for (const auto& c : cases) {
    const QString text = QString::fromUtf16(c.Text);
    int v = 4711;
    EXPECT_EQ(ParseIniInteger(text, v), c.Ok) << text.toStdString();
    EXPECT_EQ(v, c.Ok ? c.Value : 4711) << text.toStdString();
  }
}

TEST(StringIniList, KeyIsTextBeforeFirstEqualsSignUntrimmedAndCaseInsensitive) {
  TStringIniList l{u"[global]"_s, u"A=B=C"_s, u"Font.Size = 10"_s, u"Name=a"_s, u"NAME=b"_s, u"no key"_s};
  EXPECT_EQ(l.Values(u"a"_s), u"B=C"_s);
  EXPECT_EQ(l.ReadInteger(u"Font.Size "_s, 3), 10);  // the value's leading blank is fine
  EXPECT_EQ(l.Values(u"name"_s), u"a"_s);
  for (const QString& k : {u"[global]"_s, u"no key"_s, u"Nam"_s, u"Font.Size"_s}) EXPECT_EQ(l.IndexOfName(k), -1);

  l.SetValues(u"NAME"_s, u"c"_s);
  l.SetValues(u"New"_s, u"x"_s);
  l.WriteString(u"a"_s, QString());  // an empty value removes the first line of the key only
  l.WriteString(u"absent"_s, QString());
  EXPECT_EQ(l, (QStringList{u"[global]"_s, u"Font.Size = 10"_s, u"NAME=c"_s, u"NAME=b"_s, u"no key"_s,
                            u"New=x"_s}));
  l.append(u"e="_s);
  EXPECT_EQ(l.ReadString(u"e"_s, u"d"_s), u"d"_s);
}

TEST(StringIniList, TypedWritesFixTheStoredFormAndReadBack) {
  TStringIniList l;
  l.WriteHex(u"h1"_s, 255);
  l.WriteHex(u"h2"_s, -1);
  l.WriteHex(u"h3"_s, int(0x8000000Au));
  l.WriteInteger(u"i"_s, INT_MIN);
  l.WriteBool(u"b1"_s, true);
  l.WriteBool(u"b0"_s, false);
  EXPECT_EQ(l, (QStringList{u"h1=$000000FF"_s, u"h2=$FFFFFFFF"_s, u"h3=$8000000A"_s, u"i=-2147483648"_s, u"b1=1"_s, u"b0=0"_s}));
  EXPECT_EQ(l.ReadInteger(u"h3"_s, 0), int(0x8000000Au));
  EXPECT_EQ(l.ReadInteger(u"i"_s, 0), INT_MIN);

  // Booleans read only these exact words.
  l << u"t=TRUE"_s << u"f=FALSE"_s << u"e=True"_s << u"y=yes"_s << u"g= 1"_s;
  EXPECT_TRUE(l.ReadBool(u"t"_s, false) && l.ReadBool(u"b1"_s, false));
  EXPECT_FALSE(l.ReadBool(u"f"_s, true) || l.ReadBool(u"b0"_s, true));
  for (const QString& k : {u"e"_s, u"y"_s, u"g"_s, u"missing"_s})
    EXPECT_TRUE(l.ReadBool(k, true) && !l.ReadBool(k, false)) << k.toStdString();
}

}  // namespace
