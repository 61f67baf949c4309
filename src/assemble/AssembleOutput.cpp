#include "assemble/AssembleOutput.h"

#include <algorithm>
#include <limits>

#include "platform/ConsoleCodec.h"

namespace {

qint64 SaturatedAdd(qint64 a, qint64 b) {
  return b > std::numeric_limits<qint64>::max() - a ? std::numeric_limits<qint64>::max() : a + b;
}

// Digits 0-9 only, at least one, read as a number that fits (a negative one down to the lowest).
bool ReadDigits(QStringView text, qint64& value, bool negative = false) {
  if (text.isEmpty()) return false;
  const quint64 limit = quint64(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
  quint64 n = 0;
  for (QChar c : text) {
    if (c < u'0' || c > u'9') return false;
    const unsigned digit = c.unicode() - u'0';
    if (n > (limit - digit) / 10) return false;
    n = n * 10 + digit;
  }
  value = negative ? qint64(0 - n) : qint64(n);
  return true;
}

// The class word at Pos: "Warning", "Error", "Warnung", "Fehler" or "Fatal", in any letter case.
// End is set behind the word.
int ClassAt(const QString& text, qsizetype pos, qsizetype& end) {
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
  // No other character folds to the initials W, E and F.
  const char16_t initial = rest.front().unicode() | 0x20;
  for (const auto& w : words) {
    if (initial != (w.word.front().unicode() | 0x20) || !rest.startsWith(w.word, Qt::CaseInsensitive)) continue;
    end = pos + w.word.size();
    return w.kind;
  }
  return -1;
}

qsizetype SkipBlanks(const QString& text, qsizetype i) {
  while (i < text.size() && text[i] == u' ') ++i;
  return i;
}

// Behind a position group: blanks and an optional column (":18").
qsizetype SkipColumn(const QString& text, qsizetype pos) {
  qsizetype i = SkipBlanks(text, pos);
  if (i + 1 < text.size() && text[i] == u':' && text[i + 1].isDigit()) {
    for (++i; i < text.size() && text[i].isDigit();) ++i;
    i = SkipBlanks(text, i);
  }
  return i;
}

// The class after a position group that ends before Pos: an optional column, then ":" and the
// word, blanks allowed around the colons.
int ClassAfterGroup(const QString& text, qsizetype pos, qsizetype& end) {
  const qsizetype i = SkipColumn(text, pos);
  if (i >= text.size() || text[i] != u':') return -1;
  return ClassAt(text, SkipBlanks(text, i + 1), end);
}

// The class word of an entry whose position ends at Q. Macro, REPT and IRP expansions add
// groups, each closed by "(n)": "test.asm(19) REPT 1(3)IRP:400(1):18: error: ...". Their
// arguments may hold anything: quoted ones are skipped, and an IRPC argument is always one
// quoted character, a quote included ("IRPC:'''(1)").
int ClassAfterPosition(const QString& text, qsizetype q, qsizetype& end) {
  int kind = ClassAfterGroup(text, q + 1, end);
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
      if (j > i + 1 && j < text.size() && text[j] == u')') kind = ClassAfterGroup(text, j + 1, end);
      i = j;
    } else {
      ++i;
    }
  }
  // The oldest form: the word four characters after ")", without a colon.
  return kind >= 0 ? kind : ClassAt(text, q + 4, end);
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
  // A count is a whole number with blanks around it and nothing else before the keyword, so a
  // keyword counts only where it follows the number that starts the line.
  qsizetype i = 0;
  while (i < line.size() && line[i].isSpace()) ++i;
  const bool negative = i < line.size() && line[i] == u'-';
  if (i < line.size() && (line[i] == u'+' || negative)) ++i;
  const qsizetype digits = i;
  while (i < line.size() && line[i] >= u'0' && line[i] <= u'9') ++i;
  qint64 n = 0;
  if (!ReadDigits(QStringView(line).mid(digits, i - digits), n, negative)) return;
  while (i < line.size() && line[i].isSpace()) ++i;
  const QStringView rest = QStringView(line).mid(i);
  // Every keyword starts with F, W or E (no other character folds to these).
  const char16_t initial = rest.isEmpty() ? 0 : rest.front().unicode() | 0x20;
  if (initial != u'f' && initial != u'w' && initial != u'e') return;

  static const struct {
    QLatin1String keyword;
    bool errors;
  } tests[] = {{QLatin1String("Fehler"), true},
               {QLatin1String("Warnungen"), false},
               {QLatin1String("Warnung"), false},
               {QLatin1String("Error"), true},
               {QLatin1String("Warning"), false}};
  for (const auto& t : tests) {
    if (!rest.startsWith(t.keyword, Qt::CaseInsensitive)) continue;
    (t.errors ? summary.ErrorsSeen : summary.WarningsSeen) = true;
    (t.errors ? summary.Errors : summary.Warnings) = n;
    if (n > 0) (t.errors ? summary.ErrorsRed : summary.WarningsYellow) = true;
  }
}

QString TAssembleSummary::ErrorsText() const {
  return ErrorsSeen ? QStringLiteral("Fehler: ") + QString::number(Errors) : QStringLiteral("Fehler:");
}

QString TAssembleSummary::WarningsText() const {
  // "Warnungen" also starts with "Warnung": every warning count is shown as "Warnung: n".
  return WarningsSeen ? QStringLiteral("Warnung: ") + QString::number(Warnings) : QStringLiteral("Warnungen:");
}

TLogEntry ParseLogEntry(const QString& text) {
  TLogEntry entry;
  qsizetype p = 0, q = 0;
  if (text.size() < 6 || !FindPosition(text, p, q) || p <= 5) return entry;
  qint64 line = 0;
  if (!ReadDigits(QStringView(text).mid(p + 1, q - p - 1), line) || line > std::numeric_limits<int>::max())
    return entry;
  // "> > > name(": one blank after the marks, or none in the classic form; a name may begin
  // with a blank of its own.
  QStringView name = QStringView(text).mid(5, p - 5);
  if (name.startsWith(u' ')) name = name.mid(1);
  while (!name.isEmpty() && name.back().isSpace()) name.chop(1);
  entry.FileName = name.toString();
  if (entry.FileName.isEmpty()) return entry;
  entry.Line = int(line);
  entry.Valid = true;
  // Only a column right behind the file's position is one of that line: in a macro or IRP
  // expansion it counts in the expanded line.
  qsizetype c = q + 2;
  while (c < text.size() && text[c].isDigit()) ++c;
  qint64 column = 0;
  if (q + 1 < text.size() && text[q + 1] == u':' && ReadDigits(QStringView(text).mid(q + 2, c - q - 2), column) &&
      column <= std::numeric_limits<int>::max())
    entry.Column = int(column);
  qsizetype end = 0;
  const int kind = ClassAfterPosition(text, q, end);
  if (kind >= 0) entry.Kind = kind;
  // The message follows the class word, or the position where there is none.
  qsizetype i = kind >= 0 ? SkipBlanks(text, end) : SkipColumn(text, q + 1);
  if (i < text.size() && text[i] == u':') i = SkipBlanks(text, i + 1);
  entry.MessageStart = i;
  return entry;
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

QString ConsoleLineText(const char* data, qsizetype size) {
  // Plain text, by far the most common, needs neither decoding nor cleaning.
  return IsPlainText(data, size) ? QString::fromLatin1(data, size) : DisplayableLine(ConsoleCodec::ToUnicode(data, size));
}

bool FitsOptionFile(const QString& value) {
  return !value.isEmpty() && std::none_of(value.begin(), value.end(), [](QChar c) { return c.isSpace(); });
}

QStringList OptionFileLines(const QString& includeDirectory, const QString& processor) {
  QStringList lines{QStringLiteral("-L -E")};
  if (FitsOptionFile(includeDirectory)) lines.prepend(QStringLiteral("-i ") + includeDirectory);
  if (FitsOptionFile(processor)) lines.append(QStringLiteral("-CPU ") + processor);
  return lines;
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

void TAssembleOutput::AddBytes(const char* data, qsizetype size) {
  if (size <= 0) return;
  if (!FFirstLineAdded) AddFirstLine();
  TLineEndScanner scanner(data, size);
  for (qsizetype i = 0; i < size;) {
    if (FLastWasCR) {
      FLastWasCR = false;
      if (data[i] == '\n') {  // the LF of a CR LF pair
        if (FLastWasPosition) EndOfFile();
        ++i;
        continue;
      }
    }
    const qsizetype room = MaxLineBytes - FPending.size();
    const qsizetype end = scanner.Next(i);
    if (end - i >= room) {  // the piece is full before the line ends
      FPending.append(data + i, room);
      i += room;
      SplitLongLine();
    } else if (end == size) {
      FPending.append(data + i, size - i);
      i = size;
    } else {
      if (FPending.isEmpty()) {
        CompleteLine(ConsoleLineText(data + i, end - i));
      } else {
        FPending.append(data + i, end - i);
        CompletePending();
      }
      // A position line that ends in a bare CR is progress: the next one overwrites it.
      if (data[end] == '\n' && FLastWasPosition) EndOfFile();
      FLastWasCR = data[end] == '\r';
      i = end + 1;
    }
  }
}

void TAssembleOutput::EndRun() {
  if (!FPending.isEmpty()) CompletePending();
  FLastWasCR = false;
}

QString TAssembleOutput::LinesText() const {
  return FLinesSeen ? QStringLiteral("Zeilen: ") + QString::number(FLinesShown) : QStringLiteral("Zeilen:");
}

QStringList TAssembleOutput::TakeLines() {
  QStringList lines = FLines;
  FLines.clear();  // keeps its capacity for the lines to come
  return lines;
}

void TAssembleOutput::AddFirstLine() {
  // The output page starts with the line pending from before (an empty one).
  FFirstLineAdded = true;
  AppendLine(ConsoleLineText(FPending.constData(), FPending.size()));
  FPending.clear();
}

void TAssembleOutput::SplitLongLine() {
  const qsizetype cut = ConsoleCodec::Utf8SafeCut(FPending.constData(), FPending.size());
  const QByteArray rest = FPending.mid(cut);
  FPending.truncate(cut);
  CompletePending();
  FPending = rest;
}

void TAssembleOutput::CompletePending() {
  const QString line = ConsoleLineText(FPending.constData(), FPending.size());
  FPending.clear();
  CompleteLine(line);
}

void TAssembleOutput::CompleteLine(const QString& line) {
  ProcessLine(line);
  AnalyseSummaryLine(line, FSummary);
  AppendLine(line);
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
  qsizetype at = qsizetype(FOpenFiles.size()) - 1;
  while (at >= 0 && FOpenFiles[at].Name != name) --at;
  if (at >= 0) {
    CloseFilesAbove(at);
    FOpenFiles[at].Lines = lines;
  } else {
    // Includes nest only so deep: a flood of names folds the oldest into the files done.
    if (FOpenFiles.size() >= 64) {
      FLinesDone = SaturatedAdd(FLinesDone, FOpenFiles.front().Lines);
      FOpenFiles.erase(FOpenFiles.begin());
    }
    FOpenFiles.push_back({name.toString(), lines});
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
  while (qsizetype(FOpenFiles.size()) > index + 1) {
    FLinesDone = SaturatedAdd(FLinesDone, FOpenFiles.back().Lines);
    FOpenFiles.pop_back();
  }
}

void TAssembleOutput::EndOfFile() {
  // The innermost file's position line ended in a line feed: that file is done.
  FLastWasPosition = false;
  if (!FOpenFiles.empty()) CloseFilesAbove(qsizetype(FOpenFiles.size()) - 2);
}
