// TEditorModel: the ten bookmarks.
#include "editor/EditorModel.h"

#include <algorithm>

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
  if (m) FMarks.Delete(FMarks.IndexOf(m));  // the list's removal hook frees the slot
}

void TEditorModel::GotoBookmark(int n) {
  const TUnwind unwind(*this);
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
