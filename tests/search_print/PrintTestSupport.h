#pragma once
// Helpers of the print tests: texts as editor lines, and the tools that read printed PDF files.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <string>

#include "editor/EditLines.h"

inline void SetText(TEditLines& lines, const QStringList& text) {
  std::string bytes;
  for (const QString& line : text) bytes += line.toStdString() + "\n";
  lines.LoadFromBytes(bytes);
}

inline QStringList NumberedLines(int count, const QString& prefix = QStringLiteral("Zeile")) {
  QStringList text;
  for (int i = 1; i <= count; ++i) text << QStringLiteral("%1 %2").arg(prefix).arg(i);
  return text;
}

// Standard output of a poppler tool; empty when the tool failed.
inline QString RunTool(const QString& tool, const QStringList& arguments) {
  QProcess process;
  process.start(tool, arguments);
  if (!process.waitForFinished(60000) || process.exitCode() != 0) return QString();
  return QString::fromUtf8(process.readAllStandardOutput());
}

inline QString PdfText(const QString& file) {
  return RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
}

inline QString PdfInfo(const QString& file, const QString& key) {
  const QString info = RunTool(QStringLiteral("pdfinfo"), {file});
  for (const QString& line : info.split(QLatin1Char('\n')))
    if (line.startsWith(key + QLatin1Char(':'))) return line.mid(key.size() + 1).trimmed();
  return QString();
}
