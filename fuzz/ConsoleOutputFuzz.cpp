// Arbitrary assembler output through the output handler: no crash, lines never hold a line end or
// exceed the piece length, and neither how the bytes are cut into pieces nor taking lines part way
// through changes anything.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "assemble/AssembleOutput.h"
#include "FuzzCheck.h"

static void CheckSame(const TAssembleOutput& a, const TAssembleOutput& b) {
  Check(a.RunLineCount() == b.RunLineCount() && a.LineCount() == b.LineCount());
  Check(a.PassesText() == b.PassesText() && a.LinesText() == b.LinesText());
  Check(a.Summary().ErrorsText() == b.Summary().ErrorsText() && a.Summary().WarningsText() == b.Summary().WarningsText());
  Check(a.Summary().ErrorsRed == b.Summary().ErrorsRed && a.Summary().WarningsYellow == b.Summary().WarningsYellow);
}

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
  const qsizetype cut = n ? qsizetype(data[0]) % (n + 1) : 0;
  split.AddBytes(bytes, cut);
  QStringList parts = split.TakeLines();
  split.AddBytes(bytes + cut, n - cut);
  split.EndRun();
  parts += split.TakeLines();
  Check(parts == lines);
  CheckSame(split, whole);

  // One byte at a time.
  TAssembleOutput single;
  single.BeginRun();
  for (qsizetype i = 0; i < n; ++i) single.AddBytes(bytes + i, 1);
  single.EndRun();
  Check(single.TakeLines() == lines);
  CheckSame(single, whole);
  return 0;
}
