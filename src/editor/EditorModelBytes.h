#pragma once
// Byte helpers the files of TEditorModel share.
#include <string_view>
#include <vector>

namespace EditorModelBytes {
inline bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

inline std::vector<std::string_view> SplitLf(std::string_view s) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t nl = s.find('\n', start);
    if (nl == std::string_view::npos) {
      parts.push_back(s.substr(start));
      return parts;
    }
    parts.push_back(s.substr(start, nl - start));
    start = nl + 1;
  }
}

inline std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}
}  // namespace EditorModelBytes
