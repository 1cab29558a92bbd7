// The automatic run: the clock follows the draft order by itself.
//
// AutoRun holds the run's order, settings and progress and answers the
// run's questions; the engine acts on the answers (puts teams on the clock,
// picks for them, announces). Its rules:
//  - the next pick is the first label of the order without a pick at or
//    after the run's cursor; once the cursor has passed the last label, the
//    run comes back to any label left without a pick (a pick deleted
//    meanwhile), so the draft ends only when every label holds one. Labels
//    passed for lack of players count as done;
//  - a team gets the time allowed, or the absent time while its owner is
//    not signed on, so an owner who signs on during his turn still picks;
//  - a team whose time ran out while its owner was away is picked for at
//    once on its later turns, until the owner signs on again;
//  - the first clock comes no earlier than the start time, if one is set.
//
// Plain C++ (times are milliseconds since the epoch, injected).
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "draft/DraftOrder.h"
#include "draft/PickList.h"

namespace pm::server {

class AutoRun {
 public:
  // A new league: off, no start time, nothing reached, passed or away.
  void Reset();

  bool On() const { return on_; }
  // Turns the run on or off; turned on, it starts again from the first label.
  void SetOn(bool on);

  const draft::DraftOrder& Order() const { return order_; }
  void SetOrder(const draft::DraftOrder& order) { order_ = order; }
  const draft::AutoDraftSettings& Settings() const { return order_.settings; }
  draft::AutoDraftSettings& Settings() { return order_.settings; }

  // The label the run fills next; nothing when every label of the order
  // holds a pick or was passed.
  std::optional<draft::PickLabel> NextLabel(const draft::PickList& picks) const;
  // A pick was recorded at `label` (by anyone): the run goes on after it.
  void Reached(draft::PickLabel label);
  // No player was left for `label`: it counts as done.
  void Pass(draft::PickLabel label);
  int PassedCount() const { return static_cast<int>(passed_.size()); }

  // The seconds a team gets for a pick of round `round`, by whether its
  // owner is signed on.
  int SecondsFor(int round, bool signedOn) const;

  // The team's time ran out while its owner was away / he signed on again.
  void OwnerAway(int team) { away_.insert(team); }
  void OwnerBack(int team) { away_.erase(team); }
  bool PicksAtOnce(int team) const { return away_.count(team) != 0; }

  // The first clock comes no earlier than `atMs` (nothing: at once).
  void SetStart(std::optional<int64_t> atMs);
  std::optional<int64_t> Start() const { return start_; }
  bool Waiting(int64_t nowMs) const { return start_ && nowMs < *start_; }
  // The line that counts down to the start, due at `nowMs` (10, 5 and 1
  // minutes before it, each once); empty when none is due.
  std::string CountdownLine(int64_t nowMs);
  // The time left was told at `nowMs` (the start's own line): the marks
  // already reached are not said again.
  void CountdownToldAt(int64_t nowMs);

 private:
  int IndexOf(draft::PickLabel label) const;

  bool on_ = false;
  draft::DraftOrder order_;
  int cursor_ = 0;  // label index the run has reached
  std::set<draft::PickLabel> passed_;
  std::set<int> away_;
  std::optional<int64_t> start_;
  int countdownSaid_ = 0;  // the mark (minutes) of the last countdown line said
};

}  // namespace pm::server
