#pragma once
// What the assemble dialog reads from the assembler: console output turned into lines with the
// live pass and line count, the summary counts, and the entries of the error log. Both the
// classic forms ("> > >name(12) : Fehler : ...") and today's ("> > > name(12):9: error: ...").
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstring>
#include <vector>

// Counts and colours of the summary lines ("      2 errors", "      1 Warnung"). The panel texts
// are built when asked for: a flood of summary lines then costs no text each.
struct TAssembleSummary {
  QString ErrorsText() const;    // "Fehler:" until a count was seen, then "Fehler: 2"
  QString WarningsText() const;  // "Warnungen:" until a count was seen, then "Warnung: 1"
  bool ErrorsRed = false;       // an error count > 0 was seen
  bool WarningsYellow = false;  // a warning count > 0 was seen
  bool ErrorsSeen = false;
  bool WarningsSeen = false;
  qint64 Errors = 0;    // the latest error count
  qint64 Warnings = 0;  // the latest warning count
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
  int Column = 0;  // the byte column in that line ("name(12):9:"); 0: none given
  int Kind = mkOther;
  qsizetype MessageStart = 0;  // where the message text begins, after class word and colon
};

TLogEntry ParseLogEntry(const QString& text);

// A line as it may reach the screen: terminal control sequences removed, backspaces applied,
// other control characters (tab aside) shown as U+FFFD.
QString DisplayableLine(const QString& line);

// Only printable ASCII and tabs: such a line is shown as it is.
inline bool IsPlainText(const char* data, qsizetype size) {
  // No early exit: the compiler makes one fast pass of this.
  unsigned char other = 0;
  for (qsizetype i = 0; i < size; ++i) {
    const auto c = static_cast<unsigned char>(data[i]);
    other |= (static_cast<unsigned char>(c - 0x20) > 0x5E) & (c != '\t');
  }
  return other == 0;
}

// One line of console bytes as it is shown: decoded from the console code page, displayable.
QString ConsoleLineText(const char* data, qsizetype size);

// Finds line ends (CR or LF) in a block of bytes with a fast scan. It remembers where the next
// one of each kind stands, so that a block with only one kind is not scanned again per line.
class TLineEndScanner {
 public:
  TLineEndScanner(const char* data, qsizetype size) : FData(data), FSize(size) {}
  // The first CR or LF at From or after; the block's size when there is none.
  qsizetype Next(qsizetype from) {
    if (FCR < from) FCR = Find('\r', from);
    if (FLF < from) FLF = Find('\n', from);
    return FCR < FLF ? FCR : FLF;
  }

 private:
  qsizetype Find(char ch, qsizetype from) const {
    const void* at = from < FSize ? std::memchr(FData + from, ch, size_t(FSize - from)) : nullptr;
    return at ? static_cast<const char*>(at) - FData : FSize;
  }
  const char* FData;
  qsizetype FSize;
  qsizetype FCR = -1, FLF = -1;
};

// The assembler splits the option file's lines at blanks, quotes or not, and refuses an option
// without its value: a value goes in only when it is there and has no blank.
bool FitsOptionFile(const QString& value);
// The lines of the option file for the assembler's include directory and the processor; a value
// that does not fit leaves its line out.
QStringList OptionFileLines(const QString& includeDirectory, const QString& processor);

// Turns the bytes of a run into lines and follows passes, line count and summary.
class TAssembleOutput {
 public:
  // A pending line longer than this is shown in pieces.
  static constexpr qsizetype MaxLineBytes = 4096;

  void BeginRun();
  // Output as it arrives, in pieces of any size.
  void AddBytes(const char* data, qsizetype size);
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

 private:
  void AddFirstLine();
  void CompleteLine(const QString& line);
  void CompletePending();
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
  std::vector<TOpenFile> FOpenFiles;
  qint64 FLinesDone = 0;
  bool FLastWasPosition = false;  // the last non-empty line gave a file position
  qint64 FLineCount = 0;
  QString FPassesText;
  bool FLinesSeen = false;  // a line with a position was seen in this run
  qint64 FLinesShown = 0;   // the count as of that line (a new pass resets the count only)
  TAssembleSummary FSummary;
};
