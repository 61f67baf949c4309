// Arbitrary error-log bytes: the log drops blank lines and keeps line ends out, and an entry found
// in a line names a file and a line number taken from that line, with its message inside it.
#include <QRegularExpression>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "assemble/AssembleLog.h"
#include "FuzzCheck.h"

static void CheckEntry(const QString& text) {
  const TLogEntry entry = ParseLogEntry(text);
  Check(entry.Kind == mkWarning || entry.Kind == mkError || entry.Kind == mkOther);
  if (!entry.Valid) return;
  Check(!entry.FileName.isEmpty() && entry.Line >= 0);
  Check(text.contains(entry.FileName));
  Check(text.contains(QStringLiteral("(%1)").arg(entry.Line)) ||
        text.contains(QRegularExpression(QStringLiteral("\\(0+%1\\)").arg(entry.Line))));
  Check(entry.MessageStart > text.indexOf(entry.FileName) && entry.MessageStart <= text.size());
  TAssembleSummary summary;
  AnalyseSummaryLine(text, summary);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  TAssembleLog log;
  log.SetBytes(bytes);
  Check(log.rowCount() == log.Count());
  for (qsizetype row = 0; row < log.Count(); ++row) {
    const QString line = log.Text(row);
    Check(!line.trimmed().isEmpty());
    Check(!line.contains(u'\n') && !line.contains(u'\r'));
    Check(log.data(log.index(int(row))).toString() == line);
    CheckEntry(line);
  }
  // The whole input as one line of text, as a list item may hold it.
  CheckEntry(QString::fromUtf8(bytes));
  return 0;
}
