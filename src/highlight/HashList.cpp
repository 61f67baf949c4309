#include "highlight/HashList.h"

#include <algorithm>
#include <bit>

#include "highlight/CharClass.h"
#include "highlight/AssemSyn.h"
#include "highlight/CpuTypes.h"
#include "highlight/ExtendedWordLists.h"
#include "highlight/WordLists.h"

THashList::THashList() = default;

THashList::THashList(std::string_view cpuName, bool extended) {
  const TVoCPUType type = CPUTypeFromName(cpuName);
  if (extended && !cpuName.empty()) {
    if (const TExtendedCpu* cpu = FindExtendedCpu(cpuName)) {
      AddList(cpu->Directives, tkDirective);
      AddList(wordlists::ContextDirectives.Text, wordlists::ContextDirectives.Kind);
      AddList(cpu->Keywords, tkKeyword);
      return;
    }
    if (type == VoCPU_Unknown) {
      AddList(wordlists::CommonDirectives.Text, wordlists::CommonDirectives.Kind);
      return;
    }
  }
  for (const TWordList* list : CPUWordLists(type)) AddList(list->Text, list->Kind);
}

static std::string_view TrimControls(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

void THashList::AddList(std::string_view listText, unsigned char kind) {
  for (;;) {
    const size_t comma = listText.find(',');
    const std::string_view item = TrimControls(listText.substr(0, comma));
    listText = comma == std::string_view::npos ? std::string_view() : listText.substr(comma + 1);
    if (item.empty()) return;
    THashEntry& entry = FEntries.emplace_back();
    entry.Name.assign(item);
    entry.Kind = kind;
    for (const char c : item) entry.Packed = (entry.Packed << 8) | static_cast<unsigned char>(c);
    const int h = Hash(item);
    if (FTails[h])
      FTails[h]->Next = &entry;
    else
      FBuckets[h] = &entry;
    FTails[h] = &entry;
    // A word with other characters than identifier ones can never be found.
    if (static_cast<size_t>(FKeyLength) != item.size()) continue;
    FLongest = std::max(FLongest, item.size());
    if (item.size() <= 8) AddShortWord(entry);
  }
}

void THashList::AddShortWord(const THashEntry& entry) {
  std::uint64_t key = 0;
  for (size_t i = 0; i < entry.Name.size(); ++i)
    key |= std::uint64_t{static_cast<unsigned char>(entry.Name[i])} << (8 * i);
  if (8 * (FShortWords + 1) > FSlots.size()) {
    // At most an eighth full: a word that is no keyword (a label) then nearly always meets an
    // empty slot at once, and the scanner's lookup loop is left where the predictor expects.
    std::vector<TSlot> old = std::move(FSlots);
    FSlots.assign(2 * old.size(), TSlot{});
    FShift = 64 - std::countr_zero(FSlots.size());
    FShortWords = 0;
    for (const TSlot& slot : old)
      if (slot.Key) Insert(slot.Key, slot.Kind);
  }
  Insert(key, entry.Kind);
}

int THashList::Hash(std::string_view text) {
  unsigned h = 0;
  size_t n = 0;
  while (n < text.size() && charclass::IsIdent(static_cast<unsigned char>(text[n]))) {
    h += static_cast<unsigned char>(text[n]);
    ++n;
  }
  FKeyLength = static_cast<int>(n);
  return static_cast<int>(h & 0xFF);
}

void THashList::Insert(std::uint64_t key, unsigned char kind) {
  size_t i = SlotOf(key);
  while (FSlots[i].Key != 0 && FSlots[i].Key != key) i = (i + 1) & (FSlots.size() - 1);
  if (FSlots[i].Key == 0) ++FShortWords;
  FSlots[i] = {key, kind};  // a word added again: the later kind wins, as in the chains
}
