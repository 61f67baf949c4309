// The keyword hash table, the word lists of each processor and the processor names.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "highlight/AssemSyn.h"
#include "highlight/CpuTypes.h"
#include "highlight/HashList.h"
#include "highlight/WordLists.h"

namespace {

int KindOf(THashList& table, std::string_view text) {
  const THashEntry* e = table.Find(text);
  return e ? static_cast<int>(e->Kind) : static_cast<int>(tkIdentifier);
}

TEST(HashList, HashIsTheByteSumOfTheLeadingWord) {
  THashList t;
  EXPECT_EQ(t.Hash("LDAA,X"), ('L' + 'D' + 'A' + 'A') % 256);
  EXPECT_EQ(t.KeyLength(), 4);
  EXPECT_EQ(t.Hash("DC.B x"), ('D' + 'C' + '.' + 'B') % 256);
  EXPECT_EQ(t.KeyLength(), 4);
  EXPECT_EQ(t.Hash("zzzzz"), (5 * 'z') % 256);  // wraps around
  EXPECT_EQ(t.Hash(",LDAA"), 0);
  EXPECT_EQ(t.KeyLength(), 0);
  EXPECT_EQ(t.Hash(""), 0);
  EXPECT_EQ(t.KeyLength(), 0);
}

TEST(HashList, AddListAndFind) {
  THashList t;
  t.AddList(" \tALPHA ,BETA,\x01GAMMA\x02, DELTA", tkKeyword);
  EXPECT_EQ(t.Count(), 4);
  for (const char* w : {"alpha", "Beta", "GAMMA", "delta+1"}) EXPECT_EQ(KindOf(t, w), tkKeyword) << w;
  EXPECT_EQ(t.KeyLength(), 5);
  EXPECT_EQ(KindOf(t, "ALPHAX"), tkIdentifier);
  EXPECT_EQ(KindOf(t, "ALPH"), tkIdentifier);

  // An empty item ends the list.
  THashList cut;
  cut.AddList("ONE, ,TWO", tkKeyword);
  cut.AddList("THREE,", tkKeyword);
  EXPECT_EQ(cut.Count(), 2);
  EXPECT_EQ(KindOf(cut, "TWO"), tkIdentifier);

  // A word added twice is answered by its later entry, and the chain keeps both.
  THashList twice;
  twice.AddList("SFR, BIT", tkDirective);
  twice.AddList("SFR", tkKeyword);
  EXPECT_EQ(KindOf(twice, "sfr"), tkKeyword);
  EXPECT_EQ(KindOf(twice, "bit"), tkDirective);
  int inBucket = 0;
  for (const THashEntry* e = twice.Bucket(twice.Hash("SFR")); e; e = e->Next) inBucket += e->Name == "SFR";
  EXPECT_EQ(inBucket, 2);

  // Long words: same bucket, length and last eight letters as ENDSECTION, but another start.
  THashList hc11("6811");
  EXPECT_EQ(KindOf(hc11, "endsection"), tkDirective);
  EXPECT_EQ(KindOf(hc11, "DOdsection"), tkIdentifier);
  EXPECT_EQ(hc11.Hash("DODSECTION"), hc11.Hash("ENDSECTION"));

  // Words that are not identifiers can be stored but never found.
  THashList odd;
  odd.AddList("=, :=", tkDirective);
  EXPECT_EQ(odd.Count(), 2);
  EXPECT_EQ(odd.Find("="), nullptr);
  EXPECT_EQ(odd.Find(":="), nullptr);
}

TEST(HashList, EmptyAndUnknownProcessorsGiveEmptyTables) {
  for (const char* name : {"", "Z80", "68hc12", "6811 ", "H8/300"}) {
    THashList t(name);
    EXPECT_EQ(t.Count(), 0) << name;
    EXPECT_EQ(t.Find("LDAA,X"), nullptr);
    EXPECT_EQ(t.KeyLength(), 4);
  }
}

TEST(WordLists, EntryCounts) {
  using namespace wordlists;
  const std::pair<const TWordList*, int> lists[] = {
      {&CommonDirectives, 63},         {&MotorolaDataDirectives, 26},  {&Instructions68HC11, 145},
      {&Additions68HC12, 62},          {&Instructions68HC16, 272},     {&AT90SDirectives, 4},
      {&AT90SCoreInstructions, 89},    {&AT90SExtendedInstructions, 11}, {&Directives8051, 12},
      {&Instructions8051, 70},         {&PicDirectives, 4},            {&PicCoreInstructions, 27},
      {&Additions16C5x, 6},            {&Additions16C84, 8},           {&Additions17C42, 31},
      {&ExampleDirective, 1},          {&ExampleKeyword, 1}};
  for (const auto& [list, count] : lists) {
    THashList t;
    t.AddList(list->Text, list->Kind);
    EXPECT_EQ(t.Count(), count) << list->Title;
    // Every word is upper case and found again (case ignored), apart from the two operators.
    for (int b = 0; b < 256; ++b) {
      for (const THashEntry* e = t.Bucket(b); e; e = e->Next) {
        if (e->Name == "=" || e->Name == ":=") continue;
        std::string lower = e->Name;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return std::tolower(c); });
        EXPECT_EQ(KindOf(t, lower), list->Kind) << list->Title << ": " << e->Name;
        EXPECT_EQ(static_cast<size_t>(t.KeyLength()), e->Name.size());
      }
    }
  }
  EXPECT_EQ(wordlists::CommonDirectives.Kind, tkDirective);
  EXPECT_EQ(wordlists::Instructions68HC16.Kind, tkKeyword);
}

TEST(WordLists, TableSizePerProcessor) {
  // Every row of the processor table, by the sizes of the lists it adds.
  const std::pair<const char*, int> sizes[] = {
      {"Example", 2},      {"6800", 234},      {"6301", 234},      {"6811", 234},      {"68HC12", 296},
      {"68HC16", 361},     {"87C750", 145},    {"8051", 145},      {"8052", 145},      {"80C320", 145},
      {"80C501", 145},     {"80C502", 145},    {"80C504", 145},    {"80515", 145},     {"80517", 145},
      {"80C251", 145},     {"AT90S1200", 156}, {"AT90S2313", 167}, {"AT90S4414", 167}, {"AT90S8515", 167},
      {"16C54", 100},      {"16C55", 100},     {"16C56", 100},     {"16C57", 100},     {"16C84", 102},
      {"16C64", 102},      {"17C42", 125}};
  static_assert(std::size(sizes) == VoCPU_Count - 1);
  for (const auto& [name, size] : sizes) EXPECT_EQ(THashList(name).Count(), size) << name;
}

TEST(WordLists, ProcessorSpecificWords) {
  THashList i8051("8051");
  for (const char* w : {"sfr", "SFR", "Sfr", "bit", "port", "sfrb", "mov"}) EXPECT_EQ(KindOf(i8051, w), tkKeyword) << w;
  EXPECT_EQ(KindOf(i8051, "DB"), tkDirective);
  EXPECT_EQ(KindOf(i8051, "srcmode"), tkDirective);
  EXPECT_EQ(KindOf(i8051, "LDAA"), tkIdentifier);

  THashList hc12("68HC12"), hc11("6811"), hc16("68HC16");
  EXPECT_EQ(KindOf(hc12, "LDAA"), tkKeyword);
  EXPECT_EQ(KindOf(hc12, "LBRA"), tkKeyword);
  EXPECT_EQ(KindOf(hc12, "FCB"), tkDirective);
  EXPECT_EQ(KindOf(hc11, "LBRA"), tkIdentifier);
  EXPECT_EQ(KindOf(hc11, "ds.w"), tkDirective);
  EXPECT_EQ(KindOf(hc16, "LBEV"), tkKeyword);
  EXPECT_EQ(KindOf(hc16, "LPSTOP"), tkKeyword);
  EXPECT_EQ(KindOf(hc16, "LDAA"), tkKeyword);
  EXPECT_EQ(KindOf(hc16, "STOP"), tkIdentifier);
}

TEST(WordLists, ProcessorFamilies) {
  THashList at1200("AT90S1200"), at2313("AT90S2313");
  EXPECT_EQ(KindOf(at1200, "ADIW"), tkIdentifier);
  EXPECT_EQ(KindOf(at2313, "ADIW"), tkKeyword);
  EXPECT_EQ(KindOf(at1200, "reg"), tkDirective);

  THashList p54("16C54"), p84("16C84"), p42("17C42");
  EXPECT_EQ(KindOf(p54, "OPTION"), tkKeyword);
  EXPECT_EQ(KindOf(p54, "RETURN"), tkIdentifier);
  EXPECT_EQ(KindOf(p84, "OPTION"), tkIdentifier);
  EXPECT_EQ(KindOf(p84, "RETURN"), tkKeyword);
  EXPECT_EQ(KindOf(p42, "TABLRD"), tkKeyword);
  EXPECT_EQ(KindOf(p42, "zero"), tkDirective);

  THashList example("Example");
  EXPECT_EQ(KindOf(example, "directive"), tkDirective);
  EXPECT_EQ(KindOf(example, "Keyword"), tkKeyword);
  EXPECT_EQ(KindOf(example, "ORG"), tkIdentifier);
  EXPECT_EQ(KindOf(example, "NOP"), tkIdentifier);
}

TEST(CpuTypes, NamesAndValues) {
  EXPECT_STREQ(CPUTypeName(VoCPU_Unknown), "");
  EXPECT_STREQ(CPUTypeName(VoCPU_Example), "Example");
  EXPECT_STREQ(CPUTypeName(VoCPU_6811), "6811");
  EXPECT_STREQ(CPUTypeName(VoCPU_16C84), "16C84");
  EXPECT_STREQ(CPUTypeName(VoCPU_16C64), "16C64");
  EXPECT_STREQ(CPUTypeName(VoCPU_17C42), "17C42");
  EXPECT_EQ(VoCPU_Count, 28);
  for (int i = 1; i < VoCPU_Count; ++i) {
    const auto type = static_cast<TVoCPUType>(i);
    EXPECT_EQ(CPUTypeFromName(CPUTypeName(type)), type) << i;
  }
  EXPECT_EQ(CPUTypeFromName(""), VoCPU_Unknown);
  EXPECT_EQ(CPUTypeFromName("example"), VoCPU_Unknown);
  EXPECT_EQ(CPUTypeFromName("at90s2313"), VoCPU_Unknown);
  EXPECT_EQ(CPUTypeFromName("Z80"), VoCPU_Unknown);
}

TEST(CpuTypes, ProcessorNamesOfTheDialogs) {
  const std::vector<std::string>& names = ProcessorNames();
  ASSERT_EQ(names.size(), 220u);
  EXPECT_EQ(names.front(), "16C54");
  EXPECT_EQ(names[31], "6301");
  EXPECT_EQ(names.back(), "Z8631");
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
  for (const char* n : {"H8/300", "SC/MP", "Z80", "6502UNDOC", "80196N", "TMS70CT40", "ST7"})
    EXPECT_TRUE(std::find(names.begin(), names.end(), n) != names.end()) << n;
  EXPECT_TRUE(std::find(names.begin(), names.end(), "Example") == names.end());
  // Every processor with word lists is offered.
  for (int i = VoCPU_6800; i < VoCPU_Count; ++i) {
    const char* n = CPUTypeName(static_cast<TVoCPUType>(i));
    EXPECT_TRUE(std::find(names.begin(), names.end(), n) != names.end()) << n;
  }
}

}  // namespace
