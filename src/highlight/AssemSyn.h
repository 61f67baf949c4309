#pragma once
// TVoMAssemSyn: the assembler highlighter. Splits one line into tokens; keywords and directives
// come from the keyword table of the selected processor.
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

  bool ListMode() const;
  void SetListMode(bool value);
  TVoCPUType CPUType() const;
  void SetCPUType(TVoCPUType value);
  const std::string& CPUTypeString() const;
  void SetCPUTypeString(const std::string& value);
  TVoNumberFormat NumberFormat() const;
  void SetNumberFormat(TVoNumberFormat value);

  THighlighterAttributes* CommentAttri() const;
  THighlighterAttributes* DirecAttri() const;
  THighlighterAttributes* IdentifierAttri() const;
  THighlighterAttributes* InvalidAttri() const;
  THighlighterAttributes* KeyAttri() const;
  THighlighterAttributes* NumberAttri() const;
  THighlighterAttributes* SpaceAttri() const;
  THighlighterAttributes* StringAttri() const;
  THighlighterAttributes* SymbolAttri() const;

  THighlighterAttributes* DefaultAttribute(int index) const override;
  const TCharSet& IdentifierChars() const override;
  std::string LanguageName() const override { return "Assembler"; }
  bool AtEndOfLine() const override;
  std::string_view TokenText() const override;
  THighlighterAttributes* TokenAttribute() const override;
  int TokenKind() const override;
  int TokenStart() const override;
  void Next() override;
  void SetLine(std::string_view line, int lineIndex) override;
  bool UsesLineStates() const override { return false; }

 private:
  struct State;
  std::unique_ptr<State> s;
};

// The words of the number formats in settings and project files, and the dialogs' captions.
const char* NumberFormatWord(TVoNumberFormat format);      // "C", "Intel", "Motorola", "Relaxed"
const char* NumberFormatCaption(TVoNumberFormat format);   // "C-Modus", ...
// True and the format when Word is exactly one of the four words.
bool NumberFormatFromWord(std::string_view word, TVoNumberFormat& format);
