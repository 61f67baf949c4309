#include "settings/RecentFiles.h"

#include "platform/Paths.h"

namespace {
QString Key(int n) { return QStringLiteral("Entry%1").arg(n); }
}  // namespace

void TRecentFiles::Add(const QString& path) {
  if (path.isEmpty() || path.contains(u'\n') || path.contains(u'\r')) return;
  const QString full = Paths::ExpandFileName(path);
  for (qsizetype i = FEntries.size() - 1; i >= 0; --i)
    if (Paths::SamePath(FEntries[i], full)) FEntries.removeAt(i);
  FEntries.prepend(full);
  while (FEntries.size() > MaxCount) FEntries.removeLast();
}

QList<TRecentFiles::TEntry> TRecentFiles::MenuEntries() const {
  QList<TEntry> projects, files;
  for (const QString& path : FEntries) {
    const bool project = Paths::ExtractFileExt(path).compare(u".AsmPrj", Qt::CaseInsensitive) == 0;
    (project ? projects : files).append({path, project, Paths::FileExists(path)});
  }
  return projects + files;
}

void TRecentFiles::LoadFromList(const TStringIniList& list) {
  FEntries.clear();
  // Oldest first, so that each Add puts the more recent one in front.
  for (int n = MaxCount; n >= 1; --n)
    if (const QString path = list.ReadString(Key(n), QString()); !path.isEmpty()) Add(path);
}

TStringIniList TRecentFiles::SaveToList() const {
  TStringIniList list;
  for (qsizetype i = 0; i < FEntries.size(); ++i) list.WriteString(Key(int(i) + 1), FEntries[i]);
  return list;
}
