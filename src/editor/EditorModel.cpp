// TEditorModel: construction, grouped notifications, modes and the highlighter. The other parts
// live beside it in EditorModel*.cpp, one topic per file.
#include "editor/EditorModel.h"

#include <algorithm>
#include <exception>

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

TEditorModel::TUnwind::TUnwind(TEditorModel& model)
    : FModel(model), FUpdateLock(model.FUpdateLock), FGroupDepth(model.FGroupDepth), FUncaught(std::uncaught_exceptions()) {}

TEditorModel::TUnwind::~TUnwind() {
  if (std::uncaught_exceptions() == FUncaught) return;
  while (FModel.FGroupDepth > FGroupDepth) FModel.EndGroup();
  while (FModel.FUpdateLock > FUpdateLock) FModel.EndUpdate();
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
