#include "highlight/AssemSyn.h"

#include <array>
#include <cstdint>

#include "highlight/CharClass.h"
#include "highlight/HashList.h"

namespace {

// Scanning rules, selected by the first character of a token.
enum TRule : std::uint8_t {
  rlSpace, rlLineFeed, rlCarriageReturn, rlString, rlSymbol, rlHexNumber, rlBinNumber, rlNumber,
  rlComment, rlIdentifier, rlOther,
};

void FillDispatch(std::array<TRule, 256>& t) {
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

}  // namespace

struct TVoMAssemSyn::State {
  // Configuration.
  bool listMode = false;
  TVoCPUType cpuType = VoCPU_Unknown;
  std::string cpuTypeString;
  TVoNumberFormat numberFormat = VoNF_CMode;
  std::unique_ptr<THashList> keywords;
  std::array<TRule, 256> dispatch{};

  THighlighterAttributes* comment = nullptr;
  THighlighterAttributes* directive = nullptr;
  THighlighterAttributes* identifier = nullptr;
  THighlighterAttributes* invalid = nullptr;
  THighlighterAttributes* keyword = nullptr;
  THighlighterAttributes* number = nullptr;
  THighlighterAttributes* space = nullptr;
  THighlighterAttributes* string = nullptr;
  THighlighterAttributes* symbol = nullptr;
  std::array<THighlighterAttributes*, 10> byKind{};  // indexed by token kind

  // The line being scanned; its end is the end of the view.
  const unsigned char* line = nullptr;
  size_t size = 0;
  int lineIndex = 0;
  size_t pos = 0;
  size_t start = 0;
  TVoTokenKind kind = tkEndOfLine;

  void Scan();
  void ScanString(unsigned char quote);
  bool IsLineBreak(size_t i) const { return line[i] == '\n' || line[i] == '\r'; }
};

void TVoMAssemSyn::State::Scan() {
  start = pos;
  if (pos >= size) {
    kind = tkEndOfLine;
    return;
  }
  const unsigned char c = line[pos];
  switch (dispatch[c]) {
    case rlSpace:
      ++pos;
      while (pos < size && (charclass::Flags[line[pos]] & charclass::Blank)) ++pos;
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
      ScanString(c);
      break;
    case rlSymbol:
      ++pos;
      kind = tkSymbol;
      break;
    case rlHexNumber:
      ++pos;
      while (pos < size && (charclass::Flags[line[pos]] & charclass::Hex)) ++pos;
      kind = tkNumber;
      break;
    case rlBinNumber:
      ++pos;
      while (pos < size && (line[pos] == '0' || line[pos] == '1')) ++pos;
      kind = tkNumber;
      break;
    case rlNumber:
      ++pos;
      while (pos < size && (charclass::Flags[line[pos]] & charclass::NumRun)) ++pos;
      kind = tkNumber;
      break;
    case rlComment:
      ++pos;
      while (pos < size && !IsLineBreak(pos)) ++pos;
      kind = tkComment;
      break;
    case rlIdentifier: {
      const THashEntry* entry =
          keywords->Find(std::string_view(reinterpret_cast<const char*>(line) + pos, size - pos));
      pos += static_cast<size_t>(keywords->KeyLength());
      kind = entry ? static_cast<TVoTokenKind>(entry->Kind) : tkIdentifier;
      break;
    }
    case rlOther:
      ++pos;
      kind = tkUnknown;
      break;
  }
}

void TVoMAssemSyn::State::ScanString(unsigned char quote) {
  kind = tkString;
  // Three quotes open a string that only the fourth closes.
  if (pos + 2 < size && line[pos + 1] == quote && line[pos + 2] == quote) pos += 2;
  while (pos < size && !IsLineBreak(pos)) {
    ++pos;
    if (pos < size && line[pos] == quote) break;
  }
  // Take in the closing quote, or the line break that cut the string short.
  if (pos < size) ++pos;
}

TVoMAssemSyn::TVoMAssemSyn() : s(std::make_unique<State>()) {
  auto add = [this](const char* name, TFontStyles style) {
    auto attribute = std::make_unique<THighlighterAttributes>(name);
    attribute->SetStyle(style);
    return AddAttribute(std::move(attribute));
  };
  s->comment = add("comment", fsItalic);
  s->identifier = add("identifier", 0);
  s->invalid = add("illegal char", 0);
  s->keyword = add("keyword", fsBold);
  s->number = add("number", 0);
  s->space = add("space", 0);
  s->space->SetForeground(clWindow);
  s->string = add("string", 0);
  s->symbol = add("symbol", 0);
  s->directive = add("directive", fsBold);
  SetAttributeChangeHandler([this](THighlighterAttributes*) { NotifyChanged(); });

  s->byKind = {s->comment, s->directive, s->identifier, s->keyword, nullptr,
               s->number,  s->space,     s->string,     s->symbol,  s->identifier};
  FillDispatch(s->dispatch);
  s->keywords = std::make_unique<THashList>(s->cpuTypeString);
  SetDefaultFilter("68HC11 Assembler files (*.hc11,*.asm,*.asc)|*.HC11;*.ASM;*.ASC");
}

TVoMAssemSyn::~TVoMAssemSyn() { s->keywords.reset(); }

bool TVoMAssemSyn::ListMode() const { return s->listMode; }

void TVoMAssemSyn::SetListMode(bool value) {
  if (value == s->listMode) return;
  s->listMode = value;
  NotifyChanged();
}

TVoCPUType TVoMAssemSyn::CPUType() const { return s->cpuType; }

void TVoMAssemSyn::SetCPUType(TVoCPUType value) {
  if (value == s->cpuType) return;
  s->cpuType = value;
  if (value != VoCPU_Unknown) {
    SetCPUTypeString(CPUTypeName(value));
    return;
  }
  // Leaving no processor also drops the old keywords, so that name, value and table agree.
  s->cpuTypeString.clear();
  s->keywords = std::make_unique<THashList>();
  NotifyChanged();
}

const std::string& TVoMAssemSyn::CPUTypeString() const { return s->cpuTypeString; }

void TVoMAssemSyn::SetCPUTypeString(const std::string& value) {
  if (value == s->cpuTypeString) return;
  s->cpuTypeString = value;
  // A name without word lists (e.g. "Z80") keeps the name but selects no processor value.
  s->cpuType = CPUTypeFromName(value);
  s->keywords = std::make_unique<THashList>(value);
  NotifyChanged();
}

TVoNumberFormat TVoMAssemSyn::NumberFormat() const { return s->numberFormat; }

void TVoMAssemSyn::SetNumberFormat(TVoNumberFormat value) {
  if (value == s->numberFormat) return;
  s->numberFormat = value;
  NotifyChanged();
}

THighlighterAttributes* TVoMAssemSyn::CommentAttri() const { return s->comment; }
THighlighterAttributes* TVoMAssemSyn::DirecAttri() const { return s->directive; }
THighlighterAttributes* TVoMAssemSyn::IdentifierAttri() const { return s->identifier; }
THighlighterAttributes* TVoMAssemSyn::InvalidAttri() const { return s->invalid; }
THighlighterAttributes* TVoMAssemSyn::KeyAttri() const { return s->keyword; }
THighlighterAttributes* TVoMAssemSyn::NumberAttri() const { return s->number; }
THighlighterAttributes* TVoMAssemSyn::SpaceAttri() const { return s->space; }
THighlighterAttributes* TVoMAssemSyn::StringAttri() const { return s->string; }
THighlighterAttributes* TVoMAssemSyn::SymbolAttri() const { return s->symbol; }

THighlighterAttributes* TVoMAssemSyn::DefaultAttribute(int index) const {
  switch (index) {
    case 0: return s->comment;
    case 1: return s->identifier;
    case 2: return s->keyword;
    case 3: return s->string;
    case 4: return s->space;
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

bool TVoMAssemSyn::AtEndOfLine() const { return s->kind == tkEndOfLine; }

std::string_view TVoMAssemSyn::TokenText() const {
  return std::string_view(reinterpret_cast<const char*>(s->line) + s->start, s->pos - s->start);
}

THighlighterAttributes* TVoMAssemSyn::TokenAttribute() const { return s->byKind[s->kind]; }

int TVoMAssemSyn::TokenKind() const { return s->kind; }

int TVoMAssemSyn::TokenStart() const { return static_cast<int>(s->start); }

void TVoMAssemSyn::Next() { s->Scan(); }

void TVoMAssemSyn::SetLine(std::string_view line, int lineIndex) {
  s->line = reinterpret_cast<const unsigned char*>(line.data());
  s->size = line.size();
  s->lineIndex = lineIndex;
  s->pos = 0;
  s->Scan();
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
