#include "server/engine/AutoRun.h"

#include <algorithm>
#include <array>
#include <climits>

#include "common/Common.h"

namespace pm::server {

namespace {

// Minutes before the start at which the run counts down.
constexpr std::array<int, 3> kCountdownMinutes = {1, 5, 10};
constexpr int64_t kMinuteMs = 60'000;

}  // namespace

void AutoRun::Reset() {
  on_ = false;
  cursor_ = 0;
  passed_.clear();
  away_.clear();
  SetStart(std::nullopt);
}

void AutoRun::SetOn(bool on) {
  if (on && !on_) cursor_ = 0;
  on_ = on;
}

int AutoRun::IndexOf(draft::PickLabel label) const {
  const auto teams = static_cast<int>(order_.teams.size());
  if (order_.Empty() || label.round < 1 || label.round > order_.rounds || label.selection < 1 ||
      label.selection > teams)
    return -1;
  return (label.round - 1) * teams + label.selection - 1;
}

std::optional<draft::PickLabel> AutoRun::NextLabel(const draft::PickList& picks) const {
  std::set<draft::PickLabel> done = passed_;
  for (const std::optional<draft::Pick>& pick : picks.Slots())
    if (pick) done.insert(pick->label);
  const int labels = order_.Labels();
  for (int step = 0; step < labels; ++step) {
    const int k = (cursor_ + step) % labels;
    const draft::PickLabel label{order_.RoundOf(k), order_.SelectionOf(k)};
    if (done.count(label) == 0) return label;
  }
  return std::nullopt;
}

void AutoRun::Reached(draft::PickLabel label) {
  const int k = IndexOf(label);
  if (k >= cursor_) cursor_ = k + 1;
}

void AutoRun::Pass(draft::PickLabel label) {
  passed_.insert(label);
  Reached(label);
}

int AutoRun::SecondsFor(int round, bool signedOn) const {
  const draft::AutoDraftSettings& s = order_.settings;
  const int allowed = s.TimeFor(round);
  return signedOn ? allowed : std::min(allowed, s.absentSeconds.value_or(allowed));
}

void AutoRun::SetStart(std::optional<int64_t> atMs) {
  start_ = atMs;
  countdownSaid_ = INT_MAX;
}

void AutoRun::CountdownToldAt(int64_t nowMs) {
  if (!Waiting(nowMs)) return;
  for (int mark : kCountdownMinutes)
    if (*start_ - nowMs <= mark * kMinuteMs && mark < countdownSaid_) countdownSaid_ = mark;
}

std::string AutoRun::CountdownLine(int64_t nowMs) {
  if (!Waiting(nowMs)) return {};
  const int64_t left = *start_ - nowMs;
  for (int mark : kCountdownMinutes) {
    if (left > mark * kMinuteMs || mark >= countdownSaid_) continue;
    countdownSaid_ = mark;
    const auto minutes = static_cast<long long>((left + kMinuteMs - 1) / kMinuteMs);
    return "The draft starts in " + Num(minutes) + (minutes == 1 ? " minute." : " minutes.");
  }
  return {};
}

}  // namespace pm::server
