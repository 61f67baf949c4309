#pragma once
// kodrill-cmd: runs a make.bat line by line where no command interpreter of the desktop is at
// hand. Knows "@", echo, set, rem, cd, exit, labels, %NAME% and running programs; says so for
// everything else instead of skipping it silently.
#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

class TBatchInterpreter {
 public:
  // The status of a program that is missing or cannot be started. A status is cut to 8 bits
  // on POSIX, so there the shells' numbers stand in for the desktop's 9009.
#ifdef Q_OS_WIN
  static constexpr int NotFound = 9009, CannotRun = 9009;
#else
  static constexpr int NotFound = 127, CannotRun = 126;
#endif

  TBatchInterpreter();

  // Where the interpreter's own text goes (default: standard output, flushed, so that it
  // stays in order with the output of the programs it starts).
  std::function<void(const QByteArray&)> OnOutput;

  // "/C" arguments: a batch file (".bat"/".cmd") with its arguments, or one command line.
  int RunCommand(const QString& commandLine);
  int RunBatchFile(const QString& fileName, const QStringList& args);
  // One line of a batch file; LineNo is used in messages (0: not from a file).
  void RunLine(const QString& line, int lineNo = 0);

  QProcessEnvironment& Environment() { return FEnv; }
  int ExitCode() const { return FExitCode; }
  bool EchoOn() const { return FEchoOn; }

  // "\" becomes "/", and a drive "c:" that does not exist here is dropped. Public for tests.
  static QString LocalPath(const QString& path);
  // Splits a command line at blanks; double quotes group and are removed.
  static QStringList SplitArguments(const QString& text);
  // Arg, or the one file of its directory whose name equals it when letter case is ignored.
  static QString MatchLetterCase(const QString& arg);

 private:
  QString Expand(const QString& line) const;
  void Print(const QString& text);
  void Unsupported(const QString& line, int lineNo);
  void RunSet(const QString& rest, const QString& line, int lineNo);
  void RunEcho(const QString& rest);
  void RunProgram(const QStringList& args, int lineNo);
  QString FindProgram(const QString& name) const;
  QString SearchPath(const QString& name) const;
  // One of Operators outside quotes.
  bool HasOperator(const QString& line, QStringView operators) const;

  QProcessEnvironment FEnv;
  QStringList FArgs;  // %0 .. %9 of the batch file being run
  bool FEchoOn = true;
  bool FExit = false;
  int FExitCode = 0;
  int FDepth = 0;
};
