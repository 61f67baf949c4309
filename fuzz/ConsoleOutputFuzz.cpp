// Arbitrary assembler output through the byte handler: no crash, lines never hold a line end or
// exceed the piece length, and taking lines part way through changes nothing.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "assemble/AssembleOutput.h"
#include "FuzzCheck.h"


extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  const qsizetype n = qsizetype(size);

  TAssembleOutput whole;
  whole.BeginRun();
  whole.AddBytes(bytes, n);
  whole.EndRun();
  const QStringList lines = whole.TakeLines();
  Check(whole.RunLineCount() == lines.size());
  Check(n == 0 || !lines.isEmpty());
  Check(whole.LineCount() >= 0);
  for (const QString& line : lines) {
    Check(!line.contains(u'\n') && !line.contains(u'\r'));
    Check(line.size() <= TAssembleOutput::MaxLineBytes);
  }

  // The same bytes in two pieces, lines taken between them, after an earlier run.
  TAssembleOutput split;
  split.BeginRun();
  split.AddBytes("PASS 1\r\nold(12)\r", 16);
  split.BeginRun();
  int completed = 0;
  split.OnLine = [&completed] { ++completed; };
  const qsizetype cut = n ? qsizetype(data[0]) % (n + 1) : 0;
  split.AddBytes(bytes, cut);
  QStringList parts = split.TakeLines();
  split.AddBytes(bytes + cut, n - cut);
  split.EndRun();
  parts += split.TakeLines();
  Check(parts == lines);
  Check(split.LineCount() == whole.LineCount());
  Check(split.PassesText() == whole.PassesText() && split.LinesText() == whole.LinesText());
  Check(split.Summary().ErrorsText == whole.Summary().ErrorsText);
  Check(split.Summary().WarningsText == whole.Summary().WarningsText);
  Check(split.Summary().ErrorsRed == whole.Summary().ErrorsRed);
  // Every line but the first (the banner line) comes through OnLine.
  Check(n == 0 || completed == lines.size() - 1);
  return 0;
}
