#include "server/headless/StopSignals.h"

#include <atomic>
#include <csignal>

namespace pm::server {

namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

extern "C" void OnStopSignal(int) { stopRequested.store(true); }

}  // namespace

void WatchStopSignals() {
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
}

bool StopRequested() { return stopRequested.load(); }

}  // namespace pm::server
