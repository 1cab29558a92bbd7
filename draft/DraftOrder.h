// The order in which the teams select: the first round's order of team
// numbers, how many rounds, and whether even rounds run the other way
// (snake). Round r, selection s is the label "r-s"; selections run
// 1..teams.size() in every round.
//
// The order is kept beside the league as "<League name>-ORDER.TXT", a plain
// text file the Commish can edit: one team name per line, in first-round
// order, plus optional setting lines "Key: value". Rounds and Order are
// always written; the automatic draft's settings only when they differ from
// their defaults, so a file written before they existed reads back the same:
//   Rounds: 7
//   Order: Snake                 (or Linear)
//   Rule: Best available         (or Wait for the Commish, the default)
//   Ratings: SP,AC,AG            (summed by the best-available rule; default all)
//   Pause: 5                     (seconds between picks of the automatic run)
//   Absent time: 60              (seconds an absent team is given; default the time allowed)
//   Time: 60                     (the time allowed per pick)
//   Automatic: Yes               (the clock runs itself; default No)
//   Quiet hours: 23:00-08:00     (the clock stops and the run holds; default none)
//   Time zone: Europe/Berlin     (the zone of the quiet hours; default the server's)
// A line that is a team's name is always that team, so a setting line can
// never take the place of a team, and a plain list of names is a valid file
// too (linear, kDefaultRounds rounds). Blank lines and a UTF-8 byte-order
// mark are ignored; names, setting keys and their words are matched ignoring
// letter case and surrounding blanks.
//
// Plain C++; texts are Latin-1 byte strings.
#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "draft/Draftees.h"
#include "draft/Pick.h"

namespace pm::draft {

inline constexpr const char* kOrderFileSuffix = "-ORDER.TXT";
// The rounds an order without a "Rounds:" line runs.
inline constexpr int kDefaultRounds = 7;
inline constexpr int kMaxRounds = 99;
// An order file larger than this is refused unread.
inline constexpr std::size_t kMaxOrderFileBytes = std::size_t{64} * 1024;

// The rating boxes summed by the best-available rule (kRatingCaptions order).
using Ratings = std::array<bool, kRatingBoxes>;
inline constexpr Ratings kAllRatings = {true, true, true, true, true, true, true, true};

// How the automatic run picks for a team that is absent or out of time and
// has no usable wish list.
enum class AutoPickRule { WaitForCommish, BestAvailable };

inline constexpr int kMaxPauseSeconds = 60;
// A pick may be given up to a day, for drafts that run over days.
inline constexpr int kMaxPickSeconds = 86400;

// A daily stretch of time, in minutes after midnight: from `start` up to
// `end` (the next day when `end` is not after `start`).
struct QuietHours {
  int start = 0;
  int end = 0;
  // Whether `minute` (0..1439) lies in it.
  bool Holds(int minute) const;
  // "23:00-08:00".
  std::string Text() const;
  // Reads "HH:MM-HH:MM"; nothing when that is not what `text` holds or the
  // stretch is empty.
  static std::optional<QuietHours> Parse(std::string_view text);
  bool operator==(const QuietHours&) const = default;
};

// The automatic draft's settings, kept in the order file.
struct AutoDraftSettings {
  AutoPickRule rule = AutoPickRule::WaitForCommish;
  Ratings ratings = kAllRatings;
  int pauseSeconds = 5;              // between picks of the automatic run, 0..kMaxPauseSeconds
  std::optional<int> absentSeconds;  // the time an absent team is given; nothing: timeAllowed
  int timeAllowed = 60;              // seconds per pick, 1..kMaxPickSeconds
  bool automatic = false;            // the clock runs itself
  // Seconds per pick in particular rounds, instead of timeAllowed.
  std::map<int, int> roundSeconds{};
  // When the clock stops and the run holds, and the time zone it is read in
  // (an IANA name; empty: the server's own).
  std::optional<QuietHours> quietHours{};
  std::string timeZone{};
  // The seconds a pick of round `round` is given.
  int TimeFor(int round) const;
  bool operator==(const AutoDraftSettings&) const = default;
};

struct DraftOrder {
  std::vector<int> teams;  // 1-based team numbers, first-round order
  bool snake = false;      // even rounds run last to first
  int rounds = 1;
  // Braced, so that {teams, snake, rounds} needs no fourth initialiser.
  AutoDraftSettings settings{};
  // Picks traded: the team that owns the pick at a label instead of the
  // team the order gives it to.
  std::map<PickLabel, int> traded{};

  // The team the order gives round-selection to (1-based); 0 outside the order.
  int TeamAt(int round, int selection) const;
  // The team that owns the pick at `label`: its trade's, else the order's;
  // 0 outside the order.
  int OwnerOf(PickLabel label) const;
  // The labels of the order, in draft order.
  PickLabel LabelAt(int k) const { return {RoundOf(k), SelectionOf(k)}; }
  // Whether `label` is a pick of this order.
  bool Has(PickLabel label) const;
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
  DraftOrder order;                      // the teams named, in their order, and the settings
  bool roundsSet = false;                // the text has a valid "Rounds:" line
  bool kindSet = false;                  // the text has a valid "Order:" line
  std::vector<std::string> unknown;      // lines that are neither a team nor a setting
  std::vector<std::string> duplicates;   // lines naming a team named before
  std::vector<std::string> badSettings;  // setting lines whose value is not allowed
  std::vector<std::string> missing;      // teams of the league the text does not name
  // Anything to tell the Commish: a line not used, or a team left out.
  bool Flawed() const;
};

// Reads an order text against the league's team names (team 1 first).
// Without a "Rounds:" line the order runs kDefaultRounds rounds; without an
// "Order:" line it is linear; a setting without its line keeps its default.
// Nothing is guessed: every line not used and every team not named is
// reported in one of the lists.
OrderRead ReadOrderText(std::string_view text, const std::vector<std::string>& teamNames);

// The order as its file holds it (CR LF lines): the settings, the names,
// then the traded picks ("3-5: Boston Bulldogs").
std::string OrderText(const DraftOrder& order, const std::vector<std::string>& teamNames);

// What the value of the setting line `line` must be ("Rounds must be a whole
// number from 1 to 99"); empty when the line is no setting.
std::string SettingRule(std::string_view line);

// The ratings "SP,AC,..." name (kRatingCaptions without '&'; letter case and
// blanks ignored, empty parts skipped). Nothing when a part names no rating
// or none is named; `error` then says why.
std::optional<Ratings> ReadRatings(std::string_view text, std::string* error = nullptr);
// The ratings ticked as "SP,AC,...".
std::string RatingsText(const Ratings& ratings);

// What a message shows of a reported list: at most kShownNames entries, each
// cut to kShownLength characters, so that a huge file cannot flood it;
// `more` counts the entries left out.
inline constexpr std::size_t kShownNames = 10;
inline constexpr std::size_t kShownLength = 60;
struct ShownList {
  std::vector<std::string> names;
  int more = 0;
};
ShownList ShownNames(const std::vector<std::string>& names);
// Those names for a message: each on an indented line of its own, then how
// many more there are.
std::string ListedNames(const std::vector<std::string>& names);
// What a read left out, for a message: a section for each kind of problem
// (unknown names, teams named twice, bad setting lines, missing teams), each
// on lines of its own and bounded as ShownNames; empty when nothing.
std::string OrderProblems(const OrderRead& read);

// The order file of league `leagueName` in `folder`, found whatever the
// letter case of its name; the exact name when there is none yet.
std::string OrderFileIn(const std::string& folder, const std::string& leagueName);

enum class OrderFileStatus { Read, Missing, Unreadable, TooLarge };
// Reads an order file; nothing when it is missing, cannot be read or is
// larger than kMaxOrderFileBytes (never read whole), `status` then says which.
std::optional<OrderRead> ReadOrderFile(const std::string& file, const std::vector<std::string>& teamNames,
                                       OrderFileStatus* status = nullptr);
// Why an order file was not read, to follow its name ("is missing").
std::string OrderFileProblem(OrderFileStatus status);
// Writes the order file atomically. Empty text on success, else the reason.
std::string WriteOrderFile(const std::string& file, const DraftOrder& order, const std::vector<std::string>& teamNames);

}  // namespace pm::draft
