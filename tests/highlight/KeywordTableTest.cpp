// The keyword hash table, the word lists of each processor and the processor names.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "highlight/AssemSyn.h"
#include "highlight/CpuTypes.h"
#include "highlight/HashList.h"

namespace {

int KindOf(THashList& table, std::string_view text) { return table.Find(text) ? table.Find(text)->Kind : int{tkIdentifier}; }

TEST(HashList, HashIsTheByteSumOfTheLeadingWord) {
  THashList t;
  const std::tuple<const char*, int, int> cases[] = {
      {"LDAA,X", ('L' + 'D' + 'A' + 'A') % 256, 4}, {"DC.B x", ('D' + 'C' + '.' + 'B') % 256, 4}, {"zzzzz", 5 * 'z' - 512, 5}, {",LDAA", 0, 0}, {"", 0, 0}};
  for (const auto& [text, hash, length] : cases) EXPECT_TRUE(t.Hash(text) == hash && t.KeyLength() == length) << text;
}

TEST(HashList, AddListAndFind) {
  THashList t;
  t.AddList(" \tALPHA ,BETA,\x01GAMMA\x02, DELTA, ONE, ,TWO", tkKeyword);  // an empty item ends the list
  t.AddList("=, :=, LONGWORD9, SFR", tkDirective);
  t.AddList("SFR", tkKeyword);
  EXPECT_EQ(t.Count(), 10);
  const std::pair<const char*, int> cases[] = {
      {"alpha", tkKeyword},     {"Beta", tkKeyword},         {"GAMMA", tkKeyword},       {"delta+1", tkKeyword},
      {"ALPHAX", tkIdentifier}, {"ALPH", tkIdentifier},      {"TWO", tkIdentifier},      {"=", tkIdentifier},
      {":=", tkIdentifier},     {"longword9", tkDirective},  {"LONGWORD8", tkIdentifier}, {"sfr", tkKeyword}};
  for (const auto& [text, kind] : cases) EXPECT_EQ(KindOf(t, text), kind) << text;
  // A word added twice: the later entry answers, and the chain keeps both.
  int inBucket = 0;
  for (const THashEntry* e = t.Bucket(t.Hash("SFR")); e; e = e->Next) inBucket += e->Name == "SFR";
  EXPECT_EQ(inBucket, 2);
}

TEST(WordLists, ProcessorSpecificWords) {
  const struct {
    const char* cpu;
    const char* word;
    int kind;
  } cases[] = {
      {"8051", "Sfr", tkKeyword}, {"8051", "DB", tkDirective}, {"68HC12", "LBRA", tkKeyword},
      {"68HC12", "FCB", tkDirective}, {"6811", "LBRA", tkIdentifier}, {"6811", "ds.w", tkDirective},
      {"68HC16", "STOP", tkIdentifier}, {"AT90S1200", "ADIW", tkIdentifier}, {"AT90S2313", "ADIW", tkKeyword},
      {"16C54", "OPTION", tkKeyword}, {"16C54", "RETURN", tkIdentifier}, {"16C84", "OPTION", tkIdentifier},
      {"16C84", "RETURN", tkKeyword}, {"17C42", "zero", tkDirective}, {"Example", "ORG", tkIdentifier},
      {"Z80", "ld", tkIdentifier}};
  for (const auto& c : cases) {
    THashList table(c.cpu);
    EXPECT_EQ(KindOf(table, c.word), c.kind) << c.cpu << ": " << c.word;
  }
  for (const char* name : {"", "Z80", "68hc12", "6811 ", "H8/300"}) {
    THashList t(name);
    EXPECT_TRUE(t.Count() == 0 && t.Find("LDAA,X") == nullptr && t.KeyLength() == 4) << name;
  }
}

TEST(CpuTypes, NamesAndTheDialogsList) {
  const std::vector<std::string>& names = ProcessorNames();
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  for (int i = 1; i < VoCPU_Count; ++i) {
    const auto type = static_cast<TVoCPUType>(i);
    EXPECT_EQ(CPUTypeFromName(CPUTypeName(type)), type) << i;
    // Every processor with word lists is offered, apart from the sample text's "Example".
    EXPECT_EQ(std::count(names.begin(), names.end(), CPUTypeName(type)), type == VoCPU_Example ? 0 : 1);
  }
  for (const char* name : {"", "example", "at90s2313", "Z80"}) EXPECT_EQ(CPUTypeFromName(name), VoCPU_Unknown) << name;
}

}  // namespace
