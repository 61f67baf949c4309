#pragma once
// Character classes shared by the scanner and the keyword table; one flag byte per code.
#include <array>
#include <cstdint>

namespace charclass {

enum : std::uint8_t {
  Ident = 1,   // . 0-9 A-Z _ a-z
  Blank = 2,   // 1-9, 11, 12, 14-32: whitespace that continues a space token
  NumRun = 4,  // 0-9 A-F a-f H h O o x: continues a number that starts with a digit
  Hex = 8,     // 0-9 A-F a-f
  Break = 16,  // line feed, carriage return: end comments and strings
};

constexpr std::array<std::uint8_t, 256> MakeFlags() {
  std::array<std::uint8_t, 256> f{};
  f['.'] |= Ident;
  f['_'] |= Ident;
  for (int c = '0'; c <= '9'; ++c) f[c] |= Ident | NumRun | Hex;
  for (int c = 'A'; c <= 'Z'; ++c) f[c] |= Ident;
  for (int c = 'a'; c <= 'z'; ++c) f[c] |= Ident;
  for (int c = 'A'; c <= 'F'; ++c) f[c] |= NumRun | Hex;
  for (int c = 'a'; c <= 'f'; ++c) f[c] |= NumRun | Hex;
  for (char c : {'H', 'h', 'O', 'o', 'x'}) f[static_cast<unsigned char>(c)] |= NumRun;
  f['\n'] |= Break;
  f['\r'] |= Break;
  for (int c = 1; c <= 32; ++c)
    if (c != '\n' && c != '\r') f[c] |= Blank;
  return f;
}

inline constexpr std::array<std::uint8_t, 256> Flags = MakeFlags();

constexpr std::array<unsigned char, 256> MakeUpper() {
  std::array<unsigned char, 256> u{};
  for (int c = 0; c < 256; ++c) u[c] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return u;
}

// ASCII letters folded to upper case; every other code unchanged.
inline constexpr std::array<unsigned char, 256> Upper = MakeUpper();

inline bool IsIdent(unsigned char c) { return Flags[c] & Ident; }

}  // namespace charclass
