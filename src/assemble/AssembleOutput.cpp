#include "assemble/AssembleOutput.h"

#include <algorithm>
#include <limits>

#include "platform/ConsoleCodec.h"

namespace {

// A whole decimal number (optional sign), nothing else; false on overflow.
bool ReadNumber(QStringView text, qint64& value) {
  bool ok = false;
  if (text.isEmpty() || text.front().isSpace() || text.back().isSpace()) return false;
  value = text.toLongLong(&ok, 10);
  return ok;
}

qint64 SaturatedAdd(qint64 a, qint64 b) {
  return b > std::numeric_limits<qint64>::max() - a ? std::numeric_limits<qint64>::max() : a + b;
}

bool ReadDigits(QStringView text, qint64& value) {
  if (text.isEmpty()) return false;
  for (QChar c : text)
    if (c < u'0' || c > u'9') return false;
  bool ok = false;
  value = text.toLongLong(&ok, 10);
  return ok;
}

// The class word at Pos: "Warning", "Error", "Warnung", "Fehler" or "Fatal", in any letter case.
int ClassAt(const QString& text, qsizetype pos) {
  static const struct {
    QLatin1String word;
    int kind;
  } words[] = {{QLatin1String("Warning"), mkWarning},
               {QLatin1String("Error"), mkError},
               {QLatin1String("Warnung"), mkWarning},
               {QLatin1String("Fehler"), mkError},
               {QLatin1String("Fatal"), mkError}};
  if (pos < 0 || pos >= text.size()) return -1;
  const QStringView rest = QStringView(text).mid(pos);
  for (const auto& w : words)
    if (rest.startsWith(w.word, Qt::CaseInsensitive)) return w.kind;
  return -1;
}

qsizetype SkipBlanks(const QString& text, qsizetype i) {
  while (i < text.size() && text[i] == u' ') ++i;
  return i;
}

// The class after a position group that ends before Pos: an optional column (":18"), then ":"
// and the word, blanks allowed around the colons.
int ClassAfterGroup(const QString& text, qsizetype pos) {
  qsizetype i = SkipBlanks(text, pos);
  if (i + 1 < text.size() && text[i] == u':' && text[i + 1].isDigit()) {
    for (++i; i < text.size() && text[i].isDigit();) ++i;
    i = SkipBlanks(text, i);
  }
  if (i >= text.size() || text[i] != u':') return -1;
  return ClassAt(text, SkipBlanks(text, i + 1));
}

// The class word of an entry whose position ends at Q. Macro, REPT and IRP expansions add
// groups, each closed by "(n)": "test.asm(19) REPT 1(3)IRP:400(1):18: error: ...". Their
// arguments may hold anything: quoted ones are skipped, and an IRPC argument is always one
// quoted character, a quote included ("IRPC:'''(1)").
int ClassAfterPosition(const QString& text, qsizetype q) {
  int kind = ClassAfterGroup(text, q + 1);
  for (qsizetype i = q + 1; kind < 0 && i < text.size();) {
    const QChar c = text[i];
    if (QStringView(text).mid(i).startsWith(QLatin1String("IRPC:'"))) {
      i += 8;
    } else if (c == u'\'' || c == u'"') {
      const qsizetype close = text.indexOf(c, i + 1);
      i = close < 0 ? i + 1 : close + 1;
    } else if (c == u'(') {
      qsizetype j = i + 1;
      while (j < text.size() && text[j].isDigit()) ++j;
      if (j > i + 1 && j < text.size() && text[j] == u')') kind = ClassAfterGroup(text, j + 1);
      i = j;
    } else {
      ++i;
    }
  }
  // The oldest form: the word four characters after ")", without a colon.
  return kind >= 0 ? kind : ClassAt(text, q + 4);
}

// The position group: the first "(" digits ")" followed by the end, a blank or ":", so that
// parentheses inside a file name do not count.
bool FindPosition(const QString& text, qsizetype& p, qsizetype& q) {
  for (p = text.indexOf(u'('); p >= 0; p = text.indexOf(u'(', p + 1)) {
    q = p + 1;
    while (q < text.size() && text[q] >= u'0' && text[q] <= u'9') ++q;
    if (q == p + 1 || q >= text.size() || text[q] != u')') continue;
    if (q + 1 == text.size() || text[q + 1].isSpace() || text[q + 1] == u':') return true;
  }
  return false;
}

}  // namespace

void AnalyseSummaryLine(const QString& line, TAssembleSummary& summary) {
  // Only a line that starts with a number can carry a count.
  qsizetype start = 0;
  while (start < line.size() && line[start].isSpace()) ++start;
  if (start >= line.size()) return;
  const QChar first = line[start];
  if (!first.isDigit() && first != u'+' && first != u'-') return;

  static const struct {
    QLatin1String keyword;
    bool errors;
    QString text;
  } tests[] = {{QLatin1String("Fehler"), true, QStringLiteral("Fehler: ")},
               {QLatin1String("Warnungen"), false, QStringLiteral("Warnungen: ")},
               {QLatin1String("Warnung"), false, QStringLiteral("Warnung: ")},
               {QLatin1String("Error"), true, QStringLiteral("Fehler: ")},
               {QLatin1String("Warning"), false, QStringLiteral("Warnung: ")}};
  for (const auto& t : tests) {
    const qsizetype at = line.indexOf(t.keyword, 0, Qt::CaseInsensitive);
    if (at < 0) continue;
    qint64 n = 0;
    if (!ReadNumber(QStringView(line).left(at).trimmed(), n)) continue;
    if (t.errors) {
      summary.ErrorsText = t.text + QString::number(n);
      if (n > 0) summary.ErrorsRed = true;
    } else {
      summary.WarningsText = t.text + QString::number(n);
      if (n > 0) summary.WarningsYellow = true;
    }
  }
}

TLogEntry ParseLogEntry(const QString& text) {
  TLogEntry entry;
  qsizetype p = 0, q = 0;
  if (text.size() < 6 || !FindPosition(text, p, q) || p <= 5) return entry;
  qint64 line = 0;
  if (!ReadDigits(QStringView(text).mid(p + 1, q - p - 1), line) || line > std::numeric_limits<int>::max())
    return entry;
  entry.FileName = text.mid(5, p - 5).trimmed();
  if (entry.FileName.isEmpty()) return entry;
  entry.Line = int(line);
  entry.Valid = true;
  const int kind = ClassAfterPosition(text, q);
  if (kind >= 0) entry.Kind = kind;
  return entry;
}

QStringList ConsoleLines(const QByteArray& bytes) {
  QStringList lines;
  const char* data = bytes.constData();
  const qsizetype size = bytes.size();
  qsizetype start = 0;
  for (qsizetype i = 0; i <= size; ++i) {
    if (i < size && data[i] != '\r' && data[i] != '\n') continue;
    if (i > start) {
      QString line = DisplayableLine(ConsoleCodec::ToUnicode(data + start, i - start));
      if (!line.trimmed().isEmpty()) lines.append(std::move(line));
    }
    start = i + 1;
  }
  return lines;
}

QString DisplayableLine(const QString& line) {
  const auto isControl = [](QChar c) { return (c < u' ' && c != u'\t') || (c >= QChar(0x7F) && c < QChar(0xA0)); };
  if (std::none_of(line.begin(), line.end(), isControl)) return line;
  QString out;
  out.reserve(line.size());
  for (qsizetype i = 0; i < line.size(); ++i) {
    const QChar c = line[i];
    if (c == u'\b') {
      out.chop(1);
    } else if (c == QChar(0x1B)) {
      // ESC [ parameters final byte, as a terminal writes them; a lone ESC just goes.
      if (i + 1 < line.size() && line[i + 1] == u'[')
        for (i += 2; i < line.size() && (line[i].unicode() < 0x40 || line[i].unicode() > 0x7E);) ++i;
    } else {
      out += isControl(c) ? QChar(QChar::ReplacementCharacter) : c;
    }
  }
  return out;
}

QStringList OptionFileLines(const QString& asDirectory, const QString& processor) {
  return {QStringLiteral("-i ") + asDirectory + QStringLiteral("include"), QStringLiteral("-L -E"),
          QStringLiteral("-CPU ") + processor};
}

void TAssembleOutput::BeginRun() {
  FRunLines = 0;
  FFirstLineAdded = false;
  FLastWasCR = false;
  FOpenFiles.clear();
  FLinesDone = 0;
  FLastWasPosition = false;
  FLineCount = 0;
  FPassesText = QStringLiteral("Durchläufe:");
  FLinesSeen = false;
  FSummary = TAssembleSummary();
  FLines.clear();
}

void TAssembleOutput::EndRun() {
  if (!FPending.isEmpty()) CompleteLine();
  FLastWasCR = false;
}

QString TAssembleOutput::LinesText() const {
  return FLinesSeen ? QStringLiteral("Zeilen: ") + QString::number(FLinesShown) : QStringLiteral("Zeilen:");
}

QStringList TAssembleOutput::TakeLines() {
  QStringList lines;
  lines.swap(FLines);
  return lines;
}

void TAssembleOutput::AddFirstLine() {
  // The output page starts with the line pending from before (an empty one).
  FFirstLineAdded = true;
  AppendLine(DisplayableLine(ConsoleCodec::ToUnicode(FPending)));
  FPending.clear();
}

void TAssembleOutput::SplitLongLine() {
  const qsizetype cut = ConsoleCodec::Utf8SafeCut(FPending.constData(), FPending.size());
  const QByteArray rest = FPending.mid(cut);
  FPending.truncate(cut);
  CompleteLine();
  FPending = rest;
}

void TAssembleOutput::CompleteLine() {
  const QString line = DisplayableLine(ConsoleCodec::ToUnicode(FPending));
  FPending.clear();
  ProcessLine(line);
  AnalyseSummaryLine(line, FSummary);
  AppendLine(line);
  if (OnLine) OnLine();
}

void TAssembleOutput::AppendLine(const QString& line) {
  FLines.append(line);
  ++FRunLines;
}

void TAssembleOutput::ProcessLine(const QString& line) {
  if (line.startsWith(QLatin1String("PASS"))) {
    FPassesText = QStringLiteral("Durchläufe: ") + line.mid(4).trimmed();
    FOpenFiles.clear();
    FLinesDone = 0;
    FLineCount = 0;
    FLastWasPosition = false;
    return;
  }
  // Position lines "name(N)": N counts the lines of that file so far. Progress lines end in
  // ") " (and a bare CR): trailing blanks do not hide the ")".
  qsizetype end = line.size();
  while (end > 0 && line[end - 1].isSpace()) --end;
  if (end == 0) return;  // an empty line keeps "name(N)\r\r\n" together
  if (line[end - 1] != u')') {
    FLastWasPosition = false;
    return;
  }
  const qsizetype open = line.lastIndexOf(u'(', end - 1);
  const qsizetype from = open >= 0 ? open + 1 : 0;
  qint64 n = 0;
  if (!ReadDigits(QStringView(line).mid(from, end - 1 - from).trimmed(), n)) n = 0;
  Position(open >= 0 ? QStringView(line).left(open).trimmed() : QStringView(), n);
}

void TAssembleOutput::Position(QStringView name, qint64 lines) {
  // A file open already reports progress, or its include has ended; otherwise it is new.
  qsizetype at = FOpenFiles.size() - 1;
  while (at >= 0 && FOpenFiles[at].Name != name) --at;
  if (at >= 0) {
    CloseFilesAbove(at);
    FOpenFiles[at].Lines = lines;
  } else {
    // Includes nest only so deep: a flood of names folds the oldest into the files done.
    if (FOpenFiles.size() >= 64) FLinesDone = SaturatedAdd(FLinesDone, FOpenFiles.takeFirst().Lines);
    FOpenFiles.append({name.toString(), lines});
  }
  qint64 total = FLinesDone;
  for (const TOpenFile& file : FOpenFiles) total = SaturatedAdd(total, file.Lines);
  FLineCount = total;
  FLastWasPosition = true;
  FLinesSeen = true;
  FLinesShown = FLineCount;
}

void TAssembleOutput::CloseFilesAbove(qsizetype index) {
  // Files above a parent that goes on have ended with the lines they last reported.
  while (FOpenFiles.size() > index + 1) FLinesDone = SaturatedAdd(FLinesDone, FOpenFiles.takeLast().Lines);
}

void TAssembleOutput::EndOfFile() {
  // The innermost file's position line ended in a line feed: that file is done.
  FLastWasPosition = false;
  if (!FOpenFiles.isEmpty()) CloseFilesAbove(FOpenFiles.size() - 2);
}
