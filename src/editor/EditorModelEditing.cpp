// TEditorModel: the editing commands: typing, deleting, line breaks, indenting, the clipboard.
#include "editor/EditorModel.h"
#include "editor/EditorModelBytes.h"
#include "editor/ScreenChars.h"

#include <algorithm>
#include <cstring>

namespace {
using TNewLine = TEditLinesImpl::TNewLine;

constexpr int kBlockIndent = 2;

// The indent narrowed by one block step in display cells, or to nothing: what still fits of it
// stays, blanks make up the rest of the width (a tab may stand for fewer cells than it is wide).
std::string Unindented(std::string_view indent, int tabWidth) {
  auto after = [tabWidth](int cell, char c) { return c == '\t' ? cell + tabWidth - cell % tabWidth : cell + 1; };
  int width = 0;
  for (char c : indent) width = after(width, c);
  const int target = std::max(0, width - kBlockIndent);
  std::string out;
  int cell = 0;
  for (char c : indent) {
    if (after(cell, c) > target) break;
    out += c;
    cell = after(cell, c);
  }
  out.append(static_cast<std::size_t>(target - cell), ' ');
  return out;
}
}  // namespace

using EditorModelBytes::SplitLf;
using EditorModelBytes::TrimRight;

// ---- editing commands ----

void TEditorModel::DeleteSelection(bool keep) {
  if (!HasSelection()) return;
  const QPoint b = BlockBegin(), e = BlockEnd();
  switch (FSelMode) {
    case TSelectionMode::smNormal:
      ReplaceRange(b, e, {}, keep);
      MoveCaret(b, false);
      break;
    case TSelectionMode::smLine: {
      const int n = FLines.Count();
      const int count = std::min(e.y(), n) - b.y() + 1;
      if (count >= n) ReplaceLines(0, n, {{std::string_view(), FLines.LineBreakStyle() == TLineBreakStyle::CrLf}});
      else ReplaceLines(b.y() - 1, count, {});
      MoveCaret(QPoint(1, b.y()), false);
      break;
    }
    case TSelectionMode::smColumn: {
      int left, right;
      ColumnCells(left, right);
      if (left == right) break;  // nothing inside
      std::vector<std::string> texts;
      for (int y = b.y(); y <= std::min(e.y(), FLines.Count()); ++y) {
        std::string s(LineBytes(y));
        const std::size_t a = std::min<std::size_t>(static_cast<std::size_t>(ColumnAtCell(y, left) - 1), s.size());
        const std::size_t z = std::min<std::size_t>(static_cast<std::size_t>(ColumnAtCell(y, right) - 1), s.size());
        s.erase(a, z - a);
        texts.push_back(std::move(s));
      }
      std::vector<TNewLine> lines;
      for (std::size_t i = 0; i < texts.size(); ++i)
        lines.push_back({texts[i], FLines.Impl().LineCrLf(b.y() - 1 + static_cast<int>(i))});
      ReplaceLines(b.y() - 1, static_cast<int>(lines.size()), lines);
      MoveCaret(b, false);
      break;
    }
  }
}

void TEditorModel::CopySelection() {
  const QString t = ClipboardText();
  if (!t.isEmpty() && SetClipboard) SetClipboard(t, FSelMode == TSelectionMode::smColumn);
}

template <class F>
void TEditorModel::WithEncoding(const QString& text, F&& insert) {
  const std::exception_ptr failed = FLines.SettleEncoding(text);
  insert();
  if (failed) std::rethrow_exception(failed);
}

void TEditorModel::PasteColumnBlock(const QString& text) {
  const TUnwind unwind(*this);
  WithEncoding(text, [&] {
    std::string bytes;
    if (!InsertableBytes(text, bytes)) return;
    BeginUpdate();
    BeginGroup(ecPaste);
    DeleteSelection();
    const QPoint end = InsertColumnBlock(bytes, FCaret.y(), CellOfColumn(FCaret.y(), FCaret.x()));
    SetCaretXY(end.x(), end.y());
    EndGroup();
    EndUpdate();
  });
}

QPoint TEditorModel::InsertColumnBlock(std::string_view bytes, int top, int cell) {
  const std::vector<std::string_view> parts = SplitLf(bytes);
  const int count = static_cast<int>(parts.size());
  FLines.LoadUpTo(top + count);
  if (const int missing = top + count - 1 - LineCount(); missing > 0) {
    const QPoint last(LineLength(LineCount()) + 1, LineCount());
    ReplaceRange(last, last, std::string(static_cast<std::size_t>(missing), '\n'));
  }
  QPoint end(ColumnAtCell(top, cell), top);
  for (int i = 0; i < count; ++i) {
    const QPoint at(ColumnAtCell(top + i, cell), top + i);
    end = ReplaceRange(at, at, parts[static_cast<std::size_t>(i)], true);
  }
  return end;
}

void TEditorModel::InsertBytes(const std::string& bytes) {
  BeginUpdate();
  BeginGroup(ecPaste);
  DeleteSelection();
  const QPoint end = ReplaceRange(FCaret, FCaret, bytes, true);
  SetCaretXY(end.x(), end.y());
  EndGroup();
  EndUpdate();
}

bool TEditorModel::Encodable(const QString& text, bool inserting) {
  const qsizetype i = FLines.UnencodableAt(text);
  if (i < 0) return true;
  const char32_t cp = text[i].isHighSurrogate() && i + 1 < text.size() ? QChar::surrogateToUcs4(text[i], text[i + 1])
                                                                        : text[i].unicode();
  const QString code = QStringLiteral("U+%1").arg(static_cast<uint>(cp), 4, 16, QLatin1Char('0')).toUpper();
  const QString encoding =
      FLines.Encoding() == TTextEncoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Windows-1252");
  const QString text1 = inserting
                            ? QStringLiteral("Zeichen \"%1\" (%2) nicht eingefügt: Die Kodierung der Datei (%3) "
                                             "kann es nicht speichern.")
                            : QStringLiteral("Zeichen \"%1\" (%2) kann in der Kodierung der Datei (%3) nicht "
                                             "vorkommen: nichts gesucht oder ersetzt.");
  if (OnStatusMessage) OnStatusMessage(text1.arg(QString::fromUcs4(&cp, 1), code, encoding));
  return false;
}

bool TEditorModel::InsertableBytes(const QString& text, std::string& bytes) {
  // Never store a stand-in for a character the file cannot hold; nothing of the text goes in.
  if (!Encodable(text, true)) return false;
  bytes = TextBytes(text);
  return true;
}

std::string TEditorModel::TextBytes(const QString& text) const {
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return FLines.Encode(t);
}

bool TEditorModel::InsertText(const QString& text) {
  const TUnwind unwind(*this);
  bool inserted = false;
  WithEncoding(text, [&] {
    if (std::string bytes; InsertableBytes(text, bytes)) InsertBytes(bytes), inserted = true;
  });
  return inserted;
}

void TEditorModel::TypeChar(QChar ch) {
  if (ch.isNull() || (ch.unicode() < 0x20 && ch != QLatin1Char('\t')) || ch.unicode() == 0x7F) return;
  WithEncoding(QString(ch), [&] {
    if (!Encodable(QString(ch), true)) return;
    const std::string bytes = FLines.Encode(QString(ch));
    BeginGroup(ecChar);
    // The character takes the selection's place; only typing without one overwrites.
    const bool overwrite = !FInsertMode && !HasSelection();
    DeleteSelection();
    QPoint to = FCaret;
    if (overwrite && FCaret.x() <= LineLength(FCaret.y())) to.setX(NextCharColumn(FCaret.y(), FCaret.x()));
    const QPoint end = ReplaceRange(FCaret, to, bytes);
    SetCaretXY(end.x(), end.y());
    EndGroup();
    FTypingLine = FCaret.y();
  });
}

void TEditorModel::LineBreak(bool moveCaret) {
  BeginGroup(ecLineBreak);
  DeleteSelection();
  const int y = FCaret.y();
  const std::string_view s = LineBytes(y);
  if (FCaret.x() == 1 && !s.empty() && FLines.Count() > 0) {
    // A break before the line's text inserts an empty line, so marks stay with the text.
    ReplaceLines(y - 1, 0, {{std::string_view(), FLines.LineBreakStyle() == TLineBreakStyle::CrLf}});
    if (moveCaret) SetCaretXY(1, y + 1);
  } else {
    std::string text("\n");
    if (FOptions & eoAutoIndent) {
      std::size_t n = 0;
      while (n < s.size() && n + 1 < static_cast<std::size_t>(FCaret.x()) && (s[n] == ' ' || s[n] == '\t')) ++n;
      text.append(s.substr(0, n));
      // A blank line lost its indent to trimming; the caret beyond its end still shows it.
      if (n == s.size() && static_cast<std::size_t>(FCaret.x()) > n + 1)
        text.append(static_cast<std::size_t>(FCaret.x()) - 1 - n, ' ');
    }
    const QPoint caret = FCaret;
    const QPoint end = ReplaceRange(FCaret, FCaret, text);
    if (moveCaret) SetCaretXY(end.x(), end.y());
    else SetCaretXY(std::min(caret.x(), MaxCaretColumn(caret.y())), caret.y());
  }
  EndGroup();
}

void TEditorModel::DeleteLastChar() {
  BeginGroup(ecDeleteLastChar);
  const int y = FCaret.y();
  const int len = LineLength(y);
  if (HasSelection()) {
    DeleteSelection();
  } else if (FCaret.x() > len + 1) {
    SetCaretXY(FCaret.x() - 1, y);
  } else if (FCaret.x() > 1) {
    const int prev = PrevCharColumn(y, FCaret.x());
    ReplaceRange(QPoint(prev, y), FCaret, {});
    SetCaretXY(prev, y);
  } else if (y > 1) {
    const int prevLen = LineLength(y - 1);
    ReplaceRange(QPoint(prevLen + 1, y - 1), QPoint(1, y), {});
    SetCaretXY(prevLen + 1, y - 1);
  }
  EndGroup();
}

void TEditorModel::DeleteChar() {
  BeginGroup(ecDeleteChar);
  const int y = FCaret.y();
  if (HasSelection()) DeleteSelection();
  else if (FCaret.x() <= LineLength(y)) ReplaceRange(FCaret, QPoint(NextCharColumn(y, FCaret.x()), y), {});
  else if (y < FLines.Count()) ReplaceRange(FCaret, QPoint(1, y + 1), {});
  EndGroup();
}

void TEditorModel::DeleteLine() {
  if (FLines.Count() == 0 || (FLines.Count() == 1 && LineBytes(1).empty())) return;  // nothing to delete
  BeginGroup(ecDeleteLine);
  const int y = FCaret.y();
  if (FLines.Count() <= 1) ReplaceLines(0, FLines.Count(), {{std::string_view(), FLines.Impl().LineCrLf(0)}});
  else ReplaceLines(y - 1, 1, {});
  SetCaretXY(1, std::min(y, LineCount()));
  EndGroup();
}

void TEditorModel::BlockIndent(bool indent) {
  QPoint b = BlockBegin(), e = BlockEnd();
  if (!HasSelection()) b = e = FCaret;
  int last = e.y();
  if (FSelMode == TSelectionMode::smNormal && e.x() == 1 && e.y() > b.y()) --last;
  last = std::min(last, FLines.Count());
  if (last < b.y()) return;
  std::vector<std::string> texts;
  std::vector<std::pair<int, int>> indents;  // bytes of each line's indent before and after
  bool changed = false;
  for (int y = b.y(); y <= last; ++y) {
    std::string s(LineBytes(y));
    const std::size_t n = indent ? 0 : std::min(s.find_first_not_of(" \t"), s.size());
    const std::string now = indent ? std::string(s.empty() ? 0 : kBlockIndent, ' ')
                                   : Unindented(std::string_view(s).substr(0, n), FTabWidth);
    changed |= std::string_view(s).substr(0, n) != now;
    s.replace(0, n, now);
    texts.push_back(std::move(s));
    indents.emplace_back(static_cast<int>(n), static_cast<int>(now.size()));
  }
  if (!changed) return;  // no line has an indent to take away, or text to indent
  BeginGroup(indent ? ecBlockIndent : ecBlockUnindent);
  std::vector<TNewLine> lines;
  for (std::size_t i = 0; i < texts.size(); ++i)
    lines.push_back({texts[i], FLines.Impl().LineCrLf(b.y() - 1 + static_cast<int>(i))});
  const QPoint sb = FSelBegin, se = FSelEnd, caret = FCaret;
  const bool hadSel = sb != se;
  ReplaceLines(b.y() - 1, static_cast<int>(lines.size()), lines);
  auto shift = [&](QPoint p) {
    if (p.y() < b.y() || p.y() > last || p.x() <= 1) return p;
    const auto [before, after] = indents[static_cast<std::size_t>(p.y() - b.y())];
    // A point behind the indent moves with the text, one inside it stays inside.
    const int x = p.x() - 1 >= before ? p.x() + after - before : std::min(p.x(), after + 1);
    // A block ending in column 1 leaves its last line out: a repeated unindent must not drop it.
    const int least = hadSel && p == e && FSelMode == TSelectionMode::smNormal ? 2 : 1;
    return QPoint(std::max(least, x), p.y());
  };
  SetCaretXY(shift(caret).x(), caret.y());
  if (hadSel) SetSelection(shift(sb), shift(se));
  EndGroup();
}

void TEditorModel::DoTab() {
  if (HasSelection() && BlockBegin().y() != BlockEnd().y()) {
    BlockIndent(true);
    return;
  }
  BeginGroup(ecTab);
  DeleteSelection();
  const int y = FCaret.y();
  const int cell = CellOfColumn(y, FCaret.x());
  int target = (cell / FTabWidth + 1) * FTabWidth;
  bool smart = false;
  if (FOptions & eoSmartTabs) {
    int py = y - 1;
    while (py >= 1 && TrimRight(LineBytes(py)).empty()) --py;
    if (py >= 1) {
      // The next word start of the line above, right of the caret.
      const std::string_view s = LineBytes(py);
      int c = 0;
      bool prevSpace = false;
      for (std::size_t i = 0; i < s.size();) {
        const bool space = s[i] == ' ' || s[i] == '\t';
        if (!space && prevSpace && c > cell) {
          target = c;
          smart = true;
          break;
        }
        prevSpace = space;
        const ScreenChars::TScreenChar ch = ScreenChars::At(s, i, FLines.Encoding(), c, FTabWidth);
        c += ch.Width;
        i += ch.Len;
      }
    }
  }
  const std::string text = (FOptions & eoTabsToSpaces) || smart ? std::string(static_cast<std::size_t>(target - cell), ' ')
                                                                 : std::string("\t");
  const QPoint end = ReplaceRange(FCaret, FCaret, text);
  SetCaretXY(end.x(), end.y());
  EndGroup();
}

void TEditorModel::DoShiftTab() { BlockIndent(false); }

void TEditorModel::MatchBracket() {
  FLines.FinishLoad();
  static const char kOpen[] = "([{<", kClose[] = ")]}>";
  int y = FCaret.y();
  std::string_view s = LineBytes(y);
  int i = FCaret.x() - 1;
  auto isBracket = [&](int k) {
    return k >= 0 && k < static_cast<int>(s.size()) && s[static_cast<std::size_t>(k)] != '\0' &&
           (std::strchr(kOpen, s[static_cast<std::size_t>(k)]) || std::strchr(kClose, s[static_cast<std::size_t>(k)]));
  };
  if (!isBracket(i)) --i;
  if (!isBracket(i)) return;
  const char c = s[static_cast<std::size_t>(i)];
  const char* open = std::strchr(kOpen, c);
  const bool forward = open != nullptr;
  const char mate = forward ? kClose[open - kOpen] : kOpen[std::strchr(kClose, c) - kClose];
  int depth = 0;
  while (true) {
    i += forward ? 1 : -1;
    while (i < 0 || i >= static_cast<int>(s.size())) {
      y += forward ? 1 : -1;
      if (y < 1 || y > FLines.Count()) return;
      s = LineBytes(y);
      i = forward ? 0 : static_cast<int>(s.size()) - 1;
    }
    const char d = s[static_cast<std::size_t>(i)];
    if (d == c) ++depth;
    else if (d == mate && depth-- == 0) break;
  }
  SetCaretXY(i + 1, y);
}
