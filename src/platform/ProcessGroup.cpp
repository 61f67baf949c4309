#include "platform/ProcessGroup.h"

#include <QProcess>

#include <csignal>

#ifndef Q_OS_WIN
#include <signal.h>
#include <unistd.h>
#endif

namespace ProcessGroup {

namespace {
volatile sig_atomic_t interrupted = 0;
}  // namespace

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

void CatchInterrupts() {
#ifndef Q_OS_WIN
  struct sigaction action = {};
  action.sa_handler = [](int) { interrupted = 1; };
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) ::sigaction(signal, &action, nullptr);
#endif
}

bool Interrupted() { return interrupted != 0; }

}  // namespace ProcessGroup
