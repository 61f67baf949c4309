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
    const std::size_t n = SequenceLength(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p));
    if (n == 0) return false;
    p += n;
  }
  return true;
}

std::size_t Utf8::SequenceLength(const char* data, std::size_t size) {
  if (size == 0) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  const unsigned c = *p;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return size >= 2 && (p[1] & 0xC0) == 0x80 ? 2 : 0;  // umlauts
  std::size_t n;
  unsigned min;
  if (c >= 0xE0 && c <= 0xEF) n = 2, min = 0x800;
  else if (c >= 0xF0 && c <= 0xF4) n = 3, min = 0x10000;
  else return 0;
  if (size <= n) return 0;
  unsigned cp = c & (0x3F >> n);
  for (std::size_t i = 1; i <= n; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n + 1;
}
