// Editor control on a generated 100 MiB source: load and first paint, typing in the middle,
// replace all, and the jump to the end.
#include <QApplication>
#include <QFile>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "BenchData.h"
#include "editor/EditControl.h"
#include "editor/EditorModel.h"
#include "highlight/AssemSyn.h"

namespace {

// Resident set size in bytes (0 where the system does not tell).
double ResidentBytes() {
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
  TVoMAssemSyn Syn;
  TEditControl Editor;
  TLoadedEditor() {
    Editor.resize(1000, 700);
    Editor.show();  // hidden widgets do not paint
    Editor.SetHighlighter(&Syn);
    Editor.Lines().LoadFromFile(QString::fromStdString(GeneratedSource(100)));
    (void)Editor.grab();
  }
};

// One loaded editor shared by the editing benchmarks (loading it is measured on its own).
TLoadedEditor& Shared() {
  static auto* e = new TLoadedEditor;
  return *e;
}

void BM_EditorLoad100MB(benchmark::State& state) {
  const QString path = QString::fromStdString(GeneratedSource(100));
  const double fileSize = static_cast<double>(QFile(path).size());
  double growth = 0;
  for (auto _ : state) {
    const double before = ResidentBytes();
    {
      TVoMAssemSyn syn;
      TEditControl editor;
      editor.resize(1000, 700);
      editor.SetHighlighter(&syn);
      editor.Lines().LoadFromFile(path);
      const QImage shot = editor.grab().toImage();
      benchmark::DoNotOptimize(shot.constBits());
      growth = std::max(growth, ResidentBytes() - before);
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  state.counters["rss_growth_MB"] = growth / (1024.0 * 1024.0);
  state.counters["rss_growth_x_file"] = growth / fileSize;
}
BENCHMARK(BM_EditorLoad100MB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_EditorTypeMiddle(benchmark::State& state) {
  TEditControl& e = Shared().Editor;
  const int middle = e.Lines().Count() / 2;
  e.SetCaretXY(4, middle);
  e.viewport()->repaint();
  QApplication::processEvents();
  for (auto _ : state) {
    e.ExecuteCommand(ecChar, QChar('x'));
    QApplication::processEvents();  // the highlighter runs over the changed line as it repaints
  }
  while (e.CanUndo()) e.Undo();
}
BENCHMARK(BM_EditorTypeMiddle)->Unit(benchmark::kMicrosecond)->Iterations(2000);

void BM_EditorReplaceAll(benchmark::State& state) {
  TEditControl& e = Shared().Editor;
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
  state.counters["replaced"] = hits;
  state.counters["undo_restored"] = restored ? 1 : 0;
}
BENCHMARK(BM_EditorReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_EditorEditorBottom(benchmark::State& state) {
  TEditControl& e = Shared().Editor;
  for (auto _ : state) {
    state.PauseTiming();
    e.ExecuteCommand(ecEditorTop);
    e.viewport()->repaint();
    state.ResumeTiming();
    e.ExecuteCommand(ecEditorBottom);
    e.viewport()->repaint();
  }
}
BENCHMARK(BM_EditorEditorBottom)->Unit(benchmark::kMillisecond);

}  // namespace
