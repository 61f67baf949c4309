// Editor control on a generated 100 MiB source: load and first paint, typing in the middle,
// replace all, and the jump to the end.
#include <QApplication>
#include <QFile>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "BenchData.h"
#include "PaintCount.h"
#include "editor/EditControl.h"
#include "editor/EditorModel.h"

namespace {

// Resident set size in bytes (0 where the system does not tell). Freed heap memory is handed
// back first: what earlier benchmarks left resident would otherwise hide the growth.
double ResidentBytes() {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
#ifdef Q_OS_LINUX
  QFile f(QStringLiteral("/proc/self/statm"));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> parts = f.readAll().split(' ');
  return parts.size() > 1 ? parts[1].toDouble() * 4096.0 : 0;
#else
  return 0;
#endif
}

// A checksum of the whole text, to see that undo restores it exactly.
std::uint64_t TextHash(const TEditLines& lines) {
  std::uint64_t h = 1469598103934665603ull;
  for (int i = 0; i < lines.Count(); ++i) {
    for (unsigned char c : lines[i]) h = (h ^ c) * 1099511628211ull;
    h = (h ^ 0x100) * 1099511628211ull;
  }
  return h;
}

struct TLoadedEditor {
  TCountingHighlighter Syn;
  TEditControl Editor;
  TLoadedEditor() {
    Editor.resize(1000, 700);
    Editor.SetHighlighter(&Syn);
    Editor.Lines().LoadFromFile(QString::fromStdString(GeneratedSource(100)));
    ShowExposed(Editor);
    Editor.viewport()->repaint();
  }
};

void BM_EditorLoad100MB(benchmark::State& state) {
  const QString path = QString::fromStdString(GeneratedSource(100));
  const double fileSize = static_cast<double>(QFile(path).size());
  double growth = 0;
  long long painted = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const double before = ResidentBytes();
    state.ResumeTiming();
    {
      TCountingHighlighter syn;
      TEditControl editor;
      editor.resize(1000, 700);
      editor.SetHighlighter(&syn);
      editor.Lines().LoadFromFile(path);
      painted += Painted(syn, [&] { benchmark::DoNotOptimize(editor.grab().toImage().constBits()); });
      state.PauseTiming();
      growth = std::max(growth, ResidentBytes() - before);
    }
    state.ResumeTiming();
  }
  ReportPainted(state, painted);
  state.counters["rss_growth_MB"] = growth / (1024.0 * 1024.0);
  state.counters["rss_growth_x_file"] = growth / fileSize;
}
BENCHMARK(BM_EditorLoad100MB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_EditorTypeMiddle(benchmark::State& state) {
  TLoadedEditor loaded;  // each benchmark its own: what one did must not change what the next measures
  TEditControl& e = loaded.Editor;
  e.SetCaretXY(4, e.Lines().Count() / 2);
  e.viewport()->repaint();
  QApplication::processEvents();
  long long painted = 0;
  for (auto _ : state) {
    painted += Painted(loaded.Syn, [&] {
      e.ExecuteCommand(ecChar, QChar('x'));
      QApplication::processEvents();  // the highlighter runs over the changed line as it repaints
    });
  }
  ReportPainted(state, painted);
}
BENCHMARK(BM_EditorTypeMiddle)->Unit(benchmark::kMicrosecond)->Iterations(2000);

void BM_EditorReplaceAll(benchmark::State& state) {
  TLoadedEditor loaded;
  TEditControl& e = loaded.Editor;
  int hits = 0;
  bool restored = true;
  const std::uint64_t original = TextHash(e.Lines());
  for (auto _ : state) {
    hits = e.SearchReplace(QStringLiteral("LDAA"), QStringLiteral("LDAB"), ssoEntireScope | ssoReplaceAll);
    state.PauseTiming();
    // One undo step brings the text back exactly.
    e.Undo();
    restored = restored && !e.CanUndo() && TextHash(e.Lines()) == original;
    state.ResumeTiming();
  }
  if (hits == 0) state.SkipWithError("nothing was replaced");
  if (!restored) state.SkipWithError("undo did not restore the text");
  state.counters["replaced"] = hits;
}
BENCHMARK(BM_EditorReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_EditorEditorBottom(benchmark::State& state) {
  TLoadedEditor loaded;
  TEditControl& e = loaded.Editor;
  long long painted = 0;
  for (auto _ : state) {
    state.PauseTiming();
    e.ExecuteCommand(ecEditorTop);
    e.viewport()->repaint();
    state.ResumeTiming();
    painted += Painted(loaded.Syn, [&] {
      e.ExecuteCommand(ecEditorBottom);
      e.viewport()->repaint();
    });
  }
  ReportPainted(state, painted);
  if (e.CaretLine() != e.Lines().Count()) state.SkipWithError("the caret is not on the last line");
}
BENCHMARK(BM_EditorEditorBottom)->Unit(benchmark::kMillisecond);

// An assembler run may leave a million marks; the next run deletes them one by one.
void BM_EditorDeleteMarks(benchmark::State& state) {
  constexpr int kMarks = 300000;
  for (auto _ : state) {
    state.PauseTiming();
    TEditorModel model;
    model.Lines().LoadFromBytes("a\n");
    for (int i = 0; i < kMarks; ++i) model.Marks().Add(new TEditMark);
    model.SetBookmark(2, 1, 1);
    state.ResumeTiming();
    for (int i = kMarks - 1; i >= 0; --i) model.Marks().Delete(i);
    int column = 0, line = 0;
    if (model.Marks().Count() != 1 || !model.GetBookmark(2, column, line)) state.SkipWithError("marks lost");
  }
  state.counters["marks"] = kMarks;
}
BENCHMARK(BM_EditorDeleteMarks)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
