// Output lines, live pass and line count, summary counts and log entries, on the classic forms
// and on every capture of the real assembler.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include "assemble/AssembleOutput.h"

namespace {

const QString kFixtures = QStringLiteral(KODRILL_SHARED_DIR "/fixtures/as/");

QByteArray ReadFixture(const QString& name) {
  QFile file(kFixtures + name);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
  return file.readAll();
}

struct TRun {
  QStringList Lines;
  QString Passes, LinesText;
  TAssembleSummary Summary;
};

TRun Feed(TAssembleOutput& out, const QByteArray& bytes) {
  out.BeginRun();
  out.AddBytes(bytes.constData(), bytes.size());
  out.EndRun();
  return {out.TakeLines(), out.PassesText(), out.LinesText(), out.Summary()};
}

TRun Feed(const QByteArray& bytes) {
  TAssembleOutput out;
  return Feed(out, bytes);
}

TAssembleSummary Summarise(const QStringList& lines) {
  TAssembleSummary s;
  for (const QString& line : lines) AnalyseSummaryLine(line, s);
  return s;
}

}  // namespace

TEST(AssembleOutput, LinesPassesAndLineCount) {
  TAssembleOutput out;
  TRun run = Feed(out, "PASS 1\r\na.asm(120)\r\nb.inc(30)\r\n");
  EXPECT_EQ(run.Lines, (QStringList{"", "PASS 1", "a.asm(120)", "b.inc(30)"}));  // empty first line
  EXPECT_EQ(run.Passes, QStringLiteral("Durchläufe: 1"));
  EXPECT_EQ(run.LinesText, "Zeilen: 150");
  EXPECT_EQ(out.LineCount(), 150);

  // A new pass resets the count; the panel keeps its text until the next position.
  run = Feed(out, "PASS 1\ra.asm(120)\rPASS 2\r");
  EXPECT_EQ(run.Passes, QStringLiteral("Durchläufe: 2"));
  EXPECT_EQ(out.LineCount(), 0);
  EXPECT_EQ(run.LinesText, "Zeilen: 120");

  // Not a number adds 0; without "(" everything before ")" counts; blanks do not hide ")".
  run = Feed(out, "x(abc)\n40)\nq(2)   \n(C) 1992 Someone\n");
  EXPECT_EQ(out.LineCount(), 42);
  // LF alone, CR alone and CR LF each end one line.
  run = Feed(out, "a\nb\rc\r\nd");
  EXPECT_EQ(run.Lines, (QStringList{"", "a", "b", "c", "d"}));
}

TEST(AssembleOutput, UnterminatedOutputStaysInItsRun) {
  TAssembleOutput out;
  TRun first = Feed(out, "line\nlast words");
  EXPECT_EQ(first.Lines.last(), "last words");
  TRun second = Feed(out, "next\n");
  EXPECT_EQ(second.Lines, (QStringList{"", "next"}));
}

TEST(AssembleOutput, LongLinesArrivePiecewiseAndBadBytesSurvive) {
  TAssembleOutput out;
  out.BeginRun();
  QByteArray chunk(1 << 20, 'x');
  chunk[100] = char(0xC3);  // broken UTF-8 and binary bytes
  chunk[200] = '\0';
  for (int i = 0; i < 8; ++i) {
    out.AddBytes(chunk.constData(), chunk.size());
    for (const QString& line : out.TakeLines()) ASSERT_LE(line.size(), TAssembleOutput::MaxLineBytes);
  }
  out.EndRun();

  // A split never cuts a UTF-8 character in two.
  out.BeginRun();
  QByteArray text;
  while (text.size() < 3 * TAssembleOutput::MaxLineBytes) text += "ä€";
  out.AddBytes(text.constData(), text.size());
  out.EndRun();
  const QString joined = out.TakeLines().join(QString());
  EXPECT_EQ(joined, QString::fromUtf8(text));
}

TEST(AssembleOutput, TextIsUtf8OrLatin1PerLine) {
  const TRun run = Feed("gr\xC3\xBC\xC3\x9F\ngr\xFC\xDF\n");
  EXPECT_EQ(run.Lines.at(1), QStringLiteral("grüß"));
  EXPECT_EQ(run.Lines.at(2), QStringLiteral("grüß"));
}

TEST(AssembleOutput, SummaryCounts) {
  TAssembleSummary s = Summarise({"0 Fehler", "2 Warnungen"});
  EXPECT_EQ(s.ErrorsText, "Fehler: 0");
  EXPECT_FALSE(s.ErrorsRed);
  EXPECT_EQ(s.WarningsText, "Warnung: 2");  // "Warnung" also matches inside "Warnungen"
  EXPECT_TRUE(s.WarningsYellow);

  s = Summarise({"1 Fehler", "  007 Warning"});
  EXPECT_EQ(s.ErrorsText, "Fehler: 1");
  EXPECT_TRUE(s.ErrorsRed);
  EXPECT_EQ(s.WarningsText, "Warnung: 7");

  // Colours stay once set; words are compared without regard to case; text before the word
  // must be a number; numbers beyond 32 bits are fine.
  s = Summarise({"      2 errors", "        errors, listing possibly incorrect.", "      0 errors",
                 "  wegen Fehlern nicht", "> > > a.asm(3): error: 5 Fehler", "99999999999 warnings"});
  EXPECT_EQ(s.ErrorsText, "Fehler: 0");
  EXPECT_TRUE(s.ErrorsRed);
  EXPECT_EQ(s.WarningsText, "Warnung: 99999999999");

  s = Summarise({"Fehler", "12 a Fehler", ""});
  EXPECT_EQ(s.ErrorsText, "Fehler:");
  EXPECT_EQ(s.WarningsText, "Warnungen:");
}

TEST(AssembleOutput, LogEntryForms) {
  struct {
    const char* text;
    bool valid;
    const char* file;
    int line;
    int kind;
  } cases[] = {
      {"12345test.asm(12)   Fehler", true, "test.asm", 12, mkError},
      {"12345test.asm(12)   Warnung", true, "test.asm", 12, mkWarning},
      {"12345test.asm(12)   Hinweis", true, "test.asm", 12, mkOther},
      {"> > >test.asm(12) : Fehler : x", true, "test.asm", 12, mkError},
      {"> > >Error.asm(3) : Warnung : Error", true, "Error.asm", 3, mkWarning},
      {"> > >Error.asm(3) : Error : text", true, "Error.asm", 3, mkError},
      {"> > >sub.inc(3): error: unknown opcode", true, "sub.inc", 3, mkError},
      {"> > > sub.inc(3):9: error: unknown instruction", true, "sub.inc", 3, mkError},
      {"> > > test.asm(8): warning: no memory reserved, error: x", true, "test.asm", 8, mkWarning},
      {"> > > test.asm(12) REPT 1(1):18: Fehler: Bereich", true, "test.asm", 12, mkError},
      {"> > >test.asm(11) REPT 2(1): error : range overflow", true, "test.asm", 11, mkError},
      {"> > > test.asm(5): note: an error: here", true, "test.asm", 5, mkOther},
      {"> > > my file (1).asm(7): warning: x", true, "my file (1).asm", 7, mkWarning},
      {"> > > a(b).asm(7): error: x", true, "a(b).asm", 7, mkError},
      {"> > > INTERNAL: error: missing ENDIF", false, "", 0, mkOther},
      {"fatal error, assembly terminated", false, "", 0, mkOther},
      {"> > > x.asm(abc): error: y", false, "", 0, mkOther},
      {"> > > x.asm)12(: error: y", false, "", 0, mkOther},
      {"> > > x.asm(99999999999): error: y", false, "", 0, mkOther},
      {"a(1)", false, "", 0, mkOther},
      {"", false, "", 0, mkOther},
  };
  for (const auto& c : cases) {
    const TLogEntry e = ParseLogEntry(QString::fromUtf8(c.text));
    SCOPED_TRACE(c.text);
    EXPECT_EQ(e.Valid, c.valid);
    if (!c.valid) continue;
    EXPECT_EQ(e.FileName, QString::fromUtf8(c.file));
    EXPECT_EQ(e.Line, c.line);
    EXPECT_EQ(e.Kind, c.kind);
  }
}

TEST(AssembleOutput, ConsoleLinesAndOptionFile) {
  EXPECT_EQ(ConsoleLines("a\r\n\r\n\nb\n  \nc"), (QStringList{"a", "b", "c"}));
  EXPECT_EQ(OptionFileLines("c:\\assemble\\as1418\\", "6811"),
            (QStringList{"-i c:\\assemble\\as1418\\include", "-L -E", "-CPU 6811"}));
}

// What each capture must give: passes, line count, error and warning panels.
TEST(AssembleOutput, RealAssemblerConsoleCaptures) {
  struct {
    const char* file;
    const char* passes;
    const char* lines;
    const char* errors;
    const char* warnings;
  } cases[] = {
      {"case1_clean/out.bin", "1", "102", "Fehler: 0", "Warnung: 0"},
      {"case1_clean/out_pty.bin", "1", "102", "Fehler: 0", "Warnung: 0"},
      {"case2_errors/out.bin", "1", "16", "Fehler: 1", "Warnung: 1"},
      {"case2b_errors_2pass/out.bin", "2", "16", "Fehler: 2", "Warnung: 1"},
      {"case2c_noE_errors_on_console/out.bin", "1", "16", "Fehler: 1", "Warnung: 1"},
      {"case3_german/2pass_LANG_de_DE/out.bin", "2", "16", "Fehler: 2", "Warnung: 1"},
      {"case3_german/LANG_de_DE.UTF-8/out.bin", "1", "16", "Fehler: 1", "Warnung: 1"},
      {"case3_german/LANG_de_DE.ISO-8859-1/out.bin", "1", "16", "Fehler: 1", "Warnung: 1"},
      {"case3_german/LANG_de_codepage1252/out.bin", "1", "16", "Fehler: 1", "Warnung: 1"},
      {"case4_big_20000/out.bin", "1", "20003", "Fehler: 0", "Warnung: 0"},
      {"case4b_progress_1600000/out.bin", "2", "1600013", "Fehler: 0", "Warnung: 0"},
      {"case4b_progress_1600000/out_pty.bin", "2", "1600013", "Fehler: 0", "Warnung: 0"},
      {"windows_build_under_wine/case4b_progress_1600000/out.bin", "2", "1600013", "Fehler: 0", "Warnung: 0"},
      {"windows_build_under_wine/case2_errors/out.bin", "1", "16", "Fehler: 1", "Warnung: 1"},
      {"old_version_1.42bld124/case4b_progress_1600000/out.bin", "2", "1600013", "Fehler: 0", "Warnung: 0"},
      {"old_version_1.42bld124/case4b_progress_1600000/out_pty.bin", "2", "1600013", "Fehler: 0", "Warnung: 0"},
      {"old_version_1.42bld16_x86_64_port/case2_errors/out.bin", "1", "16", "Fehler: 1", "Warnung: 0"},
      {"case6_fatal/out.bin", "1", "", "Fehler:", "Warnungen:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const TRun run = Feed(ReadFixture(QString::fromLatin1(c.file)));
    EXPECT_EQ(run.Passes, QStringLiteral("Durchläufe: ") + QLatin1String(c.passes));
    EXPECT_EQ(run.LinesText, *c.lines ? QStringLiteral("Zeilen: ") + QLatin1String(c.lines) : QStringLiteral("Zeilen:"));
    EXPECT_EQ(run.Summary.ErrorsText, QLatin1String(c.errors));
    EXPECT_EQ(run.Summary.WarningsText, QLatin1String(c.warnings));
    EXPECT_EQ(run.Summary.ErrorsRed, run.Summary.ErrorsText != "Fehler: 0" && run.Summary.ErrorsText != "Fehler:");
  }
}

// Every console capture: the error count agrees with the assembler's exit code.
TEST(AssembleOutput, EveryCaptureAgreesWithExitCode) {
  int checked = 0;
  QDirIterator it(kFixtures, {"out*.bin"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile rcFile(QFileInfo(path).path() + "/rc.txt");
    if (!rcFile.open(QIODevice::ReadOnly)) continue;
    const int rc = QString::fromLatin1(rcFile.readAll()).remove("rc=").trimmed().toInt();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const TRun run = Feed(bytes);
    SCOPED_TRACE(path.toStdString());
    // Some captures were cut off before the summary (and stderr-only ones never have it).
    if (rc != 3 && !bytes.contains("source file") && !bytes.contains("Quelltext")) continue;
    const QString expected = rc == 0 ? "Fehler: 0" : rc == 3 ? "Fehler:" : run.Summary.ErrorsText;
    EXPECT_EQ(run.Summary.ErrorsText, expected);
    EXPECT_EQ(run.Summary.ErrorsRed, rc == 2);
    EXPECT_FALSE(run.Passes.contains(QChar(0x1B)) || run.Passes.contains(u'\b') || run.Passes.endsWith(u' '));
    ++checked;
  }
  EXPECT_GE(checked, 60);
}

// Every log: entries name a source of the case and carry the class the line shows.
TEST(AssembleOutput, EveryLogGivesFilesLinesAndKinds) {
  int entries = 0;
  QDirIterator it(kFixtures, {"*test.log", "*.test.log"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    for (const QString& line : ConsoleLines(file.readAll())) {
      SCOPED_TRACE((path + ": " + line).toStdString());
      const TLogEntry e = ParseLogEntry(line);
      const bool positioned = line.startsWith("> > >") && !line.contains("INTERNAL");
      EXPECT_EQ(e.Valid, positioned);
      if (!e.Valid) continue;
      ++entries;
      EXPECT_TRUE(QStringList({"test.asm", "sub.inc", "bitfuncs.inc", "regs.inc"}).contains(e.FileName));
      EXPECT_GT(e.Line, 0);
      const bool error = line.contains(": error") || line.contains(": Fehler") || line.contains(":error");
      const bool warning = line.contains(": warning") || line.contains(": Warnung");
      EXPECT_EQ(e.Kind, error ? mkError : warning ? mkWarning : mkOther);
    }
  }
  EXPECT_GE(entries, 50);
}

TEST(AssembleOutput, KnownLogs) {
  auto parse = [](const char* name) {
    QList<TLogEntry> list;
    for (const QString& line : ConsoleLines(ReadFixture(QString::fromLatin1(name)))) list << ParseLogEntry(line);
    return list;
  };
  QList<TLogEntry> log = parse("case2_errors/test.log");
  ASSERT_EQ(log.size(), 2);
  EXPECT_EQ(log[0].FileName, "sub.inc");
  EXPECT_EQ(log[0].Line, 3);
  EXPECT_EQ(log[0].Kind, mkError);
  EXPECT_EQ(log[1].FileName, "test.asm");
  EXPECT_EQ(log[1].Line, 8);
  EXPECT_EQ(log[1].Kind, mkWarning);

  log = parse("case5_macro_rept/test.log");
  ASSERT_EQ(log.size(), 5);
  EXPECT_EQ(log[1].Line, 12);
  EXPECT_EQ(log[4].Kind, mkWarning);

  log = parse("case6_fatal/test.log");
  ASSERT_EQ(log.size(), 2);
  EXPECT_TRUE(log[0].Valid);
  EXPECT_FALSE(log[1].Valid);

  log = parse("old_version_1.42bld16_x86_64_port/case5_macro_LANG_de_DE/test.log");
  ASSERT_EQ(log.size(), 5);
  EXPECT_EQ(log[0].FileName, "test.asm");
  EXPECT_EQ(log[0].Line, 9);
  EXPECT_EQ(log[0].Kind, mkError);
  EXPECT_EQ(log[4].Kind, mkWarning);
}
