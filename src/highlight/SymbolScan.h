#pragma once
// The definitions of one assembler source and the files it includes. Names are kept back to back
// in one string and positions in fixed-size records, so a big file costs a few bytes per
// definition and nothing per line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

enum class TSymbolKind : std::uint8_t { Label, Constant, Variable, Macro, Function, Struct, Field, EnumValue };

// The kind as the symbol list shows it.
const char* SymbolKindText(TSymbolKind kind);

struct TSymbolDef {
  std::uint32_t NameOffset = 0;  // into TFileSymbols::Names
  std::uint32_t Line = 0;        // 1-based
  std::uint32_t Column = 0;      // 1-based byte column where the name is written
  std::uint8_t NameLength = 0;
  TSymbolKind Kind = TSymbolKind::Label;
  // ".name" and "$$name" belong to the label before them: the name is stored composed with it.
  bool Temporary = false;
};

struct TIncludeRef {
  std::string Name;  // as written, without quotes; ".inc" added when it has no extension
  std::uint32_t Line = 0;
};

class TFileSymbols {
 public:
  std::string Names;  // as SymbolName gives them
  std::vector<TSymbolDef> Defs;       // in line order
  std::vector<TIncludeRef> Includes;  // each name once, at its first line

  std::string_view Name(const TSymbolDef& def) const { return {Names.data() + def.NameOffset, def.NameLength}; }
  // Indices of the definitions of Key (a SymbolName); letter case counts as in SameName.
  std::vector<std::uint32_t> Find(std::string_view key) const;
  // Indices of all definitions by name, then line.
  const std::vector<std::uint32_t>& ByName() const { return FByName; }
  // What a temporary name used on Line is composed with: the last label before it.
  std::string_view ScopeAt(std::uint32_t line) const;
  // Prepares Find and ByName; done once when the scan is complete.
  void BuildLookup();

 private:
  bool Before(std::uint32_t a, std::uint32_t b) const;

  std::vector<std::uint32_t> FByName;
};

// Collects the definitions line by line, as the editor splits lines (LF, optional CR before it).
class TSymbolScanner {
 public:
  // Scans the complete lines of Text and answers how many bytes they took; with Final the rest
  // is the last line. The caller passes what was not taken again, followed by more text.
  std::size_t Feed(std::string_view text, bool final);
  TFileSymbols Finish();

 private:
  void ScanLine(std::string_view line);
  void Define(std::string_view name, std::size_t column, TSymbolKind kind);
  void AddInclude(std::string_view operand);
  void AddEnumValues(std::string_view operands, std::size_t column);

  TFileSymbols FResult;
  std::uint32_t FLine = 0;
  std::vector<std::string> FStructs;  // open STRUCT/UNION names, composed outward in
  std::string FScope;                 // last label: what temporaries are composed with
  std::unordered_set<std::string> FIncludeNames;
};

TFileSymbols ScanSymbols(std::string_view text);

// The name a lookup takes at byte Offset of Line (also when the caret stands just after it), or
// "" on a number, a blank or an operator. Start receives its offset.
std::string_view SymbolWordAt(std::string_view line, std::size_t offset, std::size_t* start = nullptr);

// A name as the index keeps it: UTF-8 as written, so that files in either encoding agree. Bytes
// that are no UTF-8 come from a single-byte file and are read as the editor shows them
// (Windows-1252).
std::string SymbolName(std::string_view bytes);

// Comparisons of such names that ignore letter case as the assembler does by default: for ASCII
// letters and the accented letters of ISO-8859-1 ("ä" is "Ä"), not for "ß" or other scripts.
bool SameName(std::string_view a, std::string_view b);
int CompareNames(std::string_view a, std::string_view b);
bool ContainsNoCase(std::string_view text, std::string_view part);
