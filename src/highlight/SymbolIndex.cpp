#include "highlight/SymbolIndex.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

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

std::vector<TSymbolLocation> TSymbolIndex::Find(std::string_view word, const QString& path, int line) const {
  std::vector<TSymbolLocation> found;
  const auto collect = [&found](const QString& file, const TFileSymbols& symbols, std::string_view key) {
    for (std::uint32_t index : symbols.Find(key)) {
      const TSymbolDef& def = symbols.Defs[index];
      found.push_back({file, static_cast<int>(def.Line), static_cast<int>(def.Column), def.Kind,
                       QString::fromLatin1(symbols.Name(def))});
    }
  };
  if (word.empty()) return found;
  const TEntry here = FEntries.value(path);
  if (word[0] == '.' || word[0] == '$') {
    // A temporary name means the one under the label before the place where it is used.
    if (!here.Symbols) return found;
    std::string key(here.Symbols->ScopeAt(static_cast<std::uint32_t>(std::max(line, 0))));
    key += word;
    collect(path, *here.Symbols, key);
    return found;
  }
  if (here.Symbols) collect(path, *here.Symbols, word);
  for (const auto& [file, symbols] : Files())
    if (file != path) collect(file, *symbols, word);
  return found;
}

std::vector<TIndexedFile> TSymbolIndex::Files() const {
  std::vector<TIndexedFile> files;
  for (const QString& path : Reachable())
    if (auto symbols = FEntries.value(path).Symbols) files.emplace_back(path, std::move(symbols));
  return files;
}
