#pragma once
// What the assemble dialog reads from the assembler: console output turned into lines with the
// live pass and line count, the summary counts, and the entries of the error log. Both the
// classic forms ("> > >name(12) : Fehler : ...") and today's ("> > > name(12):9: error: ...").
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Panel texts and colours from the summary lines ("      2 errors", "      1 Warnung").
struct TAssembleSummary {
  QString ErrorsText = QStringLiteral("Fehler:");
  QString WarningsText = QStringLiteral("Warnungen:");
  bool ErrorsRed = false;       // an error count > 0 was seen
  bool WarningsYellow = false;  // a warning count > 0 was seen
};

// Runs the five keyword tests on one output line; a count is taken only where the text in
// front of the keyword is a whole number.
void AnalyseSummaryLine(const QString& line, TAssembleSummary& summary);

// Mark kinds as the project model takes them.
enum TMarkKind { mkWarning = 0, mkError = 1, mkOther = 2 };

struct TLogEntry {
  bool Valid = false;  // a file name and a line number were found
  QString FileName;
  int Line = 0;
  int Kind = mkOther;
};

TLogEntry ParseLogEntry(const QString& text);

// Splits file or output bytes at CR, LF or CR LF, converts each line from the console code
// page, makes it displayable and drops the empty ones (the error log as the list shows it).
QStringList ConsoleLines(const QByteArray& bytes);

// A line as it may reach the screen: terminal control sequences removed, backspaces applied,
// other control characters (tab aside) shown as U+FFFD.
QString DisplayableLine(const QString& line);

// The three lines of the option file for the assembler directory and the processor.
QStringList OptionFileLines(const QString& asDirectory, const QString& processor);

// Turns the bytes of a run into lines and follows passes, line count and summary.
class TAssembleOutput {
 public:
  // A pending line longer than this is shown in pieces.
  static constexpr qsizetype MaxLineBytes = 4096;

  void BeginRun();
  void AddChar(char ch) {
    if (!FFirstLineAdded) AddFirstLine();
    if (FLastWasCR) {
      FLastWasCR = false;
      if (ch == '\n') {  // the LF of a CR LF pair
        if (FLastWasPosition) EndOfFile();
        return;
      }
    }
    if (ch == '\n' || ch == '\r') {
      CompleteLine();
      // A position line that ends in a bare CR is progress: the next one overwrites it.
      if (ch == '\n' && FLastWasPosition) EndOfFile();
      FLastWasCR = ch == '\r';
      return;
    }
    FPending.append(ch);
    if (FPending.size() >= MaxLineBytes) SplitLongLine();
  }
  void AddBytes(const char* data, qsizetype size) {
    for (qsizetype i = 0; i < size; ++i) AddChar(data[i]);
  }
  // Completes a line left without a line end, so that it shows in its own run.
  void EndRun();

  // Completed lines the view has not taken yet.
  QStringList TakeLines();
  qsizetype RunLineCount() const { return FRunLines; }
  qint64 LineCount() const { return FLineCount; }
  // Texts of the live panels: changed by "PASS" lines and by lines ending in ")".
  QString PassesText() const { return FPassesText; }
  QString LinesText() const;
  const TAssembleSummary& Summary() const { return FSummary; }

  // Called after each completed line (the dialog serves its event loop from here).
  std::function<void()> OnLine;

 private:
  void AddFirstLine();
  void CompleteLine();
  void SplitLongLine();
  void ProcessLine(const QString& line);
  void AppendLine(const QString& line);
  void Position(QStringView name, qint64 lines);
  void EndOfFile();
  void CloseFilesAbove(qsizetype index);

  QByteArray FPending;
  QStringList FLines;
  qsizetype FRunLines = 0;
  bool FFirstLineAdded = false;
  bool FLastWasCR = false;
  // Lines of this pass: files done, plus the files still open (an include's parents) with the
  // latest line each reported; the innermost last.
  struct TOpenFile {
    QString Name;
    qint64 Lines;
  };
  QList<TOpenFile> FOpenFiles;
  qint64 FLinesDone = 0;
  bool FLastWasPosition = false;  // the last non-empty line gave a file position
  qint64 FLineCount = 0;
  QString FPassesText;
  bool FLinesSeen = false;  // a line with a position was seen in this run
  qint64 FLinesShown = 0;   // the count as of that line (a new pass resets the count only)
  TAssembleSummary FSummary;
};
