#pragma once
// Colour values as stored in settings and carried by highlighter attributes:
// 0x00BBGGRR is an RGB colour, clNone means "no colour" (the editor's own colour is used),
// 0x80000000 + n is the desktop's system colour n.
#include <cstdint>

using TColorValue = std::int32_t;

constexpr TColorValue clNone = 0x1FFFFFFF;
constexpr TColorValue clSystemColor = static_cast<TColorValue>(0x80000000u);

// System colour numbers the program uses or a user may store.
enum TSystemColorIndex : int {
  COLOR_SCROLLBAR = 0,
  COLOR_BACKGROUND = 1,
  COLOR_ACTIVECAPTION = 2,
  COLOR_INACTIVECAPTION = 3,
  COLOR_MENU = 4,
  COLOR_WINDOW = 5,
  COLOR_WINDOWFRAME = 6,
  COLOR_MENUTEXT = 7,
  COLOR_WINDOWTEXT = 8,
  COLOR_CAPTIONTEXT = 9,
  COLOR_ACTIVEBORDER = 10,
  COLOR_INACTIVEBORDER = 11,
  COLOR_APPWORKSPACE = 12,
  COLOR_HIGHLIGHT = 13,
  COLOR_HIGHLIGHTTEXT = 14,
  COLOR_BTNFACE = 15,
  COLOR_BTNSHADOW = 16,
  COLOR_GRAYTEXT = 17,
  COLOR_BTNTEXT = 18,
  COLOR_INACTIVECAPTIONTEXT = 19,
  COLOR_BTNHIGHLIGHT = 20,
  COLOR_3DDKSHADOW = 21,
  COLOR_3DLIGHT = 22,
  COLOR_INFOTEXT = 23,
  COLOR_INFOBK = 24,
};

constexpr TColorValue SystemColor(int n) { return clSystemColor | n; }
constexpr TColorValue clWindow = SystemColor(COLOR_WINDOW);
constexpr TColorValue clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColorValue clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColorValue clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColorValue clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);

constexpr TColorValue RGBColor(int r, int g, int b) { return r | (g << 8) | (b << 16); }
constexpr bool IsSystemColor(TColorValue c) { return (static_cast<std::uint32_t>(c) & 0xFF000000u) == 0x80000000u; }

// Font style set: bits 0 to 3.
using TFontStyles = std::uint8_t;
constexpr TFontStyles fsBold = 1;
constexpr TFontStyles fsItalic = 2;
constexpr TFontStyles fsUnderline = 4;
constexpr TFontStyles fsStrikeOut = 8;
