// TEditorModel: byte columns and display cells, the caret, scrolling and word moves.
#include "editor/EditorModel.h"
#include "editor/EditorModelBytes.h"
#include "editor/ScreenChars.h"

#include <algorithm>
#include <climits>
#include <cstring>

using EditorModelBytes::IsContinuation;

// ---- geometry ----

void TEditorModel::SetViewSize(int linesInWindow, int charsInWindow) {
  FLinesInWindow = std::max(1, linesInWindow);
  FCharsInWindow = std::max(1, charsInWindow);
  SetTopLine(FTopLine);
}

int TEditorModel::MaxCaretColumn(int line) const {
  const int len = LineLength(line);
  return (FOptions & eoScrollPastEol) ? std::max(FMaxLeftChar, len + 1) : len + 1;
}

int TEditorModel::MaxScrollWidth() const {
  // In steps, so that a line growing key by key does not change the scroll range every time.
  constexpr int kStep = 256;
  // Lines are counted in bytes; a line of tabs takes more cells: the caret's at least fits.
  int widest = static_cast<int>(FLines.Impl().MaxLineLength);
  if (FCaret.x() > 1) widest = std::max(widest, CellOfColumn(FCaret.y(), FCaret.x()) + 1);
  return std::max(FMaxLeftChar, (widest + kStep) / kStep * kStep);
}

int TEditorModel::CellOfColumn(int line, int column) const {
  const std::string_view s = LineBytes(line);
  const TTextEncoding encoding = FLines.Encoding();
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(column - 1, 0)), s.size());
  const auto& leads = ScreenChars::LeadWidths();
  int cell = 0;
  std::size_t i = 0;
  while (i < n) {
    if (n - i >= 8) {
      // Eight cells at once where the next eight bytes hold no tab and nothing above 127.
      std::uint64_t w;
      std::memcpy(&w, s.data() + i, 8);
      const std::uint64_t t = w ^ 0x0909090909090909ull;
      if (!((((t - 0x0101010101010101ull) & ~t) | w) & 0x8080808080808080ull)) {
        cell += 8;
        i += 8;
        continue;
      }
    }
    // A byte at a time where every character it may start takes the same cells.
    const auto c = static_cast<unsigned char>(s[i]);
    const unsigned char lead = encoding == TTextEncoding::Utf8 ? leads[c] : 1;
    if (c == '\t' || lead != ScreenChars::Mixed) {
      cell += c == '\t' ? FTabWidth - cell % FTabWidth : lead;
      ++i;
      continue;
    }
    const ScreenChars::TScreenChar ch = ScreenChars::Step(s, i, encoding, cell, FTabWidth);
    cell += ch.Width;
    i += ch.Len;
  }
  return cell + std::max(0, column - 1 - static_cast<int>(s.size()));
}

int TEditorModel::ColumnOfCell(int line, int cell, bool covering) const {
  const std::string_view s = LineBytes(line);
  const TTextEncoding encoding = FLines.Encoding();
  int c = 0;
  std::size_t i = 0;
  while (i < s.size()) {
    const ScreenChars::TScreenChar ch = ScreenChars::At(s, i, encoding, c, FTabWidth);
    if (cell < c + ch.Width)
      return static_cast<int>(covering || (cell - c) * 2 < ch.Width ? i : i + ch.Len) + 1;
    c += ch.Width;
    i += ch.Len;
  }
  return static_cast<int>(s.size()) + 1 + (cell - c);
}

int TEditorModel::ColumnAtCell(int line, int cell) const {
  const std::string_view s = LineBytes(line);
  const TTextEncoding encoding = FLines.Encoding();
  int c = 0;
  std::size_t i = 0;
  while (i < s.size() && c < cell) {
    const ScreenChars::TScreenChar ch = ScreenChars::At(s, i, encoding, c, FTabWidth);
    c += ch.Width;
    i += ch.Len;
  }
  return static_cast<int>(i) + 1 + std::max(0, cell - c);
}

int TEditorModel::CharColumn(int line, int column) const {
  const std::string_view s = LineBytes(line);
  const auto n = std::min<std::size_t>(static_cast<std::size_t>(std::max(column - 1, 0)), s.size());
  auto chars = static_cast<std::ptrdiff_t>(n);
  const TTextEncoding encoding = FLines.Encoding();
  if (encoding == TTextEncoding::Utf8)
    for (std::size_t i = 0; i < n; ++i)
      chars -= IsContinuation(static_cast<unsigned char>(s[i])) || ScreenChars::Attached(s, i, encoding);
  return static_cast<int>(chars) + 1 + std::max(0, column - 1 - static_cast<int>(s.size()));
}

int TEditorModel::NextCharColumn(int line, int column) const {
  const std::string_view s = LineBytes(line);
  if (column > static_cast<int>(s.size())) return column + 1;
  const auto i = static_cast<std::size_t>(std::max(column, 1) - 1);
  return static_cast<int>(i + ScreenChars::At(s, i, FLines.Encoding(), 0, FTabWidth).Len) + 1;
}

int TEditorModel::PrevCharColumn(int line, int column) const {
  const std::string_view s = LineBytes(line);
  if (column <= 1) return 1;
  if (column > static_cast<int>(s.size()) + 1) return column - 1;
  return SnapColumn(line, column - 1);
}

int TEditorModel::SnapColumn(int line, int column) const {
  const std::string_view s = LineBytes(line);
  const TTextEncoding encoding = FLines.Encoding();
  if (encoding != TTextEncoding::Utf8) return column;
  std::size_t i = static_cast<std::size_t>(std::max(column, 1) - 1);
  if (i >= s.size()) return column;
  // Back to the start of the character, then past the marks to the letter they belong to.
  while (i > 0 && (IsContinuation(static_cast<unsigned char>(s[i])) || ScreenChars::Attached(s, i, encoding))) --i;
  return static_cast<int>(i) + 1;
}

// ---- caret and scrolling ----

void TEditorModel::SetTopLine(int line) {
  FLines.LoadUpTo(line > INT_MAX - FLinesInWindow ? INT_MAX : line + FLinesInWindow - 1);
  const int maxTop =
      (FOptions & eoScrollPastEof) ? LineCount() : std::max(1, LineCount() - FLinesInWindow + 1);
  line = std::clamp(line, 1, maxTop);
  if (line == FTopLine) return;
  FTopLine = line;
  if (OnInvalidateAll) OnInvalidateAll();
  Changed(scTopLine);
}

void TEditorModel::SetLeftChar(int cell) {
  cell = std::clamp(cell, 1, std::max(1, MaxScrollWidth() - FCharsInWindow + 1));
  if (cell == FLeftChar) return;
  FLeftChar = cell;
  if (OnInvalidateAll) OnInvalidateAll();
  Changed(scLeftChar);
}

void TEditorModel::EnsureCaretVisible() {
  BeginUpdate();
  if (FCaret.y() < FTopLine) SetTopLine(FCaret.y());
  else if (FCaret.y() >= FTopLine + FLinesInWindow) SetTopLine(FCaret.y() - FLinesInWindow + 1);
  // Sideways the view jumps by a quarter of the window: typing along a line then repaints the
  // window once per jump, not once per key.
  const int cell = CellOfColumn(FCaret.y(), FCaret.x());
  const int jump = FCharsInWindow / 4;
  if (cell < FLeftChar - 1) SetLeftChar(cell + 1 - jump);
  else if (cell >= FLeftChar - 1 + FCharsInWindow) SetLeftChar(cell - FCharsInWindow + 2 + jump);
  EndUpdate();
}

void TEditorModel::MoveCaret(QPoint pos, bool select) {
  FLines.LoadUpTo(pos.y());
  const int y = std::clamp(pos.y(), 1, LineCount());
  const int x = SnapColumn(y, std::clamp(pos.x(), 1, MaxCaretColumn(y)));
  const QPoint np(x, y);
  BeginUpdate();
  const bool hadSel = HasSelection();
  if (select) {
    if (!hadSel) FSelBegin = FCaret;
    FSelEnd = np;
    if (hadSel || FSelBegin != FSelEnd) {
      InvalidateLines(std::min({FCaret.y(), y, FSelBegin.y()}), std::max({FCaret.y(), y, FSelBegin.y()}));
      Changed(scSelection);
    }
  } else {
    if (hadSel) {
      const QPoint b = BlockBegin(), e = BlockEnd();
      InvalidateLines(b.y(), e.y());
      Changed(scSelection);
    }
    FSelBegin = FSelEnd = np;
  }
  if (np != FCaret) {
    TStatusChanges r = 0;
    if (np.x() != FCaret.x()) r |= scCaretX;
    if (np.y() != FCaret.y()) r |= scCaretY;
    FCaret = np;  // the widget repaints the caret on the status change
    Changed(r);
  }
  EnsureCaretVisible();
  EndUpdate();
}

void TEditorModel::SetCaretXY(int x, int y) {
  const TUnwind unwind(*this);
  MoveCaret(QPoint(x, y), false);
  FLastCaretCell = CellOfColumn(FCaret.y(), FCaret.x());
}

void TEditorModel::MoveCaretKeepSelection(QPoint pos) {
  const TUnwind unwind(*this);
  MoveCaret(pos, true);
  FLastCaretCell = CellOfColumn(FCaret.y(), FCaret.x());
}

// ---- word moves ----

const TCharSet& TEditorModel::IdentifierChars() const {
  return FHighlighter ? FHighlighter->IdentifierChars() : DefaultIdentifierChars();
}

bool TEditorModel::IsWordAt(std::string_view s, std::size_t i) const {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  if (IdentifierChars()[c]) return true;
  if (c < 0x80) return false;
  const TTextEncoding encoding = FLines.Encoding();
  if (encoding == TTextEncoding::Utf8)
    while (i > 0 && IsContinuation(static_cast<unsigned char>(s[i]))) --i;
  // A combining mark is what the character it belongs to is ("e" + U+0301 a letter, a blank's
  // mark a blank).
  if (ScreenChars::Attached(s, i, encoding)) return IsWordAt(s, i - 1);
  char32_t cp = 0;
  EditText::DecodeChar(s, i, encoding, cp);
  return QChar::isLetterOrNumber(cp) || QChar::isMark(cp);
}

QPoint TEditorModel::WordRight(QPoint pos) const {
  const std::string_view s = LineBytes(pos.y());
  std::size_t i = static_cast<std::size_t>(pos.x() - 1);
  if (i >= s.size()) {
    if (pos.y() < FLines.Count()) return QPoint(1, pos.y() + 1);
    return QPoint(static_cast<int>(s.size()) + 1, pos.y());
  }
  while (i < s.size() && IsWordAt(s, i)) ++i;
  while (i < s.size() && !IsWordAt(s, i)) ++i;
  return QPoint(SnapColumn(pos.y(), static_cast<int>(i) + 1), pos.y());
}

QPoint TEditorModel::WordLeft(QPoint pos) const {
  const std::string_view s = LineBytes(pos.y());
  std::size_t i = std::min<std::size_t>(static_cast<std::size_t>(pos.x() - 1), s.size());
  if (i == 0) {
    if (pos.y() > 1) return QPoint(LineLength(pos.y() - 1) + 1, pos.y() - 1);
    return QPoint(1, 1);
  }
  while (i > 0 && !IsWordAt(s, i - 1)) --i;
  while (i > 0 && IsWordAt(s, i - 1)) --i;
  return QPoint(SnapColumn(pos.y(), static_cast<int>(i) + 1), pos.y());
}
