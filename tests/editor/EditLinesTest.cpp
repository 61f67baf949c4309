#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <random>
#include <string>
#include <vector>

#include "editor/EditLines.h"
#include "editor/EditLinesImpl.h"

namespace {
std::vector<std::string> AllLines(const TEditLines& l) {
  std::vector<std::string> v;
  for (int i = 0; i < l.Count(); ++i) v.emplace_back(l[i]);
  return v;
}

std::string ReadFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  return f.readAll().toStdString();
}

void WriteFile(const QString& path, const std::string& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}
}  // namespace

TEST(EditLines, SplitsLinesAndKeepsAwkwardBytes) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
    bool finalBreak;
    TLineBreakStyle style;
  };
  const std::vector<Case> cases = {
      {"", {""}, false, TLineBreakStyle::Lf},
      {"abc", {"abc"}, false, TLineBreakStyle::Lf},
      {"abc\n", {"abc"}, true, TLineBreakStyle::Lf},
      {"abc\n\n", {"abc", ""}, true, TLineBreakStyle::Lf},
      {"a\r\nb\r\n", {"a", "b"}, true, TLineBreakStyle::CrLf},
      {"a\rb\nc", {"a\rb", "c"}, false, TLineBreakStyle::Lf},  // a lone CR is content
      {std::string("x\0y\n\xff\xfe\n", 7), {std::string("x\0y", 3), "\xff\xfe"}, true, TLineBreakStyle::Lf},
      {"a\r\nb\nc\r\nd", {"a", "b", "c", "d"}, false, TLineBreakStyle::CrLf},
      {"\r\n", {""}, true, TLineBreakStyle::CrLf},
  };
  for (const Case& c : cases) {
    TEditLines l;
    l.LoadFromBytes(c.bytes);
    EXPECT_EQ(AllLines(l), c.lines) << c.bytes;
    EXPECT_EQ(l.FinalLineBreak(), c.finalBreak) << c.bytes;
    EXPECT_EQ(l.LineBreakStyle(), c.style) << c.bytes;
    EXPECT_EQ(l.SaveToBytes(), c.bytes) << "round trip of " << c.bytes;
  }
}

TEST(EditLines, NewTextUsesCrLfAndEditedLineEndsFollowTheStyle) {
  TEditLines fresh;
  EXPECT_EQ(fresh.LineBreakStyle(), TLineBreakStyle::CrLf);
  EXPECT_TRUE(fresh.FinalLineBreak());
  fresh.Add("a");
  fresh.Add("b");
  EXPECT_EQ(fresh.SaveToBytes(), "a\r\nb\r\n");

  TEditLines mixed;
  mixed.LoadFromBytes("a\r\nb\nc");
  mixed.Insert(1, "new");
  mixed.Put(0, "A");  // keeps its own CR LF
  EXPECT_EQ(mixed.SaveToBytes(), "A\r\nnew\r\nb\nc");

  TEditLines lf;
  lf.LoadFromBytes("one");
  lf.Add("two");
  EXPECT_EQ(lf.SaveToBytes(), "one\ntwo");
  lf.SetLineBreakStyle(TLineBreakStyle::CrLf);
  EXPECT_EQ(lf.SaveToBytes(), "one\r\ntwo");
}

TEST(EditLines, DetectsEncodingAndConvertsText) {
  TEditLines utf;
  utf.LoadFromBytes("Gr\xc3\xbc\xc3\x9f" "e\n");
  EXPECT_EQ(utf.Encoding(), TTextEncoding::Utf8);
  EXPECT_EQ(utf.Text(0), QString::fromUtf8("Grüße"));
  EXPECT_EQ(utf.Encode(QStringLiteral("ä")), "\xc3\xa4");

  TEditLines latin;
  latin.LoadFromBytes("Gr\xfc\xdf" "e \x80 \x81\n");
  EXPECT_EQ(latin.Encoding(), TTextEncoding::Latin1);
  EXPECT_EQ(latin.Text(0), QString::fromUtf8("Grüße € \u0081"));
  EXPECT_EQ(latin.Encode(QString::fromUtf8("Ä€\u4e2d")), "\xc4\x80?");

  // Overlong forms and surrogates are not UTF-8.
  for (const char* bad : {"\xc0\xaf", "\xed\xa0\x80", "\xe2\x82", "\xf5\x80\x80\x80"}) {
    TEditLines l;
    l.LoadFromBytes(bad);
    EXPECT_EQ(l.Encoding(), TTextEncoding::Latin1) << bad;
  }
}

TEST(EditLines, BlockStorageMatchesAPlainList) {
  // Random edits across many blocks against a std::vector reference.
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "line " + std::to_string(i) + "\n";
  TEditLines l;
  l.LoadFromBytes(text);
  std::vector<std::string> ref = AllLines(l);
  ASSERT_EQ(ref.size(), 3000u);
  std::mt19937 rng(7);
  for (int step = 0; step < 4000; ++step) {
    const int n = static_cast<int>(ref.size());
    const int op = static_cast<int>(rng() % 3);
    const int at = n == 0 ? 0 : static_cast<int>(rng() % static_cast<unsigned>(n));
    const std::string s = "e" + std::to_string(step);
    if (op == 0) {
      l.Insert(at, s);
      ref.insert(ref.begin() + at, s);
    } else if (op == 1 && n > 0) {
      l.Delete(at);
      ref.erase(ref.begin() + at);
    } else if (n > 0) {
      l.Put(at, s);
      ref[static_cast<std::size_t>(at)] = s;
    }
  }
  // Bulk replacement through the primitive as well.
  std::vector<std::string> bulk(1500, "bulk");
  std::vector<TEditLinesImpl::TNewLine> nl;
  for (auto& b : bulk) nl.push_back({b, false});
  l.Impl().Replace(10, 700, nl.data(), static_cast<int>(nl.size()));
  ref.erase(ref.begin() + 10, ref.begin() + 710);
  ref.insert(ref.begin() + 10, bulk.begin(), bulk.end());
  EXPECT_EQ(AllLines(l), ref);

  // Growing a fresh text line by line fills block after block.
  TEditLines grown;
  std::vector<std::string> grownRef;
  for (int i = 0; i < 2000; ++i) {
    grownRef.push_back("g" + std::to_string(i));
    grown.Add(grownRef.back());
  }
  EXPECT_EQ(AllLines(grown), grownRef);
}

TEST(EditLines, LineStatesStayWithTheirLines) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "s\n";
  TEditLines l;
  l.LoadFromBytes(text);
  TEditLinesImpl& impl = l.Impl();
  impl.EnableStates(true);
  std::vector<TLineState> ref;
  for (int i = 0; i < l.Count(); ++i) {
    impl.SetState(i, static_cast<TLineState>(i + 1));
    ref.push_back(static_cast<TLineState>(i + 1));
  }
  std::mt19937 rng(11);
  for (int step = 0; step < 3000; ++step) {
    const int n = static_cast<int>(ref.size());
    const int at = static_cast<int>(rng() % static_cast<unsigned>(n + 1));
    if (rng() % 2 || n == 0) {
      l.Insert(at, "i");  // new lines start with no state
      ref.insert(ref.begin() + at, 0);
    } else if (at < n) {
      l.Delete(at);
      ref.erase(ref.begin() + at);
    }
  }
  std::vector<TLineState> got;
  for (int i = 0; i < l.Count(); ++i) got.push_back(impl.State(i));
  EXPECT_EQ(got, ref);
}

TEST(EditLines, FilesRoundTripAndFailuresNameTheFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("a.asm");
  const std::string awkward("x\0\r y\r\n\xe4\xf6\nlast", 15);
  WriteFile(path, awkward);
  TEditLines l;
  l.LoadFromFile(path);
  const QString copy = dir.filePath("b.asm");
  l.SaveToFile(copy);
  EXPECT_EQ(ReadFile(copy), awkward);

  try {
    l.LoadFromFile(dir.filePath("missing.asm"));
    FAIL() << "no error";
  } catch (const EEditFileError& e) {
    EXPECT_NE(std::string(e.what()).find("Kann Datei"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("missing.asm"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("nicht lesen"), std::string::npos);
  }
}

TEST(EditLines, FailedSaveLeavesTheOldFile) {
  QTemporaryDir dir;
  const QString sub = dir.filePath("ro");
  QDir().mkpath(sub);
  const QString path = sub + "/keep.asm";
  WriteFile(path, "old\n");
  QFile::setPermissions(sub, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  TEditLines l;
  l.Add("new");
  bool failed = false;
  try {
    l.SaveToFile(path);
  } catch (const EEditFileError& e) {
    failed = true;
    EXPECT_NE(std::string(e.what()).find("nicht speichern"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("keep.asm"), std::string::npos);
  }
  QFile::setPermissions(sub, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  // Root may write anywhere; then the save must simply have worked.
  if (failed) EXPECT_EQ(ReadFile(path), "old\n");
  else EXPECT_EQ(ReadFile(path), "new\r\n");

#ifdef Q_OS_LINUX
  // Places nobody can write to, not even root: the save fails and the file stays as it was.
  const std::string before = ReadFile("/proc/version");
  EXPECT_THROW(l.SaveToFile("/proc/version"), EEditFileError);
  EXPECT_EQ(ReadFile("/proc/version"), before);
  EXPECT_THROW(l.SaveToFile(path + "/below-a-file.asm"), EEditFileError);
#endif
}
