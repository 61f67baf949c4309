// Tokeniser throughput over a generated 68HC11 source, line by line as an editor repaints.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "BenchData.h"
#include "highlight/AssemSyn.h"

namespace {

struct TSourceLines {
  std::string text;
  std::vector<std::string_view> lines;
};

const TSourceLines& Source10MiB() {
  static const TSourceLines source = [] {
    TSourceLines s;
    std::ifstream in(GeneratedSource(10), std::ios::binary);
    s.text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::string_view rest(s.text);
    while (!rest.empty()) {
      const size_t lf = rest.find('\n');
      std::string_view line = rest.substr(0, lf);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      s.lines.push_back(line);
      rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
    }
    return s;
  }();
  return source;
}

void BM_HighlightThroughput(benchmark::State& state) {
  const TSourceLines& source = Source10MiB();
  TVoMAssemSyn highlighter;
  highlighter.SetCPUTypeString("6811");
  for (auto _ : state) {
    int kinds = 0;
    for (std::string_view line : source.lines) {
      for (highlighter.SetLine(line, 0); !highlighter.AtEndOfLine(); highlighter.Next())
        kinds += highlighter.TokenKind();
    }
    benchmark::DoNotOptimize(kinds);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(source.text.size()));
}
BENCHMARK(BM_HighlightThroughput)->Unit(benchmark::kMillisecond);

}  // namespace
