// TEditorModel: how the text changes (by the model, by loading, from outside) and undo/redo.
#include "editor/EditorModel.h"
#include "editor/EditorModelBytes.h"

#include <algorithm>

namespace {
using TNewLine = TEditLinesImpl::TNewLine;
}  // namespace

using EditorModelBytes::SplitLf;
using EditorModelBytes::TrimRight;

// ---- the text changes ----

TLineSnapshot TEditorModel::Snapshot(int first, int count) const {
  TLineSnapshot s;
  s.Ends.reserve(static_cast<std::size_t>(count));
  s.CrLf.reserve(static_cast<std::size_t>(count));
  AppendSnapshot(s, first, count);
  return s;
}

void TEditorModel::AppendSnapshot(TLineSnapshot& s, int first, int count) const {
  const TEditLinesImpl& impl = FLines.Impl();
  for (int i = first; i < first + count; ++i) {
    s.Bytes.append(impl.Line(i));
    s.Ends.push_back(s.Bytes.size());
    s.CrLf.push_back(impl.LineCrLf(i));
  }
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

void TEditorModel::ReplaceLines(int first, int removeCount, const std::vector<TNewLine>& newLines) {
  TEditLinesImpl& impl = FLines.Impl();
  removeCount = std::clamp(removeCount, 0, impl.Count() - first);
  const int added = static_cast<int>(newLines.size());
  // Lines replaced by the same lines (a blank trimmed off again, a column block beyond every line's
  // end): no edit, so neither the modified flag nor the undo list changes.
  if (removeCount == added && added > 0) {
    int i = 0;
    while (i < added && newLines[i].Text == impl.Line(first + i) && newLines[i].CrLf == impl.LineCrLf(first + i)) ++i;
    if (i == added) return;
  }
  std::vector<TMarkPlace>* marks = nullptr;
  if (FGroup && !FInUndo) {
    TUndoOp* last = FGroup->Ops.empty() ? nullptr : &FGroup->Ops.back();
    // Typing on one line keeps only the line as it was before the first key.
    const bool merged = FGroup->Command == ecChar && removeCount == 1 && added == 1 && last && last->First == first &&
                        last->Count == 1;
    // Lines changed in place one after the other (a replace-all) share one step: a step per line
    // would cost several times the line.
    const bool follows = removeCount == added && added > 0 && last && last->First + last->Count == first &&
                         last->Count == last->Lines.Count() && last->Marks.empty();
    if (follows && !merged) {
      AppendSnapshot(last->Lines, first, removeCount);
      last->Count += added;
    } else if (!merged) {
      FGroup->Ops.push_back({first, added, Snapshot(first, removeCount), {}});
      marks = &FGroup->Ops.back().Marks;
    }
  }
  impl.Replace(first, removeCount, newLines.data(), added);
  AfterReplace(first, removeCount, added, marks);
}

void TEditorModel::AfterReplace(int first, int removed, int added, std::vector<TMarkPlace>* marks) {
  const int same = std::min(removed, added);
  if (added > removed) {
    FMarks.LinesInserted(first + same + 1, added - removed);
  } else if (removed > added) {
    // Marks on the deleted lines gather on one line; the undo step sends them back.
    if (marks) *marks = FMarks.Places(first + same + 1, first + removed);
    FMarks.LinesDeleted(same > 0 ? first + same : first + 1, removed - added);
  }
  if (FHighlighter && FHighlighter->UsesLineStates() && FLines.Count() > 0) {
    if (removed != added) RescanFrom(first - 1, first + added - 1);
    else RescanFrom(first, first + added - 1);
  }
  // Whole lines: the highlighter reads a line from its start, so a key may change the kind of
  // every token left of it ("ld" becomes the instruction "ldaa").
  if (removed == added) InvalidateLines(first + 1, first + added);
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

QPoint TEditorModel::ReplaceRange(QPoint from, QPoint to, std::string_view bytes, bool keep) {
  // Nothing taken out (or only the room beyond a line's end) and nothing put in: the line is left
  // as it is, trimming would touch it.
  if (bytes.empty() && from.y() == to.y() && (from == to || from.x() > LineLength(from.y()))) return from;
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
  const bool trim = !keep && (FOptions & eoTrimTrailingSpaces);
  for (std::size_t i = 0; i < parts.size(); ++i)
    lines.push_back({trim ? TrimRight(parts[i]) : parts[i], i + 1 < parts.size() ? style : lastCrLf});
  ReplaceLines(from.y() - 1, empty ? 0 : to.y() - from.y() + 1, lines);
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
    inverse.Ops.push_back({op.First, op.Lines.Count(), Snapshot(op.First, op.Count), {}});
    const std::vector<TNewLine> lines = FromSnapshot(op.Lines);
    const int removed = std::clamp(op.Count, 0, impl.Count() - op.First);
    impl.Replace(op.First, removed, lines.data(), static_cast<int>(lines.size()));
    AfterReplace(op.First, removed, static_cast<int>(lines.size()), &inverse.Ops.back().Marks);
    FMarks.Restore(op.Marks);
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
  const TUnwind unwind(*this);
  if (FUndo.empty()) return;
  TUndoGroup g = std::move(FUndo.back());
  FUndo.pop_back();
  ApplyGroup(g, FRedo, true);
}

void TEditorModel::Redo() {
  const TUnwind unwind(*this);
  if (FRedo.empty()) return;
  TUndoGroup g = std::move(FRedo.back());
  FRedo.pop_back();
  ApplyGroup(g, FUndo, false);
}
