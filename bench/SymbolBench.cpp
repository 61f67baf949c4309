// Symbol index of a generated 100 MiB source, read from disk in blocks as the indexer does.
#include <benchmark/benchmark.h>

#include <QString>

#include "BenchData.h"
#include "highlight/SymbolIndexer.h"

namespace {

void BM_SymbolIndex100MB(benchmark::State& state) {
  TSymbolJob job;
  job.Path = QString::fromStdString(GeneratedSource(100));
  std::size_t symbols = 0, bytes = 0;
  for (auto _ : state) {
    const TSymbolResult result = IndexFile(job);
    const TFileSymbols& s = *result.Symbols;
    symbols = s.Defs.size();
    // What the index keeps of the file: names, positions and the order by name.
    bytes = s.Names.capacity() + s.Defs.capacity() * sizeof(TSymbolDef) + s.ByName().capacity() * 4;
  }
  if (symbols == 0) state.SkipWithError("no symbol was found");
  state.counters["symbols"] = static_cast<double>(symbols);
  state.counters["index_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SymbolIndex100MB)->Unit(benchmark::kMillisecond);

}  // namespace
