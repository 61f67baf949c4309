// Name/value rules, typed reads and writes of the INI string list.
#include <gtest/gtest.h>

#include <climits>

#include "settings/StringIniList.h"

using namespace Qt::StringLiterals;

namespace {

struct ParseCase {
  const char16_t* Text;
  bool Ok;
  int Value;
};

TEST(ParseIniInteger, AcceptsLeadingBlanksHexAndSignedDecimalOnly) {
  const ParseCase cases[] = {
      {u"12", true, 12},
      {u"   12", true, 12},
      {u"+7", true, 7},
      {u"-0", true, 0},
      {u"007", true, 7},
      {u"-2147483648", true, INT_MIN},
      {u"2147483647", true, INT_MAX},
      {u"$ff", true, 255},
      {u"$000000000FF", true, 255},  // leading zeros do not count against 32 bits
      {u"$80000000", true, INT_MIN},
      {u"$FFFFFFFF", true, -1},
      {u" $1F", true, 31},
      {u"12 ", false, 0},
      {u"\t12", false, 0},
      {u"", false, 0},
      {u"   ", false, 0},
      {u"$", false, 0},
      {u"0x1F", false, 0},
      {u"2147483648", false, 0},
      {u"-2147483649", false, 0},
      {u"99999999999999999999999", false, 0},
      {u"$100000000", false, 0},
      {u"-$5", false, 0},
      {u"+-5", false, 0},
      {u"-", false, 0},
      {u"1 2", false, 0},
      {u"1.0", false, 0},
      {u"$G", false, 0},
      {u"\uFF11", false, 0},  // a digit, but not an ASCII one
  };
  for (const ParseCase& c : cases) {
    const QString text = QString::fromUtf16(c.Text);
    int v = 4711;
    EXPECT_EQ(ParseIniInteger(text, v), c.Ok) << text.toStdString();
    if (c.Ok) {
      EXPECT_EQ(v, c.Value) << text.toStdString();
    }
  }
}

TEST(StringIniList, KeyIsTextBeforeFirstEqualsSignUntrimmedAndCaseInsensitive) {
  TStringIniList l{u"[global]"_s, u"A=B=C"_s, u"Font.Size = 10"_s, u"Name=a"_s, u"NAME=b"_s,
                   u"no key here"_s};
  EXPECT_EQ(l.Values(u"a"_s), u"B=C"_s);
  EXPECT_EQ(l.IndexOfName(u"Font.Size"_s), -1);
  EXPECT_EQ(l.Values(u"Font.Size "_s), u" 10"_s);
  EXPECT_EQ(l.ReadInteger(u"Font.Size "_s, 3), 10);  // leading blank is fine
  EXPECT_EQ(l.ReadInteger(u"a"_s, 3), 3);
  EXPECT_EQ(l.Values(u"name"_s), u"a"_s);
  EXPECT_EQ(l.IndexOfName(u"[global]"_s), -1);
  EXPECT_EQ(l.IndexOfName(u"no key here"_s), -1);
  EXPECT_EQ(l.IndexOfName(u"Nam"_s), -1);  // the whole key must match

  l.SetValues(u"NAME"_s, u"c"_s);
  EXPECT_EQ(l[3], u"NAME=c"_s);
  EXPECT_EQ(l[4], u"NAME=b"_s);
  l.SetValues(u"New"_s, u"x"_s);
  EXPECT_EQ(l.back(), u"New=x"_s);
  EXPECT_EQ(l.size(), 7);
}

TEST(StringIniList, EmptyValueRemovesOnlyTheFirstLineOfThatKey) {
  TStringIniList l{u"K=1"_s, u"x=2"_s, u"k=3"_s};
  l.WriteString(u"K"_s, QString());
  EXPECT_EQ(l, (QStringList{u"x=2"_s, u"k=3"_s}));
  EXPECT_EQ(l.ReadString(u"k"_s, u"d"_s), u"3"_s);
  l.WriteString(u"k"_s, QString());
  EXPECT_EQ(l.ReadString(u"k"_s, u"d"_s), u"d"_s);
  l.WriteString(u"absent"_s, QString());
  EXPECT_EQ(l, QStringList{u"x=2"_s});
  // A key with an empty value reads as missing.
  l.append(u"e="_s);
  EXPECT_EQ(l.ReadString(u"e"_s, u"d"_s), u"d"_s);
}

TEST(StringIniList, ReadBoolIsCaseSensitive) {
  TStringIniList l{u"a=TRUE"_s, u"b=1"_s, u"c=FALSE"_s, u"d=0"_s, u"e=True"_s, u"f=true"_s,
                   u"g=yes"_s, u"h= 1"_s, u"i=False"_s};
  EXPECT_TRUE(l.ReadBool(u"a"_s, false));
  EXPECT_TRUE(l.ReadBool(u"b"_s, false));
  EXPECT_FALSE(l.ReadBool(u"c"_s, true));
  EXPECT_FALSE(l.ReadBool(u"d"_s, true));
  for (const char16_t* k : {u"e", u"f", u"g", u"h", u"i", u"missing"}) {
    EXPECT_TRUE(l.ReadBool(QString::fromUtf16(k), true));
    EXPECT_FALSE(l.ReadBool(QString::fromUtf16(k), false));
  }
}

TEST(StringIniList, TypedWritesFixTheStoredForm) {
  TStringIniList l;
  l.WriteHex(u"h1"_s, 255);
  l.WriteHex(u"h2"_s, -1);
  l.WriteHex(u"h3"_s, int(0x8000000Au));
  l.WriteInteger(u"i1"_s, -5);
  l.WriteInteger(u"i2"_s, 0);
  l.WriteInteger(u"i3"_s, INT_MIN);
  l.WriteBool(u"b1"_s, true);
  l.WriteBool(u"b0"_s, false);
  EXPECT_EQ(l, (QStringList{u"h1=$000000FF"_s, u"h2=$FFFFFFFF"_s, u"h3=$8000000A"_s, u"i1=-5"_s,
                            u"i2=0"_s, u"i3=-2147483648"_s, u"b1=1"_s, u"b0=0"_s}));
  EXPECT_EQ(l.ReadInteger(u"h3"_s, 0), int(0x8000000Au));
  EXPECT_EQ(l.ReadInteger(u"i3"_s, 0), INT_MIN);
  EXPECT_TRUE(l.ReadBool(u"b1"_s, false));
  EXPECT_FALSE(l.ReadBool(u"b0"_s, true));
}

}  // namespace
