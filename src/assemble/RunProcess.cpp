#include "assemble/RunProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include "platform/Paths.h"
#include "platform/ProcessGroup.h"

namespace {

constexpr int kPollMs = 100;
constexpr qint64 kChunk = 1024;
constexpr int kErrorInvalidParameter = 87;
constexpr int kErrorFileNotFound = 2;

// Our own interpreter, used where COMSPEC is not set: beside the program, then along PATH.
QString OwnInterpreter() {
#ifdef Q_OS_WIN
  const QString name = QStringLiteral("kodrill-cmd.exe");
#else
  const QString name = QStringLiteral("kodrill-cmd");
#endif
  const QString beside = Paths::ExecutableDirectory() + name;
  if (QFileInfo(beside).isFile()) return beside;
  for (const QString& dir : TRunProcess::GetEnvVar(QStringLiteral("PATH")).split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
    const QString candidate = QDir(dir).filePath(name);
    if (QFileInfo(candidate).isFile()) return candidate;
  }
  return QString();
}

QString FindFile(const QString& name) {
  if (QFileInfo(name).isFile()) return name;
  QStringList list{Paths::ExecutableDirectory()};
  list += TRunProcess::GetEnvVar(QStringLiteral("PATH")).split(QDir::listSeparator(), Qt::SkipEmptyParts);
  for (const QString& entry : list) {
    if (entry.isEmpty()) continue;
    const QString candidate =
        entry.endsWith(Paths::Separator()) || entry.endsWith(u':') ? entry + name : entry + Paths::Separator() + name;
    if (QFileInfo(candidate).isFile()) return candidate;
  }
  return QString();
}

}  // namespace

TRunProcess::TRunProcess() = default;
TRunProcess::~TRunProcess() = default;

QString TRunProcess::GetEnvVar(const QString& name) { return qEnvironmentVariable(name.toLocal8Bit().constData()); }

QString TRunProcess::SearchExecutable(const QString& command, bool exeFirst) {
  if (command.isEmpty()) return QString();
  const qsizetype blank = command.indexOf(u' ');
  const QString name = Paths::FromStored(blank < 0 ? command : command.left(blank));
  if (!Paths::ExtractFileExt(name).isEmpty()) return FindFile(name);
  const QStringList exts = exeFirst ? QStringList{".EXE", ".COM", ".BAT"} : QStringList{".COM", ".EXE", ".BAT"};
  for (const QString& ext : exts) {
    const QString found = FindFile(name + ext);
    if (!found.isEmpty()) return found;
  }
  // Programs here carry no extension.
  return FindFile(name);
}

void TRunProcess::DoError(const QString& msg) {
  if (OnError) OnError(this, msg);
}
void TRunProcess::DoDebug(const QString& msg) {
  if (OnDebug) OnDebug(this, msg);
}
bool TRunProcess::DoTaskSwitch() { return OnTaskSwitch ? OnTaskSwitch(this) : true; }
void TRunProcess::DoRedirectChar(char ch) {
  if (OnRedirectChar) OnRedirectChar(this, ch);
}
void TRunProcess::DoRedirect(const char* data, qsizetype size) {
  if (OnRedirect) {
    OnRedirect(this, data, size);
    return;
  }
  for (qsizetype i = 0; i < size; ++i) DoRedirectChar(data[i]);
}
void TRunProcess::DoComplete() {
  if (OnComplete) OnComplete(this);
}

bool TRunProcess::BuildCommand(QString& program, QString& arguments, QString& display) {
  if (UseComSpec) {
    const QString comspec = GetEnvVar(QStringLiteral("COMSPEC"));
    DoDebug(QStringLiteral("Using COMSPEC=") + comspec);
    program = comspec.isEmpty() ? OwnInterpreter() : comspec;
    arguments = QStringLiteral("/C ") + Command;
    display = program + u' ' + arguments;
    if (program.isEmpty()) program = QStringLiteral("kodrill-cmd");  // fails to start, reported below
    return true;
  }
  program = SearchExecutable(Command, true);
  if (program.isEmpty()) {
    FErrorCode = kErrorFileNotFound;
    DoError(QStringLiteral("Process not found: \"") + Command + u'"');
    return false;
  }
  DoDebug(QStringLiteral("Process Full File Name: ") + program);
  const qsizetype blank = Command.indexOf(u' ');
  arguments = blank < 0 ? QString() : Command.mid(blank + 1);
  display = program + (blank < 0 ? QString() : Command.mid(blank));
  return true;
}

void TRunProcess::Flush(QProcess& process) {
  char buffer[kChunk];
  for (;;) {
    const qint64 available = process.bytesAvailable();
    if (available <= 0) break;
    DoDebug(QStringLiteral("Flush Redirection (bytes: %1)").arg(qMin(available, kChunk)));
    const qint64 n = process.read(buffer, kChunk);
    if (n <= 0) break;
    DoRedirect(buffer, n);
  }
}

void TRunProcess::Wait(QProcess& process, bool capture) {
  DoDebug(QStringLiteral("Begin Wait Process Completion"));
  if (capture) DoDebug(QStringLiteral("Begin Redirection"));
  QElapsedTimer poll;
  poll.start();
  for (;;) {
    // Wake early for output so that it flows while the child runs; the owner is asked
    // every poll interval whether waiting may go on.
    QElapsedTimer slice;
    slice.start();
    // A child that closed its output early makes waitForReadyRead return at once: wait for
    // its end instead of spinning.
    if (!capture || (!process.waitForReadyRead(kPollMs) && slice.elapsed() < kPollMs / 2))
      process.waitForFinished(int(qMax<qint64>(1, kPollMs - slice.elapsed())));
    if (process.state() == QProcess::NotRunning) break;
    if (poll.elapsed() >= kPollMs) {
      poll.restart();
      if (!DoTaskSwitch()) {
        DoError(QStringLiteral("Force Exit: Process Wait Completion Aborted"));
        return;
      }
    }
    if (capture) Flush(process);
  }
  if (capture) {
    Flush(process);
    DoDebug(QStringLiteral("End Redirection"));
  }
  DoDebug(QStringLiteral("End Wait Process Completion"));
}

bool TRunProcess::Execute() {
  if (FRunning) return false;  // never nested on one instance
  if (Command.isEmpty()) {
    FErrorCode = kErrorInvalidParameter;
    DoError(QStringLiteral("Process Command Empty"));
    return false;
  }
  QString program, arguments, display;
  if (!BuildCommand(program, arguments, display)) return false;

  const bool capture = UseShow == -2;
  QProcess process;
  if (capture) {
    DoDebug(QStringLiteral("Creating Redirection Handles"));
    UseShow = 0;
    process.setProcessChannelMode(QProcess::MergedChannels);
  } else {
    process.setProcessChannelMode(QProcess::ForwardedChannels);
  }
  process.setProgram(program);
#ifdef Q_OS_WIN
  process.setNativeArguments(arguments);
#else
  // The interpreter gets its command as one argument, unquoted, as it was written.
  process.setArguments(UseComSpec ? QStringList{QStringLiteral("/C"), Command} : QProcess::splitCommand(arguments));
#endif
  ProcessGroup::StartInOwnGroup(process);
  DoDebug(QStringLiteral("Creating Process: [") + display + u']');

  bool result = false;
  FRunning = true;
  FExitCode = -1;
  if (!UseWait) {
    qint64 pid = 0;
    if (capture) process.setStandardOutputFile(QProcess::nullDevice());
    result = process.startDetached(&pid);
    if (!result) FErrorCode = kErrorFileNotFound;
  } else {
    process.start();
    result = process.waitForStarted(-1);
    if (!result) FErrorCode = process.error() == QProcess::FailedToStart ? kErrorFileNotFound : int(process.error()) + 1000;
    else process.closeWriteChannel();
  }
  if (!result) {
    DoError(QStringLiteral("CreateProcess Error (%1) ").arg(FErrorCode) + Command);
  } else {
    FErrorCode = 0;
    if (UseWait) {
      Wait(process, capture);
      if (process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit)
        FExitCode = process.exitCode();
    }
    // A run cut short ends the child and whatever it started, so nothing hangs on.
    if (process.state() != QProcess::NotRunning) {
      ProcessGroup::KillGroup(process);
      process.waitForFinished(1000);
    }
    DoDebug(QStringLiteral("Closing Process/Thread handles"));
  }
  if (capture) DoDebug(QStringLiteral("Closing Redirection Handles"));
  FRunning = false;
  if (result) DoComplete();
  return result;
}
