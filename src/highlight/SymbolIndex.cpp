#include "highlight/SymbolIndex.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

QString TSymbolIndex::Key(const QString& path) {
  return path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

void TSymbolIndex::SetRoots(const QStringList& roots) {
  for (const QString& old : std::as_const(FRoots))
    if (!roots.contains(old)) FEntries.remove(old);  // its unsaved text is gone
  FRoots = roots;
  Prune();
}

quint64 TSymbolIndex::Expect(const QString& path) {
  TEntry& entry = FEntries[path];
  entry.Expected = ++FGeneration;
  return entry.Expected;
}

bool TSymbolIndex::Accept(const TSymbolResult& result) {
  auto it = FEntries.find(result.Path);
  if (it == FEntries.end() || it->Expected != result.Generation || !result.Symbols) return false;
  it->Have = result.Generation;
  it->Symbols = result.Symbols;
  it->Includes = result.IncludePaths;
  Prune();
  return true;
}

QStringList TSymbolIndex::Reachable() const {
  // In the order the assembler reads them: each file, then what it includes, depth first. A
  // file that includes itself or an earlier file adds nothing new.
  QStringList order;
  QSet<QString> seen;
  QStringList stack(FRoots.rbegin(), FRoots.rend());
  while (!stack.isEmpty()) {
    const QString path = stack.takeLast();
    if (path.isEmpty() || seen.contains(path)) continue;
    seen.insert(path);
    order.append(path);
    const QStringList includes = FEntries.value(path).Includes;
    stack.append(QStringList(includes.rbegin(), includes.rend()));
  }
  return order;
}

void TSymbolIndex::Prune() {
  const QStringList reach = Reachable();
  const QSet<QString> keep(reach.begin(), reach.end());
  for (auto it = FEntries.begin(); it != FEntries.end();)
    it = keep.contains(it.key()) ? std::next(it) : FEntries.erase(it);
}

QStringList TSymbolIndex::Unrequested() const {
  QStringList paths;
  for (const QString& path : Reachable())
    if (FEntries.value(path).Expected == 0 && !FRoots.contains(path)) paths.append(path);
  return paths;
}

bool TSymbolIndex::Pending() const {
  for (const QString& path : Reachable()) {
    const TEntry entry = FEntries.value(path);
    if (entry.Expected == 0 || entry.Expected != entry.Have) return true;
  }
  return false;
}

TSymbolList TSymbolIndex::Find(std::string_view word, const QString& path, int line) const {
  std::vector<TIndexedFile> files = Files();
  // The asking file first.
  const auto here =
      std::find_if(files.begin(), files.end(), [&path](const TIndexedFile& f) { return f.first == path; });
  if (here != files.end()) std::rotate(files.begin(), here, here + 1);
  std::vector<TSymbolRow> rows;
  if (!word.empty() && (word[0] == '.' || word[0] == '$')) {
    // A temporary name means the one under the label before the place where it is used.
    if (here == files.end()) return {};
    std::string key(files[0].second->ScopeAt(static_cast<std::uint32_t>(std::max(line, 0))));
    key += SymbolName(word);
    for (std::uint32_t def : files[0].second->Find(key)) rows.push_back({0, def});
  } else if (!word.empty()) {
    const std::string key = SymbolName(word);
    for (std::uint32_t file = 0; file < files.size(); ++file)
      for (std::uint32_t def : files[file].second->Find(key)) rows.push_back({file, def});
  }
  return TSymbolList(std::move(files), std::move(rows));
}

TSymbolList TSymbolIndex::All() const {
  std::vector<TIndexedFile> files = Files();
  const auto name = [&files](const TSymbolRow& r) {
    const TFileSymbols& s = *files[r.File].second;
    return s.Name(s.Defs[r.Def]);
  };
  // Each file comes sorted from the indexer: merging keeps the window from sorting them all.
  std::vector<TSymbolRow> rows;
  for (std::uint32_t file = 0; file < files.size(); ++file) {
    const std::ptrdiff_t middle = static_cast<std::ptrdiff_t>(rows.size());
    for (std::uint32_t def : files[file].second->ByName()) rows.push_back({file, def});
    std::inplace_merge(
        rows.begin(), rows.begin() + middle, rows.end(),
        [&name](const TSymbolRow& a, const TSymbolRow& b) { return CompareNames(name(a), name(b)) < 0; });
  }
  return TSymbolList(std::move(files), std::move(rows));
}

std::vector<TIndexedFile> TSymbolIndex::Files() const {
  std::vector<TIndexedFile> files;
  for (const QString& path : Reachable())
    if (auto symbols = FEntries.value(path).Symbols) files.emplace_back(path, std::move(symbols));
  return files;
}

TSymbolList::TSymbolList(std::vector<TIndexedFile> files, std::vector<TSymbolRow> rows)
    : FFiles(std::move(files)), FAll(std::move(rows)), FShown(FAll) {}

void TSymbolList::SetFilter(std::string_view part) {
  FShown.clear();
  for (const TSymbolRow& r : FAll) {
    const TFileSymbols& s = *FFiles[r.File].second;
    if (ContainsNoCase(s.Name(s.Defs[r.Def]), part)) FShown.push_back(r);
  }
}

TSymbolLocation TSymbolList::At(int row) const {
  const TSymbolRow& r = FShown.at(static_cast<std::size_t>(row));
  const TFileSymbols& s = *FFiles[r.File].second;
  const TSymbolDef& def = s.Defs[r.Def];
  return {FFiles[r.File].first, static_cast<int>(def.Line), static_cast<int>(def.Column), def.Kind,
          QString::fromUtf8(s.Name(def))};
}
