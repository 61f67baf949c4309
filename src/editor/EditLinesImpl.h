#pragma once
// Storage behind TEditLines: the loaded file is held once as one buffer. Lines as loaded are
// 16-bit offsets into it, in blocks of up to 512 lines, so that the index of a big file costs
// about two bytes a line. A block in which a line is edited switches to 8-byte references, and
// an edited line gets its own string in a pool. Inserting or deleting a line never shifts the
// whole index.
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/EditLines.h"
#include "highlight/Highlighter.h"
#include "platform/ByteBuffer.h"
#include "platform/Cp1252.h"

class TEditLinesImpl {
 public:
  static constexpr std::uint32_t kLenMask = (1u << 29) - 1;  // longest line held: 512 MiB
  // The longest line and the most lines a load takes; a file beyond them is refused whole.
  // Tests lower them to reach the limits with small files.
  static inline std::size_t MaxLoadLine = kLenMask;
  static inline int MaxLoadLines = std::numeric_limits<int>::max();
  static constexpr std::uint32_t kCrLf = 1u << 29;           // this line ends in CR LF
  static constexpr std::uint32_t kOwned = 1u << 30;          // Pos is a pool index
  static constexpr int kBlockLines = 512;
  static constexpr std::string_view kByteOrderMark{"\xEF\xBB\xBF", 3};

  struct TLineRef {
    std::uint32_t Pos;   // offset from the block's base, or pool index
    std::uint32_t Info;  // length | flags
  };
  struct TBlock {
    const char* Base = nullptr;
    // As loaded: line K starts at Base + Starts[K] and ends with the LF just before the next
    // start (End for the last line). Empty once the block holds references instead.
    std::vector<std::uint16_t> Starts;
    std::uint32_t End = 0;
    bool OpenEnd = false;  // the last line is the file's last and has no LF
    std::vector<TLineRef> Refs;
    std::vector<TLineState> States;  // parallel to the lines while states are kept
    int Size() const { return static_cast<int>(Starts.size() + Refs.size()); }
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

  // Loading: the buffer is filled from its front; IndexLoaded makes lines of the first Filled
  // bytes (AtEnd: the text ends there) and returns how many lines it added. A line or a line
  // count over the limits throws std::length_error with a message for the user, after
  // StopIndexing.
  void BeginLoad(TByteBuffer buffer);
  int IndexLoaded(std::size_t filled, bool atEnd);
  bool Indexing() const { return FIndexing; }
  // The text ends with the last whole line indexed: a load that fails keeps what it read.
  void StopIndexing();
  char* LoadBuffer() const { return FBuffer.Data(); }

  void Reset();  // no lines, new-text defaults
  std::string SaveBytes() const;
  template <class Sink>
  void WriteTo(Sink&& sink) const;

  TTextEncoding Encoding = TTextEncoding::Utf8;
  TLineBreakStyle Style = TLineBreakStyle::CrLf;
  bool FinalLineBreak = true;
  // The loaded file began with a UTF-8 byte order mark: written back before line 1, never part
  // of it. Kept whatever the rest turns out to be, so the bytes round-trip either way.
  bool ByteOrderMark = false;
  int MaxLineLength = 0;  // longest line seen since loading, in bytes

  // Line states of a highlighter, one per line; none until enabled.
  void EnableStates(bool on);
  bool StatesEnabled() const { return FStates; }
  TLineState State(int index) const;
  void SetState(int index, TLineState state);

 private:
  std::pair<int, int> Locate(int index) const;  // block, offset inside it
  std::string_view BlockLine(const TBlock& block, int k, bool& crLf) const;
  void Unpack(TBlock& block);  // references instead of offsets, before a line of it changes
  void Renumber() const;
  std::uint32_t NewOwned(std::string_view text);
  void FreeOwned(const TLineRef& ref);
  TLineRef MakeRef(const TNewLine& line);
  void TryMerge(std::size_t index);  // merges block Index into its predecessor when small
  TBlock* NewLoadBlock(std::size_t start);  // the next block a load fills, its first line at Start

  TByteBuffer FBuffer;
  std::vector<std::unique_ptr<TBlock>> FBlocks;
  mutable std::vector<int> FFirstLine;  // first line of each block
  mutable std::size_t FDirtyFrom = 0;   // FFirstLine is valid below this block
  mutable int FLastBlock = 0;
  std::vector<std::string> FPool;
  std::vector<std::uint32_t> FFreeSlots;
  int FCount = 0;
  bool FStates = false;
  // The load in progress: lines are added to FFill until an edit touches the blocks.
  bool FIndexing = false;
  TBlock* FFill = nullptr;
  std::size_t FIndexed = 0;    // start of the first line not yet indexed
  int FFileLines = 0;          // lines indexed: the file's line numbers, whatever was typed meanwhile
  std::size_t FScanned = 0;    // bytes searched for line ends
  std::size_t FValidated = 0;  // bytes checked for UTF-8
  bool FSawCrLf = false;
  bool FValidUtf8 = true;
  bool FMarkChecked = false;  // the start of the file was looked at for a byte order mark
};

template <class Sink>
void TEditLinesImpl::WriteTo(Sink&& sink) const {
  const std::string_view lf("\n", 1), crlf("\r\n", 2);
  if (ByteOrderMark) sink(kByteOrderMark);
  int line = 0;
  for (const auto& b : FBlocks) {
    int k = 0;
    if (b->Starts.size() > 1) {
      // Lines as loaded lie back to back, each with its own line end.
      sink(std::string_view(b->Base + b->Starts.front(), b->Starts.back() - b->Starts.front()));
      k = b->Size() - 1;
    }
    for (; k < b->Size(); ++k) {
      bool ownEnd;
      sink(BlockLine(*b, k, ownEnd));
      if (line + k + 1 < FCount || FinalLineBreak) sink(ownEnd ? crlf : lf);
    }
    line += b->Size();
  }
}

// Windows-1252 / UTF-8 helpers shared by the editor core.
namespace EditText {
// The character starting at byte I as a code point; returns its length in bytes. Broken UTF-8
// gives U+FFFD for one byte. Inline: the screen's cells are counted with it for every key.
inline int DecodeChar(std::string_view s, std::size_t i, TTextEncoding encoding, char32_t& cp) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80 || encoding != TTextEncoding::Utf8) {
    cp = Cp1252::ToUnicode(c);
    return 1;
  }
  const int n = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  cp = 0xFFFD;
  if (n == 0 || i + static_cast<std::size_t>(n) >= s.size()) return 1;
  char32_t v = c & (0x3F >> n);
  for (int k = 1; k <= n; ++k) {
    const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((b & 0xC0) != 0x80) return 1;
    v = (v << 6) | (b & 0x3F);
  }
  cp = v;
  return n + 1;
}
// Index of the first character of Text the encoding cannot hold, or -1.
qsizetype UnencodableAt(const QString& text, TTextEncoding encoding);
QString DecodeBytes(std::string_view bytes, TTextEncoding encoding);
std::string EncodeText(const QString& text, TTextEncoding encoding);
}  // namespace EditText
