#pragma once
// Proof that an editor benchmark painted: the editor tokenises every line it paints, so a
// highlighter that counts the lines it is given counts the painted lines.
#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <string_view>

#include "highlight/AssemSyn.h"

// The assembler highlighter with a count of the lines it is given.
class TCountingHighlighter final : public TCustomHighlighter {
 public:
  long long Lines = 0;

  int AttributeCount() const override { return FSyn.AttributeCount(); }
  THighlighterAttributes* Attribute(int index) const override { return FSyn.Attribute(index); }
  THighlighterAttributes* DefaultAttribute(int index) const override { return FSyn.DefaultAttribute(index); }
  const TCharSet& IdentifierChars() const override { return FSyn.IdentifierChars(); }
  bool AtEndOfLine() const override { return FSyn.AtEndOfLine(); }
  std::string_view TokenText() const override { return FSyn.TokenText(); }
  THighlighterAttributes* TokenAttribute() const override { return FSyn.TokenAttribute(); }
  int TokenKind() const override { return FSyn.TokenKind(); }
  int TokenStart() const override { return FSyn.TokenStart(); }
  void Next() override { FSyn.Next(); }
  void SetLine(std::string_view line, int lineIndex) override {
    ++Lines;
    FSyn.SetLine(line, lineIndex);
  }
  bool UsesLineStates() const override { return FSyn.UsesLineStates(); }

 private:
  TVoMAssemSyn FSyn;
};

// Runs Action and returns how many lines it painted; a benchmark that painted nothing measured
// nothing and says so.
template <typename F>
inline long long Painted(TCountingHighlighter& syn, F&& action) {
  const long long before = syn.Lines;
  action();
  return syn.Lines - before;
}

inline void ReportPainted(benchmark::State& state, long long lines) {
  if (lines == 0) state.SkipWithError("nothing was painted");
  state.counters["lines_painted"] = benchmark::Counter(double(lines), benchmark::Counter::kAvgIterations);
}

// A window that is really on the (offscreen) screen: repaint() paints nothing before the expose.
inline void ShowExposed(QWidget& widget) {
  widget.show();
  QElapsedTimer waited;
  waited.start();
  while (!(widget.windowHandle() && widget.windowHandle()->isExposed()) && waited.elapsed() < 5000)
    QApplication::processEvents(QEventLoop::AllEvents, 50);
}

