#include "server/engine/Ticker.h"

#include <utility>

namespace pm::server {

TimerTicker::TimerTicker() {
  timer_.setInterval(1000);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    if (tick_) tick_();
  });
}

void TimerTicker::Start(std::function<void()> tick) {
  tick_ = std::move(tick);
  timer_.start();  // restarts: the first tick is a full second away
}

void TimerTicker::Stop() { timer_.stop(); }

}  // namespace pm::server
