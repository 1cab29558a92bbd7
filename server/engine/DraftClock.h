// The draft clock: which team is on the clock and how many seconds it has
// left.
//
// Three states: idle (nobody on the clock), running (a team that is signed on
// counts down, one Tick per second) and waiting (a team that is not signed on
// is on the clock, the Commish is to pick for it, nothing counts). Tick
// reports the warnings with 60, 45, 30 and 15 seconds left and the time-out,
// which leaves the clock idle; what is sent and shown for them is the
// engine's business. A pick or a halt stops the clock without a time-out.
//
// Plain C++; the team is held by its name (Latin-1).
#pragma once

#include <cstdint>
#include <string>

namespace pm::server {

class DraftClock {
 public:
  // What one Tick did.
  struct TickResult {
    enum class Kind {
      Idle,      // no clock runs: nothing changed
      Counted,   // one second less, no warning
      Warning,   // one second less, and `seconds` is 60, 45, 30 or 15
      TimedOut,  // the time is up: the clock is idle again
    };
    Kind kind = Kind::Idle;
    int seconds = 0;   // seconds left after the tick
    std::string team;  // the team that was on the clock
  };

  // Puts `team` on the clock with `seconds` (1..32767) to run.
  void Start(const std::string& team, int16_t seconds);
  // Puts `team` on the clock without running it (a team not signed on).
  void Hold(const std::string& team);
  // Takes whoever is on the clock off it (a pick, a halt, a new league).
  void Stop();
  // One second.
  TickResult Tick();

  // The name of the team on the clock, empty when none.
  const std::string& Team() const { return team_; }
  bool OnClock() const { return !team_.empty(); }
  bool Running() const { return running_; }
  int16_t Seconds() const { return seconds_; }
  // The seconds left as shown ("" when the clock does not run).
  const std::string& TimeLeft() const { return timeLeft_; }

 private:
  std::string team_;
  std::string timeLeft_;
  int16_t seconds_ = 0;
  bool running_ = false;
};

}  // namespace pm::server
