#pragma once
// A child process together with whatever it starts, so that a hung build can be ended whole.
class QProcess;

namespace ProcessGroup {

// Call before QProcess::start: the child becomes the leader of a group of its own.
void StartInOwnGroup(QProcess& process);

// Kills the child and everything in its group (Windows: the child only).
void KillGroup(QProcess& process);

// From now on an interrupt (Ctrl+C), a request to terminate or a closed output pipe only sets a
// flag: the child's own group does not get the signal, so the caller ends it when it sees the flag.
void CatchInterrupts();
bool Interrupted();

}  // namespace ProcessGroup
