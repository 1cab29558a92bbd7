// What the owner's room shows of the draft order: the picks coming up, the
// own team's next one, and the banner naming the team on the clock. Plain
// values computed from the session's order, picks and clock, so that the
// windows only show them.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <vector>

#include "draft/PickList.h"

namespace pm::client {

struct UpcomingPick {
  draft::PickLabel label;
  int team = 0;  // the team owning it now
  bool own = false;
};

struct UpNext {
  // The pick in progress (or, with nobody on the clock, the first pick not
  // made) and the picks not made after it, at most the number asked for.
  std::vector<UpcomingPick> picks;
  // The own team's next pick not made, and how many picks come before it
  // (0: it is the pick in progress).
  std::optional<draft::PickLabel> ownNext;
  int picksBefore = 0;
  // The first of `picks` is on the clock (not just the first not made).
  bool running = false;
  // Nothing comes up: every pick of the order is made, or the server said
  // the draft is over.
  bool over = false;

  bool OnTheClock() const { return ownNext && picksBefore == 0 && running; }
  bool OnDeck() const { return ownNext && picksBefore == 1; }
};

// `owners` holds the team owning each pick in draft order, `perRound` picks
// a round; `made` the picks recorded; `current` the pick on the clock, if
// any. Empty when there is no order; `over` when every pick of it is made.
UpNext ComputeUpNext(const std::vector<int>& owners, int perRound, const draft::PickList& made,
                     std::optional<draft::PickLabel> current, int ownTeam, int count);

// "You are on the clock — pick 2-5", "You are on deck — pick 2-6", "Your
// next pick: 3-2, in 5 picks"; "You are up next — pick 2-5" when nobody is
// on the clock; empty when the own team has no pick left.
QString OwnNextText(const UpNext& next);

// The line over the list: the own team's next pick (OwnNextText), else
// "The draft is over.", "No pick of yours left." or, without an order,
// "No draft order known."
QString UpNextHeadline(const UpNext& next);

// Seconds as "0:42" ("1:02:03" from an hour on).
QString ClockText(int seconds);

// The banner over the Draftees: "You are on the clock — pick 2-5 — 0:42"
// for the own team, "Boston Bulldogs is on the clock — pick 2-5 — 0:42"
// for another (`team` is its Latin-1 name); "Paused" instead of the time
// while the clock is paused. Empty when nobody is on the clock.
struct BannerState {
  bool onClock = false;
  bool own = false;
  std::string team;
  std::optional<draft::PickLabel> label;
  int seconds = 0;
  bool paused = false;
};
QString BannerText(const BannerState& state);

// The team the order gave each pick, as far as the owners tell: the first
// round's owners in every round, or, when most of the second round runs the
// other way, reversed in every even round (a snake). A traded pick in the
// first round is not told apart from the order.
std::vector<int> OrderedTeams(const std::vector<int>& owners, int perRound);

}  // namespace pm::client
