#include "editor/EditLines.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <bit>
#include <cstring>
#include <exception>
#include <limits>
#include <new>
#include <string>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "editor/EditLinesImpl.h"
#include "platform/Cp1252.h"
#include "platform/FileWrite.h"
#include "platform/Utf8.h"

// ---- text encodings ----

namespace {

QString NativePath(const QString& path) { return QDir::toNativeSeparators(path); }

QString ReadError(const QString& path, const QString& reason) {
  return QStringLiteral("Kann Datei %1 nicht lesen: %2").arg(NativePath(path), reason);
}
[[noreturn]] void ThrowRead(const QString& path, const QString& reason) {
  throw EEditFileError(ReadError(path, reason).toStdString());
}
[[noreturn]] void ThrowWrite(const QString& path, const QString& reason) {
  throw EEditFileError(
      QStringLiteral("Kann Datei %1 nicht speichern: %2").arg(NativePath(path), reason).toStdString());
}
}  // namespace

QString EditText::DecodeBytes(std::string_view bytes, TTextEncoding encoding) {
  if (encoding == TTextEncoding::Utf8)
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  return Cp1252::Decode(bytes);
}

namespace {
int Cp1252Byte(char16_t u) {  // -1: not in the code page
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return u;
  const char16_t* hit = std::find(std::begin(Cp1252::High), std::end(Cp1252::High), u);
  return hit != std::end(Cp1252::High) ? 0x80 + static_cast<int>(hit - Cp1252::High) : -1;
}
}  // namespace

qsizetype EditText::UnencodableAt(const QString& text, TTextEncoding encoding) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    const bool pair = c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
    if (c.isSurrogate() && !pair) return i;  // half a character
    if (encoding != TTextEncoding::Utf8 && (pair || Cp1252Byte(c.unicode()) < 0)) return i;
    if (pair) ++i;
  }
  return -1;
}

std::string EditText::EncodeText(const QString& text, TTextEncoding encoding) {
  if (encoding == TTextEncoding::Utf8) return text.toStdString();
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
    const int b = Cp1252Byte(text[i].unicode());
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

// ---- storage ----

namespace {
// Calls F with a pointer to every LF in [P, E), in order; sixteen bytes at a time where the
// processor allows it.
template <class F>
void ForEachLf(const char* p, const char* e, F&& f) {
#if defined(__SSE2__) || defined(_M_X64)
  const __m128i lf = _mm_set1_epi8('\n');
  for (; e - p >= 16; p += 16) {
    auto m = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf)));
    for (; m; m &= m - 1) f(p + std::countr_zero(m));
  }
#endif
  for (; p < e; ++p)
    if (*p == '\n') f(p);
}
}  // namespace

void TEditLinesImpl::Renumber() const {
  if (FDirtyFrom >= FBlocks.size()) return;
  FFirstLine.resize(FBlocks.size());
  int line = FDirtyFrom == 0 ? 0 : FFirstLine[FDirtyFrom - 1] + FBlocks[FDirtyFrom - 1]->Size();
  for (std::size_t b = FDirtyFrom; b < FBlocks.size(); ++b) {
    FFirstLine[b] = line;
    line += FBlocks[b]->Size();
  }
  FDirtyFrom = FBlocks.size();
}

std::pair<int, int> TEditLinesImpl::Locate(int index) const {
  Renumber();
  const int nb = static_cast<int>(FBlocks.size());
  int b = FLastBlock < nb ? FLastBlock : 0;
  auto inside = [&](int blk) { return index >= FFirstLine[blk] && index < FFirstLine[blk] + FBlocks[blk]->Size(); };
  if (!inside(b)) {
    if (b + 1 < nb && inside(b + 1)) {
      ++b;
    } else {
      auto it = std::upper_bound(FFirstLine.begin(), FFirstLine.end(), index);
      b = static_cast<int>(it - FFirstLine.begin()) - 1;
    }
  }
  FLastBlock = b;
  return {b, index - FFirstLine[b]};
}

std::string_view TEditLinesImpl::BlockLine(const TBlock& block, int k, bool& crLf) const {
  const auto o = static_cast<std::size_t>(k);
  if (block.Starts.empty()) {
    const TLineRef r = block.Refs[o];
    crLf = (r.Info & kCrLf) != 0;
    if (r.Info & kOwned) return FPool[r.Pos];
    return {block.Base + r.Pos, r.Info & kLenMask};
  }
  const std::uint32_t start = block.Starts[o];
  const bool last = o + 1 == block.Starts.size();
  const std::uint32_t next = last ? block.End : block.Starts[o + 1];
  const std::uint32_t len = next - 1 - start;
  if (last && block.OpenEnd) {
    // Where lines follow later, the file's last line ends as the file's style says.
    crLf = Style == TLineBreakStyle::CrLf;
    return {block.Base + start, len};
  }
  crLf = len > 0 && block.Base[next - 2] == '\r';
  return {block.Base + start, len - (crLf ? 1 : 0)};
}

void TEditLinesImpl::Unpack(TBlock& block) {
  if (&block == FFill) FFill = nullptr;
  if (block.Starts.empty()) return;
  block.Refs.resize(block.Starts.size());
  for (std::size_t k = 0; k < block.Refs.size(); ++k) {
    bool crLf;
    const std::string_view s = BlockLine(block, static_cast<int>(k), crLf);
    block.Refs[k] = {static_cast<std::uint32_t>(s.data() - block.Base),
                     static_cast<std::uint32_t>(s.size()) | (crLf ? kCrLf : 0u)};
  }
  std::vector<std::uint16_t>().swap(block.Starts);
  block.OpenEnd = false;
}

std::string_view TEditLinesImpl::Line(int index) const {
  if (index < 0 || index >= FCount) return {};
  const auto [b, o] = Locate(index);
  bool crLf;
  return BlockLine(*FBlocks[b], o, crLf);
}

bool TEditLinesImpl::LineCrLf(int index) const {
  if (index < 0 || index >= FCount) return Style == TLineBreakStyle::CrLf;
  const auto [b, o] = Locate(index);
  bool crLf;
  BlockLine(*FBlocks[b], o, crLf);
  return crLf;
}

void TEditLinesImpl::SetLineCrLf(int index, bool crLf) {
  if (index < 0 || index >= FCount) return;
  const auto [b, o] = Locate(index);
  Unpack(*FBlocks[b]);
  std::uint32_t& info = FBlocks[b]->Refs[static_cast<std::size_t>(o)].Info;
  info = crLf ? (info | kCrLf) : (info & ~kCrLf);
}

std::uint32_t TEditLinesImpl::NewOwned(std::string_view text) {
  if (!FFreeSlots.empty()) {
    const std::uint32_t slot = FFreeSlots.back();
    FFreeSlots.pop_back();
    FPool[slot].assign(text);
    return slot;
  }
  FPool.emplace_back(text);
  return static_cast<std::uint32_t>(FPool.size() - 1);
}

void TEditLinesImpl::FreeOwned(const TLineRef& ref) {
  if (!(ref.Info & kOwned)) return;
  std::string().swap(FPool[ref.Pos]);
  FFreeSlots.push_back(ref.Pos);
}

TEditLinesImpl::TLineRef TEditLinesImpl::MakeRef(const TNewLine& line) {
  if (line.Text.size() > kLenMask) throw std::length_error("line too long");
  MaxLineLength = std::max(MaxLineLength, static_cast<int>(line.Text.size()));
  return {NewOwned(line.Text), kOwned | (line.CrLf ? kCrLf : 0u)};
}

void TEditLinesImpl::Replace(int first, int removeCount, const TNewLine* newLines, int addCount) {
  FFill = nullptr;  // a load in progress goes on in a block of its own
  first = std::clamp(first, 0, FCount);
  removeCount = std::clamp(removeCount, 0, FCount - first);
  // Lines changed in place keep their slots (the common case: one line edited).
  const int same = std::min(removeCount, addCount);
  for (int i = 0; i < same; ++i) {
    const auto [b, o] = Locate(first + i);
    TBlock& block = *FBlocks[b];
    Unpack(block);
    TLineRef& ref = block.Refs[static_cast<std::size_t>(o)];
    const TLineRef made = MakeRef(newLines[i]);
    FreeOwned(ref);
    ref = made;
  }
  first += same;
  removeCount -= same;
  newLines += same;
  addCount -= same;
  if (removeCount == 0 && addCount == 0) return;

  // Split so that the change starts at a block boundary.
  std::size_t bi;
  if (first == FCount) {
    bi = FBlocks.size();
  } else {
    auto [b, o] = Locate(first);
    bi = static_cast<std::size_t>(b);
    if (o > 0) {
      TBlock& src = *FBlocks[bi];
      auto tail = std::make_unique<TBlock>();
      tail->Base = src.Base;
      const auto at = static_cast<std::size_t>(o);
      if (!src.Starts.empty()) {
        tail->Starts.assign(src.Starts.begin() + o, src.Starts.end());
        tail->End = src.End;
        tail->OpenEnd = src.OpenEnd;
        src.End = src.Starts[at];
        src.OpenEnd = false;
        src.Starts.resize(at);
      } else {
        tail->Refs.assign(src.Refs.begin() + o, src.Refs.end());
        src.Refs.resize(at);
      }
      if (FStates) {
        tail->States.assign(src.States.begin() + o, src.States.end());
        src.States.resize(at);
      }
      FBlocks.insert(FBlocks.begin() + static_cast<std::ptrdiff_t>(bi) + 1, std::move(tail));
      ++bi;
    }
  }
  // Remove whole lines from the front of the following blocks.
  std::size_t cur = bi;
  int left = removeCount;
  while (left > 0 && cur < FBlocks.size()) {
    TBlock& block = *FBlocks[cur];
    const int n = std::min(left, block.Size());
    if (!block.Starts.empty()) {
      block.Starts.erase(block.Starts.begin(), block.Starts.begin() + n);
    } else {
      for (int i = 0; i < n; ++i) FreeOwned(block.Refs[static_cast<std::size_t>(i)]);
      block.Refs.erase(block.Refs.begin(), block.Refs.begin() + n);
    }
    if (FStates) block.States.erase(block.States.begin(), block.States.begin() + n);
    left -= n;
    if (block.Size() == 0) FBlocks.erase(FBlocks.begin() + static_cast<std::ptrdiff_t>(cur));
    else ++cur;
  }
  // Insert new blocks for the added lines.
  std::vector<std::unique_ptr<TBlock>> added;
  for (int i = 0; i < addCount; i += kBlockLines) {
    auto block = std::make_unique<TBlock>();
    const int n = std::min(kBlockLines, addCount - i);
    block->Refs.reserve(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) block->Refs.push_back(MakeRef(newLines[i + k]));
    if (FStates) block->States.assign(static_cast<std::size_t>(n), 0);
    added.push_back(std::move(block));
  }
  FBlocks.insert(FBlocks.begin() + static_cast<std::ptrdiff_t>(bi), std::make_move_iterator(added.begin()),
                 std::make_move_iterator(added.end()));
  // Keep small neighbours from piling up: merge tiny blocks at both ends of the change.
  const std::size_t endIndex = bi + added.size();
  TryMerge(endIndex);
  TryMerge(bi);
  FCount += addCount - removeCount;
  // Blocks before the change keep their numbers; an earlier change may not be renumbered yet.
  FDirtyFrom = std::min({FDirtyFrom, bi > 0 ? bi - 1 : 0, FBlocks.size()});
  FFirstLine.resize(FBlocks.size());
  FLastBlock = 0;
}

static bool NeedsBase(const TEditLinesImpl::TBlock& block) {
  if (!block.Starts.empty()) return true;
  for (const auto& r : block.Refs)
    if (!(r.Info & TEditLinesImpl::kOwned)) return true;
  return false;
}

void TEditLinesImpl::TryMerge(std::size_t index) {
  if (index == 0 || index >= FBlocks.size()) return;
  TBlock& prev = *FBlocks[index - 1];
  TBlock& next = *FBlocks[index];
  if (prev.Size() + next.Size() > kBlockLines) return;
  if (prev.Base != next.Base && NeedsBase(prev) && NeedsBase(next)) return;
  if (!prev.Starts.empty() && !next.Starts.empty() && !prev.OpenEnd && prev.End == next.Starts.front()) {
    // Still back to back as loaded (the lines between them came back).
    prev.Starts.insert(prev.Starts.end(), next.Starts.begin(), next.Starts.end());
    prev.End = next.End;
    prev.OpenEnd = next.OpenEnd;
  } else {
    Unpack(prev);
    Unpack(next);
    if (!NeedsBase(prev)) prev.Base = next.Base;
    prev.Refs.insert(prev.Refs.end(), next.Refs.begin(), next.Refs.end());
  }
  if (FStates) prev.States.insert(prev.States.end(), next.States.begin(), next.States.end());
  FBlocks.erase(FBlocks.begin() + static_cast<std::ptrdiff_t>(index));
}

void TEditLinesImpl::Reset() {
  FBlocks.clear();
  FFirstLine.clear();
  FDirtyFrom = 0;
  FLastBlock = 0;
  FPool.clear();
  FFreeSlots.clear();
  FBuffer = TByteBuffer();
  FCount = 0;
  MaxLineLength = 0;
  ByteOrderMark = false;
  FIndexing = false;
  FFill = nullptr;
}

void TEditLinesImpl::BeginLoad(TByteBuffer buffer) {
  Reset();
  FBuffer = std::move(buffer);
  FIndexing = true;
  FIndexed = FScanned = FValidated = 0;
  FFileLines = 0;
  FSawCrLf = false;
  FValidUtf8 = true;
  FMarkChecked = false;
  FinalLineBreak = false;
}

TEditLinesImpl::TBlock* TEditLinesImpl::NewLoadBlock(std::size_t start) {
  if (FFill) {
    FFill->End = static_cast<std::uint32_t>(start - static_cast<std::size_t>(FFill->Base - FBuffer.Data()));
    if (FFill->Starts.capacity() - FFill->Starts.size() > 64) FFill->Starts.shrink_to_fit();
  }
  FBlocks.push_back(std::make_unique<TBlock>());
  FFill = FBlocks.back().get();
  FFill->Base = FBuffer.Data() + start;
  FFill->Starts.reserve(kBlockLines);
  return FFill;
}

int TEditLinesImpl::IndexLoaded(std::size_t filled, bool atEnd) {
  const int before = FCount;
  const char* const data = FBuffer.Data();
  if (!FMarkChecked) {
    const std::string_view head(data, std::min(filled, kByteOrderMark.size()));
    const bool likeMark = kByteOrderMark.starts_with(head);
    if (likeMark && head.size() < kByteOrderMark.size() && !atEnd) return 0;  // too little to tell yet
    FMarkChecked = true;
    ByteOrderMark = likeMark && head.size() == kByteOrderMark.size();
    if (ByteOrderMark) FIndexed = FScanned = FValidated = kByteOrderMark.size();
  }
  // The hot loop of a load: kept in locals, written back below.
  TBlock* block = FFill;
  std::size_t base = block ? static_cast<std::size_t>(block->Base - data) : 0;
  std::size_t start = FIndexed;
  std::size_t maxLen = static_cast<std::size_t>(MaxLineLength);
  int count = FCount;
  int fileLines = FFileLines;
  bool sawCrLf = FSawCrLf;
  // A line that cannot be taken throws before anything of it is added.
  auto add = [&](std::size_t end, bool lf) {
    std::size_t len = end - start;
    const bool crLf = lf && len > 0 && data[end - 1] == '\r';
    if (crLf) --len;
    if (count >= MaxLoadLines)
      throw std::length_error("Die Datei hat mehr als " + std::to_string(MaxLoadLines) + " Zeilen");
    // Every line: the longest so far may be one typed meanwhile, beyond the limit.
    if (len > MaxLoadLine)
      throw std::length_error("Zeile " + std::to_string(fileLines + 1) + " ist länger als " +
                              std::to_string(MaxLoadLine) + " Bytes");
    maxLen = std::max(maxLen, len);
    if (!block || block->Starts.size() == static_cast<std::size_t>(kBlockLines) || start - base > 0xFFFF) {
      block = NewLoadBlock(start);
      base = start;
    }
    block->Starts.push_back(static_cast<std::uint16_t>(start - base));
    sawCrLf |= crLf;
    ++count;
    ++fileLines;
    start = end + 1;
  };
  std::size_t checked = start;  // lines end with an LF: no character straddles the boundary
  std::exception_ptr failure;
  try {
    ForEachLf(data + FScanned, data + filled, [&](const char* lf) { add(static_cast<std::size_t>(lf - data), true); });
    FScanned = filled;
    checked = start;
    if (atEnd) {
      FinalLineBreak = count > 0 && start == filled;
      if (!FinalLineBreak) add(filled, false);
      checked = filled;
    }
  } catch (...) {
    // The lines before the one that failed are kept, with whatever was typed into them meanwhile.
    failure = std::current_exception();
    checked = start;
    atEnd = false;
  }
  if (block) block->End = static_cast<std::uint32_t>(start - base);
  if (atEnd && !FinalLineBreak) block->OpenEnd = true;
  FIndexed = start;
  FCount = count;
  FFileLines = fileLines;
  MaxLineLength = static_cast<int>(maxLen);
  FSawCrLf = sawCrLf;
  if (FStates)
    for (std::size_t b = FBlocks.size(); b-- > 0 && FBlocks[b]->Size() != static_cast<int>(FBlocks[b]->States.size());)
      FBlocks[b]->States.resize(static_cast<std::size_t>(FBlocks[b]->Size()), 0);
  if (FValidUtf8) FValidUtf8 = Utf8::IsValid(data + FValidated, checked - FValidated);
  FValidated = checked;
  Encoding = FValidUtf8 ? TTextEncoding::Utf8 : TTextEncoding::Latin1;
  Style = FSawCrLf ? TLineBreakStyle::CrLf : TLineBreakStyle::Lf;
  if (atEnd) {
    FIndexing = false;
    FFill = nullptr;
  }
  if (failure) {
    StopIndexing();
    std::rethrow_exception(failure);
  }
  return FCount - before;
}

void TEditLinesImpl::StopIndexing() {
  if (!FIndexing) return;
  FIndexing = false;
  FFill = nullptr;
  FinalLineBreak = true;  // every line indexed so far ended with a line break
  while (!FBlocks.empty() && FBlocks.back()->Size() == 0) FBlocks.pop_back();  // begun, never filled
}

std::string TEditLinesImpl::SaveBytes() const {
  std::string out;
  WriteTo([&](std::string_view s) { out.append(s); });
  return out;
}

void TEditLinesImpl::EnableStates(bool on) {
  if (on == FStates) return;
  FStates = on;
  for (auto& b : FBlocks) {
    if (on) b->States.assign(static_cast<std::size_t>(b->Size()), 0);
    else std::vector<TLineState>().swap(b->States);
  }
}

TLineState TEditLinesImpl::State(int index) const {
  if (!FStates || index < 0 || index >= FCount) return 0;
  const auto [b, o] = Locate(index);
  return FBlocks[b]->States[static_cast<std::size_t>(o)];
}

void TEditLinesImpl::SetState(int index, TLineState state) {
  if (!FStates || index < 0 || index >= FCount) return;
  const auto [b, o] = Locate(index);
  FBlocks[b]->States[static_cast<std::size_t>(o)] = state;
}

// ---- TEditLines ----

namespace {
constexpr qint64 kChunk = qint64(256) << 10;      // read and indexed while still in the cache
constexpr qint64 kFirstPart = qint64(64) << 10;   // well over a screenful of lines
constexpr qint64 kReadAtOnce = qint64(4) << 20;   // read in one go: a few milliseconds
constexpr qint64 kUnsizedLimit = qint64(64) << 20;  // a file that tells no size and reads on and on is none
}  // namespace

// The file of a load in progress, and how the load ended.
class TEditFileLoad {
 public:
  QFile File;
  qint64 Size = 0;  // when opened; a file growing meanwhile is read that far
  qint64 Filled = 0;
  QDateTime Time;
  QString Error;  // why the load stopped
  bool Changed = false;
};

TEditLines::TEditLines() : FImpl(std::make_unique<TEditLinesImpl>()) {}
TEditLines::~TEditLines() = default;

int TEditLines::Count() const { return FImpl->Count(); }
std::string_view TEditLines::operator[](int index) const { return FImpl->Line(index); }
QString TEditLines::Text(int index) const { return Decode(FImpl->Line(index)); }

void TEditLines::Clear() {
  FLoad.reset();
  const int old = FImpl->Count();
  FImpl->Reset();
  FImpl->FinalLineBreak = true;
  if (OnLinesChanged) OnLinesChanged(0, old, 0);
}

void TEditLines::Add(std::string_view line) { Insert(Count(), line); }

void TEditLines::Insert(int index, std::string_view line) {
  index = std::clamp(index, 0, Count());
  const TEditLinesImpl::TNewLine nl{line, FImpl->Style == TLineBreakStyle::CrLf};
  FImpl->Replace(index, 0, &nl, 1);
  if (OnLinesChanged) OnLinesChanged(index, 0, 1);
}

void TEditLines::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  FImpl->Replace(index, 1, nullptr, 0);
  if (OnLinesChanged) OnLinesChanged(index, 1, 0);
}

void TEditLines::Put(int index, std::string_view line) {
  if (index < 0 || index >= Count()) return;
  const TEditLinesImpl::TNewLine nl{line, FImpl->LineCrLf(index)};
  FImpl->Replace(index, 1, &nl, 1);
  if (OnLinesChanged) OnLinesChanged(index, 1, 1);
}

void TEditLines::LoadFromFile(const QString& path) {
  StartLoad(path);
  FinishLoad();
}

void TEditLines::StartLoad(const QString& path) {
  auto load = std::make_unique<TEditFileLoad>();
  const QFileInfo info(path);
  if (info.isDir()) ThrowRead(path, QStringLiteral("Das ist ein Verzeichnis"));
  // Opening a pipe or a device could block for ever or read without end.
  if (info.exists() && !info.isFile()) ThrowRead(path, QStringLiteral("Das ist keine gewöhnliche Datei"));
  load->File.setFileName(path);
  if (!load->File.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) ThrowRead(path, load->File.errorString());
  load->Size = load->File.size();
  load->Time = load->File.fileTime(QFileDevice::FileModificationTime);
  if (load->Size == 0) {
    // Files of the system (/proc) tell no size: what they hold is read at once.
    QByteArray bytes;
    for (QByteArray part; !(part = load->File.read(kChunk)).isEmpty() && bytes.size() <= kUnsizedLimit;) bytes += part;
    if (bytes.size() > kUnsizedLimit) ThrowRead(path, QStringLiteral("Das ist keine gewöhnliche Datei"));
    if (!bytes.isEmpty()) {
      LoadFromBytes(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
      return;
    }
  }
  TByteBuffer buffer = TByteBuffer::Allocate(static_cast<std::size_t>(load->Size));
  if (!buffer) ThrowRead(path, QStringLiteral("Nicht genug Speicher für %1 Bytes").arg(load->Size));
  const int old = Count();
  FLoad = std::move(load);
  FImpl->BeginLoad(std::move(buffer));
  // The first screen at once, a small file entirely; and always a line to type in.
  const qint64 first = FLoad->Size <= kReadAtOnce ? FLoad->Size : kFirstPart;
  try {
    while (Loading() && (FLoad->Filled < first || Count() == 0)) ReadStep();
  } catch (const EEditFileError&) {
    FImpl->Reset();  // nothing was shown of it yet: refused whole
    if (OnLinesChanged) OnLinesChanged(0, old, 0);
    if (OnLinesLoaded) OnLinesLoaded(0, 0);  // the load is over
    throw;
  }
  if (OnLinesChanged) OnLinesChanged(0, old, Count());
}

void TEditLines::ReadStep() const {
  TEditFileLoad& load = *FLoad;
  auto fail = [&](const QString& reason) {
    load.File.close();
    load.Error = ReadError(load.File.fileName(), reason);
    FImpl->StopIndexing();
    throw EEditFileError(load.Error.toStdString());
  };
  const qint64 n = load.File.read(FImpl->LoadBuffer() + load.Filled, std::min(kChunk, load.Size - load.Filled));
  if (n < 0) fail(load.File.errorString());
  load.Filled += n;
  const bool atEnd = n == 0 || load.Filled == load.Size;  // a file cut short meanwhile ends early
  try {
    FImpl->IndexLoaded(static_cast<std::size_t>(load.Filled), atEnd);
  } catch (const std::bad_alloc&) {
    fail(QStringLiteral("Nicht genug Speicher"));
  } catch (const std::length_error& e) {
    fail(QString::fromUtf8(e.what()));
  }
  if (!atEnd) return;
  load.Changed = load.Filled != load.Size || load.File.size() != load.Size ||
                 load.File.fileTime(QFileDevice::FileModificationTime) != load.Time;
  load.File.close();
}

template <class F>
void TEditLines::ReadWhile(int known, F&& more) const {
  try {
    while (Loading() && more()) ReadStep();
  } catch (const EEditFileError&) {
    // The load is over; the lines read before the error stay.
    if (OnLinesLoaded) OnLinesLoaded(known, Count() - known);
    throw;
  }
}

void TEditLines::ContinueLoad(int milliseconds) {
  if (!Loading()) return;
  const int first = Count();
  QElapsedTimer timer;
  timer.start();
  bool once = true;
  ReadWhile(first, [&] { return std::exchange(once, false) || !timer.hasExpired(milliseconds); });
  if (OnLinesLoaded) OnLinesLoaded(first, Count() - first);
}

void TEditLines::LoadUpTo(int lines) const {
  if (!Loading() || Count() >= lines) return;
  const int first = Count();
  ReadWhile(first, [&] { return Count() < lines; });
  if (OnLinesLoaded) OnLinesLoaded(first, Count() - first);
}

void TEditLines::FinishLoad() const { LoadUpTo(std::numeric_limits<int>::max()); }
bool TEditLines::Loading() const { return FLoad && FImpl->Indexing(); }
qint64 TEditLines::LoadedBytes() const { return FLoad ? FLoad->Filled : 0; }
qint64 TEditLines::LoadSize() const { return FLoad ? FLoad->Size : 0; }
bool TEditLines::LoadFailed() const { return FLoad && !FLoad->Error.isEmpty(); }
QString TEditLines::LoadError() const { return FLoad ? FLoad->Error : QString(); }
bool TEditLines::ChangedWhileLoading() const { return FLoad && FLoad->Changed; }

void TEditLines::LoadFromBytes(std::string_view bytes) {
  TByteBuffer buffer = TByteBuffer::Allocate(bytes.size());
  if (!buffer) throw std::bad_alloc();
  if (!bytes.empty()) std::memcpy(buffer.Data(), bytes.data(), bytes.size());
  FLoad.reset();
  const int old = Count();
  FImpl->BeginLoad(std::move(buffer));
  FImpl->IndexLoaded(bytes.size(), true);
  if (OnLinesChanged) OnLinesChanged(0, old, Count());
}

void TEditLines::SaveToFile(const QString& path) const {
  FinishLoad();
  const QFileInfo info(path);
  if (info.exists() && !info.isWritable()) ThrowWrite(path, QStringLiteral("Die Datei ist schreibgeschützt"));
  if (!QFileInfo(info.absolutePath()).isDir())
    ThrowWrite(path, QStringLiteral("Den Ordner %1 gibt es nicht.").arg(QDir::toNativeSeparators(info.absolutePath())));
  const QString error = Platform::WriteFile(path, [this](const Platform::TByteSink& sink) { FImpl->WriteTo(sink); });
  if (!error.isEmpty()) ThrowWrite(path, error);
  if (OnSaved) OnSaved();
}

std::string TEditLines::SaveToBytes() const {
  FinishLoad();
  return FImpl->SaveBytes();
}

TTextEncoding TEditLines::Encoding() const { return FImpl->Encoding; }
void TEditLines::SetEncoding(TTextEncoding encoding) { FImpl->Encoding = encoding; }
TLineBreakStyle TEditLines::LineBreakStyle() const { return FImpl->Style; }

void TEditLines::SetLineBreakStyle(TLineBreakStyle style) {
  // An explicit choice applies to every line end, not only to new ones.
  FinishLoad();
  FImpl->Style = style;
  for (int i = 0; i < Count(); ++i) FImpl->SetLineCrLf(i, style == TLineBreakStyle::CrLf);
}

bool TEditLines::FinalLineBreak() const {
  FinishLoad();
  return FImpl->FinalLineBreak;
}

int TEditLines::BytesBeforeFirstLine() const {
  return FImpl->ByteOrderMark ? static_cast<int>(TEditLinesImpl::kByteOrderMark.size()) : 0;
}

QString TEditLines::Decode(std::string_view bytes) const { return EditText::DecodeBytes(bytes, Encoding()); }
std::exception_ptr TEditLines::SettleEncoding(const QString& text) const {
  if (!Loading() || std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) return {};
  try {
    FinishLoad();
  } catch (const EEditFileError&) {
    return std::current_exception();
  }
  return {};
}

std::string TEditLines::Encode(const QString& text) const {
  if (const std::exception_ptr failed = SettleEncoding(text)) std::rethrow_exception(failed);
  return EditText::EncodeText(text, Encoding());
}

qsizetype TEditLines::UnencodableAt(const QString& text) const {
  if (const std::exception_ptr failed = SettleEncoding(text)) std::rethrow_exception(failed);
  return EditText::UnencodableAt(text, Encoding());
}
