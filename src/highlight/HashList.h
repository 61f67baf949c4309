#pragma once
// THashList: the keyword table of one processor. 256 buckets addressed by the 8-bit sum of a
// word's characters; each bucket is a chain in the order the words were added.
#include <array>
#include <bit>
#include <cstring>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

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
  // empty table. Extended: the assembler-checked lists instead, and the common directives for
  // every other name but the empty one.
  explicit THashList(std::string_view cpuName, bool extended = false);
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

  // The scanner's lookup: kind of the word of Length identifier characters at Word (letter
  // case ignored), or NotFound. Answers what Find answers, faster.
  static constexpr unsigned char NotFound = 0xFF;
  unsigned char KindOf(const unsigned char* word, size_t length, size_t available);

 private:
  struct TSlot {
    std::uint64_t Key = 0;  // the word's bytes, first byte lowest, zero-padded; 0 = empty slot
    unsigned char Kind = 0;
  };
  void AddShortWord(const THashEntry& entry);
  void Insert(std::uint64_t key, unsigned char kind);
  size_t SlotOf(std::uint64_t key) const {
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> FShift);  // Fibonacci hashing
  }

  std::array<THashEntry*, 256> FBuckets{};
  std::array<THashEntry*, 256> FTails{};  // last entry of each chain, for appending
  std::deque<THashEntry> FEntries;        // owns the entries; addresses stay stable
  int FKeyLength = 0;
  // Words of up to eight identifier characters, open addressed by their packed bytes: one probe
  // answers most lookups. Longer words are only in the chains.
  std::vector<TSlot> FSlots = std::vector<TSlot>(64);
  int FShift = 58;  // 64 - log2 of the slot count
  size_t FShortWords = 0;
  size_t FLongest = 0;  // no word is longer: longer identifiers need no lookup
};

// The text is hashed and compared with its letters folded in place, without building an
// upper-cased key. The scanner asks KindOf, which comes here for words longer than eight.
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

inline unsigned char THashList::KindOf(const unsigned char* word, size_t length, size_t available) {
  if (length > FLongest) return NotFound;
  if (length > 8) {
    const THashEntry* e = Find(std::string_view(reinterpret_cast<const char*>(word), length));
    return e ? e->Kind : NotFound;
  }
  std::uint64_t key = 0;
  if (available >= 8 && std::endian::native == std::endian::little) {
    std::memcpy(&key, word, 8);
    if (length < 8) key &= (std::uint64_t{1} << (8 * length)) - 1;
    // Identifier characters only: a byte from 0x61 up is a small letter; clear its 0x20 bit.
    key &= ~(((key + 0x1F1F1F1F1F1F1F1Full) & 0x8080808080808080ull) >> 2);
  } else {
    for (size_t i = 0; i < length; ++i) key |= std::uint64_t{charclass::Upper[word[i]]} << (8 * i);
  }
  const TSlot* const table = FSlots.data();
  size_t i = SlotOf(key);
  // Another word in the slot is rare; whether the word is found is not: no branch on that.
  while (table[i].Key != key && table[i].Key != 0) i = (i + 1) & (FSlots.size() - 1);
  return table[i].Key == key ? table[i].Kind : NotFound;
}
