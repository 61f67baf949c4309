#pragma once
// THashList: the keyword table of one processor. 256 buckets addressed by the 8-bit sum of a
// word's characters; each bucket is a chain in the order the words were added.
#include <array>
#include <deque>
#include <string>
#include <string_view>

struct THashEntry {
  THashEntry* Next = nullptr;  // following entry of the same bucket
  std::string Name;            // the word as listed (upper case)
  unsigned char Kind = 0;      // token kind the word gets (directive or keyword)
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
