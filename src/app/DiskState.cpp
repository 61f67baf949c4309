#include "app/DiskState.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

TDiskState ReadDiskState(const QString& path) {
  TDiskState state;
  const QFileInfo info(path);
  if (!info.exists()) return state;
  state.Exists = true;
  state.Size = info.size();
  state.Modified = info.lastModified().toMSecsSinceEpoch();
  if (QFile f(path); info.isFile() && state.Size <= TDiskState::HashLimit && f.open(QIODevice::ReadOnly))
    state.Hash = QCryptographicHash::hash(f.read(TDiskState::HashLimit + 1), QCryptographicHash::Sha1);
  return state;
}

bool SameFileState(const TDiskState& a, const TDiskState& b) {
  if (a.Exists != b.Exists) return false;
  if (!a.Exists) return true;
  if (a.Size != b.Size) return false;
  if (!a.Hash.isEmpty() && !b.Hash.isEmpty()) return a.Hash == b.Hash;
  return a.Modified == b.Modified;
}

void TDiskFile::Synced(const TDiskState& state) {
  FKnown = state;
  FKept.reset();
}

TOutsideChange TDiskFile::Check(const TDiskState& now, bool modified) const {
  if (SameFileState(now, FKnown) || (FKept && SameFileState(now, *FKept))) return TOutsideChange::None;
  if (!now.Exists) return TOutsideChange::Deleted;
  return modified ? TOutsideChange::Ask : TOutsideChange::Reload;
}

void TDiskFile::Keep(const TDiskState& now) { FKept = now; }

bool TDiskFile::OverwriteNeedsAsking(const TDiskState& now) const {
  return now.Exists && !SameFileState(now, FKnown);
}
