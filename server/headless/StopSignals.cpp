#include "server/headless/StopSignals.h"

#include <atomic>
#include <csignal>

namespace pm::server {

namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

extern "C" void OnStopSignal(int) { stopRequested.store(true); }

std::atomic<int> pauseRequest{0};  // PauseRequest
static_assert(std::atomic<int>::is_always_lock_free, "the request is set from a signal handler");

#if defined(SIGUSR1) && defined(SIGUSR2)
extern "C" void OnPauseSignal(int signal) {
  pauseRequest.store(static_cast<int>(signal == SIGUSR1 ? PauseRequest::Pause : PauseRequest::Resume));
}
#endif

}  // namespace

void WatchStopSignals() {
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
}

bool StopRequested() { return stopRequested.load(); }

void WatchPauseSignals() {
#if defined(SIGUSR1) && defined(SIGUSR2)
  std::signal(SIGUSR1, OnPauseSignal);
  std::signal(SIGUSR2, OnPauseSignal);
#endif
}

PauseRequest TakePauseRequest() { return static_cast<PauseRequest>(pauseRequest.exchange(0)); }

}  // namespace pm::server
