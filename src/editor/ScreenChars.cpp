#include "editor/ScreenChars.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <iterator>

namespace {
struct TRange {
  char32_t First, Last;
};
// The wide and full-width blocks: Hangul, CJK, kana, full-width forms and pictographs.
constexpr TRange kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x23F0, 0x23F0},
    {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},   {0x2648, 0x2653},   {0x267F, 0x267F},
    {0x2693, 0x2693},   {0x26A1, 0x26A1},   {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},
    {0x26CE, 0x26CE},   {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},   {0x2728, 0x2728},
    {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},   {0x2757, 0x2757},   {0x2795, 0x2797},
    {0x27B0, 0x27B0},   {0x27BF, 0x27BF},   {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},
    {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
    {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},
    {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4}, {0x17000, 0x18AFF}, {0x1B000, 0x1B2FF},
    {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F202},
    {0x1F210, 0x1F23B}, {0x1F240, 0x1F248}, {0x1F250, 0x1F251}, {0x1F260, 0x1F265}, {0x1F300, 0x1F64F},
    {0x1F680, 0x1F6FF}, {0x1F7E0, 0x1F7EB}, {0x1F90C, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x2FFFD},
    {0x30000, 0x3FFFD},
};
}  // namespace

int ScreenChars::WidthOf(char32_t cp) {
  if (cp < 0x300) return 1;
  const QChar::Category category = QChar::category(cp);
  if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing) return 0;
  if (cp < kWide[0].First) return 1;
  const auto* it = std::upper_bound(std::begin(kWide), std::end(kWide), cp,
                                    [](char32_t c, const TRange& r) { return c < r.First; });
  return it != std::begin(kWide) && cp <= std::prev(it)->Last ? 2 : 1;
}

const std::array<unsigned char, 0x10000>& ScreenChars::BasicWidths() {
  static const std::array<unsigned char, 0x10000> table = [] {
    std::array<unsigned char, 0x10000> widths{};
    for (char32_t c = 0; c < widths.size(); ++c) widths[c] = static_cast<unsigned char>(WidthOf(c));
    return widths;
  }();
  return table;
}

const std::array<unsigned char, 256>& ScreenChars::LeadWidths() {
  static const std::array<unsigned char, 256> table = [] {
    const auto& basic = BasicWidths();
    std::array<unsigned char, 256> widths{};
    widths.fill(Mixed);  // four-byte characters and bytes that start none
    const auto alike = [&basic](char32_t first, char32_t count) {
      const unsigned char w = basic[first];
      for (char32_t c = first; c < first + count; ++c)
        if (basic[c] != w) return Mixed;
      return w == 0 ? Mixed : w;
    };
    for (int b = 0; b < 0x80; ++b) widths[b] = 1;
    for (int b = 0x80; b < 0xC0; ++b) widths[b] = 0;
    for (int b = 0xC2; b < 0xE0; ++b) widths[b] = alike(char32_t(b & 0x1F) << 6, 64);
    for (int b = 0xE0; b < 0xF0; ++b) widths[b] = alike(char32_t(b & 0x0F) << 12, 4096);
    return widths;
  }();
  return table;
}

bool ScreenChars::Attached(std::string_view s, std::size_t i, TTextEncoding encoding) {
  if (encoding != TTextEncoding::Utf8 || i == 0 || static_cast<unsigned char>(s[i]) < FirstSpecialByte ||
      s[i - 1] == '\t')
    return false;
  char32_t cp;
  EditText::DecodeChar(s, i, encoding, cp);
  return Width(cp) == 0;
}

ScreenChars::TScreenChar ScreenChars::At(std::string_view s, std::size_t i, TTextEncoding encoding, int cell,
                                         int tabWidth) {
  TScreenChar ch = Step(s, i, encoding, cell, tabWidth);
  if (encoding != TTextEncoding::Utf8 || s[i] == '\t') return ch;  // a mark after a tab stands alone
  while (i + ch.Len < s.size() && static_cast<unsigned char>(s[i + ch.Len]) >= FirstSpecialByte) {
    char32_t cp;
    const int n = EditText::DecodeChar(s, i + ch.Len, encoding, cp);
    if (Width(cp) != 0) break;
    ch.Len += static_cast<std::size_t>(n);
  }
  return ch;
}
