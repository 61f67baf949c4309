// Tokeniser throughput over a generated 68HC11 source, line by line as an editor repaints.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <vector>

#include "BenchData.h"
#include "highlight/AssemSyn.h"

namespace {

const std::vector<std::string_view>& Lines10MiB() {
  static const std::vector<std::string_view> lines = [] {
    std::vector<std::string_view> result;
    std::string_view rest(GeneratedText(10));
    while (!rest.empty()) {
      const size_t lf = rest.find('\n');
      result.push_back(rest.substr(0, lf));
      rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
    }
    return result;
  }();
  return lines;
}

void BM_HighlightThroughput(benchmark::State& state) {
  const std::vector<std::string_view>& lines = Lines10MiB();
  TVoMAssemSyn highlighter;
  highlighter.SetExtendedTables(state.range(0) != 0);
  highlighter.SetCPUTypeString("6811");
  long long tokens = 0, keywords = 0;
  for (auto _ : state) {
    for (std::string_view line : lines) {
      for (highlighter.SetLine(line, 0); !highlighter.AtEndOfLine(); highlighter.Next()) {
        ++tokens;
        keywords += highlighter.TokenKind() == tkKeyword;
      }
    }
  }
  // A 6811 source without a single keyword means the tables were not in use.
  if (keywords == 0) state.SkipWithError("no keyword was recognised");
  state.counters["tokens"] = benchmark::Counter(double(tokens), benchmark::Counter::kAvgIterations);
  state.counters["keywords"] = benchmark::Counter(double(keywords), benchmark::Counter::kAvgIterations);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(GeneratedText(10).size()));
}
// Argument 1: with the extended keyword tables, which must cost nothing.
BENCHMARK(BM_HighlightThroughput)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
