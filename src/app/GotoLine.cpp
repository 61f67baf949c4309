#include "app/GotoLine.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace {
// Digits only; a number too large for an int is as far out of range as INT_MAX.
int Saturated(const QString& digits) {
  bool ok = false;
  const qlonglong value = digits.toLongLong(&ok);
  if (!ok || value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(value);
}
}  // namespace

std::optional<TGotoTarget> ParseGotoTarget(const QString& input, int lineCount,
                                           const std::function<int(int line)>& charsInLine) {
  static const QRegularExpression pattern(QStringLiteral("^\\s*([0-9]+)\\s*(?::\\s*([0-9]+)\\s*)?$"));
  const QRegularExpressionMatch match = pattern.match(input);
  if (!match.hasMatch()) return std::nullopt;
  TGotoTarget target;
  target.Line = std::max(1, Saturated(match.captured(1)));
  target.Column = match.hasCaptured(2) ? std::max(1, Saturated(match.captured(2))) : 1;
  if (lineCount <= 0) return target;
  target.Line = std::min(target.Line, lineCount);
  target.Column = std::min(target.Column, std::max(0, charsInLine ? charsInLine(target.Line) : 0) + 1);
  return target;
}
