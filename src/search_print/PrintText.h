#pragma once
// Text arithmetic of the print engine that needs no fonts: tab expansion on the bytes of a line,
// the mapping of byte offsets (the highlighter's tokens) to character offsets (the decoded
// text), margin units, and the breaking of a long line into rows.
#include <string>
#include <string_view>
#include <vector>

#include "editor/EditLines.h"

// Layout happens in device-independent pixels of 1/96 inch; painters scale to their device.
constexpr double LayoutDpi = 96.0;

enum class TUnitSystem { usMM, usCM, usInch };

double UnitsToLayoutPixels(double value, TUnitSystem unit);

// Replaces each tab by spaces up to the next multiple of TabWidth columns. A column is one
// character: in UTF-8 text the continuation bytes of a character take none.
std::string ExpandTabs(std::string_view line, int tabWidth, TTextEncoding encoding);

// Offsets[i] is the index in the decoded text (UTF-16 units) of the character that byte i
// belongs to; Offsets[size] is the decoded length.
void ByteToCharOffsets(std::string_view bytes, TTextEncoding encoding, std::vector<int>& offsets);

// Breaks a line of Count UTF-16 units that advance by Advances into rows of at most Width and
// returns the number of rows (at least 1). Rows end after the last space that follows text, or
// inside a word longer than the rest of a row (an indent alone makes no row); spaces past the end
// of a row hang there, a row holds at least one character, and a unit of zero advance (the second
// half of a surrogate pair, a combining mark) stays with the one before. With RowStarts, the
// start offset of every row is stored there.
int WrapLine(const char16_t* text, const double* advances, int count, double width, std::vector<int>* rowStarts);

int DecimalDigits(int value);
