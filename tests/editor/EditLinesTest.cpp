#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "ModelHelpers.h"
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

}  // namespace

TEST(EditLines, SplitsLinesAndKeepsAwkwardBytes) {
  using V = std::vector<std::string>;
  const TLineBreakStyle lf = TLineBreakStyle::Lf, crlf = TLineBreakStyle::CrLf;
  const std::tuple<std::string, V, bool, TLineBreakStyle> cases[] = {  // bytes, lines, final break, style
      {"", {""}, false, lf},
      {"abc\n\n", {"abc", ""}, true, lf},
      {"a\rb\nc", {"a\rb", "c"}, false, lf},  // a lone CR is content
      {std::string("x\0y\n\xff\xfe\n", 7), {std::string("x\0y", 3), "\xff\xfe"}, true, lf},
      {"a\r\nb\nc\r\nd", {"a", "b", "c", "d"}, false, crlf},
      {"\r\n", {""}, true, crlf},
      {std::string(70000, 'a') + "\nb\r\n" + std::string(70000, 'c'),  // lines past 64 KiB
       {std::string(70000, 'a'), "b", std::string(70000, 'c')}, false, crlf},
  };
  for (const auto& [bytes, lines, finalBreak, style] : cases) {
    TEditLines l;
    l.LoadFromBytes(bytes);
    EXPECT_EQ(AllLines(l), lines) << bytes;
    EXPECT_EQ(l.FinalLineBreak(), finalBreak) << bytes;
    EXPECT_EQ(l.LineBreakStyle(), style) << bytes;
    EXPECT_EQ(l.SaveToBytes(), bytes) << "round trip of " << bytes;
  }
}

TEST(EditLines, AByteOrderMarkIsKeptButIsNoPartOfLineOne) {
  using enum TTextEncoding;
  const std::string mark = "\xEF\xBB\xBF";
  const std::tuple<std::string, std::string, TTextEncoding> cases[] = {  // bytes, line 1, encoding
      {mark + "0123456789\r\nx", "0123456789", Utf8},
      {mark, "", Utf8},
      {mark + "\xe4\n", "\xe4", Latin1},  // no UTF-8 after the mark
      {"\xEF\xBB", "\xEF\xBB", Latin1},  // too short for a mark
  };
  for (const auto& [bytes, line, encoding] : cases) {
    TEditLines whole, pieces;
    whole.LoadFromBytes(bytes);
    // While a file is read the mark may arrive a byte at a time.
    pieces.Impl().BeginLoad(TByteBuffer::Allocate(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), pieces.Impl().LoadBuffer());
    for (std::size_t n = 1; n <= bytes.size(); ++n) pieces.Impl().IndexLoaded(n, n == bytes.size());
    for (const TEditLines* l : {&whole, &pieces}) {
      ASSERT_GE(l->Count(), 1) << bytes;
      EXPECT_EQ((*l)[0], line) << bytes;
      EXPECT_EQ(l->Encoding(), encoding) << bytes;
      EXPECT_EQ(l->SaveToBytes(), bytes) << bytes;
    }
  }
  // The caret: End after the tenth character, Delete in column 1 takes the first one.
  TEditorModel m;
  Load(m, std::get<0>(cases[0]));
  m.ExecuteCommand(ecLineEnd);
  EXPECT_EQ(m.Caret(), QPoint(11, 1));
  Exec(m, {ecLineStart, ecDeleteChar});
  EXPECT_EQ(m.Lines().SaveToBytes(), mark + "123456789\r\nx");
}

TEST(EditLines, EditedLinesKeepTheirOwnLineEnds) {
  TEditLines mixed;
  mixed.LoadFromBytes("a\r\nb\nc");
  mixed.Insert(1, "new");  // in the text's style
  mixed.Put(0, "A");
  EXPECT_EQ(mixed.SaveToBytes(), "A\r\nnew\r\nb\nc");
  mixed.SetLineBreakStyle(TLineBreakStyle::Lf);  // a choice for every line
  EXPECT_EQ(mixed.SaveToBytes(), "A\nnew\nb\nc");
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
  EXPECT_EQ(latin.Encode(latin.Text(0)), latin[0]);
  // What an encoding cannot hold: characters outside the code page, half a surrogate pair.
  const QString astral = QString::fromUtf8("\xf0\x9f\x98\x80");
  const std::tuple<TEditLines*, QString, qsizetype> cases[] = {
      {&latin, QString::fromUtf8("Ä€Ÿ"), -1}, {&latin, QString::fromUtf8("a≤"), 1}, {&latin, "a" + astral, 1},
      {&utf, "x" + astral + QString::fromUtf8("≤"), -1}, {&utf, astral.left(1) + "x", 0}};
  for (const auto& [lines, text, at] : cases) EXPECT_EQ(lines->UnencodableAt(text), at) << text.toStdString();
  // Overlong forms and surrogates are not UTF-8.
  for (const char* bad : {"\xc0\xaf", "\xed\xa0\x80", "\xe2\x82", "\xf5\x80\x80\x80"}) {
    TEditLines l;
    l.LoadFromBytes(bad);
    EXPECT_EQ(l.Encoding(), TTextEncoding::Latin1) << bad;
  }
}

TEST(EditLines, BlockStorageAndLineStatesMatchAPlainList) {
  // Random edits across many blocks against a plain list of lines and their states.
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "line " + std::to_string(i) + "\n";
  TEditLines l;
  l.LoadFromBytes(text);
  TEditLinesImpl& impl = l.Impl();
  impl.EnableStates(true);
  std::vector<std::pair<std::string, TLineState>> ref;
  for (int i = 0; i < l.Count(); ++i) {
    impl.SetState(i, static_cast<TLineState>(i + 1));
    ref.emplace_back(l[i], static_cast<TLineState>(i + 1));
  }
  std::mt19937 rng(7);
  for (int step = 0; step < 5000; ++step) {
    const int n = static_cast<int>(ref.size()), op = static_cast<int>(rng() % 3);
    const int at = n == 0 ? 0 : static_cast<int>(rng() % static_cast<unsigned>(n));
    const std::string s = "e" + std::to_string(step);
    if (op == 0 || n == 0) {
      l.Insert(at, s);  // new lines start with no state
      ref.insert(ref.begin() + at, {s, 0});
    } else if (op == 1) {
      l.Delete(at);
      ref.erase(ref.begin() + at);
    } else {
      l.Put(at, s);  // keeps its slot and state until the editor rescans
      ref[static_cast<std::size_t>(at)].first = s;
    }
  }
  std::vector<std::pair<std::string, TLineState>> got;
  for (int i = 0; i < l.Count(); ++i) got.emplace_back(l[i], impl.State(i));
  EXPECT_EQ(got, ref);
  std::vector<TEditLinesImpl::TNewLine> bulk(1500, {"bulk", false});  // through the primitive as well
  impl.Replace(10, 700, bulk.data(), static_cast<int>(bulk.size()));
  EXPECT_EQ(l.Count(), static_cast<int>(ref.size()) + 800);
  EXPECT_EQ(l[1509], "bulk");
  EXPECT_EQ(l[1510], ref[710].first);
  TEditLines grown;  // growing a fresh text line by line fills block after block
  for (int i = 0; i < 2000; ++i) grown.Add(std::to_string(i));
  EXPECT_EQ(std::string(grown[0]) + "," + std::string(grown[513]) + "," + std::string(grown[1999]), "0,513,1999");
}

TEST(EditLines, FilesRoundTripAndFailuresKeepTheOldFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("a.asm");
  const std::string awkward("x\0\r y\r\n\xe4\xf6\nlast", 15);
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(awkward.data(), static_cast<qint64>(awkward.size()));
  }
  TEditLines l;
  l.LoadFromFile(path);
  int saved = 0;
  l.OnSaved = [&] { ++saved; };
  l.SaveToFile(dir.filePath("b.asm"));
  EXPECT_EQ(ReadFile(dir.filePath("b.asm")), awkward);
  try {
    l.LoadFromFile(dir.filePath("missing.asm"));
    ADD_FAILURE() << "no error";
  } catch (const EEditFileError& e) {
    EXPECT_NE(std::string(e.what()).find("Kann Datei"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("missing.asm"), std::string::npos);
  }
#ifdef Q_OS_LINUX
  // Places nobody can write to, not even root: the save fails and the file stays as it was.
  const std::string before = ReadFile("/proc/version");
  EXPECT_THROW(l.SaveToFile("/proc/version"), EEditFileError);
  EXPECT_EQ(ReadFile("/proc/version"), before);
  EXPECT_THROW(l.SaveToFile(path + "/below-a-file.asm"), EEditFileError);
  // A file of the system tells no size; what it holds is read all the same.
  TEditLines proc;
  proc.LoadFromFile("/proc/version");
  EXPECT_EQ(proc.SaveToBytes(), before);
#endif
  EXPECT_EQ(saved, 1);  // a failed save is no save
}

// A file beyond the limits is refused whole, with a message; one at them loads exactly. The
// limits are lowered so that small files reach them.
TEST(EditLines, FilesBeyondTheLimitsAreRefusedWhole) {
  QTemporaryDir dir;
  const QString path = dir.filePath("big.asm");
  const auto saved = std::pair(TEditLinesImpl::MaxLoadLine, TEditLinesImpl::MaxLoadLines);
  TEditLinesImpl::MaxLoadLine = 10;
  TEditLinesImpl::MaxLoadLines = 3;
  const std::tuple<std::string, std::string> cases[] = {  // bytes; error after the file name
      {"a\r\n0123456789\r\nc", ""},
      {"a\n0123456789x\nc\n", ": Zeile 2 ist länger als 10 Bytes"},
      {std::string(11, '\0'), ": Zeile 1 ist länger als 10 Bytes"},  // one line, no line end
      {"a\nb\nc\n", ""},
      {"a\nb\nc\nd", ": Die Datei hat mehr als 3 Zeilen"},
  };
  for (const auto& [bytes, error] : cases) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()));
    f.close();
    TEditLines l;
    l.Add("typed");
    std::string thrown;
    try {
      l.LoadFromFile(path);
    } catch (const EEditFileError& e) {
      thrown = e.what();
    }
    const std::string want = error.empty() ? "" : "Kann Datei " + QDir::toNativeSeparators(path).toStdString() + " nicht lesen" + error;
    EXPECT_EQ(thrown, want);
    EXPECT_EQ(l.LoadError().toStdString(), want);
    EXPECT_EQ(l.SaveToBytes(), error.empty() ? bytes : "") << error;
  }
  // Read in steps, lines typed meanwhile: the message names the line of the file.
  TEditLinesImpl::MaxLoadLines = saved.second;
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray("123456789\n").repeated(440 << 10));  // over what is read at once
  f.write("0123456789x\n");
  f.close();
  TEditLines l;
  l.StartLoad(path);
  ASSERT_TRUE(l.Loading());
  l.Insert(0, "typed");
  std::string thrown;
  try {
    l.FinishLoad();
  } catch (const EEditFileError& e) {
    thrown = e.what();
  }
  EXPECT_TRUE(thrown.ends_with("Zeile 450561 ist länger als 10 Bytes")) << thrown;
  std::tie(TEditLinesImpl::MaxLoadLine, TEditLinesImpl::MaxLoadLines) = saved;
}
