// Console output of an assemble run, in the pieces the pipe delivers, through the handler the dialog uses.
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
  long long total = 0;
  for (auto _ : state) {
    TAssembleOutput output;
    qsizetype lines = 0;
    output.BeginRun();
    for (qsizetype i = 0; i < data.size(); i += 1024) {
      output.AddBytes(data.constData() + i, std::min<qsizetype>(1024, data.size() - i));
      // The dialog takes the completed lines in batches.
      if (output.RunLineCount() - lines >= 512) lines += output.TakeLines().size();
    }
    output.EndRun();
    total += lines + output.TakeLines().size();
    benchmark::DoNotOptimize(output.Summary().ErrorsText());
  }
  if (total == 0) state.SkipWithError("no output line came through");
  state.counters["lines"] = benchmark::Counter(double(total), benchmark::Counter::kAvgIterations);
  state.SetBytesProcessed(int64_t(state.iterations()) * data.size());
}
BENCHMARK(BM_AssembleOutputIngest)->Unit(benchmark::kMillisecond);

}  // namespace

// --- The dialog: a whole run with 20 MiB of output, and a log of a million lines. ---

#include <QDir>
#include <QFile>
#include <QAbstractItemModel>
#include <QListView>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include "assemble/FormAssemble.h"
#include "settings/KodrillApp.h"

namespace {

class TBenchProject {
 public:
  TBenchProject() {
    qputenv("COMSPEC", KODRILL_CMD_PATH);
    FOwnApp = !KodrillApp;
    if (FOwnApp) KodrillApp = new TKodrillApp;
    KodrillApp->Project()->Directory = Dir.path() + QDir::separator();
    KodrillApp->Project()->FileName = QStringLiteral("bench.AsmPrj");
  }
  ~TBenchProject() {
    if (FOwnApp) {
      delete KodrillApp;
      KodrillApp = nullptr;
    }
  }
  void Write(const QString& name, const QByteArray& content) {
    QFile file(Dir.filePath(name));
    if (file.open(QIODevice::WriteOnly)) file.write(content);
  }
  QTemporaryDir Dir;

 private:
  bool FOwnApp = false;
};

void BM_AssembleDialogRun(benchmark::State& state) {
  TBenchProject project;
  const QByteArray data = ConsoleOutput(20);
  project.Write(QStringLiteral("out.txt"), data);
  project.Write(QStringLiteral("make.bat"), "@cat out.txt\r\n");
  TFormAssemble form;
  for (auto _ : state) form.Assemble();
  // The Info page ends with the last lines the batch printed.
  const QString info = form.findChild<QPlainTextEdit*>(QStringLiteral("MemoInfo"))->toPlainText();
  if (!info.contains(QStringLiteral("Assembling test.asm"))) state.SkipWithError("the batch output did not arrive");
  state.SetBytesProcessed(int64_t(state.iterations()) * data.size());
}
BENCHMARK(BM_AssembleDialogRun)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_AssembleErrorListFill(benchmark::State& state) {
  TBenchProject project;
  QByteArray log;
  for (int i = 1; i <= 1000000; ++i)
    log += "> > > test.asm(" + QByteArray::number(i) + "):9: error: symbol undefined\n";
  // make.bat only hands over the log, as an assembler writes it: the run loads it into the list.
  project.Write(QStringLiteral("made.log"), log);
  project.Write(QStringLiteral("make.bat"), "@cp made.log bench.log\r\n");
  TFormAssemble form;
  for (auto _ : state) form.Assemble();
  const int entries = form.findChild<QListView*>(QStringLiteral("ListBoxErrors"))->model()->rowCount();
  if (entries == 0) state.SkipWithError("the list stayed empty");
  state.counters["entries"] = entries;
}
BENCHMARK(BM_AssembleErrorListFill)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
