#pragma once
// How a line's characters take cells on the screen: a tab reaches the next tab stop, an East
// Asian wide character takes two cells, and combining marks go with the character before them
// ("e" + U+0301 is one "é"), so that the caret never stands between a letter and its accent.
#include <cstddef>
#include <string_view>

#include "editor/EditLines.h"

namespace ScreenChars {
// Cells of one code point: 0 for a combining mark, 2 for a wide one, else 1.
int Width(char32_t cp);

struct TScreenChar {
  std::size_t Len;  // bytes, with the combining marks that follow
  int Width;        // cells
};
// The character at byte I of line S, which starts at display cell Cell. A mark met on its own
// belongs to the character before it (no cells), unless it starts the line or follows a tab:
// then it takes a cell of its own.
TScreenChar At(std::string_view s, std::size_t i, TTextEncoding encoding, int cell, int tabWidth);
// True when the character at byte I is a mark that belongs to the character before it.
bool Attached(std::string_view s, std::size_t i, TTextEncoding encoding);
}  // namespace ScreenChars
