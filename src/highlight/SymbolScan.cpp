#include "highlight/SymbolScan.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstring>

#include "highlight/CharClass.h"
#include "platform/Cp1252.h"
#include "platform/Utf8.h"

namespace {

using charclass::Flags;
using charclass::Upper;

bool IsSpace(unsigned char c) { return (Flags[c] & charclass::Blank) || c == '\r'; }
// The assembler takes letters beyond ASCII in names. Every byte above 127 counts, whatever the
// file's encoding: a UTF-8 character is never cut, and a single-byte file needs no code page.
constexpr std::array<bool, 256> MakeNameBytes() {
  std::array<bool, 256> bytes{};
  for (int c = 0; c < 256; ++c) bytes[c] = (Flags[c] & charclass::Ident) || c >= 0x80;
  return bytes;
}
constexpr std::array<bool, 256> NameBytes = MakeNameBytes();
bool IsNameByte(unsigned char c) { return NameBytes[c]; }
bool IsNameStart(unsigned char c) { return IsNameByte(c) && !(c >= '0' && c <= '9'); }
bool IsAscii(std::string_view s) {
  return std::none_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The byte at I as names compare: ASCII letters and the ISO-8859-1 letters U+00E0..U+00FE (UTF-8
// C3 A0..C3 BE, the division sign excepted) in upper case, as the assembler folds them. It keeps
// "ß" and the letters of other scripts as they are.
constexpr unsigned char FoldedAt(std::string_view s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return Upper[c];
  const bool latin1Small =
      c >= 0xA0 && c <= 0xBE && c != 0xB7 && i > 0 && static_cast<unsigned char>(s[i - 1]) == 0xC3;
  return latin1Small ? static_cast<unsigned char>(c - 0x20) : c;
}

void AppendUtf8(std::string& out, std::string_view bytes) {
  if (Utf8::IsValid(bytes.data(), bytes.size()))
    out += bytes;
  else
    out += Cp1252::Decode(bytes).toUtf8().toStdString();
}

inline void AppendName(std::string& out, std::string_view bytes) {
  if (IsAscii(bytes))
    out += bytes;
  else
    AppendUtf8(out, bytes);
}

// Length of the name at the start of S, 0 when none starts there: a letter, "_" or "." (or "$$")
// followed by letters, digits, "_" and ".".
std::size_t NameLength(std::string_view s) {
  std::size_t i = 0;
  if (s.size() > 2 && s[0] == '$' && s[1] == '$')
    i = 2;
  else if (s.empty() || !IsNameStart(s[0]))
    return 0;
  const std::size_t first = i;
  while (i < s.size() && IsNameByte(s[i])) ++i;
  if (i == first || (s[0] == '.' && i == 1)) return 0;
  return i;
}

enum class TOp { None, Constant, Variable, Macro, Function, Struct, EndStruct, Label, Enum, Include };

// Up to eight letters, upper case, as one number: most words are told apart by one compare.
constexpr std::uint64_t Pack(std::string_view word) {
  std::uint64_t packed = 0;
  for (std::size_t i = 0; i < 8; ++i)
    packed = packed << 8 | (i < word.size() ? Upper[static_cast<unsigned char>(word[i])] : 0u);
  return packed;
}

// Eight bytes of a name from From on, folded as names compare, as one number.
std::uint64_t PackName(std::string_view name, std::size_t from) {
  std::uint64_t packed = 0;
  for (std::size_t i = from; i < from + 8; ++i) packed = packed << 8 | (i < name.size() ? FoldedAt(name, i) : 0u);
  return packed;
}

struct TOpWord {
  std::string_view Word;
  TOp Op;
  std::uint64_t Packed = Pack(Word);
};

// Directives whose label field names what they define, and the ones that shape the scan.
constexpr TOpWord OpWords[] = {
    {"=", TOp::Constant},          {"EQU", TOp::Constant},        {"SFR", TOp::Constant},
    {"SFRB", TOp::Constant},       {"REG", TOp::Constant},        {":=", TOp::Variable},
    {"SET", TOp::Variable},        {"EVAL", TOp::Variable},       {"MACRO", TOp::Macro},
    {"FUNCTION", TOp::Function},   {"STRUCT", TOp::Struct},       {"UNION", TOp::Struct},
    {"ENDSTRUCT", TOp::EndStruct}, {"ENDUNION", TOp::EndStruct},  {"ENDS", TOp::EndStruct},
    {"LABEL", TOp::Label},         {"ENUM", TOp::Enum},           {"NEXTENUM", TOp::Enum},
    {"INCLUDE", TOp::Include},
};

TOp Classify(std::string_view word) {
  if (word.empty() || word.size() > 9) return TOp::None;
  const std::uint64_t packed = Pack(word);
  for (const TOpWord& w : OpWords)
    if (w.Packed == packed && SameName(w.Word, word)) return w.Op;
  return TOp::None;
}

TSymbolKind KindOf(TOp op) {
  switch (op) {
    case TOp::Constant: return TSymbolKind::Constant;
    case TOp::Variable: return TSymbolKind::Variable;
    case TOp::Macro: return TSymbolKind::Macro;
    case TOp::Function: return TSymbolKind::Function;
    case TOp::Struct: return TSymbolKind::Struct;
    default: return TSymbolKind::Label;
  }
}

// Labels, constants and the like open the scope of the temporary names after them.
bool OpensScope(const TSymbolDef& def) {
  return !def.Temporary && def.Kind != TSymbolKind::Field && def.Kind != TSymbolKind::EnumValue;
}

}  // namespace

const char* SymbolKindText(TSymbolKind kind) {
  switch (kind) {
    case TSymbolKind::Label: return "Label";
    case TSymbolKind::Constant: return "Konstante";
    case TSymbolKind::Variable: return "Variable";
    case TSymbolKind::Macro: return "Makro";
    case TSymbolKind::Function: return "Funktion";
    case TSymbolKind::Struct: return "Struktur";
    case TSymbolKind::Field: return "Feld";
    case TSymbolKind::EnumValue: return "Aufzählung";
  }
  return "";
}

std::string SymbolName(std::string_view bytes) {
  std::string name;
  AppendName(name, bytes);
  return name;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldedAt(a, i) != FoldedAt(b, i)) return false;
  return true;
}

int CompareNames(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int ca = FoldedAt(a, i), cb = FoldedAt(b, i);
    if (ca != cb) return ca - cb;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
  // Folded in place: a letter's case may hang on the byte before it.
  for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < part.size() && FoldedAt(text, i + k) == FoldedAt(part, k)) ++k;
    if (k == part.size()) return true;
  }
  return false;
}

std::vector<std::uint32_t> TFileSymbols::Find(std::string_view key) const {
  auto it = std::lower_bound(FByName.begin(), FByName.end(), key, [this](std::uint32_t def, std::string_view k) {
    return CompareNames(Name(Defs[def]), k) < 0;
  });
  std::vector<std::uint32_t> found;
  for (; it != FByName.end() && SameName(Name(Defs[*it]), key); ++it) found.push_back(*it);
  return found;
}

std::string_view TFileSymbols::ScopeAt(std::uint32_t line) const {
  auto it = std::upper_bound(Defs.begin(), Defs.end(), line,
                             [](std::uint32_t l, const TSymbolDef& def) { return l < def.Line; });
  while (it != Defs.begin())
    if (--it; OpensScope(*it)) return Name(*it);
  return {};
}

bool TFileSymbols::Before(std::uint32_t a, std::uint32_t b) const {
  const int c = CompareNames(Name(Defs[a]), Name(Defs[b]));
  return c != 0 ? c < 0 : a < b;
}

void TFileSymbols::BuildLookup() {
  // The first sixteen letters as two numbers decide most comparisons.
  struct TKey {
    std::uint64_t High, Low;
    std::uint32_t Index;
  };
  std::vector<TKey> keys(Defs.size());
  for (std::uint32_t i = 0; i < keys.size(); ++i) {
    const std::string_view name = Name(Defs[i]);
    keys[i] = {PackName(name, 0), PackName(name, 8), i};
  }
  std::sort(keys.begin(), keys.end(), [this](const TKey& a, const TKey& b) {
    if (a.High != b.High) return a.High < b.High;
    return a.Low != b.Low ? a.Low < b.Low : Before(a.Index, b.Index);
  });
  FByName.resize(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) FByName[i] = keys[i].Index;
}

std::size_t TSymbolScanner::Feed(std::string_view text, bool final) {
  std::size_t pos = 0;
  while (const void* lf = std::memchr(text.data() + pos, '\n', text.size() - pos)) {
    const std::size_t end = static_cast<const char*>(lf) - text.data();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++FLine;
    ScanLine(line);
    pos = end + 1;
  }
  if (final && pos < text.size()) {
    ++FLine;
    ScanLine(text.substr(pos));
    pos = text.size();
  }
  return pos;
}

TFileSymbols TSymbolScanner::Finish() {
  FResult.BuildLookup();
  FResult.Names.shrink_to_fit();
  FResult.Defs.shrink_to_fit();
  return std::move(FResult);
}

void TSymbolScanner::ScanLine(std::string_view s) {
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n && IsSpace(s[i])) ++i;
  const std::size_t len = NameLength(s.substr(i));
  const std::size_t labelColumn = i + 1;
  std::string_view label;
  if (len > 0 && i + len < n && s[i + len] == ':' && !(i + len + 1 < n && s[i + len + 1] == '=')) {
    // "name:" is a label wherever it stands ("name::" too).
    label = s.substr(i, len);
    i += len + 1;
    if (i < n && s[i] == ':') ++i;
  } else if (i == 0) {
    // Column 1 holds the label field, also without a colon; further in, the word is the operation.
    if (len == 0 || (len < n && !IsSpace(s[len]) && s[len] != ';')) return;
    label = s.substr(0, len);
    i = len;
  }
  while (i < n && IsSpace(s[i])) ++i;
  const std::size_t opStart = i;
  while (i < n && !IsSpace(s[i]) && s[i] != ';') ++i;
  const TOp op = Classify(s.substr(opStart, i - opStart));
  while (i < n && IsSpace(s[i])) ++i;
  const std::string_view operands = s.substr(i);
  switch (op) {
    case TOp::EndStruct:
      if (!FStructs.empty()) FStructs.pop_back();
      return;  // a name here repeats the structure's name
    case TOp::Include:
      AddInclude(operands);
      break;
    case TOp::Enum:
      AddEnumValues(operands, i + 1);
      break;
    default:
      break;
  }
  if (label.empty()) return;
  const std::size_t before = FResult.Defs.size();
  Define(label, labelColumn, KindOf(op));
  if (op == TOp::Struct && FResult.Defs.size() > before) FStructs.emplace_back(FResult.Name(FResult.Defs.back()));
}

void TSymbolScanner::Define(std::string_view name, std::size_t column, TSymbolKind kind) {
  std::string& names = FResult.Names;
  const std::size_t offset = names.size();
  const bool temporary = name[0] == '.' || name[0] == '$';
  if (temporary) {
    names += FScope;
  } else if (!FStructs.empty()) {
    // Members are known by the structure's name, an underscore and their own name.
    names += FStructs.back();
    names += '_';
    if (kind == TSymbolKind::Label) kind = TSymbolKind::Field;
  }
  AppendName(names, name);
  const std::size_t length = names.size() - offset;
  if (length > 255) {
    names.resize(offset);
    return;
  }
  TSymbolDef def;
  def.NameOffset = static_cast<std::uint32_t>(offset);
  def.Line = FLine;
  def.Column = static_cast<std::uint32_t>(column);
  def.NameLength = static_cast<std::uint8_t>(length);
  def.Kind = kind;
  def.Temporary = temporary;
  FResult.Defs.push_back(def);
  if (OpensScope(def)) FScope.assign(FResult.Name(def));
}

void TSymbolScanner::AddInclude(std::string_view operand) {
  std::string_view name;
  if (!operand.empty() && (operand[0] == '"' || operand[0] == '\'')) {
    const std::size_t end = operand.find(operand[0], 1);
    if (end == std::string_view::npos) return;
    name = operand.substr(1, end - 1);
  } else {
    std::size_t end = 0;
    while (end < operand.size() && !IsSpace(operand[end]) && operand[end] != ';') ++end;
    name = operand.substr(0, end);
  }
  if (name.empty()) return;
  std::string full(name);
  // The assembler adds ".inc" to a name without an extension.
  const std::size_t separator = full.find_last_of("/\\");
  const std::size_t dot = full.rfind('.');
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) full += ".inc";
  if (!FIncludeNames.insert(full).second) return;
  FResult.Includes.push_back({std::move(full), FLine});
}

void TSymbolScanner::AddEnumValues(std::string_view operands, std::size_t column) {
  const std::size_t n = operands.size();
  for (std::size_t i = 0; i < n;) {
    while (i < n && IsSpace(operands[i])) ++i;
    const std::size_t len = NameLength(operands.substr(i));
    if (len == 0) return;
    Define(operands.substr(i, len), column + i, TSymbolKind::EnumValue);
    i += len;
    while (i < n && operands[i] != ',' && operands[i] != ';') ++i;  // past "=value"
    if (i >= n || operands[i] == ';') return;
    ++i;
  }
}

TFileSymbols ScanSymbols(std::string_view text) {
  TSymbolScanner scanner;
  scanner.Feed(text, true);
  return scanner.Finish();
}

std::string_view SymbolWordAt(std::string_view line, std::size_t offset, std::size_t* start) {
  const auto isWord = [&](std::size_t at) {
    const auto c = static_cast<unsigned char>(line[at]);
    return IsNameByte(c) || c == '$';
  };
  if (offset > line.size()) return {};
  std::size_t b = offset;
  if ((b == line.size() || !isWord(b)) && (b == 0 || !isWord(b - 1))) return {};
  std::size_t e = b;
  while (e < line.size() && isWord(e)) ++e;
  while (b > 0 && isWord(b - 1)) --b;
  const std::string_view word = line.substr(b, e - b);
  // "$FF" and "12" are numbers; "$$x" is a name.
  if (NameLength(word) != word.size()) return {};
  if (start) *start = b;
  return word;
}
