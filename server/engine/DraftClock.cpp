#include "server/engine/DraftClock.h"

#include "common/Common.h"

namespace pm::server {

void DraftClock::Start(const std::string& team, int16_t seconds) {
  team_ = team;
  timeLeft_ = Num(seconds);
  seconds_ = seconds;
  running_ = true;
}

void DraftClock::Hold(const std::string& team) { team_ = team; }

void DraftClock::Stop() {
  running_ = false;
  timeLeft_.clear();
  team_.clear();
  seconds_ = 0;
}

DraftClock::TickResult DraftClock::Tick() {
  TickResult r;
  if (!running_) return r;
  seconds_ = static_cast<int16_t>(seconds_ - 1);
  timeLeft_ = Num(seconds_);
  r.seconds = seconds_;
  r.team = team_;
  if (seconds_ <= 0) {
    Stop();
    r.kind = TickResult::Kind::TimedOut;
    return r;
  }
  r.kind = seconds_ <= 60 && seconds_ % 15 == 0 ? TickResult::Kind::Warning : TickResult::Kind::Counted;
  return r;
}

}  // namespace pm::server
