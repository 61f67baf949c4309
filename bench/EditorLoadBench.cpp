// Opening the generated 100 MiB source: the floor any load is held against (read the file into
// memory of one's own and find every line), the first painted screen of a big file, and the
// longest time the event loop is held up while the rest is read.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "BenchData.h"
#include "PaintCount.h"
#include "editor/EditControl.h"

namespace {

QString SourcePath() { return QString::fromStdString(GeneratedSource(100)); }

void BM_LimitReadIndex(benchmark::State& state) {
  QFile file(SourcePath());
  std::size_t lines = 0;
  qint64 size = 0;
  for (auto _ : state) {
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
      state.SkipWithError("cannot read the source");
      return;
    }
    size = file.size();
    std::unique_ptr<char[]> buffer(new char[static_cast<std::size_t>(size)]);
    qint64 done = 0;
    for (qint64 n = 1; done < size && n > 0; done += n) n = file.read(buffer.get() + done, size - done);
    file.close();
    std::vector<std::uint32_t> starts{0};
    const char* const base = buffer.get();
    for (const char* p = base; (p = static_cast<const char*>(std::memchr(p, '\n', base + done - p))); )
      starts.push_back(static_cast<std::uint32_t>(++p - base));
    lines = starts.size();
    benchmark::DoNotOptimize(starts.data());
  }
  if (lines < 2) state.SkipWithError("no line end was found");
  state.counters["lines"] = static_cast<double>(lines);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_LimitReadIndex)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_EditorFirstPaint100MB(benchmark::State& state) {
  const QString path = SourcePath();
  int linesAtPaint = 0;
  long long painted = 0;
  bool loading = true;
  for (auto _ : state) {
    auto syn = std::make_unique<TCountingHighlighter>();
    auto editor = std::make_unique<TEditControl>();
    editor->resize(1000, 700);
    editor->SetHighlighter(syn.get());
    editor->LoadFromFile(path);
    painted += Painted(*syn, [&] { benchmark::DoNotOptimize(editor->grab().toImage().constBits()); });
    state.PauseTiming();
    // The screen was painted from lines read so far, while the rest was still to come.
    linesAtPaint = editor->Lines().Count();
    loading = loading && editor->Lines().Loading() && linesAtPaint >= editor->LinesInWindow();
    editor.reset();
    syn.reset();
    state.ResumeTiming();
  }
  if (!loading) state.SkipWithError("the first screen waited for the whole file");
  ReportPainted(state, painted);
  state.counters["lines_at_paint"] = linesAtPaint;
}
BENCHMARK(BM_EditorFirstPaint100MB)->Unit(benchmark::kMillisecond)->Iterations(5);

// The whole open as the program does it: the event loop runs while the file is read. A timer
// that fires on every round of the loop measures the longest round, in wall time (which a busy
// machine stretches) and in processor time.
void BM_EditorOpenLongestFrame100MB(benchmark::State& state) {
  const QString path = SourcePath();
  double longest = 0, longestCpu = 0;
  int rounds = 0;
  int lines = 0;
  long long painted = 0;
  for (auto _ : state) {
    {
      TCountingHighlighter syn;
      TEditControl editor;
      editor.resize(1000, 700);
      editor.SetHighlighter(&syn);
      editor.show();
      QApplication::processEvents();
      QElapsedTimer clock;
      qint64 last = 0;
      std::clock_t lastCpu = std::clock();
      QTimer beat;
      beat.setInterval(0);
      QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        const std::clock_t cpu = std::clock();
        longest = std::max(longest, static_cast<double>(now - last) / 1e6);
        longestCpu = std::max(longestCpu, static_cast<double>(cpu - lastCpu) * 1000.0 / CLOCKS_PER_SEC);
        last = now;
        lastCpu = cpu;
        ++rounds;
      });
      clock.start();
      editor.LoadFromFile(path);
      beat.start();
      while (editor.Lines().Loading()) QApplication::processEvents(QEventLoop::AllEvents);
      longest = std::max(longest, static_cast<double>(clock.nsecsElapsed() - last) / 1e6);
      lines = editor.Lines().Count();
      painted += syn.Lines;
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  if (rounds < 2) state.SkipWithError("the event loop did not run during the load");
  ReportPainted(state, painted);
  state.counters["longest_frame_ms"] = longest;
  state.counters["longest_frame_cpu_ms"] = longestCpu;
  state.counters["lines"] = lines;
}
BENCHMARK(BM_EditorOpenLongestFrame100MB)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
