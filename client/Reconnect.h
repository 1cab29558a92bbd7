// Reconnecting after a lost connection: the pauses between attempts, how long
// the client keeps trying, and the timer the pauses run on (tests inject one
// and fire it themselves).
#pragma once

#include <QTimer>

#include <cstdint>
#include <functional>

namespace pm::client {

// The client tries again for this long after the connection was lost.
inline constexpr int64_t kReconnectForMs = int64_t{10} * 60 * 1000;

// The pause before attempt `attempt` (0 = the first): 1, 2, 4, 8 and 15
// seconds, then 30 seconds for every further attempt.
int ReconnectPauseMs(int attempt);

// Runs one pause at a time.
class PauseTimer {
 public:
  virtual ~PauseTimer() = default;
  // Calls `done` once, `ms` milliseconds from now; a pause already running
  // is replaced.
  virtual void Start(int ms, std::function<void()> done) = 0;
  // Cancels the running pause (its `done` is not called).
  virtual void Stop() = 0;
};

// The program's pauses: a single-shot QTimer.
class QtPauseTimer : public PauseTimer {
 public:
  QtPauseTimer();
  void Start(int ms, std::function<void()> done) override;
  void Stop() override;

 private:
  QTimer timer_;
  std::function<void()> done_;
};

}  // namespace pm::client
