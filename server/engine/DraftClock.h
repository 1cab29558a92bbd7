// The draft clock: which team is on the clock, for which pick, in which
// state, and how many seconds it has left. It alone decides whether a team
// may pick now, and whether the Commish may pick for it.
//
// States:
//  - Idle: nobody is on the clock;
//  - Running: the team's clock counts down, one Tick per second; its owner
//    may pick (when signed on), and the Commish may pick for it while it is
//    not signed on;
//  - WaitingForCommish: the team is on the clock without a clock of its own
//    (a team not signed on that the Commish put on the clock, or one the
//    automatic run found nothing to pick for); only the Commish picks. It
//    keeps the seconds the team would have had, for an owner who signs on;
//  - Paused: a running clock stopped (the Commish paused the draft, or quiet
//    hours began) with its seconds kept; nobody's time runs, the owner may
//    not pick, and Resume runs it again from the same seconds.
// Tick reports the warnings with 60, 45, 30 and 15 seconds left and the
// time-out, which leaves the clock idle; what is sent and shown for them is
// the engine's business. A pick or a halt stops the clock without a time-out.
//
// Plain C++.
#pragma once

#include "draft/Pick.h"

namespace pm::server {

class DraftClock {
 public:
  enum class State { Idle, Running, WaitingForCommish, Paused };

  // What one Tick did.
  struct TickResult {
    enum class Kind {
      Idle,      // no clock runs: nothing changed
      Counted,   // one second less, no warning
      Warning,   // one second less, and `seconds` is 60, 45, 30 or 15
      TimedOut,  // the time is up: the clock is idle again
    };
    Kind kind = Kind::Idle;
    int seconds = 0;         // seconds left after the tick
    int team = 0;            // the team that was on the clock
    draft::PickLabel label;  // and its pick
  };

  // Team `team` is on the clock for `label` with `seconds` (at least 1) to run.
  void Start(int team, draft::PickLabel label, int seconds);
  // Team `team` is on the clock for `label`, and the Commish is to pick;
  // `seconds` are what the team would have had.
  void WaitForCommish(int team, draft::PickLabel label, int seconds);
  // Nobody is on the clock (a pick, a halt, a new league).
  void Stop();
  // A running clock stops with its seconds kept / runs on from them. Other
  // states are left as they are.
  void Pause();
  void Resume();
  TickResult Tick();

  State CurrentState() const { return state_; }
  bool OnClock() const { return state_ != State::Idle; }
  bool Running() const { return state_ == State::Running; }
  // The team on the clock (0: none) and the pick it is on the clock for.
  int Team() const { return team_; }
  draft::PickLabel Label() const { return label_; }
  bool Paused() const { return state_ == State::Paused; }
  bool WaitingForCommish() const { return state_ == State::WaitingForCommish; }
  // Seconds left while running, else 0.
  int Seconds() const { return Running() ? seconds_ : 0; }
  // Seconds left while running or paused, else 0.
  int SecondsLeft() const { return Running() || Paused() ? seconds_ : 0; }
  // While waiting for the Commish: the seconds the team would have had.
  int SecondsGiven() const { return seconds_; }

  // The owner of team `team` may pick now.
  bool OwnerMayPick(int team) const { return Running() && team_ == team; }
  // The Commish may pick for the team on the clock; `teamSignedOn` tells
  // whether its owner is signed on (then he picks himself, unless the clock
  // waits for the Commish). A pause does not stop the Commish.
  bool CommishMayPick(bool teamSignedOn) const {
    return state_ == State::WaitingForCommish || ((Running() || Paused()) && !teamSignedOn);
  }

 private:
  State state_ = State::Idle;
  int team_ = 0;
  draft::PickLabel label_;
  int seconds_ = 0;
};

}  // namespace pm::server
