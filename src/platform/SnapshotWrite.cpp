#include "platform/SnapshotWrite.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace Platform {

namespace {

// Writes the source into a QSaveFile in this process.
bool WriteHere(const QString& path, const TByteSource& source) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  bool ok = true;
  source([&](std::string_view piece) {
    if (ok) ok = file.write(piece.data(), qint64(piece.size())) == qint64(piece.size());
  });
  return ok && file.commit();
}

#ifndef Q_OS_WIN
// Runs in the forked copy: plain system calls and a static buffer, nothing allocated.
struct TChildWriter {
  int Fd = -1;
  bool Ok = true;
  std::size_t Used = 0;
  static inline char Buffer[1 << 16];

  void Flush() {
    for (std::size_t done = 0; Ok && done < Used;) {
      const ssize_t n = ::write(Fd, Buffer + done, Used - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) Ok = false;
      else done += std::size_t(n);
    }
    Used = 0;
  }
  void Put(std::string_view piece) {
    while (Ok && !piece.empty()) {
      const std::size_t n = std::min(piece.size(), sizeof Buffer - Used);
      std::copy_n(piece.data(), n, Buffer + Used);
      Used += n;
      piece.remove_prefix(n);
      if (Used == sizeof Buffer) Flush();
    }
  }
};

[[noreturn]] void WriteInChild(const QByteArray& temp, const QByteArray& path, const TByteSource& source,
                               TChildWriter& writer, const TByteSink& sink) {
  writer.Fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  writer.Ok = writer.Fd >= 0;
  if (writer.Ok) source(sink);
  writer.Flush();
  if (writer.Fd >= 0 && ::close(writer.Fd) != 0) writer.Ok = false;
  if (writer.Ok && ::rename(temp.constData(), path.constData()) != 0) writer.Ok = false;
  if (!writer.Ok) ::unlink(temp.constData());
  ::_exit(writer.Ok ? 0 : 1);
}
#endif

}  // namespace

TSnapshotWrite::~TSnapshotWrite() { Wait(); }

void TSnapshotWrite::Start(const QString& path, const TByteSource& source) {
  Wait();
#ifndef Q_OS_WIN
  // Everything the copy needs is made here, before the fork.
  const QByteArray target = QFile::encodeName(path);
  const QByteArray temp = target + ".tmp";
  TChildWriter writer;
  const TByteSink sink = [&writer](std::string_view piece) { writer.Put(piece); };
  const pid_t pid = ::fork();
  if (pid == 0) WriteInChild(temp, target, source, writer, sink);
  if (pid > 0) {
    FPid = pid;
    return;
  }
#endif
  FSucceeded = WriteHere(path, source);
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
