#pragma once
// The files and projects opened last, most recent first, kept in a section of their own in the
// settings file.
#include <QList>
#include <QString>
#include <QStringList>

#include "settings/StringIniList.h"

class TRecentFiles {
 public:
  static constexpr int MaxCount = 10;
  static inline const QString SectionName = QStringLiteral("Recent");

  // Puts the full path Path at the front; an older entry for the same file goes, the oldest
  // beyond MaxCount too. A name the settings file cannot hold (a line break) is not kept.
  void Add(const QString& path);
  const QStringList& Entries() const { return FEntries; }

  struct TEntry {
    QString Path;
    bool Project = false;
    bool Exists = false;
  };
  // Projects first, then files, each most recent first; Exists as the disk is now.
  QList<TEntry> MenuEntries() const;

  // "Entry1" (the most recent) to "Entry10".
  void LoadFromList(const TStringIniList& list);
  TStringIniList SaveToList() const;

 private:
  QStringList FEntries;
};
