#include "platform/Utf8.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

bool Utf8::IsValid(const char* data, std::size_t size) {
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  const unsigned char* end = p + size;
  while (p < end) {
    // ASCII sixteen (or eight) bytes at a time; jump straight to the first byte above 127.
#if defined(__SSE2__) || defined(_M_X64)
    if (end - p >= 16) {
      const auto high = static_cast<unsigned>(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
      if (!high) {
        p += 16;
        continue;
      }
      p += std::countr_zero(high);
    } else
#endif
    if (end - p >= 8) {
      std::uint64_t w;
      std::memcpy(&w, p, 8);
      const std::uint64_t high = w & 0x8080808080808080ull;
      if (!high) {
        p += 8;
        continue;
      }
      p += std::countr_zero(high) >> 3;
    } else if (*p < 0x80) {
      ++p;
      continue;
    }
    const unsigned c = *p;
    if (c >= 0xC2 && c <= 0xDF) {  // the common two-byte case (umlauts)
      if (end - p < 2 || (p[1] & 0xC0) != 0x80) return false;
      p += 2;
      continue;
    }
    int n;
    unsigned min;
    if (c >= 0xE0 && c <= 0xEF) n = 2, min = 0x800;
    else if (c >= 0xF0 && c <= 0xF4) n = 3, min = 0x10000;
    else return false;
    if (end - p <= n) return false;
    unsigned cp = c & (0x3F >> n);
    for (int i = 1; i <= n; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    p += n + 1;
  }
  return true;
}
