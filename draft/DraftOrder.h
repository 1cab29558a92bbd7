// The order in which the teams select: the first round's order of team
// numbers, how many rounds, and whether even rounds run the other way
// (snake). Round r, selection s is the label "r-s"; selections run
// 1..teams.size() in every round.
//
// The order is kept beside the league as "<League name>-ORDER.TXT", a plain
// text file the Commish can edit: one team name per line, in first-round
// order, plus two optional setting lines:
//   Rounds: 7
//   Order: Snake        (or Linear)
// A line that is a team's name is always that team, so a setting line can
// never take the place of a team, and a plain list of names is a valid file
// too (linear, kDefaultRounds rounds). Blank lines are ignored; names are
// matched ignoring letter case and surrounding blanks.
//
// Plain C++; texts are Latin-1 byte strings.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pm::draft {

inline constexpr const char* kOrderFileSuffix = "-ORDER.TXT";
// The rounds an order without a "Rounds:" line runs.
inline constexpr int kDefaultRounds = 7;
inline constexpr int kMaxRounds = 99;

struct DraftOrder {
  std::vector<int> teams;  // 1-based team numbers, first-round order
  bool snake = false;      // even rounds run last to first
  int rounds = 1;

  // The team that selects at round-selection (1-based); 0 outside the order.
  int TeamAt(int round, int selection) const;
  // Labels in the whole draft: teams x rounds.
  int Labels() const;
  bool Empty() const { return teams.empty() || rounds < 1; }
  // Label number k (0-based, draft order) as round and selection.
  int RoundOf(int k) const;
  int SelectionOf(int k) const;
  std::string Label(int k) const;

  // Every team in team order, linear, kDefaultRounds rounds (fewer when the
  // draft could not record them all).
  static DraftOrder Default(int teamCount);
  bool operator==(const DraftOrder&) const = default;
};

// What a read of an order text gave.
struct OrderRead {
  DraftOrder order;                  // the teams named, in their order
  std::vector<std::string> unknown;  // lines that are neither a team nor a setting
  std::vector<std::string> missing;  // teams of the league the text does not name
};

// Reads an order text against the league's team names (team 1 first).
// Without a "Rounds:" line the order runs kDefaultRounds rounds; without an
// "Order:" line it is linear. Nothing is guessed: a line that names no team
// is reported in `unknown`, a team not named in `missing`.
OrderRead ReadOrderText(std::string_view text, const std::vector<std::string>& teamNames);

// The order as its file holds it (CR LF lines): the settings, then the names.
std::string OrderText(const DraftOrder& order, const std::vector<std::string>& teamNames);

// The order file of league `leagueName` in `folder`, found whatever the
// letter case of its name; the exact name when there is none yet.
std::string OrderFileIn(const std::string& folder, const std::string& leagueName);

// Reads an order file; nothing when it is missing or cannot be read.
std::optional<OrderRead> ReadOrderFile(const std::string& file, const std::vector<std::string>& teamNames);
// Writes the order file atomically. Empty text on success, else the reason.
std::string WriteOrderFile(const std::string& file, const DraftOrder& order, const std::vector<std::string>& teamNames);

}  // namespace pm::draft
