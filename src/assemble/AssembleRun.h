#pragma once
// One assemble run of the project, without any window: the option file, the project's make.bat
// through the command interpreter, its output as lines with pass, line count and summary, and
// the error log. The assemble dialog and the command line both show what it finds.
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

#include "assemble/AssembleLog.h"
#include "assemble/AssembleOutput.h"
#include "assemble/RunProcess.h"

class TProject;
class TProjectFile;

class TAssembleRun {
 public:
  enum TResult { arFinished, arNoMakeBat, arNotStarted, arCancelled };

  TAssembleRun();

  // Enters the project's directory (throws EProjectDirectoryError) and names the run's files.
  void Prepare(const TProject& project);
  const QString& Command() const { return FCommand; }  // the project's make.bat
  // Writes the option file (throws EFileCreateError) and runs make.bat to its end.
  TResult Execute(const QString& asDirectory, const QString& processor);
  // Why the command interpreter could not be started.
  const QString& Failure() const { return FFailure; }
  // After a finished run: make.bat's non-zero status when the assembler counted no error (its
  // program missing, a file it could not open), else empty. Such a run is no success.
  QString UncountedFailure() const;
  // Ends the run prepared or under way together with its child; what arrived is still analysed.
  void Cancel() { FCancelled = true; }

  // Reads the run's error log; the marks then go into the editors of the project's files. A log
  // this run did not write (make.bat ran no assembler, or it died first) is an earlier run's:
  // the list stays empty.
  void LoadLog();
  // Marks every file that an entry names, or only File (one opened after the run).
  void MarkErrors(TProject& project, const TProjectFile* file = nullptr);
  // The run was made for that project.
  bool IsFor(const TProject& project) const;
  // The file a log entry names, as a full path.
  QString EntryPath(const TProject& project, const QString& name) const;

  TAssembleOutput& Output() { return FOutput; }
  TAssembleLog& Log() { return FLog; }
  TRunProcess& RunProcess() { return FRunProcess; }

  // Output as it arrives (the lines are in Output already), and every poll interval of the wait.
  std::function<void(const char* data, qsizetype size)> OnOutput;
  std::function<void()> OnWait;

 private:
  // A line of the program's own among the run's output.
  void Note(const QString& text);
  // The log's entries as marks, read once for all the files that open after the run.
  struct TMarkEntry {
    int Name;  // index into FMarkNames
    int Line;
    int Kind;
  };
  void IndexMarks();
  // What a file looked like, to tell whether the run wrote it.
  struct TFileStamp {
    bool Exists = false;
    qint64 Size = 0;
    QDateTime Modified;
    bool operator==(const TFileStamp&) const = default;
  };
  static TFileStamp Stamp(const QString& path);
  // The file of that name among the project's files (in whatever folder) and those they include,
  // directly or through other includes; "" when none is.
  QString IncludedFile(const TProject& project, const QString& name) const;

  TRunProcess FRunProcess;
  TAssembleOutput FOutput;
  TAssembleLog FLog;
  QString FCommand, FOptionFile, FLogFile;
  QString FDirectory, FProjectPath;  // where the run was made, and for which project
  QString FIncludeDir;                // the assembler's include directory
  TFileStamp FLogBefore;              // the log as the run found it
  QDateTime FRunStart;                // the option file's time, by the clock of its file system
  mutable QStringList FIncluded;      // the project's files, then every file they include, read at the first need
  mutable bool FIncludesRead = false;
  QString FFailure;
  std::vector<TMarkEntry> FMarks;
  QStringList FMarkNames;
  bool FMarksIndexed = false;
  bool FCancelled = false;
};
