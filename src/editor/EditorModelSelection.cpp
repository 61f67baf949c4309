// TEditorModel: the selection, its modes and moving it by drag and drop.
#include "editor/EditorModel.h"

#include <algorithm>

namespace {
bool Before(QPoint a, QPoint b) { return a.y() < b.y() || (a.y() == b.y() && a.x() < b.x()); }
}  // namespace

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
  if (line < std::min(FSelBegin.y(), FSelEnd.y()) || line > std::max(FSelBegin.y(), FSelEnd.y())) return false;
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
    case TSelectionMode::smNormal: {
      const QPoint b = BlockBegin(), e = BlockEnd();
      startCol = line == b.y() ? b.x() : 1;
      if (line == e.y()) {
        endCol = e.x();
      } else {
        endCol = std::max(LineLength(line) + 1, startCol);
        toLineEnd = true;
      }
      return startCol < endCol || toLineEnd;
    }
  }
  return false;
}

std::string TEditorModel::SelectedBytes() const {
  if (!HasSelection()) return {};
  int left = 0, right = 0;
  if (FSelMode == TSelectionMode::smColumn) {
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
      case TSelectionMode::smColumn:
        part(y, ColumnAtCell(y, left), ColumnAtCell(y, right));
        if (y < e.y()) out += '\n';
        break;
      case TSelectionMode::smNormal:
        part(y, y == b.y() ? b.x() : 1, y == e.y() ? e.x() : LineLength(y) + 1);
        if (y < e.y()) out += '\n';
        break;
    }
  }
  return out;
}

QString TEditorModel::SelectedText() const { return FLines.Decode(SelectedBytes()); }

QString TEditorModel::ClipboardText() const {
  // Pasting reads CR LF as one break, so a line's own CR before a break is sent as CR CR LF.
  std::string bytes = SelectedBytes();
  for (std::size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 3))
    bytes.insert(at, 1, '\r');
  return FLines.Decode(bytes);
}

void TEditorModel::SelectWordAt(QPoint pos) {
  const TUnwind unwind(*this);
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

// ---- drag and drop ----

void TEditorModel::MoveSelectionTo(QPoint pos, bool copy) {
  const TUnwind unwind(*this);
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
  if (mode == TSelectionMode::smColumn) {
    // A block lands as a block, as when it is pasted; it stays selected there.
    int left, right;
    ColumnCells(left, right);
    int cell = CellOfColumn(pos.y(), pos.x());
    if (!copy) {
      DeleteSelection();
      // Right of the block on one of its lines, the drop point moves left with the text.
      if (pos.y() >= b.y() && pos.y() <= e.y() && cell >= right) cell -= right - left;
    }
    const QPoint end = InsertColumnBlock(bytes, pos.y(), cell);
    SetCaretXY(end.x(), end.y());
    SetSelection(QPoint(ColumnAtCell(pos.y(), cell), pos.y()),
                 QPoint(ColumnAtCell(end.y(), cell + right - left), end.y()));
    EndGroup();
    EndUpdate();
    return;
  }
  QPoint at = pos;
  if (!copy && Before(pos, b)) {
    DeleteSelection();  // the text lies behind the drop point: the point stays valid
  } else if (!copy) {
    // Insert first so that the selection's coordinates stay valid for the delete, then
    // move the insert point by what the delete removes in front of it.
    ReplaceRange(pos, pos, bytes, true);
    // The line the text leaves is trimmed, unless the text dropped lands on it.
    DeleteSelection(pos.y() == e.y());
    if (mode == TSelectionMode::smNormal) {
      at = pos.y() == e.y() ? QPoint(b.x() + (pos.x() - e.x()), b.y()) : QPoint(pos.x(), pos.y() - (e.y() - b.y()));
    } else {
      at = QPoint(pos.x(), pos.y() - (e.y() - b.y() + 1));
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
  const QPoint end = ReplaceRange(at, at, bytes, true);
  SetCaretXY(end.x(), end.y());
  SetSelection(at, end);
  EndGroup();
  EndUpdate();
}
