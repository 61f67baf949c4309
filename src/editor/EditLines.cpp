#include "editor/EditLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "editor/EditLinesImpl.h"

// ---- text encodings ----

namespace {
// Windows-1252 in 0x80..0x9F; the five undefined codes stay C1 controls.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString NativePath(const QString& path) { return QDir::toNativeSeparators(path); }

[[noreturn]] void ThrowRead(const QString& path, const QString& reason) {
  throw EEditFileError(
      QStringLiteral("Kann Datei %1 nicht lesen: %2").arg(NativePath(path), reason).toStdString());
}
[[noreturn]] void ThrowWrite(const QString& path, const QString& reason) {
  throw EEditFileError(
      QStringLiteral("Kann Datei %1 nicht speichern: %2").arg(NativePath(path), reason).toStdString());
}
}  // namespace

bool EditText::IsValidUtf8(const char* data, std::size_t size) {
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  const unsigned char* end = p + size;
  while (p < end) {
    // ASCII eight bytes at a time; jump straight to the first byte above 127.
    if (end - p >= 8) {
      std::uint64_t w;
      std::memcpy(&w, p, 8);
      const std::uint64_t high = w & 0x8080808080808080ull;
      if (!high) {
        p += 8;
        continue;
      }
      p += std::countr_zero(high) >> 3;
    } else if (*p < 0x80) {
      ++p;
      continue;
    }
    const unsigned c = *p;
    if (c >= 0xC2 && c <= 0xDF) {  // the common two-byte case (umlauts)
      if (end - p < 2 || (p[1] & 0xC0) != 0x80) return false;
      p += 2;
      continue;
    }
    int n;
    unsigned min;
    if (c >= 0xE0 && c <= 0xEF) n = 2, min = 0x800;
    else if (c >= 0xF0 && c <= 0xF4) n = 3, min = 0x10000;
    else return false;
    if (end - p <= n) return false;
    unsigned cp = c & (0x3F >> n);
    for (int i = 1; i <= n; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    p += n + 1;
  }
  return true;
}

QString EditText::DecodeBytes(std::string_view bytes, TTextEncoding encoding) {
  if (encoding == TTextEncoding::Utf8)
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QString s(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  QChar* out = s.data();
  for (unsigned char c : bytes)
    *out++ = (c >= 0x80 && c < 0xA0) ? QChar(kCp1252High[c - 0x80]) : QChar(c);
  return s;
}

int EditText::DecodeChar(std::string_view s, std::size_t i, TTextEncoding encoding, char32_t& cp) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80 || encoding != TTextEncoding::Utf8) {
    cp = (c >= 0x80 && c < 0xA0) ? kCp1252High[c - 0x80] : c;
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

namespace {
int Cp1252Byte(char16_t u) {  // -1: not in the code page
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return u;
  const char16_t* hit = std::find(std::begin(kCp1252High), std::end(kCp1252High), u);
  return hit != std::end(kCp1252High) ? 0x80 + static_cast<int>(hit - kCp1252High) : -1;
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

void TEditLinesImpl::Renumber() const {
  if (FDirtyFrom >= FBlocks.size()) return;
  FFirstLine.resize(FBlocks.size());
  int line = FDirtyFrom == 0 ? 0 : FFirstLine[FDirtyFrom - 1] + static_cast<int>(FBlocks[FDirtyFrom - 1]->Refs.size());
  for (std::size_t b = FDirtyFrom; b < FBlocks.size(); ++b) {
    FFirstLine[b] = line;
    line += static_cast<int>(FBlocks[b]->Refs.size());
  }
  FDirtyFrom = FBlocks.size();
}

std::pair<int, int> TEditLinesImpl::Locate(int index) const {
  Renumber();
  const int nb = static_cast<int>(FBlocks.size());
  int b = FLastBlock < nb ? FLastBlock : 0;
  auto inside = [&](int blk) {
    return index >= FFirstLine[blk] && index < FFirstLine[blk] + static_cast<int>(FBlocks[blk]->Refs.size());
  };
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

std::string_view TEditLinesImpl::Line(int index) const {
  if (index < 0 || index >= FCount) return {};
  const auto [b, o] = Locate(index);
  const TBlock& block = *FBlocks[b];
  const TLineRef r = block.Refs[o];
  if (r.Info & kOwned) return FPool[r.Pos];
  return {block.Base + r.Pos, r.Info & kLenMask};
}

bool TEditLinesImpl::LineCrLf(int index) const {
  if (index < 0 || index >= FCount) return Style == TLineBreakStyle::CrLf;
  const auto [b, o] = Locate(index);
  return (FBlocks[b]->Refs[o].Info & kCrLf) != 0;
}

void TEditLinesImpl::SetLineCrLf(int index, bool crLf) {
  if (index < 0 || index >= FCount) return;
  const auto [b, o] = Locate(index);
  std::uint32_t& info = FBlocks[b]->Refs[o].Info;
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

TEditLinesImpl::TLineRef TEditLinesImpl::MakeRef(TBlock&, const TNewLine& line) {
  if (line.Text.size() > kLenMask) throw std::length_error("line too long");
  MaxLineLength = std::max(MaxLineLength, static_cast<int>(line.Text.size()));
  return {NewOwned(line.Text), kOwned | (line.CrLf ? kCrLf : 0u)};
}

void TEditLinesImpl::Replace(int first, int removeCount, const TNewLine* newLines, int addCount) {
  first = std::clamp(first, 0, FCount);
  removeCount = std::clamp(removeCount, 0, FCount - first);
  // Lines changed in place keep their slots (the common case: one line edited).
  const int same = std::min(removeCount, addCount);
  for (int i = 0; i < same; ++i) {
    const auto [b, o] = Locate(first + i);
    TBlock& block = *FBlocks[b];
    FreeOwned(block.Refs[o]);
    block.Refs[o] = MakeRef(block, newLines[i]);
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
      tail->Refs.assign(src.Refs.begin() + o, src.Refs.end());
      src.Refs.resize(static_cast<std::size_t>(o));
      if (FStates) {
        tail->States.assign(src.States.begin() + o, src.States.end());
        src.States.resize(static_cast<std::size_t>(o));
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
    const int n = std::min(left, static_cast<int>(block.Refs.size()));
    for (int i = 0; i < n; ++i) FreeOwned(block.Refs[static_cast<std::size_t>(i)]);
    block.Refs.erase(block.Refs.begin(), block.Refs.begin() + n);
    if (FStates) block.States.erase(block.States.begin(), block.States.begin() + n);
    left -= n;
    if (block.Refs.empty()) FBlocks.erase(FBlocks.begin() + static_cast<std::ptrdiff_t>(cur));
    else ++cur;
  }
  // Insert new blocks for the added lines.
  std::vector<std::unique_ptr<TBlock>> added;
  for (int i = 0; i < addCount; i += kBlockLines) {
    auto block = std::make_unique<TBlock>();
    const int n = std::min(kBlockLines, addCount - i);
    block->Refs.reserve(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) block->Refs.push_back(MakeRef(*block, newLines[i + k]));
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
  for (const auto& r : block.Refs)
    if (!(r.Info & TEditLinesImpl::kOwned)) return true;
  return false;
}

void TEditLinesImpl::TryMerge(std::size_t index) {
  if (index == 0 || index >= FBlocks.size()) return;
  TBlock& prev = *FBlocks[index - 1];
  TBlock& next = *FBlocks[index];
  if (prev.Refs.size() + next.Refs.size() > static_cast<std::size_t>(kBlockLines)) return;
  if (prev.Base != next.Base) {
    if (NeedsBase(prev) && NeedsBase(next)) return;
    if (!NeedsBase(prev)) prev.Base = next.Base;
  }
  prev.Refs.insert(prev.Refs.end(), next.Refs.begin(), next.Refs.end());
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
  FBuffer.reset();
  FCount = 0;
  MaxLineLength = 0;
}

void TEditLinesImpl::LoadBuffer(std::unique_ptr<char[]> buffer, std::size_t size) {
  Reset();
  FBuffer = std::move(buffer);
  const char* const data = FBuffer.get();
  const char* p = data;
  const char* const end = data + size;
  bool sawCrLf = false;
  FinalLineBreak = false;
  TBlock* block = nullptr;
  std::size_t maxLen = 0;
  auto add = [&](const char* s, std::size_t len, bool crlf) {
    if (len > kLenMask) throw std::length_error("line too long");
    if (!block || block->Refs.size() == static_cast<std::size_t>(kBlockLines) ||
        static_cast<std::size_t>(s - block->Base) > 0xFFFFFFFFu - len) {
      FBlocks.push_back(std::make_unique<TBlock>());
      block = FBlocks.back().get();
      block->Base = s;
      block->Refs.reserve(kBlockLines);
    }
    block->Refs.push_back({static_cast<std::uint32_t>(s - block->Base),
                           static_cast<std::uint32_t>(len) | (crlf ? kCrLf : 0u)});
    maxLen = std::max(maxLen, len);
    ++FCount;
  };
  while (true) {
    const auto* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    if (!nl) {
      add(p, static_cast<std::size_t>(end - p), false);
      break;
    }
    std::size_t len = static_cast<std::size_t>(nl - p);
    const bool crlf = len > 0 && nl[-1] == '\r';
    if (crlf) --len;
    sawCrLf |= crlf;
    add(p, len, crlf);
    p = nl + 1;
    if (p == end) {
      FinalLineBreak = true;
      break;
    }
    if (FCount == 0x7FFFFFFF) throw std::length_error("too many lines");
  }
  Style = sawCrLf ? TLineBreakStyle::CrLf : TLineBreakStyle::Lf;
  if (!FinalLineBreak) SetLineCrLf(FCount - 1, sawCrLf);
  MaxLineLength = static_cast<int>(maxLen);
  Encoding = EditText::IsValidUtf8(data, size) ? TTextEncoding::Utf8 : TTextEncoding::Latin1;
  FDirtyFrom = 0;
  if (FStates)
    for (auto& b : FBlocks) b->States.assign(b->Refs.size(), 0);
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
    if (on) b->States.assign(b->Refs.size(), 0);
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

TEditLines::TEditLines() : FImpl(std::make_unique<TEditLinesImpl>()) {}
TEditLines::~TEditLines() = default;

int TEditLines::Count() const { return FImpl->Count(); }
std::string_view TEditLines::operator[](int index) const { return FImpl->Line(index); }
QString TEditLines::Text(int index) const { return Decode(FImpl->Line(index)); }

void TEditLines::Clear() {
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
  QFile file(path);
  const QFileInfo info(path);
  if (info.isDir()) ThrowRead(path, QStringLiteral("Das ist ein Verzeichnis"));
  // Opening a pipe or a device could block for ever or read without end.
  if (info.exists() && !info.isFile()) ThrowRead(path, QStringLiteral("Das ist keine gewöhnliche Datei"));
  if (!file.open(QIODevice::ReadOnly)) ThrowRead(path, file.errorString());
  const qint64 size = file.size();
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<std::size_t>(std::max<qint64>(size, 1))]);
  if (!buffer) ThrowRead(path, QStringLiteral("Nicht genug Speicher für %1 Bytes").arg(size));
  qint64 done = 0;
  while (done < size) {
    const qint64 n = file.read(buffer.get() + done, std::min<qint64>(size - done, 1 << 26));
    if (n < 0) ThrowRead(path, file.errorString());
    if (n == 0) break;  // the file shrank while being read
    done += n;
  }
  const int old = Count();
  try {
    FImpl->LoadBuffer(std::move(buffer), static_cast<std::size_t>(done));
  } catch (const std::bad_alloc&) {
    FImpl->Reset();
    if (OnLinesChanged) OnLinesChanged(0, old, 0);
    ThrowRead(path, QStringLiteral("Nicht genug Speicher"));
  } catch (const std::length_error&) {
    FImpl->Reset();
    if (OnLinesChanged) OnLinesChanged(0, old, 0);
    ThrowRead(path, QStringLiteral("Die Datei ist zu groß"));
  }
  if (OnLinesChanged) OnLinesChanged(0, old, Count());
}

void TEditLines::LoadFromBytes(std::string_view bytes) {
  std::unique_ptr<char[]> buffer(new char[std::max<std::size_t>(bytes.size(), 1)]);
  if (!bytes.empty()) std::memcpy(buffer.get(), bytes.data(), bytes.size());
  const int old = Count();
  FImpl->LoadBuffer(std::move(buffer), bytes.size());
  if (OnLinesChanged) OnLinesChanged(0, old, Count());
}

void TEditLines::SaveToFile(const QString& path) const {
  const QFileInfo info(path);
  if (info.exists() && !info.isWritable()) ThrowWrite(path, QStringLiteral("Die Datei ist schreibgeschützt"));
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) ThrowWrite(path, file.errorString());
  std::string chunk;
  bool ok = true;
  auto flush = [&] {
    if (ok && file.write(chunk.data(), static_cast<qint64>(chunk.size())) != static_cast<qint64>(chunk.size()))
      ok = false;
    chunk.clear();
  };
  FImpl->WriteTo([&](std::string_view s) {
    chunk.append(s);
    if (chunk.size() >= (1u << 20)) flush();
  });
  flush();
  if (!ok) {
    const QString reason = file.errorString();
    file.cancelWriting();
    ThrowWrite(path, reason);
  }
  if (!file.commit()) ThrowWrite(path, file.errorString());
  if (OnSaved) OnSaved();
}

std::string TEditLines::SaveToBytes() const { return FImpl->SaveBytes(); }

TTextEncoding TEditLines::Encoding() const { return FImpl->Encoding; }
void TEditLines::SetEncoding(TTextEncoding encoding) { FImpl->Encoding = encoding; }
TLineBreakStyle TEditLines::LineBreakStyle() const { return FImpl->Style; }

void TEditLines::SetLineBreakStyle(TLineBreakStyle style) {
  // An explicit choice applies to every line end, not only to new ones.
  FImpl->Style = style;
  for (int i = 0; i < Count(); ++i) FImpl->SetLineCrLf(i, style == TLineBreakStyle::CrLf);
}

bool TEditLines::FinalLineBreak() const { return FImpl->FinalLineBreak; }

QString TEditLines::Decode(std::string_view bytes) const { return EditText::DecodeBytes(bytes, Encoding()); }
std::string TEditLines::Encode(const QString& text) const { return EditText::EncodeText(text, Encoding()); }
qsizetype TEditLines::UnencodableAt(const QString& text) const { return EditText::UnencodableAt(text, Encoding()); }
