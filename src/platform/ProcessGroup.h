#pragma once
// A child process together with whatever it starts, so that a hung build can be ended whole.
class QProcess;

namespace ProcessGroup {

// Call before QProcess::start: the child becomes the leader of a group of its own.
void StartInOwnGroup(QProcess& process);

// Kills the child and everything in its group (Windows: the child only).
void KillGroup(QProcess& process);

}  // namespace ProcessGroup
