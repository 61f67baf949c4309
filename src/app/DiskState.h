#pragma once
// What Kodrill knows of the file behind a tab, and what to do when it changes behind its back.
#include <QByteArray>
#include <QString>

#include <optional>

struct TDiskState {
  bool Exists = false;
  qint64 Size = 0;
  qint64 Modified = 0;  // ms since the epoch
  QByteArray Hash;      // of the content; taken for small files only

  // Files up to this size are told apart by content: a touch is no change, and a change within
  // the clock's resolution is one.
  static constexpr qint64 HashLimit = 1 << 20;
};

TDiskState ReadDiskState(const QString& path);
bool SameFileState(const TDiskState& a, const TDiskState& b);

enum class TOutsideChange {
  None,
  Reload,   // the tab holds no changes: take the file's text
  Ask,      // the tab holds changes: ask whether to take the file's text
  Deleted,  // the file is gone: keep the text, mark the tab
};

class TDiskFile {
 public:
  // The text was loaded from or saved to the file, which was then in State.
  void Synced(const TDiskState& state);
  TOutsideChange Check(const TDiskState& now, bool modified) const;
  // The user keeps the tab's text: no more questions for this state of the file.
  void Keep(const TDiskState& now);
  // Saving now would overwrite a file that changed since it was loaded or saved.
  bool OverwriteNeedsAsking(const TDiskState& now) const;
  // The file's state when the text was last loaded from or saved to it.
  const TDiskState& Known() const { return FKnown; }

 private:
  TDiskState FKnown;
  std::optional<TDiskState> FKept;
};
