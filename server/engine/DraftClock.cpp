#include "server/engine/DraftClock.h"

namespace pm::server {

void DraftClock::Start(int team, draft::PickLabel label, int seconds) {
  state_ = State::Running;
  team_ = team;
  label_ = label;
  seconds_ = seconds;
}

void DraftClock::WaitForCommish(int team, draft::PickLabel label, int seconds) {
  state_ = State::WaitingForCommish;
  team_ = team;
  label_ = label;
  seconds_ = seconds;
}

void DraftClock::Stop() {
  state_ = State::Idle;
  team_ = 0;
  label_ = {};
  seconds_ = 0;
}

void DraftClock::Pause() {
  if (Running()) state_ = State::Paused;
}

void DraftClock::Resume() {
  if (Paused()) state_ = State::Running;
}

DraftClock::TickResult DraftClock::Tick() {
  TickResult r;
  if (!Running()) return r;
  --seconds_;
  r.seconds = seconds_;
  r.team = team_;
  r.label = label_;
  if (seconds_ <= 0) {
    Stop();
    r.kind = TickResult::Kind::TimedOut;
    return r;
  }
  r.kind = seconds_ <= 60 && seconds_ % 15 == 0 ? TickResult::Kind::Warning : TickResult::Kind::Counted;
  return r;
}

}  // namespace pm::server
