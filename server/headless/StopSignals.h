// SIGINT and SIGTERM as a request to stop, for a program without windows.
//
// The handlers only set a flag (all a signal handler may safely do); the
// program looks at it from its event loop.
#pragma once

namespace pm::server {

// Installs the handlers for SIGINT and SIGTERM (Ctrl+C, `kill`, systemd's stop).
void WatchStopSignals();
// True once either signal has arrived.
bool StopRequested();

}  // namespace pm::server
