#pragma once
// The fixed word lists of the keyword tables and which lists each processor's table is built from.
#include <span>

#include "highlight/CpuTypes.h"

struct TWordList {
  const char* Title;   // what the list holds, for messages and tests
  unsigned char Kind;  // token kind of every word
  const char* Text;    // the words, separated by commas
};

namespace wordlists {
extern const TWordList CommonDirectives;
// Directives the assembler knows only inside a macro or a section: probing cannot find them, so
// the extended tables add them to every processor.
extern const TWordList ContextDirectives;
extern const TWordList MotorolaDataDirectives;
extern const TWordList Instructions68HC11;
extern const TWordList Additions68HC12;
extern const TWordList Instructions68HC16;
extern const TWordList AT90SDirectives;
extern const TWordList AT90SCoreInstructions;
extern const TWordList AT90SExtendedInstructions;
extern const TWordList Directives8051;
extern const TWordList Instructions8051;
extern const TWordList PicDirectives;
extern const TWordList PicCoreInstructions;
extern const TWordList Additions16C5x;
extern const TWordList Additions16C84;
extern const TWordList Additions17C42;
extern const TWordList ExampleDirective;
extern const TWordList ExampleKeyword;
}  // namespace wordlists

// The lists of a processor in the order they are added; empty for VoCPU_Unknown.
std::span<const TWordList* const> CPUWordLists(TVoCPUType type);
