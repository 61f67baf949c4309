#pragma once
// UTF-8 as the editor and the symbol index take it.
#include <cstddef>

namespace Utf8 {
// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, nothing cut off.
bool IsValid(const char* data, std::size_t size);
// Length of the well-formed character at the start of Data (1 for ASCII), 0 when there is none.
std::size_t SequenceLength(const char* data, std::size_t size);
}  // namespace Utf8
