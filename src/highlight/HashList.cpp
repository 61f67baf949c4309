#include "highlight/HashList.h"

#include "highlight/CharClass.h"
#include "highlight/CpuTypes.h"
#include "highlight/WordLists.h"

THashList::THashList() = default;

THashList::THashList(std::string_view cpuName) {
  const TVoCPUType type = CPUTypeFromName(cpuName);
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
  }
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
