#pragma once
// Storage behind TEditLines: the loaded file is held once as one buffer; lines are 8-byte
// references into it, kept in blocks of a few hundred lines so that inserting or deleting a
// line never shifts the whole index. An edited line gets its own string in a pool.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/EditLines.h"
#include "highlight/Highlighter.h"

class TEditLinesImpl {
 public:
  static constexpr std::uint32_t kLenMask = (1u << 29) - 1;  // longest line held: 512 MiB
  static constexpr std::uint32_t kCrLf = 1u << 29;           // this line ends in CR LF
  static constexpr std::uint32_t kOwned = 1u << 30;          // Pos is a pool index
  static constexpr int kBlockLines = 512;

  struct TLineRef {
    std::uint32_t Pos;   // offset from the block's base, or pool index
    std::uint32_t Info;  // length | flags
  };
  struct TBlock {
    const char* Base = nullptr;
    std::vector<TLineRef> Refs;
    std::vector<TLineState> States;  // parallel to Refs while states are kept
  };
  // One new line for Replace: its bytes and whether it ends in CR LF.
  struct TNewLine {
    std::string_view Text;
    bool CrLf;
  };

  int Count() const { return FCount; }
  std::string_view Line(int index) const;
  bool LineCrLf(int index) const;
  void SetLineCrLf(int index, bool crLf);

  // The one editing primitive: lines [first, first+removeCount) become newLines.
  void Replace(int first, int removeCount, const TNewLine* newLines, int addCount);

  void LoadBuffer(std::unique_ptr<char[]> buffer, std::size_t size);
  void Reset();  // no lines, new-text defaults
  std::string SaveBytes() const;
  template <class Sink>
  void WriteTo(Sink&& sink) const;

  TTextEncoding Encoding = TTextEncoding::Utf8;
  TLineBreakStyle Style = TLineBreakStyle::CrLf;
  bool FinalLineBreak = true;
  int MaxLineLength = 0;  // longest line seen since loading, in bytes

  // Line states of a highlighter, one per line; none until enabled.
  void EnableStates(bool on);
  bool StatesEnabled() const { return FStates; }
  TLineState State(int index) const;
  void SetState(int index, TLineState state);

 private:
  std::pair<int, int> Locate(int index) const;  // block, offset inside it
  void Renumber() const;
  std::uint32_t NewOwned(std::string_view text);
  void FreeOwned(const TLineRef& ref);
  TLineRef MakeRef(TBlock& block, const TNewLine& line);
  void TryMerge(std::size_t index);  // merges block Index into its predecessor when small

  std::unique_ptr<char[]> FBuffer;
  std::vector<std::unique_ptr<TBlock>> FBlocks;
  mutable std::vector<int> FFirstLine;  // first line of each block
  mutable std::size_t FDirtyFrom = 0;   // FFirstLine is valid below this block
  mutable int FLastBlock = 0;
  std::vector<std::string> FPool;
  std::vector<std::uint32_t> FFreeSlots;
  int FCount = 0;
  bool FStates = false;
};

template <class Sink>
void TEditLinesImpl::WriteTo(Sink&& sink) const {
  const std::string_view lf("\n", 1), crlf("\r\n", 2);
  for (int i = 0; i < FCount; ++i) {
    sink(Line(i));
    if (i + 1 < FCount || FinalLineBreak) sink(LineCrLf(i) ? crlf : lf);
  }
}

// Windows-1252 / UTF-8 helpers shared by the editor core.
namespace EditText {
bool IsValidUtf8(const char* data, std::size_t size);
// The character starting at byte I as a code point; returns its length in bytes. Broken UTF-8
// gives U+FFFD for one byte.
int DecodeChar(std::string_view s, std::size_t i, TTextEncoding encoding, char32_t& cp);
// Index of the first character of Text the encoding cannot hold, or -1.
qsizetype UnencodableAt(const QString& text, TTextEncoding encoding);
QString DecodeBytes(std::string_view bytes, TTextEncoding encoding);
std::string EncodeText(const QString& text, TTextEncoding encoding);
}  // namespace EditText
