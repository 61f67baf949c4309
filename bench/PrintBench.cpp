// Pagination of the print engine: 100,000 lines of generated source laid out on A4 pages in the
// print font, with line numbers and wrapping as the preview window sets them.
#include <QFontDatabase>

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "BenchData.h"
#include "editor/EditLines.h"
#include "search_print/EditPrint.h"

namespace {
// The first Count lines of the generated 10 MiB source.
std::string_view FirstLines(int count) {
  const std::string_view all = GeneratedText(10);
  size_t end = 0;
  for (int i = 0; i < count && end != std::string_view::npos; ++i) {
    end = all.find('\n', end);
    if (end != std::string_view::npos) ++end;
  }
  return end == std::string_view::npos ? all : all.substr(0, end);
}

void BM_PrintPaginate(benchmark::State& state) {
  TEditLines lines;
  lines.LoadFromBytes(FirstLines(100000));
  TEditPrint print;
  QFont font = QFontDatabase::hasFamily(QStringLiteral("Courier New")) ? QFont(QStringLiteral("Courier New"))
                                                                        : QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPixelSize(16);
  print.SetFont(font);
  TEditPrintMargins margins;
  margins.Left = 25;
  margins.Right = 15;
  margins.Top = 25;
  margins.Bottom = 25;
  print.SetMargins(margins);
  print.SetLineNumbers(true);
  print.SetWrap(true);
  print.SetPaperSize(QSizeF(210, 297));
  print.SetLines(lines);
  int pages = 0;
  for (auto _ : state) {
    print.SetMargins(margins);  // the layout is out of date again
    pages = print.PageCount();
    benchmark::DoNotOptimize(pages);
  }
  if (pages < lines.Count() / 100) state.SkipWithError("too few pages for the lines");
  state.counters["lines"] = lines.Count();
  state.counters["pages"] = pages;
}
BENCHMARK(BM_PrintPaginate)->Unit(benchmark::kMillisecond);
}  // namespace
