#pragma once
// TVoMAssemSyn: the assembler highlighter. Splits one line into tokens; keywords and directives
// come from the keyword table of the selected processor.
#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "highlight/CpuTypes.h"
#include "highlight/Highlighter.h"

class THashList;

enum TVoNumberFormat : unsigned char {
  VoNF_CMode = 0,
  VoNF_IntelMode = 1,
  VoNF_MotorolaMode = 2,
  VoNF_RelaxedMode = 3,
};

// Token kinds (the value TokenKind answers and the keyword table stores).
enum TVoTokenKind : unsigned char {
  tkComment = 0,
  tkDirective = 1,
  tkIdentifier = 2,
  tkKeyword = 3,
  tkEndOfLine = 4,
  tkNumber = 5,
  tkSpace = 6,
  tkString = 7,
  tkSymbol = 8,
  tkUnknown = 9,
};

class TVoMAssemSyn final : public TCustomHighlighter {
 public:
  TVoMAssemSyn();
  ~TVoMAssemSyn() override;

  bool ListMode() const { return FListMode; }
  void SetListMode(bool value);
  TVoCPUType CPUType() const { return FCPUType; }
  void SetCPUType(TVoCPUType value);
  const std::string& CPUTypeString() const { return FCPUTypeString; }
  void SetCPUTypeString(const std::string& value);
  TVoNumberFormat NumberFormat() const { return FNumberFormat; }
  void SetNumberFormat(TVoNumberFormat value);
  // "Erweiterte Befehlstabellen": keyword tables checked against the assembler for the common
  // processors, and the directives for every processor. Off: the classic tables.
  bool ExtendedTables() const { return FExtendedTables; }
  void SetExtendedTables(bool value);

  THighlighterAttributes* CommentAttri() const { return FCommentAttri; }
  THighlighterAttributes* DirecAttri() const { return FDirecAttri; }
  THighlighterAttributes* IdentifierAttri() const { return FIdentifierAttri; }
  THighlighterAttributes* InvalidAttri() const { return FInvalidAttri; }
  THighlighterAttributes* KeyAttri() const { return FKeyAttri; }
  THighlighterAttributes* NumberAttri() const { return FNumberAttri; }
  THighlighterAttributes* SpaceAttri() const { return FSpaceAttri; }
  THighlighterAttributes* StringAttri() const { return FStringAttri; }
  THighlighterAttributes* SymbolAttri() const { return FSymbolAttri; }

  THighlighterAttributes* DefaultAttribute(int index) const override;
  const TCharSet& IdentifierChars() const override;
  std::string LanguageName() const override { return "Assembler"; }
  // The token accessors are inline: an editor calls them for every token of every repaint.
  bool AtEndOfLine() const override { return FKinds[FBatchIndex] == tkEndOfLine; }
  std::string_view TokenText() const override {
    const char* const line = reinterpret_cast<const char*>(FLine);
    return std::string_view(line + FTokenStart, FEnds[FBatchIndex] - FTokenStart);
  }
  THighlighterAttributes* TokenAttribute() const override { return FAttriByKind[FKinds[FBatchIndex]]; }
  int TokenKind() const override { return FKinds[FBatchIndex]; }
  int TokenStart() const override { return static_cast<int>(FTokenStart); }
  void Next() override {
    FTokenStart = FEnds[FBatchIndex];
    if (++FBatchIndex >= FBatchCount) ScanBatch();
  }
  // The line ends where the view ends; a NUL byte inside it is an ordinary (Unknown) character.
  void SetLine(std::string_view line, int lineIndex) override;
  bool UsesLineStates() const override { return false; }

 private:
  // Scans the tokens that follow the current one into the batch, at least one (EndOfLine at the
  // end of the line). Scanning a few tokens at a time keeps the scan loop tight.
  void ScanBatch();

  bool FListMode = false;
  TVoCPUType FCPUType = VoCPU_Unknown;
  std::string FCPUTypeString;
  TVoNumberFormat FNumberFormat = VoNF_CMode;
  bool FExtendedTables = false;
  std::unique_ptr<THashList> FKeywords;
  std::array<unsigned char, 256> FDispatch{};  // scanning rule per first character

  THighlighterAttributes* FCommentAttri = nullptr;
  THighlighterAttributes* FDirecAttri = nullptr;
  THighlighterAttributes* FIdentifierAttri = nullptr;
  THighlighterAttributes* FInvalidAttri = nullptr;
  THighlighterAttributes* FKeyAttri = nullptr;
  THighlighterAttributes* FNumberAttri = nullptr;
  THighlighterAttributes* FSpaceAttri = nullptr;
  THighlighterAttributes* FStringAttri = nullptr;
  THighlighterAttributes* FSymbolAttri = nullptr;
  std::array<THighlighterAttributes*, 10> FAttriByKind{};  // indexed by token kind

  // The line being scanned; it ends where the view given to SetLine ends.
  const unsigned char* FLine = nullptr;
  std::size_t FLineSize = 0;
  int FLineIndex = 0;
  std::size_t FTokenStart = 0;
  // Tokens scanned ahead: end offset and kind of each; the current one is at FBatchIndex.
  static constexpr int BatchSize = 32;
  int FBatchIndex = 0;
  int FBatchCount = 0;
  std::array<std::size_t, BatchSize> FEnds{};
  std::array<TVoTokenKind, BatchSize> FKinds{tkEndOfLine};
};

// The words of the number formats in settings and project files, and the dialogs' captions.
const char* NumberFormatWord(TVoNumberFormat format);      // "C", "Intel", "Motorola", "Relaxed"
const char* NumberFormatCaption(TVoNumberFormat format);   // "C-Modus", ...
// True and the format when Word is exactly one of the four words.
bool NumberFormatFromWord(std::string_view word, TVoNumberFormat& format);
