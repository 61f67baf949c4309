#include "platform/SnapshotWrite.h"

#include <QFile>

#include "platform/FileWrite.h"

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/FdWriter.h"
#endif

namespace Platform {

#ifndef Q_OS_WIN
namespace {

// The forked copy's buffer: nothing may be allocated there.
char ChildBuffer[1 << 16];

[[noreturn]] void WriteInChild(const QByteArray& temp, const QByteArray& path, const TByteSource& source,
                               TFdWriter& writer, const TByteSink& sink) {
  writer.Fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (writer.Fd < 0) writer.Error = errno;
  if (!writer.Error) source(sink);
  writer.Flush();
  if (writer.Fd >= 0 && ::close(writer.Fd) != 0) writer.Error = errno;
  if (!writer.Error && ::rename(temp.constData(), path.constData()) != 0) writer.Error = errno;
  if (writer.Error) ::unlink(temp.constData());
  ::_exit(writer.Error ? 1 : 0);
}

}  // namespace
#endif

TSnapshotWrite::~TSnapshotWrite() { Wait(); }

void TSnapshotWrite::Start(const QString& path, const TByteSource& source) {
  Wait();
#ifndef Q_OS_WIN
  // Everything the copy needs is made here, before the fork.
  const QByteArray target = QFile::encodeName(path);
  const QByteArray temp = target + ".tmp";
  TFdWriter writer{-1, ChildBuffer, sizeof ChildBuffer};
  const TByteSink sink = [&writer](std::string_view piece) { writer.Put(piece); };
  const pid_t pid = ::fork();
  if (pid == 0) WriteInChild(temp, target, source, writer, sink);
  if (pid > 0) {
    FPid = pid;
    return;
  }
#endif
  FSucceeded = WriteFile(path, source).isEmpty();
}

bool TSnapshotWrite::Running() {
#ifndef Q_OS_WIN
  if (FPid <= 0) return false;
  int status = 0;
  const pid_t done = ::waitpid(pid_t(FPid), &status, WNOHANG);
  if (done == 0) return true;
  Finished(done == pid_t(FPid) ? status : -1);
#endif
  return false;
}

void TSnapshotWrite::Wait() {
#ifndef Q_OS_WIN
  if (FPid <= 0) return;
  int status = 0;
  pid_t done;
  do done = ::waitpid(pid_t(FPid), &status, 0);
  while (done < 0 && errno == EINTR);
  Finished(done == pid_t(FPid) ? status : -1);
#endif
}

void TSnapshotWrite::Finished(int status) {
#ifndef Q_OS_WIN
  FSucceeded = status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
#else
  (void)status;
#endif
  FPid = -1;
}

}  // namespace Platform
