// What drives the server's clocks: a one-second tick that starts when asked
// (so the first tick comes exactly one second later) and stops when told.
// The program uses TimerTicker; tests use one of their own on an injected
// clock, or none and call the engine's Tick() themselves.
#pragma once

#include <QTimer>

#include <functional>

namespace pm::server {

class Ticker {
 public:
  virtual ~Ticker() = default;
  // (Re)starts ticking: `tick` runs one second from now and every second on.
  virtual void Start(std::function<void()> tick) = 0;
  virtual void Stop() = 0;
};

// A Ticker on a QTimer of 1000 ms.
class TimerTicker : public Ticker {
 public:
  TimerTicker();
  void Start(std::function<void()> tick) override;
  void Stop() override;
  bool Running() const { return timer_.isActive(); }

 private:
  QTimer timer_;
  std::function<void()> tick_;
};

}  // namespace pm::server
