#pragma once
// Helpers for tokeniser tests: collect the tokens of one line and check that they tile it.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "highlight/AssemSyn.h"

struct TToken {
  int kind;
  std::string text;
  int start;
  bool operator==(const TToken&) const = default;
};

inline void PrintTo(const TToken& t, std::ostream* os) {
  *os << "{" << t.kind << ", \"" << t.text << "\", " << t.start << "}";
}

// Every token of the line up to (not including) EndOfLine. Fails the test when the tokens do not
// start at 0, follow each other without gap or overlap and end exactly at the end of the line.
inline std::vector<TToken> Tokenize(TVoMAssemSyn& h, std::string_view line) {
  std::vector<TToken> tokens;
  h.SetLine(line, 0);
  size_t expectedStart = 0;
  while (!h.AtEndOfLine()) {
    const std::string_view text = h.TokenText();
    EXPECT_EQ(static_cast<size_t>(h.TokenStart()), expectedStart);
    EXPECT_FALSE(text.empty()) << "empty token at " << h.TokenStart();
    EXPECT_EQ(text.data(), line.data() + h.TokenStart()) << "token text is not a view into the line";
    if (text.empty() || tokens.size() > line.size()) break;
    tokens.push_back({h.TokenKind(), std::string(text), h.TokenStart()});
    expectedStart += text.size();
    h.Next();
  }
  EXPECT_EQ(expectedStart, line.size());
  EXPECT_EQ(static_cast<size_t>(h.TokenStart()), line.size());
  EXPECT_TRUE(h.TokenText().empty());
  return tokens;
}

// Kinds and texts only, for the many cases where the starts follow from the texts.
inline std::vector<std::pair<int, std::string>> KindsAndTexts(TVoMAssemSyn& h, std::string_view line) {
  std::vector<std::pair<int, std::string>> result;
  for (const TToken& t : Tokenize(h, line)) result.emplace_back(t.kind, t.text);
  return result;
}
