#include "highlight/AssemSyn.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "highlight/CharClass.h"
#include "highlight/HashList.h"

namespace {

// Scanning rules, selected by the first character of a token.
enum TRule : std::uint8_t {
  rlSpace, rlLineFeed, rlCarriageReturn, rlString, rlSymbol, rlHexNumber, rlBinNumber, rlNumber,
  rlComment, rlIdentifier, rlOther,
};

void FillDispatch(std::array<unsigned char, 256>& t) {
  // A NUL byte is an ordinary odd character: the line ends only where its text ends.
  t.fill(rlOther);
  for (int c = 1; c <= 32; ++c) t[c] = rlSpace;
  t['\n'] = rlLineFeed;
  t['\r'] = rlCarriageReturn;
  t['"'] = rlString;
  t['\''] = rlString;
  for (char c : {'#', '(', ')', '*', ',', ':'}) t[static_cast<unsigned char>(c)] = rlSymbol;
  t['$'] = rlHexNumber;
  t['%'] = rlBinNumber;
  for (int c = '0'; c <= '9'; ++c) t[c] = rlNumber;
  t[';'] = rlComment;
  for (int c = 'A'; c <= 'Z'; ++c) t[c] = rlIdentifier;
  for (int c = 'a'; c <= 'z'; ++c) t[c] = rlIdentifier;
  t['_'] = rlIdentifier;
}

// Position of the first character from Pos on that lacks every class in Classes.
inline size_t SkipClass(const unsigned char* line, size_t size, size_t pos, std::uint8_t classes) {
  while (pos < size && (charclass::Flags[line[pos]] & classes)) ++pos;
  return pos;
}

// Position of the first line feed or carriage return from Pos on, or Size. Comments run to the
// end of the line and are long: eight bytes are tested at a time.
inline size_t FindBreak(const unsigned char* line, size_t size, size_t pos) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    // High bit of each line feed or carriage return among the eight bytes at At; a borrow can
    // only mark bytes above the first true hit.
    const auto breaks = [line](size_t at) {
      std::uint64_t v;
      std::memcpy(&v, line + at, 8);
      const std::uint64_t lf = v ^ (ones * '\n'), cr = v ^ (ones * '\r');
      return (((lf - ones) & ~lf) | ((cr - ones) & ~cr)) & highs;
    };
    if (size >= 8) {
      for (; pos + 8 <= size; pos += 8)
        if (const std::uint64_t hits = breaks(pos)) return pos + static_cast<size_t>(std::countr_zero(hits) / 8);
      if (pos >= size) return size;
      // The last bytes: the line's last eight, those before Pos masked off.
      const std::uint64_t hits = breaks(size - 8) & (~std::uint64_t{0} << (8 * (pos + 8 - size)));
      return hits ? size - 8 + static_cast<size_t>(std::countr_zero(hits) / 8) : size;
    }
  }
  while (pos < size && !(charclass::Flags[line[pos]] & charclass::Break)) ++pos;
  return pos;
}

// Position after the string that opens at Pos with the quote character there.
size_t ScanString(const unsigned char* line, size_t size, size_t pos) {
  const unsigned char quote = line[pos];
  // Three quotes open a string that only the fourth closes.
  if (pos + 2 < size && line[pos + 1] == quote && line[pos + 2] == quote) pos += 2;
  while (pos < size && !(charclass::Flags[line[pos]] & charclass::Break)) {
    ++pos;
    if (pos < size && line[pos] == quote) break;
  }
  // Take in the closing quote, or the line break that cut the string short.
  return pos < size ? pos + 1 : pos;
}

}  // namespace

void TVoMAssemSyn::ScanBatch() {
  // Everything the loop needs is held in locals: stores into the batch cannot disturb them.
  const unsigned char* const line = FLine;
  const size_t size = FLineSize;
  const unsigned char* const dispatch = FDispatch.data();
  THashList& keywords = *FKeywords;
  size_t pos = FTokenStart;
  int count = 0;
  while (count < BatchSize && pos < size) {
    const unsigned char c = line[pos];
    TVoTokenKind kind;
    const unsigned char rule = dispatch[c];
    // The two most frequent kinds of token before the table jump, which predicts worse.
    if (c == '\t' || c == ' ') {
      pos = SkipClass(line, size, pos + 1, charclass::Blank);
      kind = tkSpace;
    } else if (rule == rlIdentifier) {
      const size_t start = pos;
      pos = SkipClass(line, size, pos + 1, charclass::Ident);
      const unsigned char found = keywords.KindOf(line + start, pos - start, size - start);
      kind = found == THashList::NotFound ? tkIdentifier : static_cast<TVoTokenKind>(found);
    } else {
      switch (rule) {
        case rlSpace:
          pos = SkipClass(line, size, pos + 1, charclass::Blank);
          kind = tkSpace;
          break;
        case rlLineFeed:
          ++pos;
          kind = tkSpace;
          break;
        case rlCarriageReturn:
          pos += (pos + 1 < size && line[pos + 1] == '\n') ? 2 : 1;
          kind = tkSpace;
          break;
        case rlString:
          pos = ScanString(line, size, pos);
          kind = tkString;
          break;
        case rlSymbol:
          ++pos;
          kind = tkSymbol;
          break;
        case rlHexNumber:
          pos = SkipClass(line, size, pos + 1, charclass::Hex);
          kind = tkNumber;
          break;
        case rlBinNumber:
          ++pos;
          while (pos < size && (line[pos] & 0xFE) == '0') ++pos;  // 0 or 1
          kind = tkNumber;
          break;
        case rlNumber:
          pos = SkipClass(line, size, pos + 1, charclass::NumRun);
          kind = tkNumber;
          break;
        case rlComment:
          pos = FindBreak(line, size, pos + 1);
          kind = tkComment;
          break;
        default:
          ++pos;
          kind = tkUnknown;
          break;
      }
    }
    FEnds[count] = pos;
    FKinds[count] = kind;
    ++count;
  }
  if (count < BatchSize) {
    // The end of the line: EndOfLine, again and again, without moving.
    FEnds[count] = pos;
    FKinds[count] = tkEndOfLine;
    ++count;
  }
  FBatchCount = count;
  FBatchIndex = 0;
}

TVoMAssemSyn::TVoMAssemSyn() {
  auto add = [this](const char* name, TFontStyles style) {
    auto attribute = std::make_unique<THighlighterAttributes>(name);
    attribute->SetStyle(style);
    return AddAttribute(std::move(attribute));
  };
  FCommentAttri = add("comment", fsItalic);
  FIdentifierAttri = add("identifier", 0);
  FInvalidAttri = add("illegal char", 0);
  FKeyAttri = add("keyword", fsBold);
  FNumberAttri = add("number", 0);
  FSpaceAttri = add("space", 0);
  FSpaceAttri->SetForeground(clWindow);
  FStringAttri = add("string", 0);
  FSymbolAttri = add("symbol", 0);
  FDirecAttri = add("directive", fsBold);
  SetAttributeChangeHandler([this](THighlighterAttributes*) { NotifyChanged(); });

  // Unknown tokens are painted like identifiers; nothing uses the "illegal char" attribute.
  FAttriByKind = {FCommentAttri, FDirecAttri, FIdentifierAttri, FKeyAttri,    nullptr,
                  FNumberAttri,  FSpaceAttri, FStringAttri,     FSymbolAttri, FIdentifierAttri};
  FillDispatch(FDispatch);
  FKeywords = std::make_unique<THashList>(FCPUTypeString);
  SetDefaultFilter("68HC11 Assembler files (*.hc11,*.asm,*.asc)|*.HC11;*.ASM;*.ASC");
}

TVoMAssemSyn::~TVoMAssemSyn() { FKeywords.reset(); }

void TVoMAssemSyn::SetListMode(bool value) {
  if (value == FListMode) return;
  FListMode = value;
  NotifyChanged();
}

void TVoMAssemSyn::SetCPUType(TVoCPUType value) {
  if (value == FCPUType) return;
  FCPUType = value;
  if (value != VoCPU_Unknown) {
    SetCPUTypeString(CPUTypeName(value));
    return;
  }
  // Leaving the processor by value also drops its keywords, so that name, value and table agree.
  FCPUTypeString.clear();
  FKeywords = std::make_unique<THashList>();
  NotifyChanged();
}

void TVoMAssemSyn::SetCPUTypeString(const std::string& value) {
  if (value == FCPUTypeString) return;
  FCPUTypeString = value;
  // A name without word lists (e.g. "Z80") is kept, but selects no processor value.
  FCPUType = CPUTypeFromName(value);
  FKeywords = std::make_unique<THashList>(value, FExtendedTables);
  NotifyChanged();
}

void TVoMAssemSyn::SetExtendedTables(bool value) {
  if (value == FExtendedTables) return;
  FExtendedTables = value;
  FKeywords = std::make_unique<THashList>(FCPUTypeString, value);
  NotifyChanged();
}

void TVoMAssemSyn::SetNumberFormat(TVoNumberFormat value) {
  if (value == FNumberFormat) return;
  FNumberFormat = value;
  NotifyChanged();
}

THighlighterAttributes* TVoMAssemSyn::DefaultAttribute(int index) const {
  switch (index) {
    case 0: return FCommentAttri;
    case 1: return FIdentifierAttri;
    case 2: return FKeyAttri;
    case 3: return FStringAttri;
    case 4: return FSpaceAttri;
    default: return nullptr;
  }
}

const TCharSet& TVoMAssemSyn::IdentifierChars() const {
  static const TCharSet set = [] {
    TCharSet chars{};
    for (int c = 0; c < 256; ++c) chars[c] = charclass::IsIdent(static_cast<unsigned char>(c));
    return chars;
  }();
  return set;
}

void TVoMAssemSyn::SetLine(std::string_view line, int lineIndex) {
  FLine = reinterpret_cast<const unsigned char*>(line.data());
  FLineSize = line.size();
  FLineIndex = lineIndex;
  FTokenStart = 0;
  ScanBatch();
}

namespace {
struct TNumberFormatText {
  const char* word;
  const char* caption;
};
constexpr TNumberFormatText NumberFormatTexts[] = {
    {"C", "C-Modus"}, {"Intel", "Intel-Modus"}, {"Motorola", "Motorola-Modus"}, {"Relaxed", "Relaxed-Modus"}};
}  // namespace

const char* NumberFormatWord(TVoNumberFormat format) {
  return format <= VoNF_RelaxedMode ? NumberFormatTexts[format].word : "";
}

const char* NumberFormatCaption(TVoNumberFormat format) {
  return format <= VoNF_RelaxedMode ? NumberFormatTexts[format].caption : "";
}

bool NumberFormatFromWord(std::string_view word, TVoNumberFormat& format) {
  for (int i = 0; i <= VoNF_RelaxedMode; ++i) {
    if (word == NumberFormatTexts[i].word) {
      format = static_cast<TVoNumberFormat>(i);
      return true;
    }
  }
  return false;
}
