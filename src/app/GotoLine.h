#pragma once
// Reading the answer of "Gehe zu Zeile": a line number, optionally followed by ":column".
#include <QString>

#include <functional>
#include <optional>

struct TGotoTarget {
  int Line = 1;
  int Column = 1;  // in characters, as the status bar counts them
};

// "120" or "120:8", blanks allowed around the numbers. A number beyond the text goes to the
// nearest line, a column to the nearest place in that line (CharsInLine gives a line's length in
// characters). A LineCount of 0 (a text still being read) keeps both as asked. Anything else
// (empty, signs, letters) gives no target.
std::optional<TGotoTarget> ParseGotoTarget(const QString& input, int lineCount,
                                           const std::function<int(int line)>& charsInLine);
