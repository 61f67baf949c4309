// Output lines, passes, line counts, summary counts and log entries; captures of the real assembler.
#include <gtest/gtest.h>

#include <random>

#include "TestSupport.h"
#include "assemble/AssembleLog.h"
#include "assemble/MessageCursor.h"

namespace {

QStringList Feed(TAssembleOutput& out, const QByteArray& bytes) {
  out.BeginRun();
  out.AddBytes(bytes.constData(), bytes.size());
  out.EndRun();
  return out.TakeLines();
}

QStringList LogLines(const QByteArray& bytes) {
  TAssembleLog log;
  log.SetBytes(bytes);
  QStringList lines;
  for (qsizetype row = 0; row < log.Count(); ++row) lines << log.Text(row);
  return lines;
}

}  // namespace

TEST(AssembleOutput, LinesPassesAndLineCount) {
  struct { QByteArray bytes; const char *lines, *passes, *count; } cases[] = {  // lines after the empty first one
      {"PASS 1\r\na.asm(120)\r\nb.inc(30)\r\n", "PASS 1|a.asm(120)|b.inc(30)", ": 1", ": 150"},
      // A new pass resets the count; the panel keeps its text until the next position.
      {"PASS 1\ra.asm(120)\rPASS 2\r", "PASS 1|a.asm(120)|PASS 2", ": 2", ": 120"},
      // Not a number adds 0; without "(" everything before ")" counts; blanks do not hide ")".
      {"x(abc)\n40)\nq(2)   \n(C) 1992 Someone\nmy (1).asm(7)\n", "x(abc)|40)|q(2)   |(C) 1992 Someone|my (1).asm(7)",
       ":", ": 49"},
      // A progress line (bare CR) is replaced by the file's next one; an include counts once when
      // its parent goes on, the same include used twice counts twice.
      {"m.asm(30) \ri.inc(5) \ri.inc(11)\nm.asm(40) \rs.inc(3)  \r\r\ns.inc(3)\r\nm.asm(61)\n",
       "m.asm(30) |i.inc(5) |i.inc(11)|m.asm(40) |s.inc(3)  ||s.inc(3)|m.asm(61)", ":", ": 78"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes.toStdString());
    TAssembleOutput out;
    EXPECT_EQ(Feed(out, c.bytes), QStringList{""} + QString::fromLatin1(c.lines).split(u'|'));
    EXPECT_EQ(out.PassesText(), QStringLiteral("Durchläufe") + QLatin1String(c.passes));
    EXPECT_EQ(out.LinesText(), QStringLiteral("Zeilen") + QLatin1String(c.count));
  }
}

TEST(AssembleOutput, UnterminatedOutputStaysInItsRunAndLongLinesArriveInPieces) {
  TAssembleOutput out;
  EXPECT_EQ(Feed(out, "line\nlast words").last(), "last words");
  EXPECT_EQ(Feed(out, "next\n"), (QStringList{"", "next"}));
  // A piece never cuts a UTF-8 character in two.
  QByteArray text;
  while (text.size() < 3 * TAssembleOutput::MaxLineBytes) text += "ä€";
  const QStringList lines = Feed(out, text);
  for (const QString& line : lines) EXPECT_LE(line.size(), TAssembleOutput::MaxLineBytes);
  EXPECT_EQ(lines.join(QString()), QString::fromUtf8(text));
}

// Each line in its own code page; nothing that would steer a terminal reaches the screen.
TEST(AssembleOutput, ConsoleTextIsDecodedAndDisplayable) {
  struct { QByteArray bytes; const char* text; } cases[] = {
      {"gr\xC3\xBC\xC3\x9F \xE2\x82\xAC", "grüß €"},
      {"gr\xFC\xDF \x80", "grüß €"},  // Windows-1252
      {"zus\x84tzliche Durchl\x84ufe, da\xE1 \x8E\x99\x9A", "zusätzliche Durchläufe, daß ÄÖÜ"},  // code page 850
      // A UTF-8 file name beside a message from a Windows-1252 source.
      {"> \xC3\x9Cnter.inc(2): Gr\xF6\xDF" "e", "> Ünter.inc(2): Größe"},
      {"\x1B[KPASS 1\x1B[K", "PASS 1"},
      {QByteArrayLiteral("nul\x00 bel\x07 tab\t del\x7F \xC2\x85"), "nul\uFFFD bel\uFFFD tab\t del\uFFFD \uFFFD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TAssembleOutput out;
    EXPECT_EQ(Feed(out, c.bytes).value(1), QString::fromUtf8(c.text));
    EXPECT_EQ(LogLines(c.bytes + "\r\n\r\n \t\n\x1B[K\n\xC2\xA0"), QStringList{QString::fromUtf8(c.text)});
  }
  for (const char* log : {"irp_de850.log", "irp_deutf8.log"})
    EXPECT_TRUE(LogLines(ReadFile(CapturePath(log))).value(4).endsWith(QStringLiteral("Bereichsüberschreitung"))) << log;
}

TEST(AssembleOutput, LogEntryForms) {
  // file "": no position; column 0: none of the reported line
  struct { const char *text, *file; int line, column, kind; const char* message; } cases[] = {
      {"12345test.asm(12)   Fehler", "test.asm", 12, 0, mkError, ""},
      {"> > >Error.asm(3) : Warnung : Error", "Error.asm", 3, 0, mkWarning, "Error"},
      {"> > > test.asm(8): warning: no room, error: x", "test.asm", 8, 0, mkWarning, "no room, error: x"},
      {"> > > test.asm(5):7: note: an error: here", "test.asm", 5, 7, mkOther, "note: an error: here"},
      {"> > > t.asm(4) IRP:1(2):18: Fatal: x", "t.asm", 4, 0, mkError, "x"},
      {"> > > my file (1).asm(7): warning: x", "my file (1).asm", 7, 0, mkWarning, "x"},
      {"> > >  lead.asm(2): error: x", " lead.asm", 2, 0, mkError, "x"},  // a name with a blank in front
      {"> > > INTERNAL: error: missing ENDIF", "", 0, 0, mkOther, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const TLogEntry e = ParseLogEntry(QString::fromUtf8(c.text));
    EXPECT_EQ(e.Valid, *c.file != 0);
    if (!e.Valid) continue;
    EXPECT_EQ(e.FileName, QString::fromUtf8(c.file));
    EXPECT_EQ(e.Line, c.line);
    EXPECT_EQ(e.Column, c.column);
    EXPECT_EQ(e.Kind, c.kind);
    EXPECT_EQ(QString::fromUtf8(c.text).mid(e.MessageStart), QString::fromUtf8(c.message));
  }
}

// The kind of every entry of real logs (E error, W warning, - no position).
TEST(AssembleOutput, MessageCursorStepsThroughEntriesWithAPosition) {
  const QByteArray bytes = "> > > a.asm(3): error: x\nfatal error\n> > > b.inc(7): warning: y\n> > > a.asm(z): error: w\n";
  TAssembleLog log;
  TMessageCursor cursor(log);
  log.SetBytes(bytes);
  // '+' next, '-' previous, a digit: the row chosen in the list, 'n': a new run; the row reached, moved.
  const struct {
    char op;
    qsizetype row;
    bool moved;
  } steps[] = {{'-', -1, false}, {'+', 0, true}, {'+', 2, true}, {'+', 2, false}, {'-', 0, true}, {'-', 0, false},
               {'9', 3, true},   {'-', 2, true}, {'1', 1, true}, {'+', 2, true},  {'n', -1, true}, {'+', 0, true}};
  int i = 0;
  for (const auto& [op, row, moved] : steps) {
    bool result = true;
    if (op == '+' || op == '-')
      result = cursor.Step(op == '+');
    else if (op == 'n')
      log.SetBytes(bytes);
    else
      cursor.SetRow(op - '0');
    EXPECT_EQ(cursor.Row(), row) << "step " << i;
    EXPECT_EQ(result, moved) << "step " << i++;
  }
}

TEST(AssembleOutput, CapturedLogs) {
  struct { const char *log, *kinds; } cases[] = {
      {"errors2pass.log", "WEEW"},    {"de1252.log", "EW"},           {"old124_errors_pty.log", "EW"},
      {"old16_macro_de.log", "EEEEW"}, {"macro_rept.log", "EEEEW"},   {"fatal.log", "E-"},
      {"irp.log", "EEEEEWEWEWEEE"},   {"irp_de850.log", "EEEEEWEWEWEEE"}, {"irp_deutf8.log", "EEEEEWEWEWEEE"},
  };
  for (const auto& c : cases) {
    QString kinds;
    for (const QString& line : LogLines(ReadFile(CapturePath(c.log)))) {
      const TLogEntry e = ParseLogEntry(line);
      kinds += !e.Valid ? u'-' : e.Kind == mkError ? u'E' : e.Kind == mkWarning ? u'W' : u'?';
      EXPECT_TRUE(!e.Valid || line.contains(QStringLiteral("%1(%2)").arg(e.FileName).arg(e.Line))) << qPrintable(line);
    }
    EXPECT_EQ(kinds, QLatin1String(c.kinds)) << c.log;
  }
}

// Passes, summary counts and line count of real runs: at the end of each pass the line count is the
// assembler's own total, and it never goes beyond that during the pass.
TEST(AssembleOutput, CapturedConsoleOutput) {
  struct { const char *file, *passes; qint64 lines; const char *errors, *warnings; } cases[] = {
      {"clean.out", "1", 102, "Fehler: 0", "Warnung: 0"},         {"fatal.out", "1", 0, "Fehler:", "Warnungen:"},
      {"irp.out", "1", 28, "Fehler: 10", "Warnung: 3"},          {"irp_de850.out", "1", 28, "Fehler: 10", "Warnung: 3"},
      {"progress.out", "2", 1600013, "Fehler: 0", "Warnung: 0"}, {"progress_win.out", "2", 1600013, "Fehler: 0", "Warnung: 0"},
      {"old124_progress_pty.out", "2", 1600013, "Fehler: 0", "Warnung: 0"},
      {"old124_errors_pty.out", "1", 16, "Fehler: 1", "Warnung: 1"},
      {"old16_macro_de_pty.out", "1", 16, "Fehler: 4", "Warnung: 1"},
      {"includes.out", "2", 1600024, "Fehler: 0", "Warnung: 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const QByteArray bytes = ReadFile(CapturePath(c.file));
    TAssembleOutput out;
    out.BeginRun();
    const QString total = c.lines ? QStringLiteral("Zeilen: %1").arg(c.lines) : QStringLiteral("Zeilen:");
    // Line by line, looking at the count before each new pass and at the end.
    for (qsizetype from = 0, passes = 0; from < bytes.size();) {
      if (bytes.mid(from, 4) == "PASS" && passes++ > 0) { EXPECT_EQ(out.LinesText(), total); }
      const qsizetype to = std::min(TLineEndScanner(bytes.constData(), bytes.size()).Next(from) + 1, bytes.size());
      out.AddBytes(bytes.constData() + from, to - from);
      EXPECT_LE(out.LineCount(), c.lines);
      from = to;
    }
    EXPECT_EQ(out.LinesText(), total);
    EXPECT_EQ(out.PassesText(), QStringLiteral("Durchläufe: ") + QLatin1String(c.passes));
    EXPECT_EQ(out.Summary().ErrorsText(), QLatin1String(c.errors));
    EXPECT_EQ(out.Summary().WarningsText(), QLatin1String(c.warnings));
  }
}

// Output comes in pieces of any size: byte by byte, in random pieces or whole, the same lines and panels.
TEST(AssembleOutput, PiecesOfAnySizeGiveTheSameResult) {
  std::mt19937 random(7);
  for (const char* file : {"clean.out", "fatal.out", "irp_de850.out", "irp_deutf8.out", "progress_win.out",
                           "old124_progress_pty.out", "old16_macro_de_pty.out", "includes.out"}) {
    SCOPED_TRACE(file);
    const QByteArray bytes = ReadFile(CapturePath(file)) + QByteArray(9000, 'x') + "\xC3\xA4\r\r\nq(1)";
    const auto run = [&](qsizetype maxPiece) {
      TAssembleOutput out;
      out.BeginRun();
      for (qsizetype i = 0, n = 0; i < bytes.size(); i += n) {
        n = maxPiece ? std::min<qsizetype>(bytes.size() - i, 1 + qsizetype(random() % maxPiece)) : bytes.size();
        out.AddBytes(bytes.constData() + i, n);
      }
      out.EndRun();
      return out.TakeLines() << out.PassesText() << out.LinesText() << out.Summary().ErrorsText() << out.Summary().WarningsText();
    };
    const QStringList whole = run(0);
    for (qsizetype maxPiece : {1, 3, 64, 5000}) EXPECT_EQ(run(maxPiece), whole) << maxPiece;
  }
}
