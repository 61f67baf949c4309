#include "editor/EditMarks.h"

#include <algorithm>
#include <unordered_map>

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

namespace {
bool SamePicture(const TEditMark& a, const TEditMark& b) {
  return a.BookmarkNumber == b.BookmarkNumber && a.ImageIndex == b.ImageIndex && a.InternalImage == b.InternalImage;
}
}  // namespace

std::vector<std::vector<const TEditMark*>> TEditMarkList::Shown(int first, int last, std::size_t perLine,
                                                                bool bookmarksFirst, bool bookmarks) const {
  std::vector<std::vector<const TEditMark*>> shown(static_cast<std::size_t>(std::max(0, last - first + 1)));
  if (perLine == 0) return shown;
  const auto before = [bookmarksFirst](const TEditMark* a, const TEditMark* b) {
    if (a->IsBookmark() != b->IsBookmark()) return a->IsBookmark() == bookmarksFirst;
    return a->Priority > b->Priority;
  };
  for (const auto& item : FItems) {
    const TEditMark* m = item.get();
    if (m->Line < first || m->Line > last || !m->Visible || (m->IsBookmark() && !bookmarks)) continue;
    std::vector<const TEditMark*>& line = shown[static_cast<std::size_t>(m->Line - first)];
    const auto same = std::find_if(line.begin(), line.end(), [m](const TEditMark* o) { return SamePicture(*o, *m); });
    if (same != line.end()) {
      if (!before(m, *same)) continue;
      line.erase(same);
    }
    // After its equals: the earlier mark stays in front.
    line.insert(std::upper_bound(line.begin(), line.end(), m, before), m);
    if (line.size() > perLine) line.pop_back();
  }
  return shown;
}

namespace {
int Shifted(int line, int firstLine, int count) {
  if (count > 0) return line >= firstLine ? line + count : line;
  if (line >= firstLine - count) return line + count;
  return line >= firstLine ? firstLine : line;
}
}  // namespace

void TEditMarkList::LinesInserted(int firstLine, int count) {
  if (count <= 0) return;
  if (FRecording) FShifts.emplace_back(firstLine, count);
  for (auto& m : FItems) m->Line = Shifted(m->Line, firstLine, count);
}

void TEditMarkList::LinesDeleted(int firstLine, int count) {
  if (count <= 0) return;
  if (FRecording) FShifts.emplace_back(firstLine, -count);
  for (auto& m : FItems) m->Line = Shifted(m->Line, firstLine, -count);
}

void TEditMarkList::StartLineRecord() {
  FRecording = true;
  FShifts.clear();
}

int TEditMarkList::RecordedLine(int line) const {
  for (const auto& [firstLine, count] : FShifts) line = Shifted(line, firstLine, count);
  return line;
}

std::vector<TMarkPlace> TEditMarkList::Places(int firstLine, int lastLine) const {
  std::vector<TMarkPlace> places;
  for (const auto& m : FItems)
    if (m->Line >= firstLine && m->Line <= lastLine) places.push_back({m->Id(), m->Line});
  return places;
}

void TEditMarkList::Restore(const std::vector<TMarkPlace>& places) {
  if (places.empty()) return;
  std::unordered_map<std::uint64_t, int> lines;
  for (const TMarkPlace& p : places) lines.emplace(p.Id, p.Line);
  for (auto& m : FItems)
    if (const auto it = lines.find(m->Id()); it != lines.end()) m->Line = it->second;
}
