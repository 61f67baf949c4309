// Console output of an assemble run, byte by byte through the handler the dialog uses.
#include <benchmark/benchmark.h>

#include <QByteArray>

#include "assemble/AssembleOutput.h"

namespace {

// About Mb MiB of what the assembler prints: passes, file positions, progress lines with a
// bare CR, messages, summary lines.
QByteArray ConsoleOutput(int mb) {
  QByteArray out;
  out.reserve(qsizetype(mb) << 20);
  int pass = 0, line = 0;
  while (out.size() < (qsizetype(mb) << 20)) {
    if (line % 20000 == 0) out += "PASS " + QByteArray::number(++pass) + "\n";
    ++line;
    switch (line % 8) {
      case 0: out += "bulk.inc(" + QByteArray::number(line) + ") \r"; break;
      case 1: out += "> > > test.asm(" + QByteArray::number(line) + "):9: error: symbol undefined\n"; break;
      case 2: out += "      " + QByteArray::number(line % 97) + " errors\n"; break;
      case 3: out += "sub" + QByteArray::number(line % 13) + ".inc(" + QByteArray::number(line) + ")\r\n"; break;
      case 4: out += "        Additional necessary passes not started due to\n"; break;
      case 5: out += "     16 Zeilen Quelltext, gr\xC3\xBC\xC3\x9F\n"; break;
      default: out += "Assembling test.asm\n"; break;
    }
  }
  return out;
}

void BM_AssembleOutputIngest(benchmark::State& state) {
  const QByteArray data = ConsoleOutput(20);
  for (auto _ : state) {
    TAssembleOutput output;
    qsizetype lines = 0;
    output.OnLine = [&] {
      // The dialog takes the completed lines in batches.
      if (output.RunLineCount() - lines >= 512) lines += output.TakeLines().size();
    };
    output.BeginRun();
    for (const char ch : data) output.AddChar(ch);
    output.EndRun();
    lines += output.TakeLines().size();
    benchmark::DoNotOptimize(lines);
    benchmark::DoNotOptimize(output.Summary().ErrorsText);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * data.size());
}
BENCHMARK(BM_AssembleOutputIngest)->Unit(benchmark::kMillisecond);

}  // namespace
