#pragma once
// The symbol indexer: a worker thread that scans files (from disk or from a copy of an editor's
// text) and reports each result through the queued signal Indexed, so the caller never waits.
#include <QObject>
#include <QString>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "highlight/SymbolIndex.h"

// An editor's text copied in pieces, each ending at a line end.
using TSymbolText = std::vector<std::string>;

struct TSymbolJob {
  QString Path;  // key of the file; also where its includes are looked up from
  quint64 Generation = 0;
  std::shared_ptr<const TSymbolText> Text;  // the editor's text; none: read the file
  QString IncludeDir;                        // the assembler's include directory
};

// The file an include names: beside the including file, then in the include directory; "" when
// neither has it. "\" counts as a separator, as in the sources made for the assembler on Windows.
QString ResolveInclude(const QString& includingPath, const std::string& name, const QString& includeDir);

// The worker's work on one job (scan, then resolve the includes).
TSymbolResult IndexFile(const TSymbolJob& job);

class TSymbolIndexer : public QObject {
  Q_OBJECT

 public:
  explicit TSymbolIndexer(QObject* parent = nullptr);
  ~TSymbolIndexer() override;

  // Queues a job; a queued job for the same file that is not started yet is dropped.
  void Post(TSymbolJob job);

 signals:
  // Emitted from the worker thread: connections to GUI objects are queued.
  void Indexed(const TSymbolResult& result);

 private:
  void Run();

  std::mutex FMutex;
  std::condition_variable FWake;
  std::deque<TSymbolJob> FJobs;
  bool FStop = false;
  std::thread FThread;
};
