// A ticker for tests of the server's automatic run: every tick comes at the
// next turn of the event loop, so a pause of any length passes without
// waiting on real seconds.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <utility>

#include "server/engine/Ticker.h"

namespace pm::test {

class InstantTicker : public server::Ticker {
 public:
  InstantTicker() {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (tick_) tick_();
    });
  }
  void Start(std::function<void()> tick) override {
    tick_ = std::move(tick);
    timer_.start();
  }
  void Stop() override { timer_.stop(); }

 private:
  QTimer timer_;
  std::function<void()> tick_;
};

}  // namespace pm::test
