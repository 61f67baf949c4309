#include "highlight/SymbolIndexer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <vector>

#include "platform/Paths.h"

namespace {

constexpr std::size_t ReadBlock = 1 << 20;

// Reads in blocks so that a big file never sits in memory whole. Of a line longer than a block
// only the start is scanned: all a definition needs.
void ScanFile(const QString& path, TSymbolScanner& scanner) {
  // A pipe or device would keep the reader waiting for good.
  if (!Paths::FileExists(path)) return;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return;
  std::vector<char> buffer(ReadBlock);
  std::size_t have = 0;
  bool skipping = false;
  bool first = true;
  for (;;) {
    const qint64 got = file.read(buffer.data() + have, static_cast<qint64>(buffer.size() - have));
    const bool end = got <= 0;
    if (got > 0) have += static_cast<std::size_t>(got);
    std::size_t from = 0;
    // A UTF-8 byte order mark is no part of line 1, as in the editor.
    if (first && have >= 3 && std::memcmp(buffer.data(), "\xEF\xBB\xBF", 3) == 0) from = 3;
    first = false;
    if (skipping) {
      const void* lf = std::memchr(buffer.data(), '\n', have);
      from = lf ? static_cast<const char*>(lf) - buffer.data() + 1 : have;
      skipping = !lf;
    }
    std::size_t used = from + scanner.Feed(std::string_view(buffer.data() + from, have - from), end);
    if (used == 0 && have == buffer.size()) {
      scanner.Feed(std::string_view(buffer.data(), have), true);
      used = have;
      skipping = true;
    }
    std::memmove(buffer.data(), buffer.data() + used, have - used);
    have -= used;
    if (end) return;
  }
}

}  // namespace

QString ResolveInclude(const QString& includingPath, const std::string& name, const QString& includeDir) {
  const QString given = Paths::FromStored(QFile::decodeName(QByteArray::fromStdString(name)));
  if (QDir::isAbsolutePath(given)) return Paths::FileExists(given) ? TSymbolIndex::Key(given) : QString();
  const QString candidates[] = {QFileInfo(includingPath).absolutePath() + QLatin1Char('/') + given,
                                includeDir.isEmpty() ? QString() : QDir(includeDir).filePath(given)};
  for (const QString& candidate : candidates)
    if (!candidate.isEmpty() && Paths::FileExists(candidate)) return TSymbolIndex::Key(candidate);
  return QString();
}

TSymbolResult IndexFile(const TSymbolJob& job) {
  TSymbolScanner scanner;
  if (job.Text)
    for (const std::string& piece : *job.Text) scanner.Feed(piece, true);
  else
    ScanFile(job.Path, scanner);
  auto symbols = std::make_shared<TFileSymbols>(scanner.Finish());
  TSymbolResult result{job.Path, job.Generation, symbols, {}};
  for (const TIncludeRef& include : symbols->Includes)
    result.IncludePaths.append(ResolveInclude(job.Path, include.Name, job.IncludeDir));
  return result;
}

TSymbolIndexer::TSymbolIndexer(QObject* parent) : QObject(parent) {
  qRegisterMetaType<TSymbolResult>();
  FThread = std::thread([this] { Run(); });
}

TSymbolIndexer::~TSymbolIndexer() {
  {
    std::lock_guard lock(FMutex);
    FStop = true;
    FJobs.clear();
  }
  FWake.notify_one();
  FThread.join();
}

void TSymbolIndexer::Post(TSymbolJob job) {
  {
    std::lock_guard lock(FMutex);
    std::erase_if(FJobs, [&job](const TSymbolJob& queued) { return queued.Path == job.Path; });
    FJobs.push_back(std::move(job));
  }
  FWake.notify_one();
}

void TSymbolIndexer::Run() {
  for (;;) {
    TSymbolJob job;
    {
      std::unique_lock lock(FMutex);
      FWake.wait(lock, [this] { return FStop || !FJobs.empty(); });
      if (FStop) return;
      job = std::move(FJobs.front());
      FJobs.pop_front();
    }
    emit Indexed(IndexFile(job));
  }
}
