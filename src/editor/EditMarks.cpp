#include "editor/EditMarks.h"

#include <algorithm>

void TEditMarkList::Add(TEditMark* mark) { Add(std::unique_ptr<TEditMark>(mark)); }

void TEditMarkList::Add(std::unique_ptr<TEditMark> mark) {
  if (!mark) return;
  FItems.push_back(std::move(mark));
  if (OnChange) OnChange();
}

void TEditMarkList::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  if (OnRemoving) OnRemoving(FItems[static_cast<size_t>(index)].get());
  FItems.erase(FItems.begin() + index);
  if (OnChange) OnChange();
}

int TEditMarkList::IndexOf(const TEditMark* mark) const {
  for (int i = 0; i < Count(); ++i)
    if (FItems[static_cast<size_t>(i)].get() == mark) return i;
  return -1;
}

void TEditMarkList::Clear() {
  if (FItems.empty()) return;
  if (OnRemoving)
    for (const auto& m : FItems) OnRemoving(m.get());
  FItems.clear();
  if (OnChange) OnChange();
}

void TEditMarkList::LinesInserted(int firstLine, int count) {
  if (count <= 0) return;
  for (auto& m : FItems)
    if (m->Line >= firstLine) m->Line += count;
}

void TEditMarkList::LinesDeleted(int firstLine, int count) {
  if (count <= 0) return;
  for (auto& m : FItems) {
    if (m->Line >= firstLine + count) m->Line -= count;
    else if (m->Line >= firstLine) m->Line = firstLine;
  }
}
