// Symbol index: what defines a name, includes, lookups across files and results overtaken by edits.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <future>
#include <string>
#include <vector>

#include "highlight/SymbolIndexer.h"

namespace {

std::vector<std::string> Describe(const TFileSymbols& symbols) {
  std::vector<std::string> out;
  for (const TSymbolDef& d : symbols.Defs)
    out.push_back(std::string(symbols.Name(d)) + ' ' + SymbolKindText(d.Kind) + ' ' + std::to_string(d.Line) + ':' +
                  std::to_string(d.Column));
  return out;
}

using Names = std::vector<std::string>;

TEST(SymbolScan, WhatDefinesAName) {
  const std::pair<const char*, Names> cases[] = {
      {"start:\tldaa #1\nLoop\tnop\n  inner: nop\n  notlabel nop\nlbl:: nop",
       {"start Label 1:1", "Loop Label 2:1", "inner Label 3:3", "lbl Label 5:1"}},
      {"cnt\tequ 5\ncnt2 = 6\nv4:equ 8\n  v5: EQU 9",
       {"cnt Konstante 1:1", "cnt2 Konstante 2:1", "v4 Konstante 3:1", "v5 Konstante 4:3"}},
      {"var set 7\nvar2 := 8\nev eval 1", {"var Variable 1:1", "var2 Variable 2:1", "ev Variable 3:1"}},
      {"mac\tmacro a\n\tendm\nfn function x,y,x+y", {"mac Makro 1:1", "fn Funktion 3:1"}},
      {"rec struct\nf1 ds.b 1\nrec endstruct\nafter nop\nu union\nf2 ds.w 1\n\tends",
       {"rec Struktur 1:1", "rec_f1 Feld 2:1", "after Label 4:1", "u Struktur 5:1", "u_f2 Feld 6:1"}},
      {"\tenum one, two=5 ,three ; x, y", {"one Aufzählung 1:7", "two Aufzählung 1:12", "three Aufzählung 1:19"}},
      {"first:\n.loc nop\n$$t nop\nsecond\n.loc nop",
       {"first Label 1:1", "first.loc Label 2:1", "first$$t Label 3:1", "second Label 4:1", "second.loc Label 5:1"}},
      {"; c\n*star\nv3=7\n9x nop\nloc$ nop\n\t\n. nop\n  x:=1", {}},
      {"a\r\nb\rc\nd", {"a Label 1:1", "b Label 2:1", "d Label 3:1"}},  // a lone CR stays inside its line
      // Letters beyond ASCII, kept as UTF-8: from UTF-8, ISO-8859-1 and code page 850 (shown as 1252).
      {"Maß\tequ 7\nGröße: nop\n\tenum Äpfel, Öl",
       {"Maß Konstante 1:1", "Größe Label 2:1", "Äpfel Aufzählung 3:7", "Öl Aufzählung 3:15"}},
      {"Ma\xdf equ 7\nGr\x94\xe1" "e nop", {"Maß Konstante 1:1", "Gr\u201d\u00e1e Label 2:1"}},
  };
  for (const auto& [source, expected] : cases) EXPECT_EQ(Describe(ScanSymbols(source)), expected) << source;
}

TEST(SymbolScan, IncludesOnceEachWithTheAssemblersDefaultExtension) {
  const TFileSymbols s =
      ScanSymbols("\tinclude \"sub\\a.inc\"\n\tINCLUDE c ; x\nl: include \"c.inc\"\n\tinclude \"x\"");
  std::vector<std::string> names;
  for (const TIncludeRef& i : s.Includes) names.push_back(i.Name + '@' + std::to_string(i.Line));
  EXPECT_EQ(names, (Names{"sub\\a.inc@1", "c.inc@2", "x.inc@4"}));
  EXPECT_EQ(Describe(s), (Names{"l Label 3:1"}));
}

TEST(SymbolScan, WordAtTheCaret) {
  const std::tuple<const char*, std::size_t, const char*> cases[] = {
      {"\tbra .loc1", 6, ".loc1"}, {"\tbra .loc1", 10, ".loc1"}, {"\tjmp first.x+1", 8, "first.x"},
      {"\tbra $$tmp", 9, "$$tmp"}, {"\tldaa #$FF", 8, ""},        {"\tldaa #12", 7, ""},
      {"\tldaa x_y", 4, "ldaa"},   {"a  b", 1, "a"},              {"a  b", 3, "b"},
      {"\tldaa #Maß", 8, "Maß"},   {"\tldaa #Maß", 11, "Maß"},   {"\tldaa #Ma\xdf", 10, "Ma\xdf"},
  };
  for (const auto& [line, offset, word] : cases) EXPECT_EQ(SymbolWordAt(line, offset), word) << line << offset;
}

class SymbolIndexTest : public ::testing::Test {
 protected:
  QString Write(const QString& name, const QByteArray& text) {
    const QString path = Dir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    return TSymbolIndex::Key(path);
  }
  // Indexes everything in reach from Roots the way the program does, one file at a time.
  void IndexAll(const QStringList& roots) {
    Index.SetRoots(roots);
    for (QStringList todo = roots; !todo.isEmpty(); todo = Index.Unrequested())
      for (const QString& path : todo)
        ASSERT_TRUE(Index.Accept(IndexFile({path, Index.Expect(path), nullptr, Dir.filePath("asinc")})));
    ASSERT_FALSE(Index.Pending());
  }
  std::vector<std::string> Where(const char* word, const QString& from, int line = 1) const {
    std::vector<std::string> out;
    const TSymbolList found = Index.Find(word, from, line);
    for (int i = 0; i < found.Count(); ++i)
      out.push_back(QDir(Dir.path()).relativeFilePath(found.At(i).Path).toStdString() + ':' +
                    std::to_string(found.At(i).Line));
    return out;
  }

  QTemporaryDir Dir;
  TSymbolIndex Index;
};

TEST_F(SymbolIndexTest, IncludesBesideTheIncludingFileThenTheIncludeDirectoryCyclesAndMissingFiles) {
  const QString main = Write("main.asm", "\tinclude \"sub/a.inc\"\n\tinclude lib\n\tinclude gone.inc\nmain nop\n");
  Write("sub/a.inc", "\tinclude \"b.inc\"\nA1 equ 1\n");  // b.inc beside a.inc, not beside main.asm
  Write("sub/b.inc", "\tinclude \"a.inc\"\n\tinclude \"..\\main.asm\"\nB1 equ 2\nlib1 nop\n");
  Write("b.inc", "wrong nop\n");
  Write("asinc/lib.inc", "lib1 equ 3\n");
  IndexAll({main});
  EXPECT_EQ(Where("b1", main), (Names{"sub/b.inc:3"}));
  EXPECT_EQ(Where("wrong", main), Names{});
  // Several definitions: the asking file's first, then the others in reach.
  EXPECT_EQ(Where("LIB1", main), (Names{"sub/b.inc:4", "asinc/lib.inc:1"}));
  EXPECT_EQ(Where("main", TSymbolIndex::Key(Dir.filePath("sub/a.inc"))), (Names{"main.asm:4"}));
  EXPECT_EQ(Index.Files().size(), 4u);
}

// A pipe is not read, whether a file's include or the file of a tab replaced by one: its reader
// would wait for a writer for good.
TEST_F(SymbolIndexTest, APipeIsNotRead) {
  const QString pipe = Dir.filePath("pipe.inc");
  if (QProcess::execute(QStringLiteral("mkfifo"), {pipe}) != 0) GTEST_SKIP() << "needs mkfifo";
  const QString main = Write("m.asm", "\tinclude \"pipe.inc\"\nm nop\n");
  auto indexed = std::async(std::launch::async, [&] { IndexAll({main, TSymbolIndex::Key(pipe)}); });
  const bool finished = indexed.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  if (!finished) {
    QFile writer(pipe);  // lets the blocked reader go
    writer.open(QIODevice::WriteOnly);
  }
  indexed.wait();
  EXPECT_TRUE(finished);
  EXPECT_EQ(Where("m", main), (Names{"m.asm:2"}));
}

TEST_F(SymbolIndexTest, TemporaryNamesMeanTheOnesUnderTheLabelBeforeTheirUse) {
  const QString main = Write("t.asm", "first:\n.loop nop\n\tbra .loop\nsecond:\n.loop nop\n\tbra .loop\n");
  IndexAll({main});
  EXPECT_EQ(Where(".loop", main, 3), (Names{"t.asm:2"}));
  EXPECT_EQ(Where(".LOOP", main, 6), (Names{"t.asm:5"}));
  EXPECT_EQ(Where("first.loop", main), (Names{"t.asm:2"}));
}

// A name is the same in a UTF-8 and a single-byte file; letter case counts as with the assembler.
TEST_F(SymbolIndexTest, NamesWithLettersBeyondAsciiInEveryEncoding) {
  const QString main = Write("u.asm", "\tinclude l1\n\tinclude dos\nMaß equ 7\nαβ nop\n");
  Write("l1.inc", "Gr\xf6\xdf" "e equ 3\n\xc4pfel nop\n");  // ISO-8859-1
  Write("dos.inc", "Gr\x94\xe1" "e equ 4\n");                   // code page 850
  IndexAll({main});
  const std::pair<const char*, Names> cases[] = {
      {"Größe", {"l1.inc:1"}}, {"GRÖßE", {"l1.inc:1"}},    {"Gr\xf6\xdf" "e", {"l1.inc:1"}}, {"GRÖSSE", {}},
      {"maß", {"u.asm:3"}},    {"MASS", {}},               {"äPFEL", {"l1.inc:2"}},     {"ΑΒ", {}},
      {"Gr\x94\xe1" "e", {"dos.inc:1"}}, {"Ma", {}},
  };
  for (const auto& [word, where] : cases) EXPECT_EQ(Where(word, main), where) << word;
  TSymbolList all = Index.All();
  all.SetFilter("RÖ");
  ASSERT_EQ(all.Count(), 1);
  EXPECT_EQ(all.At(0).Name, QStringLiteral("Größe"));
}

TEST_F(SymbolIndexTest, AResultOvertakenByAnEditIsRefused) {
  const QString path = Write("e.asm", "old nop\n");
  Index.SetRoots({path});
  const quint64 first = Index.Expect(path);
  TSymbolJob edited{path, Index.Expect(path), std::make_shared<TSymbolText>(TSymbolText{"\n", "\nnew nop\n"}), {}};
  EXPECT_TRUE(Index.Accept(IndexFile(edited)));
  EXPECT_FALSE(Index.Accept(IndexFile({path, first, nullptr, {}})));  // the older job ends last
  EXPECT_EQ(Where("old", path), Names{});
  EXPECT_EQ(Where("new", path), (Names{"e.asm:3"}));
  Index.SetRoots({});
  EXPECT_TRUE(Index.Files().empty());
}

TEST_F(SymbolIndexTest, AFileReadFromDiskCountsLinesAndColumnsAsTheEditorDoes) {
  QByteArray text = "long equ 1 ; " + QByteArray(3 << 20, 'x') + "\nnext nop\n";
  const QString path = Write("long.asm", text);
  IndexAll({path});
  EXPECT_EQ(Where("long", path), (Names{"long.asm:1"}));
  EXPECT_EQ(Where("next", path), (Names{"long.asm:2"}));
  // A byte order mark read from disk is no part of the first line's label.
  const QString marked = Write("bom.asm", "\xEF\xBB\xBFstart nop\n");
  IndexAll({marked});
  EXPECT_EQ(Where("start", marked), (Names{"bom.asm:1"}));
}

}  // namespace
