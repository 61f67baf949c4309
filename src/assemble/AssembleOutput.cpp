#include "assemble/AssembleOutput.h"

#include <limits>

#include "platform/ConsoleCodec.h"

namespace {

// Output under a terminal: control sequences (ESC [ ... final byte) go, backspaces take back
// the character before them.
QString WithoutEscapes(const QString& line) {
  QString out;
  out.reserve(line.size());
  for (qsizetype i = 0; i < line.size(); ++i) {
    if (line[i] == u'\b') {
      out.chop(1);
      continue;
    }
    if (line[i] != QChar(0x1B)) {
      out += line[i];
      continue;
    }
    if (i + 1 < line.size() && line[i + 1] == u'[') {
      i += 2;
      while (i < line.size() && (line[i].unicode() < 0x40 || line[i].unicode() > 0x7E)) ++i;
    }
  }
  return out;
}

// A whole decimal number (optional sign), nothing else; false on overflow.
bool ReadNumber(QStringView text, qint64& value) {
  bool ok = false;
  if (text.isEmpty() || text.front().isSpace() || text.back().isSpace()) return false;
  value = text.toLongLong(&ok, 10);
  return ok;
}

bool ReadDigits(QStringView text, qint64& value) {
  if (text.isEmpty()) return false;
  for (QChar c : text)
    if (c < u'0' || c > u'9') return false;
  bool ok = false;
  value = text.toLongLong(&ok, 10);
  return ok;
}

int ClassAt(const QString& text, qsizetype pos) {
  static const struct {
    QLatin1String word;
    int kind;
  } words[] = {{QLatin1String("Warning"), mkWarning},
               {QLatin1String("Error"), mkError},
               {QLatin1String("Warnung"), mkWarning},
               {QLatin1String("Fehler"), mkError}};
  if (pos < 0 || pos >= text.size()) return -1;
  const QStringView rest = QStringView(text).mid(pos);
  for (const auto& w : words)
    if (rest.startsWith(w.word, Qt::CaseInsensitive)) return w.kind;
  return -1;
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
  // The class word follows a ":" after the position; a column (":9") or a macro group
  // ("REPT 1(1):18") may come first. Message texts that contain class words come later.
  for (qsizetype colon = text.indexOf(u':', q + 1); colon >= 0; colon = text.indexOf(u':', colon + 1)) {
    qsizetype i = colon + 1;
    while (i < text.size() && text[i] == u' ') ++i;
    const int kind = ClassAt(text, i);
    if (kind >= 0) {
      entry.Kind = kind;
      return entry;
    }
    if (i >= text.size() || !text[i].isDigit()) break;
  }
  // Classic form: the word four characters after ")".
  const int kind = ClassAt(text, q + 4);
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
      QString line = ConsoleCodec::ToUnicode(data + start, i - start);
      if (!line.trimmed().isEmpty()) lines.append(std::move(line));
    }
    start = i + 1;
  }
  return lines;
}

QStringList OptionFileLines(const QString& asDirectory, const QString& processor) {
  return {QStringLiteral("-i ") + asDirectory + QStringLiteral("include"), QStringLiteral("-L -E"),
          QStringLiteral("-CPU ") + processor};
}

void TAssembleOutput::BeginRun() {
  FRunLines = 0;
  FFirstLineAdded = false;
  FLastWasCR = false;
  FBareCRSeen = false;
  FPrevPositionName.clear();
  FPrevPositionValue = -1;
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
  AppendLine(ConsoleCodec::ToUnicode(FPending));
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
  QString line = ConsoleCodec::ToUnicode(FPending);
  FPending.clear();
  if (line.contains(QChar(0x1B)) || line.contains(u'\b')) line = WithoutEscapes(line);
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
    FLineCount = 0;
    FPassesText = QStringLiteral("Durchläufe: ") + line.mid(4).trimmed();
    FPrevPositionName.clear();
    return;
  }
  // Progress lines end in ") " (and a bare CR): trailing blanks do not hide the ")".
  qsizetype end = line.size();
  while (end > 0 && line[end - 1].isSpace()) --end;
  if (end == 0 || line[end - 1] != u')') {
    if (!line.isEmpty()) FPrevPositionName.clear();
    return;
  }
  const qsizetype open = line.indexOf(u'(');
  const qsizetype from = open >= 0 && open < end - 1 ? open + 1 : 0;
  qint64 n = 0;
  if (!ReadDigits(QStringView(line).mid(from, end - 1 - from).trimmed(), n)) n = 0;
  const QStringView name = open >= 0 ? QStringView(line).left(open).trimmed() : QStringView();
  // A timed progress line of the same file replaces the previous one instead of adding to it.
  const bool progress = FBareCRSeen;
  FBareCRSeen = false;
  if (progress && !name.isEmpty() && name == FPrevPositionName && n >= FPrevPositionValue) n -= FPrevPositionValue;
  else FPrevPositionValue = 0;
  FLineCount = n > std::numeric_limits<qint64>::max() - FLineCount ? std::numeric_limits<qint64>::max() : FLineCount + n;
  if (name != FPrevPositionName) FPrevPositionName = name.toString();
  FPrevPositionValue += n;
  FLinesSeen = true;
  FLinesShown = FLineCount;
}
