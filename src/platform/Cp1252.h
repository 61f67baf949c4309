#pragma once
// Windows-1252: ISO-8859-1 with printable characters at 0x80..0x9F. Its five unassigned codes
// there stay C1 controls, so that every byte decodes and encodes back to itself.

#include <QString>

#include <string_view>

namespace Cp1252 {

inline constexpr char16_t High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The character of one byte.
constexpr char16_t ToUnicode(unsigned char b) { return b >= 0x80 && b < 0xA0 ? High[b - 0x80] : char16_t(b); }

// A text of such bytes.
inline QString Decode(std::string_view bytes) {
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  QChar* out = text.data();
  for (const char c : bytes) *out++ = QChar(ToUnicode(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace Cp1252
