#include "editor/EditorModel.h"
#include "editor/EditLinesImpl.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {
using TNewLine = TEditLinesImpl::TNewLine;

constexpr int kBlockIndent = 2;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

std::vector<std::string_view> SplitLf(std::string_view s) {
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

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool Before(QPoint a, QPoint b) { return a.y() < b.y() || (a.y() == b.y() && a.x() < b.x()); }
}  // namespace

TEditorModel::TEditorModel(TEditControl* owner) : FOwner(owner), FKeystrokes(DefaultKeystrokes()) {
  FLines.OnLinesChanged = [this](int first, int removed, int added) { OnExternalChange(first, removed, added); };
  FLines.OnLinesLoaded = [this](int first, int added) { OnLinesLoaded(first, added); };
  FLines.OnSaved = [this] { SetModified(false); };
  FMarks.OnChange = [this] {
    if (OnInvalidateAll) OnInvalidateAll();
  };
  // Told per mark: a search of the whole list per deletion costs minutes with a million marks.
  FMarks.OnRemoving = [this](const TEditMark* mark) {
    for (TEditMark*& m : FBookmarks)
      if (m == mark) m = nullptr;
  };
}

TEditorModel::~TEditorModel() {
  if (FHighlighter) FHighlighter->RemoveChangeListener(this);
  FMarks.OnChange = nullptr;
  FMarks.OnRemoving = nullptr;
}

// ---- notifications ----

void TEditorModel::Changed(TStatusChanges reasons) {
  ++FUpdateLock;
  FPending |= reasons;
  EndUpdate();
}

void TEditorModel::EndUpdate() {
  if (--FUpdateLock > 0) return;
  FUpdateLock = 0;
  if (FTextChanged) {
    FTextChanged = false;
    if (OnTextChanged) OnTextChanged();
  }
  if (FPending) {
    const TStatusChanges p = FPending;
    FPending = 0;
    if (OnStatus) OnStatus(p);
  }
}

void TEditorModel::InvalidateLines(int first, int last) {
  if (OnInvalidateLines) OnInvalidateLines(first, last);
}

void TEditorModel::InvalidateLineFrom(int line, int cell) {
  if (OnInvalidateLineFrom) OnInvalidateLineFrom(line, cell);
  else InvalidateLines(line, line);
}

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
  return std::max(FMaxLeftChar, (FLines.Impl().MaxLineLength + kStep) / kStep * kStep);
}

int TEditorModel::CellOfColumn(int line, int column) const {
  const std::string_view s = LineBytes(line);
  const bool utf8 = FLines.Encoding() == TTextEncoding::Utf8;
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(column - 1, 0)), s.size());
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
    const auto c = static_cast<unsigned char>(s[i++]);
    if (c == '\t') cell += FTabWidth - cell % FTabWidth;
    else if (!(utf8 && IsContinuation(c))) ++cell;
  }
  return cell + std::max(0, column - 1 - static_cast<int>(s.size()));
}

int TEditorModel::ColumnOfCell(int line, int cell) const {
  const std::string_view s = LineBytes(line);
  const bool utf8 = FLines.Encoding() == TTextEncoding::Utf8;
  int c = 0;
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t len = 1;
    if (utf8 && b >= 0xC0)
      while (i + len < s.size() && IsContinuation(static_cast<unsigned char>(s[i + len]))) ++len;
    const int w = b == '\t' ? FTabWidth - c % FTabWidth : 1;
    if (cell < c + w) return static_cast<int>((cell - c) * 2 < w ? i : i + len) + 1;
    c += w;
    i += len;
  }
  return static_cast<int>(s.size()) + 1 + (cell - c);
}

int TEditorModel::ColumnAtCell(int line, int cell) const {
  const std::string_view s = LineBytes(line);
  const bool utf8 = FLines.Encoding() == TTextEncoding::Utf8;
  int c = 0;
  std::size_t i = 0;
  while (i < s.size() && c < cell) {
    const auto b = static_cast<unsigned char>(s[i++]);
    if (utf8 && b >= 0xC0)
      while (i < s.size() && IsContinuation(static_cast<unsigned char>(s[i]))) ++i;
    c += b == '\t' ? FTabWidth - c % FTabWidth : 1;
  }
  return static_cast<int>(i) + 1 + std::max(0, cell - c);
}

int TEditorModel::CharColumn(int line, int column) const {
  const std::string_view s = LineBytes(line);
  const auto n = static_cast<std::ptrdiff_t>(std::min<std::size_t>(static_cast<std::size_t>(std::max(column - 1, 0)), s.size()));
  auto chars = n;
  if (FLines.Encoding() == TTextEncoding::Utf8)
    chars -= std::count_if(s.begin(), s.begin() + n, [](char c) { return IsContinuation(static_cast<unsigned char>(c)); });
  return static_cast<int>(chars) + 1 + std::max(0, column - 1 - static_cast<int>(s.size()));
}

int TEditorModel::NextCharColumn(int line, int column) const {
  const std::string_view s = LineBytes(line);
  if (column > static_cast<int>(s.size())) return column + 1;
  std::size_t i = static_cast<std::size_t>(column);
  if (FLines.Encoding() == TTextEncoding::Utf8)
    while (i < s.size() && IsContinuation(static_cast<unsigned char>(s[i]))) ++i;
  return static_cast<int>(i) + 1;
}

int TEditorModel::PrevCharColumn(int line, int column) const {
  const std::string_view s = LineBytes(line);
  if (column <= 1) return 1;
  if (column > static_cast<int>(s.size()) + 1) return column - 1;
  return SnapColumn(line, column - 1);
}

int TEditorModel::SnapColumn(int line, int column) const {
  const std::string_view s = LineBytes(line);
  if (FLines.Encoding() != TTextEncoding::Utf8) return column;
  std::size_t i = static_cast<std::size_t>(std::max(column, 1) - 1);
  while (i > 0 && i < s.size() && IsContinuation(static_cast<unsigned char>(s[i]))) --i;
  return i < s.size() ? static_cast<int>(i) + 1 : column;
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
  MoveCaret(QPoint(x, y), false);
  FLastCaretCell = CellOfColumn(FCaret.y(), FCaret.x());
}

void TEditorModel::MoveCaretKeepSelection(QPoint pos) {
  MoveCaret(pos, true);
  FLastCaretCell = CellOfColumn(FCaret.y(), FCaret.x());
}

// ---- selection ----

static QPoint ClampPoint(const TEditorModel& m, QPoint p) {
  m.Lines().LoadUpTo(p.y());
  // A point below the text means its end (a selection "to the start of the next line" of the last line).
  if (p.y() > m.LineCount()) return QPoint(m.LineLength(m.LineCount()) + 1, m.LineCount());
  const int y = std::clamp(p.y(), 1, m.LineCount());
  return QPoint(m.SnapColumn(y, std::clamp(p.x(), 1, m.MaxCaretColumn(y))), y);
}

void TEditorModel::SetSelBegin(QPoint p) { SetSelection(p, FSelEnd); }
void TEditorModel::SetSelEnd(QPoint p) { SetSelection(FSelBegin, p); }

void TEditorModel::SetSelection(QPoint begin, QPoint end) {
  begin = ClampPoint(*this, begin);
  end = ClampPoint(*this, end);
  if (begin == FSelBegin && end == FSelEnd) return;
  BeginUpdate();
  InvalidateLines(std::min(BlockBegin().y(), std::min(begin.y(), end.y())),
                  std::max(BlockEnd().y(), std::max(begin.y(), end.y())));
  FSelBegin = begin;
  FSelEnd = end;
  Changed(scSelection);
  EndUpdate();
}

QPoint TEditorModel::BlockBegin() const {
  if (FSelMode == TSelectionMode::smColumn) {
    int left, right;
    ColumnCells(left, right);
    const int y = std::min(FSelBegin.y(), FSelEnd.y());
    return QPoint(ColumnAtCell(y, left), y);
  }
  return Before(FSelEnd, FSelBegin) ? FSelEnd : FSelBegin;
}

QPoint TEditorModel::BlockEnd() const {
  if (FSelMode == TSelectionMode::smColumn) {
    int left, right;
    ColumnCells(left, right);
    const int y = std::max(FSelBegin.y(), FSelEnd.y());
    return QPoint(ColumnAtCell(y, right), y);
  }
  return Before(FSelEnd, FSelBegin) ? FSelBegin : FSelEnd;
}

// The block is what the screen shows: the cells between its corners, whatever bytes each line
// holds there. A character belongs to it when its first cell does, so a tab or a multi-byte
// character is never split.
void TEditorModel::ColumnCells(int& left, int& right) const {
  const int a = CellOfColumn(FSelBegin.y(), FSelBegin.x()), b = CellOfColumn(FSelEnd.y(), FSelEnd.x());
  left = std::min(a, b);
  right = std::max(a, b);
}

// A column block of zero width still spans lines: it is where a drag or Shift+Down begins.
bool TEditorModel::HasSelection() const { return FSelBegin != FSelEnd; }

void TEditorModel::SetSelectionMode(TSelectionMode mode) {
  if (mode == FSelMode) return;
  FSelMode = mode;
  if (OnInvalidateAll) OnInvalidateAll();
  Changed(scSelection);
}

bool TEditorModel::LineSelection(int line, int& startCol, int& endCol, bool& toLineEnd) const {
  if (!HasSelection()) return false;
  const QPoint b = BlockBegin(), e = BlockEnd();
  if (line < b.y() || line > e.y()) return false;
  toLineEnd = false;
  switch (FSelMode) {
    case TSelectionMode::smLine:
      startCol = 1;
      endCol = LineLength(line) + 1;
      toLineEnd = true;
      return true;
    case TSelectionMode::smColumn: {
      int left, right;
      ColumnCells(left, right);
      startCol = ColumnAtCell(line, left);
      endCol = ColumnAtCell(line, right);
      return true;
    }
    case TSelectionMode::smNormal:
      startCol = line == b.y() ? b.x() : 1;
      if (line == e.y()) {
        endCol = e.x();
      } else {
        endCol = std::max(LineLength(line) + 1, startCol);
        toLineEnd = true;
      }
      return startCol < endCol || toLineEnd;
  }
  return false;
}

std::string TEditorModel::SelectedBytes() const {
  if (!HasSelection()) return {};
  if (FSelMode == TSelectionMode::smColumn) {
    int left, right;
    ColumnCells(left, right);
    if (left == right) return {};  // a block of no width holds nothing
  }
  const QPoint b = BlockBegin(), e = BlockEnd();
  std::string out;
  auto part = [&](int line, int from, int to) {  // columns [from, to)
    const std::string_view s = LineBytes(line);
    const std::size_t a = std::min<std::size_t>(static_cast<std::size_t>(from - 1), s.size());
    const std::size_t z = std::min<std::size_t>(static_cast<std::size_t>(std::max(to - 1, 0)), s.size());
    if (z > a) out.append(s.substr(a, z - a));
  };
  for (int y = b.y(); y <= e.y(); ++y) {
    switch (FSelMode) {
      case TSelectionMode::smLine:
        out.append(LineBytes(y));
        out += '\n';
        break;
      case TSelectionMode::smColumn: {
        int from, to;
        bool toEnd;
        LineSelection(y, from, to, toEnd);
        part(y, from, to);
        if (y < e.y()) out += '\n';
        break;
      }
      case TSelectionMode::smNormal:
        part(y, y == b.y() ? b.x() : 1, y == e.y() ? e.x() : LineLength(y) + 1);
        if (y < e.y()) out += '\n';
        break;
    }
  }
  return out;
}

QString TEditorModel::SelectedText() const { return FLines.Decode(SelectedBytes()); }

void TEditorModel::SelectWordAt(QPoint pos) {
  const int y = std::clamp(pos.y(), 1, LineCount());
  const std::string_view s = LineBytes(y);
  std::size_t i = static_cast<std::size_t>(std::max(pos.x(), 1) - 1);
  if (i >= s.size() || !IsWordAt(s, i)) {
    SetCaretXY(pos.x(), y);
    return;
  }
  std::size_t a = i, z = i;
  while (a > 0 && IsWordAt(s, a - 1)) --a;
  while (z < s.size() && IsWordAt(s, z)) ++z;
  BeginUpdate();
  SetCaretXY(static_cast<int>(z) + 1, y);
  SetSelection(QPoint(static_cast<int>(a) + 1, y), QPoint(static_cast<int>(z) + 1, y));
  EndUpdate();
}

// ---- modes ----

void TEditorModel::SetInsertMode(bool value) {
  if (value == FInsertMode) return;
  FInsertMode = value;
  InvalidateLines(FCaret.y(), FCaret.y());
  Changed(scInsertMode);
}

void TEditorModel::SetModified(bool value) {
  FSavedState = value ? ~std::uint64_t(0) : CurrentState();
  if (!value) BreakUndoChain();  // typing after a save is a step of its own
  if (value == FModified) return;
  FModified = value;
  Changed(scModified);
}

void TEditorModel::SetTabWidth(int width) {
  FTabWidth = std::clamp(width, 1, 256);
  if (OnInvalidateAll) OnInvalidateAll();
}

void TEditorModel::SetMaxUndo(int value) {
  FMaxUndo = std::max(0, value);
  TrimUndo();
}

int TEditorModel::FindCommand(int key) const {
  for (const TEditKeyStroke& k : FKeystrokes)
    if (k.Key == key && k.Key2 == 0) return k.Command;
  return ecNone;
}

// ---- the text changes ----

TLineSnapshot TEditorModel::Snapshot(int first, int count) const {
  TLineSnapshot s;
  const TEditLinesImpl& impl = FLines.Impl();
  s.Ends.reserve(static_cast<std::size_t>(count));
  s.CrLf.reserve(static_cast<std::size_t>(count));
  for (int i = first; i < first + count; ++i) {
    s.Bytes.append(impl.Line(i));
    s.Ends.push_back(s.Bytes.size());
    s.CrLf.push_back(impl.LineCrLf(i));
  }
  return s;
}

static std::vector<TNewLine> FromSnapshot(const TLineSnapshot& s) {
  std::vector<TNewLine> lines;
  lines.reserve(s.Ends.size());
  std::size_t start = 0;
  for (std::size_t i = 0; i < s.Ends.size(); ++i) {
    lines.push_back({std::string_view(s.Bytes).substr(start, s.Ends[i] - start), s.CrLf[i]});
    start = s.Ends[i];
  }
  return lines;
}

void TEditorModel::ReplaceLines(int first, int removeCount, const std::vector<TNewLine>& newLines, int fromCell) {
  TEditLinesImpl& impl = FLines.Impl();
  removeCount = std::clamp(removeCount, 0, impl.Count() - first);
  const int added = static_cast<int>(newLines.size());
  if (FGroup && !FInUndo) {
    // Typing on one line keeps only the line as it was before the first key.
    const bool merged = FGroup->Command == ecChar && removeCount == 1 && added == 1 && !FGroup->Ops.empty() &&
                        FGroup->Ops.back().First == first && FGroup->Ops.back().Count == 1;
    if (!merged) FGroup->Ops.push_back({first, added, Snapshot(first, removeCount)});
  }
  impl.Replace(first, removeCount, newLines.data(), added);
  AfterReplace(first, removeCount, added, fromCell);
}

void TEditorModel::AfterReplace(int first, int removed, int added, int fromCell) {
  const int same = std::min(removed, added);
  if (added > removed) FMarks.LinesInserted(first + same + 1, added - removed);
  else if (removed > added) FMarks.LinesDeleted(same > 0 ? first + same : first + 1, removed - added);
  if (FHighlighter && FHighlighter->UsesLineStates() && FLines.Count() > 0) {
    if (removed != added) RescanFrom(first - 1, first + added - 1);
    else RescanFrom(first, first + added - 1);
  }
  if (removed == 1 && added == 1) InvalidateLineFrom(first + 1, fromCell);
  else if (removed == added) InvalidateLines(first + 1, first + added);
  else InvalidateLines(first + 1, -1);
  FTextChanged = true;
  if (!FModified) {
    FModified = true;
    FPending |= scModified;
  }
}

void TEditorModel::RescanAll() {
  TEditLinesImpl& impl = FLines.Impl();
  if (!FHighlighter || !FHighlighter->UsesLineStates()) return;
  FHighlighter->ResetLineState();
  for (int i = 0; i < impl.Count(); ++i) {
    impl.SetState(i, FHighlighter->LineState());
    FHighlighter->SetLine(impl.Line(i), i);
    FHighlighter->ScanToEndOfLine();
  }
}

void TEditorModel::RescanFrom(int start, int mustReach) {
  TEditLinesImpl& impl = FLines.Impl();
  const int n = impl.Count();
  if (start <= 0 && start < mustReach + 1 && start < 0) {
    FHighlighter->ResetLineState();
    impl.SetState(0, FHighlighter->LineState());
    start = 0;
  } else {
    start = std::clamp(start, 0, n - 1);
    FHighlighter->SetLineState(impl.State(start));
  }
  int i = start;
  while (i < n) {
    FHighlighter->SetLine(impl.Line(i), i);
    FHighlighter->ScanToEndOfLine();
    if (++i >= n) break;
    const TLineState s = FHighlighter->LineState();
    if (i > mustReach && s == impl.State(i)) break;
    impl.SetState(i, s);
  }
  if (i > mustReach + 1) InvalidateLines(mustReach + 2, i);
}

QPoint TEditorModel::ReplaceRange(QPoint from, QPoint to, std::string_view bytes) {
  const bool empty = FLines.Count() == 0;
  const std::string_view last = LineBytes(to.y());
  std::string combined = Pad(from.y(), from.x());
  combined.append(bytes);
  if (to.x() - 1 < static_cast<int>(last.size())) combined.append(last.substr(static_cast<std::size_t>(to.x() - 1)));
  const std::vector<std::string_view> parts = SplitLf(combined);
  const bool style = FLines.LineBreakStyle() == TLineBreakStyle::CrLf;
  const bool lastCrLf = empty ? style : FLines.Impl().LineCrLf(to.y() - 1);
  std::vector<TNewLine> lines;
  lines.reserve(parts.size());
  const bool trim = FOptions & eoTrimTrailingSpaces;
  for (std::size_t i = 0; i < parts.size(); ++i)
    lines.push_back({trim ? TrimRight(parts[i]) : parts[i], i + 1 < parts.size() ? style : lastCrLf});
  // Within one line nothing left of the change moves: only the rest of the line is repainted.
  const int fromCell = parts.size() == 1 && from.y() == to.y()
                           ? CellOfColumn(from.y(), std::min(from.x(), static_cast<int>(last.size()) + 1))
                           : 0;
  ReplaceLines(from.y() - 1, empty ? 0 : to.y() - from.y() + 1, lines, fromCell);
  const std::size_t lastNl = bytes.rfind('\n');
  if (lastNl == std::string_view::npos) return QPoint(from.x() + static_cast<int>(bytes.size()), from.y());
  return QPoint(static_cast<int>(bytes.size() - lastNl), from.y() + static_cast<int>(parts.size()) - 1);
}

std::string TEditorModel::Pad(int line, int column) const {
  const std::string_view s = LineBytes(line);
  const std::size_t want = static_cast<std::size_t>(std::max(column - 1, 0));
  std::string out(s.substr(0, std::min(want, s.size())));
  if (want > out.size()) out.append(want - out.size(), ' ');
  return out;
}

void TEditorModel::OnExternalChange(int first, int removed, int added) {
  const int oldCount = FLines.Count() - added + removed;
  const bool whole = first == 0 && removed == oldCount;
  BeginUpdate();
  ClearUndo();
  if (!whole) {
    const int same = std::min(removed, added);
    if (added > removed) FMarks.LinesInserted(first + same + 1, added - removed);
    else if (removed > added) FMarks.LinesDeleted(same > 0 ? first + same : first + 1, removed - added);
  }
  if (FHighlighter && FHighlighter->UsesLineStates()) {
    if (whole) RescanAll();
    else if (FLines.Count() > 0) RescanFrom(removed != added ? first - 1 : first, first + added - 1);
  }
  if (OnInvalidateAll) OnInvalidateAll();
  FTextChanged = true;
  if (whole) {
    FCaret = FSelBegin = FSelEnd = QPoint(1, 1);
    FTopLine = FLeftChar = 1;
    FLastCaretCell = 0;
    FSavedState = FBaseState;
    FModified = false;
    FPending |= scAll | scCaretX | scCaretY | scTopLine | scLeftChar | scSelection | scModified;
  } else {
    MoveCaret(FCaret, false);
    if (!FModified) {
      FModified = true;
      FPending |= scModified;
    }
  }
  EndUpdate();
}

void TEditorModel::OnLinesLoaded(int first, int added) {
  BeginUpdate();
  if (FHighlighter && FHighlighter->UsesLineStates() && added > 0) RescanFrom(first - 1, first + added - 1);
  if (FLines.Loading()) {
    InvalidateLines(first + 1, -1);
  } else {
    if (OnInvalidateAll) OnInvalidateAll();  // the encoding is certain now
    if (FLines.ChangedWhileLoading() && OnStatusMessage)
      OnStatusMessage(QStringLiteral("Die Datei wurde beim Lesen von einem anderen Programm geändert: "
                                     "der Editor zeigt, was gelesen wurde."));
  }
  EndUpdate();
  if (OnLoadProgress) OnLoadProgress();
}

// ---- undo ----

void TEditorModel::BeginGroup(int command) {
  if (FGroupDepth++ > 0) return;
  LoadAroundCaret();
  if (command == ecChar && !FUndo.empty() && FUndo.back().Command == ecChar && FTypingLine == FCaret.y() &&
      !HasSelection()) {
    FGroup = std::make_unique<TUndoGroup>(std::move(FUndo.back()));
    FUndo.pop_back();
    return;
  }
  FGroup = std::make_unique<TUndoGroup>();
  FGroup->Command = command;
  FGroup->CaretBefore = FCaret;
  FGroup->SelBeginBefore = FSelBegin;
  FGroup->SelEndBefore = FSelEnd;
}

void TEditorModel::EndGroup() {
  if (--FGroupDepth > 0) return;
  FGroupDepth = 0;
  std::unique_ptr<TUndoGroup> g = std::move(FGroup);
  if (!g || g->Ops.empty()) return;
  g->CaretAfter = FCaret;
  g->State = ++FLastState;  // also for typing merged into the last step: the text differs again
  FUndo.push_back(std::move(*g));
  FRedo.clear();
  TrimUndo();
}

void TEditorModel::TrimUndo() {
  // A saved state pushed out here can never be reached again: modified until the next save.
  while (static_cast<int>(FUndo.size()) > FMaxUndo) {
    FBaseState = FUndo.front().State;
    FUndo.pop_front();
  }
}

void TEditorModel::ClearUndo() {
  FUndo.clear();
  FRedo.clear();
  FBaseState = ++FLastState;
  FTypingLine = -1;
}

void TEditorModel::ApplyGroup(TUndoGroup& group, std::deque<TUndoGroup>& target, bool undo) {
  BeginUpdate();
  const bool wasModified = FModified;
  FInUndo = true;
  TUndoGroup inverse;
  inverse.Command = group.Command;
  inverse.State = group.State;
  inverse.CaretBefore = group.CaretBefore;
  inverse.CaretAfter = group.CaretAfter;
  inverse.SelBeginBefore = group.SelBeginBefore;
  inverse.SelEndBefore = group.SelEndBefore;
  TEditLinesImpl& impl = FLines.Impl();
  for (auto it = group.Ops.rbegin(); it != group.Ops.rend(); ++it) {
    TUndoOp& op = *it;
    inverse.Ops.push_back({op.First, op.Lines.Count(), Snapshot(op.First, op.Count)});
    const std::vector<TNewLine> lines = FromSnapshot(op.Lines);
    const int removed = std::clamp(op.Count, 0, impl.Count() - op.First);
    impl.Replace(op.First, removed, lines.data(), static_cast<int>(lines.size()));
    AfterReplace(op.First, removed, static_cast<int>(lines.size()));
  }
  FInUndo = false;
  target.push_back(std::move(inverse));
  if (undo) {
    MoveCaret(group.CaretBefore, false);
    if (group.SelBeginBefore != group.SelEndBefore) SetSelection(group.SelBeginBefore, group.SelEndBefore);
  } else {
    MoveCaret(group.CaretAfter, false);
  }
  FModified = CurrentState() != FSavedState;
  if (FModified != wasModified) FPending |= scModified;
  FLastCaretCell = CellOfColumn(FCaret.y(), FCaret.x());
  FTypingLine = -1;
  EndUpdate();
}

void TEditorModel::Undo() {
  if (FUndo.empty()) return;
  TUndoGroup g = std::move(FUndo.back());
  FUndo.pop_back();
  ApplyGroup(g, FRedo, true);
}

void TEditorModel::Redo() {
  if (FRedo.empty()) return;
  TUndoGroup g = std::move(FRedo.back());
  FRedo.pop_back();
  ApplyGroup(g, FUndo, false);
}

// ---- editing commands ----

void TEditorModel::DeleteSelection() {
  if (!HasSelection()) return;
  const QPoint b = BlockBegin(), e = BlockEnd();
  switch (FSelMode) {
    case TSelectionMode::smNormal:
      ReplaceRange(b, e, {});
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
        int from, to;
        bool toEnd;
        LineSelection(y, from, to, toEnd);
        const std::size_t a = std::min<std::size_t>(static_cast<std::size_t>(from - 1), s.size());
        const std::size_t z = std::min<std::size_t>(static_cast<std::size_t>(to - 1), s.size());
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
  const QString t = SelectedText();
  if (!t.isEmpty() && SetClipboard) SetClipboard(t, FSelMode == TSelectionMode::smColumn);
}

void TEditorModel::PasteColumnBlock(const QString& text) {
  if (!Encodable(text, true)) return;
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  const std::string bytes = FLines.Encode(t);
  const std::vector<std::string_view> parts = SplitLf(bytes);
  const int count = static_cast<int>(parts.size());
  BeginUpdate();
  BeginGroup(ecPaste);
  DeleteSelection();
  const int top = FCaret.y();
  const int cell = CellOfColumn(top, FCaret.x());
  FLines.LoadUpTo(top + count);
  if (const int missing = top + count - 1 - LineCount(); missing > 0) {
    const QPoint last(LineLength(LineCount()) + 1, LineCount());
    ReplaceRange(last, last, std::string(static_cast<std::size_t>(missing), '\n'));
  }
  QPoint end = FCaret;
  for (int i = 0; i < count; ++i) {
    const QPoint at(ColumnAtCell(top + i, cell), top + i);
    end = ReplaceRange(at, at, parts[static_cast<std::size_t>(i)]);
  }
  SetCaretXY(end.x(), end.y());
  EndGroup();
  EndUpdate();
}

void TEditorModel::InsertBytes(const std::string& bytes) {
  BeginUpdate();
  BeginGroup(ecPaste);
  DeleteSelection();
  const QPoint end = ReplaceRange(FCaret, FCaret, bytes);
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

void TEditorModel::InsertText(const QString& text) {
  // Never store a stand-in for a character the file cannot hold; nothing of the text goes in.
  if (!Encodable(text, true)) return;
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  InsertBytes(FLines.Encode(t));
}

void TEditorModel::TypeChar(QChar ch) {
  if (ch.isNull() || (ch.unicode() < 0x20 && ch != QLatin1Char('\t')) || ch.unicode() == 0x7F) return;
  if (!Encodable(QString(ch), true)) return;
  const std::string bytes = FLines.Encode(QString(ch));
  BeginGroup(ecChar);
  if (HasSelection()) {
    DeleteSelection();
  }
  QPoint to = FCaret;
  if (!FInsertMode && FCaret.x() <= LineLength(FCaret.y())) to.setX(NextCharColumn(FCaret.y(), FCaret.x()));
  const QPoint end = ReplaceRange(FCaret, to, bytes);
  SetCaretXY(end.x(), end.y());
  EndGroup();
  FTypingLine = FCaret.y();
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
  BeginGroup(indent ? ecBlockIndent : ecBlockUnindent);
  std::vector<std::string> texts;
  std::vector<int> delta;
  for (int y = b.y(); y <= last; ++y) {
    std::string s(LineBytes(y));
    int d = 0;
    if (indent) {
      if (!s.empty()) s.insert(0, kBlockIndent, ' '), d = kBlockIndent;
    } else if (!s.empty() && s[0] == '\t') {
      s.erase(0, 1), d = -1;
    } else {
      std::size_t n = 0;
      while (n < s.size() && n < static_cast<std::size_t>(kBlockIndent) && s[n] == ' ') ++n;
      s.erase(0, n), d = -static_cast<int>(n);
    }
    texts.push_back(std::move(s));
    delta.push_back(d);
  }
  std::vector<TNewLine> lines;
  for (std::size_t i = 0; i < texts.size(); ++i)
    lines.push_back({texts[i], FLines.Impl().LineCrLf(b.y() - 1 + static_cast<int>(i))});
  const QPoint sb = FSelBegin, se = FSelEnd, caret = FCaret;
  const bool hadSel = sb != se;
  ReplaceLines(b.y() - 1, static_cast<int>(lines.size()), lines);
  auto shift = [&](QPoint p) {
    if (p.y() < b.y() || p.y() > last || p.x() <= 1) return p;
    // A block ending in column 1 leaves its last line out: a repeated unindent must not drop it.
    const int least = hadSel && p == e && FSelMode == TSelectionMode::smNormal ? 2 : 1;
    return QPoint(std::max(least, p.x() + delta[static_cast<std::size_t>(p.y() - b.y())]), p.y());
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
      for (std::size_t i = 0; i < s.size(); ++i) {
        const auto ch = static_cast<unsigned char>(s[i]);
        const bool space = ch == ' ' || ch == '\t';
        if (!space && prevSpace && c > cell) {
          target = c;
          smart = true;
          break;
        }
        prevSpace = space;
        if (ch == '\t') c += FTabWidth - c % FTabWidth;
        else if (!(FLines.Encoding() == TTextEncoding::Utf8 && IsContinuation(ch))) ++c;
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
    while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
  char32_t cp = 0;
  EditText::DecodeChar(s, i, encoding, cp);
  return QChar::isLetterOrNumber(cp);
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

// ---- bookmarks ----

void TEditorModel::SetBookmark(int n, int column, int line) {
  FLines.LoadUpTo(line);
  if (n < 0 || n > 9 || line < 1 || line > std::max(1, FLines.Count())) return;
  auto mark = std::make_unique<TEditMark>(FOwner);
  mark->Line = line;
  mark->Column = column;
  mark->ImageIndex = n;
  mark->BookmarkNumber = n;
  mark->Visible = true;
  mark->InternalImage = !BookmarkImagesSet;
  for (int k = 0; k < 10; ++k)
    if (k != n && FBookmarks[static_cast<std::size_t>(k)] && FBookmarks[static_cast<std::size_t>(k)]->Line == line)
      ClearBookmark(k);
  if (FBookmarks[static_cast<std::size_t>(n)]) ClearBookmark(n);
  FBookmarks[static_cast<std::size_t>(n)] = mark.get();
  FMarks.Add(std::move(mark));
}

void TEditorModel::ClearBookmark(int n) {
  if (n < 0 || n > 9) return;
  TEditMark* m = FBookmarks[static_cast<std::size_t>(n)];
  if (!m) return;
  FBookmarks[static_cast<std::size_t>(n)] = nullptr;
  FMarks.Delete(FMarks.IndexOf(m));
}

void TEditorModel::GotoBookmark(int n) {
  if (n < 0 || n > 9) return;
  const TEditMark* m = FBookmarks[static_cast<std::size_t>(n)];
  if (!m || m->Line > FLines.Count()) return;
  SetCaretXY(m->Column, m->Line);
}

bool TEditorModel::GetBookmark(int n, int& column, int& line) const {
  if (n < 0 || n > 9 || !FBookmarks[static_cast<std::size_t>(n)]) return false;
  column = FBookmarks[static_cast<std::size_t>(n)]->Column;
  line = FBookmarks[static_cast<std::size_t>(n)]->Line;
  return true;
}

void TEditorModel::SetMarkerCommand(int n) {
  int column, line;
  if (GetBookmark(n, column, line)) {
    ClearBookmark(n);
    if (line == FCaret.y()) return;
  }
  SetBookmark(n, FCaret.x(), FCaret.y());
}

// ---- the highlighter ----

void TEditorModel::SetHighlighter(TCustomHighlighter* highlighter) {
  if (highlighter == FHighlighter) return;
  if (FHighlighter) FHighlighter->RemoveChangeListener(this);
  FHighlighter = highlighter;
  FLines.Impl().EnableStates(FHighlighter && FHighlighter->UsesLineStates());
  if (FHighlighter) {
    FHighlighter->AddChangeListener(this);
    RescanAll();
  }
  if (OnInvalidateAll) OnInvalidateAll();
}

void TEditorModel::HighlighterChanged(TCustomHighlighter*) {
  if (OnInvalidateAll) OnInvalidateAll();
}

void TEditorModel::HighlighterDestroyed(TCustomHighlighter* sender) {
  if (sender != FHighlighter) return;
  FHighlighter = nullptr;
  FLines.Impl().EnableStates(false);
  if (OnInvalidateAll) OnInvalidateAll();
}

void TEditorModel::StartLine(int line) {
  if (!FHighlighter) return;
  FHighlighter->SetLineState(FLines.Impl().State(line - 1));
  FHighlighter->SetLine(LineBytes(line), line - 1);
}

bool TEditorModel::AttributeAt(QPoint pos, QString& token, THighlighterAttributes*& attribute) {
  if (!FHighlighter || pos.y() < 1 || pos.y() > FLines.Count()) return false;
  const std::string_view s = LineBytes(pos.y());
  if (pos.x() < 1 || pos.x() > static_cast<int>(s.size())) return false;
  FHighlighter->SetLineState(FLines.Impl().State(pos.y() - 1));
  FHighlighter->SetLine(s, pos.y());
  while (!FHighlighter->AtEndOfLine()) {
    const int start = FHighlighter->TokenStart() + 1;
    const std::string_view text = FHighlighter->TokenText();
    if (pos.x() >= start && pos.x() < start + static_cast<int>(text.size())) {
      token = FLines.Decode(text);
      attribute = FHighlighter->TokenAttribute();
      return true;
    }
    FHighlighter->Next();
  }
  return false;
}

// ---- drag and drop ----

void TEditorModel::MoveSelectionTo(QPoint pos, bool copy) {
  if (!HasSelection()) return;
  pos = ClampPoint(*this, pos);
  const QPoint b = BlockBegin(), e = BlockEnd();
  const TSelectionMode mode = FSelMode;
  bool inside = false;
  int from = 1, to = 1;  // the column block on the drop line
  bool toEnd;
  switch (mode) {
    case TSelectionMode::smNormal: inside = !Before(pos, b) && Before(pos, e); break;
    case TSelectionMode::smLine: inside = pos.y() >= b.y() && pos.y() <= e.y(); break;
    case TSelectionMode::smColumn: inside = LineSelection(pos.y(), from, to, toEnd) && pos.x() >= from && pos.x() < to; break;
  }
  if (inside && !copy) return;
  const std::string bytes = SelectedBytes();
  BeginUpdate();
  BeginGroup(ecPaste);
  QPoint at = pos;
  if (!copy && Before(pos, b)) {
    DeleteSelection();  // the text lies behind the drop point: the point stays valid
  } else if (!copy) {
    // Insert first so that the selection's coordinates stay valid for the delete, then
    // move the insert point by what the delete removes in front of it.
    ReplaceRange(pos, pos, bytes);
    DeleteSelection();
    if (mode == TSelectionMode::smNormal) {
      at = pos.y() == e.y() ? QPoint(b.x() + (pos.x() - e.x()), b.y()) : QPoint(pos.x(), pos.y() - (e.y() - b.y()));
    } else if (mode == TSelectionMode::smLine) {
      at = QPoint(pos.x(), pos.y() - (e.y() - b.y() + 1));
    } else if (pos.y() <= e.y() && pos.x() >= to) {
      at = QPoint(pos.x() - (to - from), pos.y());
    }
    const std::size_t nl = bytes.rfind('\n');
    const int lines = static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n'));
    const QPoint atEnd = nl == std::string::npos ? QPoint(at.x() + static_cast<int>(bytes.size()), at.y())
                                                 : QPoint(static_cast<int>(bytes.size() - nl), at.y() + lines);
    FSelMode = TSelectionMode::smNormal;
    SetCaretXY(atEnd.x(), atEnd.y());
    SetSelection(at, atEnd);
    EndGroup();
    EndUpdate();
    return;
  }
  FSelMode = TSelectionMode::smNormal;
  SetCaretXY(at.x(), at.y());
  const QPoint end = ReplaceRange(at, at, bytes);
  SetCaretXY(end.x(), end.y());
  SetSelection(at, end);
  EndGroup();
  EndUpdate();
}

// ---- the command table ----

void TEditorModel::ExecuteCommand(int command, QChar ch) {
  BeginUpdate();
  if (command != ecChar) BreakUndoChain();
  // Commands look at the lines around the caret, and some at the whole text.
  LoadAroundCaret();
  if (command == ecEditorBottom || command == ecSelEditorBottom || command == ecSelectAll || command == ecClearAll)
    FLines.FinishLoad();
  const QPoint c = FCaret;
  const int y = c.y();
  auto moveTo = [&](QPoint p, bool select, bool keepCell = false) {
    MoveCaret(p, select);
    if (!keepCell) FLastCaretCell = CellOfColumn(FCaret.y(), FCaret.x());
  };
  auto vertical = [&](int line, bool select) {
    FLines.LoadUpTo(line);
    line = std::clamp(line, 1, LineCount());
    moveTo(QPoint(ColumnOfCell(line, FLastCaretCell), line), select, true);
  };
  const bool sel = command > ecSelection && command < ecSelection + 100;
  const int base = sel ? command - ecSelection : command;
  if (base >= ecLeft && base <= ecEditorBottom && (sel || command == base)) {
    switch (base) {
      case ecLeft:
        if (c.x() > 1) moveTo(QPoint(PrevCharColumn(y, c.x()), y), sel);
        else if (y > 1) moveTo(QPoint(LineLength(y - 1) + 1, y - 1), sel);
        break;
      case ecRight: moveTo(QPoint(NextCharColumn(y, c.x()), y), sel); break;
      case ecUp: vertical(y - 1, sel); break;
      case ecDown: vertical(y + 1, sel); break;
      case ecWordLeft: moveTo(WordLeft(c), sel); break;
      case ecWordRight: moveTo(WordRight(c), sel); break;
      case ecLineStart: moveTo(QPoint(1, y), sel); break;
      case ecLineEnd: moveTo(QPoint(LineLength(y) + 1, y), sel); break;
      case ecPageUp:
      case ecPageDown: {
        int page = (FOptions & eoHalfPageScroll) ? FLinesInWindow / 2 : FLinesInWindow;
        if (FOptions & eoScrollByOneLess) --page;
        page = std::max(1, page) * (base == ecPageUp ? -1 : 1);
        SetTopLine(FTopLine + page);
        vertical(y + page, sel);
        break;
      }
      case ecPageLeft: moveTo(QPoint(ColumnOfCell(y, std::max(0, FLastCaretCell - FCharsInWindow)), y), sel); break;
      case ecPageRight: moveTo(QPoint(ColumnOfCell(y, FLastCaretCell + FCharsInWindow), y), sel); break;
      case ecPageTop: vertical(FTopLine, sel); break;
      case ecPageBottom: vertical(std::min(FTopLine + FLinesInWindow - 1, LineCount()), sel); break;
      case ecEditorTop: moveTo(QPoint(1, 1), sel); break;
      case ecEditorBottom: moveTo(QPoint(LineLength(LineCount()) + 1, LineCount()), sel); break;
    }
  } else if (command >= ecGotoMarker0 && command <= ecGotoMarker9) {
    if (BookmarkKeysEnabled) GotoBookmark(command - ecGotoMarker0);
  } else if (command >= ecSetMarker0 && command <= ecSetMarker9) {
    if (BookmarkKeysEnabled) SetMarkerCommand(command - ecSetMarker0);
  } else {
    switch (command) {
      case ecSelectAll:
        moveTo(QPoint(LineLength(LineCount()) + 1, LineCount()), false);
        SetSelection(QPoint(1, 1), FCaret);
        break;
      case ecCopy: CopySelection(); break;
      case ecCut:
        if (HasSelection()) {
          CopySelection();
          BeginGroup(ecCut);
          DeleteSelection();
          EndGroup();
        }
        break;
      case ecPaste:
        if (GetClipboard) {
          bool block = false;
          const QString t = GetClipboard(block);
          if (t.isEmpty()) break;
          if (block) PasteColumnBlock(t);
          else InsertText(t);
        }
        break;
      case ecScrollUp:
        SetTopLine(FTopLine - 1);
        if (y >= FTopLine + FLinesInWindow) vertical(FTopLine + FLinesInWindow - 1, false);
        break;
      case ecScrollDown:
        SetTopLine(FTopLine + 1);
        if (y < FTopLine) vertical(FTopLine, false);
        break;
      case ecScrollLeft: SetLeftChar(FLeftChar - 1); break;
      case ecScrollRight: SetLeftChar(FLeftChar + 1); break;
      case ecInsertMode: SetInsertMode(true); break;
      case ecOverwriteMode: SetInsertMode(false); break;
      case ecToggleMode: SetInsertMode(!FInsertMode); break;
      case ecNormalSelect: SetSelectionMode(TSelectionMode::smNormal); break;
      case ecColumnSelect: SetSelectionMode(TSelectionMode::smColumn); break;
      case ecLineSelect: SetSelectionMode(TSelectionMode::smLine); break;
      case ecMatchBracket: MatchBracket(); break;
      case ecDeleteLastChar: DeleteLastChar(); break;
      case ecDeleteChar: DeleteChar(); break;
      case ecDeleteWord: {
        BeginGroup(command);
        if (HasSelection()) DeleteSelection();
        else ReplaceRange(c, WordRight(c), {});
        EndGroup();
        break;
      }
      case ecDeleteLastWord: {
        BeginGroup(command);
        if (HasSelection()) {
          DeleteSelection();
        } else {
          const QPoint from = WordLeft(c);
          ReplaceRange(from, c, {});
          moveTo(from, false);
        }
        EndGroup();
        break;
      }
      case ecDeleteBOL:
        BeginGroup(command);
        ReplaceRange(QPoint(1, y), c, {});
        moveTo(QPoint(1, y), false);
        EndGroup();
        break;
      case ecDeleteEOL:
        BeginGroup(command);
        if (c.x() <= LineLength(y)) ReplaceRange(c, QPoint(LineLength(y) + 1, y), {});
        EndGroup();
        break;
      case ecDeleteLine: DeleteLine(); break;
      case ecClearAll:
        BeginGroup(command);
        ReplaceLines(0, FLines.Count(), {{std::string_view(), FLines.LineBreakStyle() == TLineBreakStyle::CrLf}});
        moveTo(QPoint(1, 1), false);
        EndGroup();
        break;
      case ecLineBreak: LineBreak(true); break;
      case ecInsertLine: LineBreak(false); break;
      case ecChar: TypeChar(ch); break;
      case ecUndo: Undo(); break;
      case ecRedo: Redo(); break;
      case ecBlockIndent: BlockIndent(true); break;
      case ecBlockUnindent: BlockIndent(false); break;
      case ecTab: DoTab(); break;
      case ecShiftTab: DoShiftTab(); break;
      default: break;
    }
  }
  EndUpdate();
  if (OnCommandProcessed) OnCommandProcessed(command, ch);
}
