// Pagination of the print engine: 100,000 lines of generated source laid out on A4 pages in the
// print font, with line numbers and wrapping as the preview window sets them.
#include <QFontDatabase>

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "BenchData.h"
#include "editor/EditLines.h"
#include "search_print/EditPrint.h"

namespace {
std::string FirstLines(const std::string& path, int count) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string all = buffer.str();
  size_t end = 0;
  for (int i = 0; i < count && end != std::string::npos; ++i) {
    end = all.find('\n', end);
    if (end != std::string::npos) ++end;
  }
  return end == std::string::npos ? all : all.substr(0, end);
}

void BM_PrintPaginate(benchmark::State& state) {
  TEditLines lines;
  lines.LoadFromBytes(FirstLines(GeneratedSource(10), 100000));
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
  state.counters["lines"] = lines.Count();
  state.counters["pages"] = pages;
}
BENCHMARK(BM_PrintPaginate)->Unit(benchmark::kMillisecond);
}  // namespace
