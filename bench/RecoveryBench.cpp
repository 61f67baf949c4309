// The recovery journal's snapshot of a modified 100 MiB text: what the GUI thread pays for it
// (the time measured), and when the entry is complete on disk (a counter).
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>

#include "BenchData.h"
#include "app/RecoveryJournal.h"

namespace {

void BM_JournalSnapshot100MB(benchmark::State& state) {
  TEditLines lines;
  lines.LoadFromFile(QString::fromStdString(GeneratedSource(100)));
  lines.Put(lines.Count() / 2, "\tnop ; changed");
  QTemporaryDir dir;
  TRecoveryJournal journal(dir.path());
  if (!journal.Open()) {
    state.SkipWithError("no journal folder");
    return;
  }
  double writtenMs = 0;
  for (auto _ : state) {
    Platform::TSnapshotWrite write;
    const auto start = std::chrono::steady_clock::now();
    journal.Write(1, QStringLiteral("big.asm"), TDiskState(), false, lines, write);
    state.PauseTiming();
    write.Wait();
    writtenMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!write.Succeeded()) state.SkipWithError("entry not written");
    state.ResumeTiming();
  }
  state.counters["entry_complete_ms"] = writtenMs / double(state.iterations());
  journal.Close();
}
BENCHMARK(BM_JournalSnapshot100MB)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
