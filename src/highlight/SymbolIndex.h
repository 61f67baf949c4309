#pragma once
// The symbols of the open files and of every file they include, as the indexer last reported
// them. Lives on the GUI thread; the indexer's results come in through Accept, and a result that
// an edit has overtaken is refused.
#include <QHash>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "highlight/SymbolScan.h"

struct TSymbolResult {
  QString Path;  // as TSymbolIndex::Key gives it
  quint64 Generation = 0;
  std::shared_ptr<const TFileSymbols> Symbols;
  QStringList IncludePaths;  // one per Symbols->Includes, "" where the file was not found
};
Q_DECLARE_METATYPE(TSymbolResult)

struct TSymbolLocation {
  QString Path;
  int Line = 0;
  int Column = 0;
  TSymbolKind Kind = TSymbolKind::Label;
  QString Name;
};

using TIndexedFile = std::pair<QString, std::shared_ptr<const TFileSymbols>>;

struct TSymbolRow {
  std::uint32_t File = 0;  // index into the list's files
  std::uint32_t Def = 0;   // index into that file's definitions
};

// Definitions of several files as one list that a window shows row by row; it refers to the
// index's results and builds a row's texts only when asked.
class TSymbolList {
 public:
  TSymbolList() = default;
  TSymbolList(std::vector<TIndexedFile> files, std::vector<TSymbolRow> rows);

  // Shows only names that contain Part (UTF-8), letter case ignored as in SameName; "" shows all.
  void SetFilter(std::string_view part);
  int Count() const { return static_cast<int>(FShown.size()); }
  TSymbolLocation At(int row) const;

 private:
  std::vector<TIndexedFile> FFiles;
  std::vector<TSymbolRow> FAll, FShown;
};

class TSymbolIndex {
 public:
  // The one spelling of a file's path that the index uses.
  static QString Key(const QString& path);

  // The open files (keys). A file that stops being one is read again from disk if still included.
  void SetRoots(const QStringList& roots);
  // A job for Path starts: from now on only its result counts. Answers the job's generation.
  quint64 Expect(const QString& path);
  // Takes a result; false when a newer job for the file was started since, or it is not needed.
  bool Accept(const TSymbolResult& result);

  // Files reached through includes that nobody has asked the indexer for yet.
  QStringList Unrequested() const;
  // Some file in reach still waits for its result.
  bool Pending() const;

  // Definitions of Word (as written in Path) as used on Line of Path: that file's first, then
  // the others in reach.
  TSymbolList Find(std::string_view word, const QString& path, int line) const;
  // Every definition in reach, sorted by name.
  TSymbolList All() const;
  // The indexed files in reach, in the order the assembler reads them.
  std::vector<TIndexedFile> Files() const;

 private:
  struct TEntry {
    quint64 Expected = 0;
    quint64 Have = 0;
    std::shared_ptr<const TFileSymbols> Symbols;
    QStringList Includes;
  };
  QStringList Reachable() const;
  void Prune();

  QStringList FRoots;
  QHash<QString, TEntry> FEntries;
  quint64 FGeneration = 0;
};
