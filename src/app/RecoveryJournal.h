#pragma once
// The recovery journal: the text of every modified tab kept in a folder beside the settings
// file, so that a crash or a kill loses no more than the last moments of typing. Each running
// instance has a locked folder of its own; folders whose instance is gone are offered again.
//
// An entry holds the text's file name, encoding and line-break style, then the text's bytes
// exactly, then a trailer with their count (an entry cut short is no entry).
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QLockFile>
#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "app/DiskState.h"
#include "editor/EditLines.h"
#include "platform/SnapshotWrite.h"

struct TRecoveredText {
  QString Entry;  // the journal file
  QString Path;   // the text's file; "" for a tab that has none
  TTextEncoding Encoding = TTextEncoding::Utf8;
  TLineBreakStyle LineBreaks = TLineBreakStyle::CrLf;
  QDateTime Saved;
  // The file as the text last knew it (loaded or saved); none in entries written without it.
  std::optional<TDiskState> Disk;
  bool Partial = false;  // made from a file that could not be read whole: never restored over it
  QByteArray Bytes;  // only when read with the text
};

namespace Journal {
// False for anything that is no complete entry.
bool Read(const QString& entry, TRecoveredText& text, bool withBytes);
}  // namespace Journal

class TRecoveryJournal {
 public:
  // Root: the folder that holds the instances' folders.
  explicit TRecoveryJournal(const QString& root);
  // Without Close the entries stay for the next start, as after a crash.
  ~TRecoveryJournal();

  // Creates and locks this instance's folder; false when that is not possible.
  bool Open();
  bool IsOpen() const { return FLock != nullptr; }
  QString EntryFile(int id) const;
  // Starts writing entry Id from Lines as they are now (read whole), for the text of the file Path,
  // which was in state Disk when the text was last loaded from or saved to it (Partial: only
  // the start of that file could be read).
  void Write(int id, const QString& path, const TDiskState& disk, bool partial, const TEditLines& lines,
             Platform::TSnapshotWrite& write) const;
  void Remove(int id);
  // A normal end: this instance's folder goes.
  void Close();

  // Entries of instances that are gone, oldest first. Their folders stay locked by this
  // instance until ReleaseOrphans.
  QList<TRecoveredText> Orphans();
  // The entry becomes this instance's entry Id (moved, not copied); false if that fails.
  bool Adopt(const TRecoveredText& text, int id);
  void Discard(const TRecoveredText& text);
  // Emptied orphan folders go; the others stay for the next start.
  void ReleaseOrphans();

 private:
  QString FRoot;
  QString FFolder;
  std::unique_ptr<QLockFile> FLock;
  std::vector<std::pair<QString, std::unique_ptr<QLockFile>>> FOrphans;  // folder, its lock
};
