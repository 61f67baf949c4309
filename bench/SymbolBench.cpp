// Symbol index of a generated 100 MiB source, read from disk in blocks as the indexer does.
#include <benchmark/benchmark.h>

#include <QString>

#include "BenchData.h"
#include "highlight/SymbolIndexer.h"

namespace {

void BM_SymbolIndex100MB(benchmark::State& state) {
  TSymbolJob job;
  job.Path = QString::fromStdString(GeneratedSource(100));
  std::size_t symbols = 0;
  for (auto _ : state) {
    const TSymbolResult result = IndexFile(job);
    symbols = result.Symbols->Defs.size();
    benchmark::DoNotOptimize(result.Symbols->Names.data());
  }
  state.counters["symbols"] = static_cast<double>(symbols);
}
BENCHMARK(BM_SymbolIndex100MB)->Unit(benchmark::kMillisecond);

}  // namespace
