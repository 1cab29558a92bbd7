// SIGINT and SIGTERM as a request to stop, SIGUSR1 and SIGUSR2 as the
// Commish's pause and resume, for a program without windows.
//
// The handlers only set a flag (all a signal handler may safely do); the
// program looks at it from its event loop.
#pragma once

namespace pm::server {

// Installs the handlers for SIGINT and SIGTERM (Ctrl+C, `kill`, systemd's stop).
void WatchStopSignals();
// True once either signal has arrived.
bool StopRequested();

// Installs the handlers for SIGUSR1 (pause) and SIGUSR2 (resume) where the
// system has them.
void WatchPauseSignals();
enum class PauseRequest { None, Pause, Resume };
// The last of the two that arrived since the last call.
PauseRequest TakePauseRequest();

}  // namespace pm::server
