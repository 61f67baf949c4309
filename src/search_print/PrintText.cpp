#include "search_print/PrintText.h"

double UnitsToLayoutPixels(double value, TUnitSystem unit) {
  switch (unit) {
    case TUnitSystem::usMM: return value * LayoutDpi / 25.4;
    case TUnitSystem::usCM: return value * LayoutDpi / 2.54;
    case TUnitSystem::usInch: return value * LayoutDpi;
  }
  return value;
}

namespace {
bool IsContinuationByte(TTextEncoding encoding, unsigned char c) {
  return encoding == TTextEncoding::Utf8 && (c & 0xC0) == 0x80;
}
}  // namespace

std::string ExpandTabs(std::string_view line, int tabWidth, TTextEncoding encoding) {
  if (line.find('\t') == std::string_view::npos) return std::string(line);
  if (tabWidth < 1) tabWidth = 1;
  std::string out;
  out.reserve(line.size() + 16);
  int column = 0;
  for (char c : line) {
    if (c == '\t') {
      const int spaces = tabWidth - column % tabWidth;
      out.append(static_cast<size_t>(spaces), ' ');
      column += spaces;
    } else {
      out += c;
      if (!IsContinuationByte(encoding, static_cast<unsigned char>(c))) ++column;
    }
  }
  return out;
}

void ByteToCharOffsets(std::string_view bytes, TTextEncoding encoding, std::vector<int>& offsets) {
  offsets.resize(bytes.size() + 1);
  int chars = 0;
  int current = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (!IsContinuationByte(encoding, c)) {
      current = chars;
      // A four-byte UTF-8 character is a surrogate pair in the decoded text.
      chars += (encoding == TTextEncoding::Utf8 && c >= 0xF0) ? 2 : 1;
    }
    offsets[i] = current;
  }
  offsets[bytes.size()] = chars;
}

int WrapLine(const char16_t* text, const double* advances, int count, double width, std::vector<int>* rowStarts) {
  if (rowStarts) rowStarts->assign(1, 0);
  int rows = 1;
  int rowStart = 0;
  double x = 0;         // width of the row so far
  int breakAt = -1;     // just after the row's last space that follows some text
  double breakX = 0;    // width of the row up to BreakAt
  bool inked = false;   // the row holds more than blanks: a row of indent alone is no row
  for (int i = 0; i < count; ++i) {
    const double a = advances[i];
    // A space never starts a row: it hangs at the end of the one before, as blank rows would
    // otherwise cost whole pages when a row holds one character.
    while (x + a > width && i > rowStart && a > 0 && text[i] != u' ') {
      if (breakAt > rowStart) {
        rowStart = breakAt;
        x -= breakX;
      } else {
        rowStart = i;
        x = 0;
      }
      inked = i > rowStart;  // what follows the last space is text
      breakAt = -1;
      ++rows;
      if (rowStarts) rowStarts->push_back(rowStart);
    }
    x += a;
    if (text[i] != u' ') {
      inked = true;
    } else if (inked) {
      breakAt = i + 1;
      breakX = x;
    }
  }
  return rows;
}

int DecimalDigits(int value) {
  int digits = 1;
  while (value >= 10) {
    value /= 10;
    ++digits;
  }
  return digits;
}
