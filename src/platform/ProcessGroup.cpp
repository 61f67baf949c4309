#include "platform/ProcessGroup.h"

#include <QProcess>

#ifndef Q_OS_WIN
#include <signal.h>
#include <unistd.h>
#endif

namespace ProcessGroup {

void StartInOwnGroup(QProcess& process) {
#ifdef Q_OS_WIN
  (void)process;
#else
  process.setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
}

void KillGroup(QProcess& process) {
#ifndef Q_OS_WIN
  const qint64 pid = process.processId();
  if (pid > 0) ::kill(-static_cast<pid_t>(pid), SIGKILL);
#endif
  process.kill();
}

}  // namespace ProcessGroup
