#pragma once
// How a line's characters take cells on the screen: a tab reaches the next tab stop, an East
// Asian wide character takes two cells, and combining marks go with the character before them
// ("e" + U+0301 is one "é"), so that the caret never stands between a letter and its accent.
#include <array>
#include <cstddef>
#include <string_view>

#include "editor/EditLines.h"
#include "editor/EditLinesImpl.h"

namespace ScreenChars {
// Cells of one code point: 0 for a combining mark, 2 for a wide one, else 1.
int WidthOf(char32_t cp);
// The same for the basic plane, looked up: a line is walked for every key. Built at first use.
const std::array<unsigned char, 0x10000>& BasicWidths();
inline int Width(char32_t cp) { return cp < 0x10000 ? BasicWidths()[cp] : WidthOf(cp); }

struct TScreenChar {
  std::size_t Len;  // bytes, with the combining marks that follow
  int Width;        // cells
};
// The character at byte I of line S, which starts at display cell Cell. A mark met on its own
// belongs to the character before it (no cells), unless it starts the line or follows a tab:
// then it takes a cell of its own.
TScreenChar At(std::string_view s, std::size_t i, TTextEncoding encoding, int cell, int tabWidth);
// Bytes below this one start no mark and no wide character: each is a cell of its own (a tab
// aside), or a continuation byte of such a character.
inline constexpr unsigned char FirstSpecialByte = 0xCC;
// Per byte of UTF-8 text: the cells of every character that starts with it where they are all
// alike (no mark, not wide and narrow mixed), 0 for a continuation byte, else Mixed.
inline constexpr unsigned char Mixed = 0xFF;
const std::array<unsigned char, 256>& LeadWidths();
// True when the character at byte I is a mark that belongs to the character before it.
bool Attached(std::string_view s, std::size_t i, TTextEncoding encoding);
// The same as At for the one code point at I, without the marks that follow: enough to count
// cells.
inline TScreenChar Step(std::string_view s, std::size_t i, TTextEncoding encoding, int cell, int tabWidth) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (b == '\t') return {1, tabWidth - cell % tabWidth};
  if (encoding != TTextEncoding::Utf8 || b < 0x80) return {1, 1};
  char32_t cp;
  const auto len = static_cast<std::size_t>(EditText::DecodeChar(s, i, encoding, cp));
  const int width = Width(cp);
  return {len, width != 0 ? width : Attached(s, i, encoding) ? 0 : 1};
}
}  // namespace ScreenChars
