// The keyword hash table, the word lists of each processor and the processor names.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "highlight/AssemSyn.h"
#include "highlight/CpuTypes.h"
#include "highlight/ExtendedWordLists.h"
#include "highlight/HashList.h"
#include "highlight/WordLists.h"

namespace {

int KindOf(THashList& table, std::string_view text) {
  return table.Find(text) ? table.Find(text)->Kind : int{tkIdentifier};
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
}

TEST(WordLists, ProcessorsAndTheExtendedTables) {
  const struct {
    const char* cpu;
    bool extended;
    const char* word;
    int kind;
  } cases[] = {
      {"8051", false, "Sfr", tkKeyword}, {"8051", false, "DB", tkDirective}, {"68HC12", false, "LBRA", tkKeyword},
      {"68HC12", false, "FCB", tkDirective}, {"6811", false, "LBRA", tkIdentifier},
      {"6811", false, "ds.w", tkDirective}, {"68HC16", false, "STOP", tkIdentifier},
      {"AT90S1200", false, "ADIW", tkIdentifier}, {"AT90S2313", false, "ADIW", tkKeyword},
      {"16C54", false, "OPTION", tkKeyword}, {"16C54", false, "RETURN", tkIdentifier},
      {"16C84", false, "OPTION", tkIdentifier}, {"16C84", false, "RETURN", tkKeyword},
      {"17C42", false, "zero", tkDirective}, {"Example", false, "ORG", tkIdentifier},
      {"Z80", false, "ld", tkIdentifier}, {"", true, "ORG", tkIdentifier}, {"Z80", true, "ldir", tkKeyword},
      {"Z80", true, "org", tkDirective}, {"Z80", true, "mlt", tkIdentifier}, {"Z180", true, "mlt", tkKeyword},
      {"6301", true, "aim", tkKeyword}, {"6301", true, "slp", tkKeyword}, {"6811", true, "slp", tkIdentifier},
      {"68HC16", true, "lbhs", tkKeyword}, {"68HC16", true, "bclr", tkKeyword}, {"68000", true, "move.l", tkKeyword},
      {"68000", true, "move.x", tkIdentifier}, {"8086", true, "rep", tkKeyword}, {"MSP430", true, "mov.b", tkKeyword},
      {"Example", true, "Directive", tkDirective}, {"32010", true, "org", tkDirective},
      {"32010", true, "ld", tkIdentifier}, {"z80", true, "ld", tkIdentifier}};
  for (const auto& c : cases) {
    THashList table(c.cpu, c.extended);
    EXPECT_EQ(KindOf(table, c.word), c.kind) << c.cpu << (c.extended ? " extended: " : ": ") << c.word;
  }
  for (const char* name : {"", "Z80", "68hc12", "6811 ", "H8/300"}) {
    THashList t(name);
    EXPECT_TRUE(t.Count() == 0 && t.Find("LDAA,X") == nullptr && t.KeyLength() == 4) << name;
  }
  // The dialogs offer every processor with lists but the sample text's "Example", in sorted order.
  const std::vector<std::string>& names = ProcessorNames();
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  for (int i = 1; i < VoCPU_Count; ++i) {
    const auto type = static_cast<TVoCPUType>(i);
    EXPECT_EQ(CPUTypeFromName(CPUTypeName(type)), type) << i;
    EXPECT_EQ(std::count(names.begin(), names.end(), CPUTypeName(type)), type == VoCPU_Example ? 0 : 1);
  }
  for (const char* name : {"", "example", "at90s2313", "Z80"}) EXPECT_EQ(CPUTypeFromName(name), VoCPU_Unknown) << name;
  for (const TExtendedCpu& cpu : ExtendedCpus())
    EXPECT_EQ(std::count(names.begin(), names.end(), cpu.Name), 1) << cpu.Name;
  // The extended tables leave out no directive every processor has (ENDM ends every macro block).
  THashList common("");
  common.AddList(wordlists::CommonDirectives.Text, wordlists::CommonDirectives.Kind);
  for (const TExtendedCpu& cpu : ExtendedCpus()) {
    THashList table(cpu.Name, true);
    for (int b = 0; b < 256; ++b) {
      for (const THashEntry* e = common.Bucket(b); e; e = e->Next) {
        if (KindOf(common, e->Name) == tkDirective) {  // not "=": never a word of the text
          EXPECT_EQ(KindOf(table, e->Name), tkDirective) << cpu.Name << ": " << e->Name;
        }
      }
    }
  }
}

}  // namespace
