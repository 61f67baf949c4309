#pragma once
// THashList: the keyword table of one processor. 256 buckets addressed by the 8-bit sum of a
// word's characters; each bucket is a chain in the order the words were added.
#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "highlight/CharClass.h"

struct THashEntry {
  THashEntry* Next = nullptr;  // following entry of the same bucket
  std::string Name;            // the word as listed (upper case)
  unsigned char Kind = 0;      // token kind the word gets (directive or keyword)
  // Name's last eight bytes packed into one word, so that most comparisons are one compare.
  std::uint64_t Packed = 0;
};

class THashList {
 public:
  THashList();  // empty table
  // The table of a processor name (exact, case-sensitive); a name without word lists gives an
  // empty table.
  explicit THashList(std::string_view cpuName);
  THashList(const THashList&) = delete;
  THashList& operator=(const THashList&) = delete;

  // Adds every word of a comma-separated list with the given kind; an empty item ends the list.
  void AddList(std::string_view listText, unsigned char kind);
  // Entry of the identifier at the start of Text, letter case ignored; the last matching entry
  // of the chain wins. Sets KeyLength to the identifier's length.
  const THashEntry* Find(std::string_view text);
  // Bucket of the identifier at the start of Text (case as given); sets KeyLength.
  int Hash(std::string_view text);
  int KeyLength() const { return FKeyLength; }

  const THashEntry* Bucket(int index) const { return FBuckets[static_cast<unsigned char>(index)]; }
  int Count() const { return static_cast<int>(FEntries.size()); }

 private:
  std::array<THashEntry*, 256> FBuckets{};
  std::array<THashEntry*, 256> FTails{};  // last entry of each chain, for appending
  std::deque<THashEntry> FEntries;        // owns the entries; addresses stay stable
  int FKeyLength = 0;
};

// Inline: the scanner looks up every identifier of every repainted line. The text is hashed and
// compared with its letters folded in place, without building an upper-cased key.
inline const THashEntry* THashList::Find(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  unsigned h = 0;
  std::uint64_t packed = 0;
  size_t n = 0;
  while (n < size && (charclass::Flags[p[n]] & charclass::Ident)) {
    const unsigned char u = charclass::Upper[p[n]];
    h += u;
    packed = (packed << 8) | u;
    ++n;
  }
  FKeyLength = static_cast<int>(n);
  const THashEntry* found = nullptr;
  for (const THashEntry* e = FBuckets[h & 0xFF]; e; e = e->Next) {
    if (e->Packed != packed || e->Name.size() != n) continue;
    // The packed word holds the last eight bytes; longer words compare the rest.
    size_t i = 0;
    while (i + 8 < n && static_cast<unsigned char>(e->Name[i]) == charclass::Upper[p[i]]) ++i;
    if (i + 8 >= n) found = e;  // a later entry of the same word wins
  }
  return found;
}
