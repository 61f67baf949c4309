#include "platform/ConsoleCodec.h"

#include <QStringDecoder>

#include <algorithm>

#include "platform/Cp1252.h"
#include "platform/Utf8.h"

namespace ConsoleCodec {

namespace {

// Bytes 0x80..0xFF of code page 850.
constexpr char16_t kCp850[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C,
    0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580, 0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6,
    0x00A7, 0x00F7, 0x00B8, 0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0};

char16_t Cp850(unsigned char b) { return b < 0x80 ? char16_t(b) : kCp850[b - 0x80]; }

// How much a character looks like German text: umlauts and sharp s most, other letters some.
int TextLikeness(char16_t c) {
  switch (c) {
    case 0x00E4: case 0x00F6: case 0x00FC: case 0x00C4: case 0x00D6: case 0x00DC: case 0x00DF:
      return 3;
    default:
      return QChar(c).isLetter() ? 1 : 0;
  }
}

bool IsAscii(const char* data, qsizetype size) {
  for (qsizetype i = 0; i < size; ++i)
    if (static_cast<unsigned char>(data[i]) >= 0x80) return false;
  return true;
}

}  // namespace

QString ToUnicode(const char* data, qsizetype size) {
  if (size <= 0) return QString();
  if (IsAscii(data, size)) return QString::fromLatin1(data, size);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(QByteArrayView(data, size));
  if (!utf8.hasError()) return text;
  // Not UTF-8 as a whole, yet its well-formed sequences are (a file name beside a message from a
  // source written in a code page); the other bytes are read in the code page they look like.
  int cp850 = 0, cp1252 = 0;
  for (qsizetype i = 0; i < size;) {
    const std::size_t n = Utf8::SequenceLength(data + i, std::size_t(size - i));
    if (n == 0) {
      const auto b = static_cast<unsigned char>(data[i]);
      cp850 += TextLikeness(Cp850(b));
      cp1252 += TextLikeness(Cp1252::ToUnicode(b));
    }
    i += qsizetype(std::max<std::size_t>(n, 1));
  }
  char16_t (*decode)(unsigned char) = cp850 > cp1252 ? Cp850 : Cp1252::ToUnicode;
  text.clear();
  text.reserve(size);
  for (qsizetype i = 0; i < size;) {
    const std::size_t n = Utf8::SequenceLength(data + i, std::size_t(size - i));
    if (n > 1) text += QString::fromUtf8(data + i, qsizetype(n));
    else text += QChar(decode(static_cast<unsigned char>(data[i])));
    i += qsizetype(std::max<std::size_t>(n, 1));
  }
  return text;
}

qsizetype Utf8SafeCut(const char* data, qsizetype size) {
  // Step back over at most three continuation bytes to the lead byte, and cut before it when
  // its sequence would not be complete.
  qsizetype i = size;
  int back = 0;
  while (i > 0 && back < 3 && (static_cast<unsigned char>(data[i - 1]) & 0xC0) == 0x80) {
    --i;
    ++back;
  }
  if (i == 0) return size;
  const unsigned char lead = static_cast<unsigned char>(data[i - 1]);
  int need = 0;
  if ((lead & 0xE0) == 0xC0) need = 1;
  else if ((lead & 0xF0) == 0xE0) need = 2;
  else if ((lead & 0xF8) == 0xF0) need = 3;
  else if (lead >= 0x80) return size;  // not a lead byte: not UTF-8 anyway
  if (need == 0) return size;           // ASCII last: complete
  return back >= need ? size : i - 1;
}

}  // namespace ConsoleCodec
