// A recorded pick and its texts: the draft-file line
// (PID|team name|player name|position|round-selection) and the 60-column line
// of the server's Selections list and the client's draft list; the label of a
// pick as round and selection numbers.
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pm::draft {

// The most picks a draft holds (the server's and the client's pick lists).
inline constexpr int kMaxPicks = 1000;

// Where a pick lies in the draft: round and selection within the round, both
// from 1. Written "r-s" in plain decimal wherever it is shown, sent or filed.
struct PickLabel {
  int round = 0;
  int selection = 0;

  // "r-s" with blanks around either number allowed and leading zeros read
  // as the number ("01-1" is 1-1); each number 1..kMaxPicks. Anything else
  // (a sign, a missing part, other characters) is no label.
  static std::optional<PickLabel> Parse(std::string_view text);
  // The label of pick number `overall` (1 = 1-1) with `teams` selections a round.
  static PickLabel FromOverall(int overall, int teams);

  std::string Text() const;
  bool Valid() const { return round >= 1 && selection >= 1; }
  // Pick number in the draft (1 = 1-1) with `teams` selections a round.
  int Overall(int teams) const { return (round - 1) * teams + selection; }
  // A label of a draft of `teams` teams: its selection is one of them and the
  // draft can record it (its number is at most kMaxPicks).
  bool Fits(int teams) const { return Valid() && selection <= teams && Overall(teams) <= kMaxPicks; }
  // The next label: the next selection, after `teams` selection 1 of the next round.
  PickLabel Next(int teams) const;

  auto operator<=>(const PickLabel&) const = default;
};

struct Pick {
  int pid = 0;
  std::string team;      // the team's name as in the league file
  std::string player;    // "First Last"
  std::string position;  // position caption ("QB", ...)
  PickLabel label;       // invalid ({0, 0}) when the text held none

  bool operator==(const Pick&) const = default;
};

// The one reader of a pick's five fields, separated by `separator` ("|" in
// the draft file, "," in the catch-up message). Missing fields are empty;
// fields past the fifth are ignored; the PID is read as a leading number.
Pick ParsePick(std::string_view text, std::string_view separator = "|");
// The draft-file line of a pick (no line end).
std::string PickRecord(const Pick& pick);

// One record of a draft file: a line that is not blank.
struct DraftRecord {
  int line = 0;      // its line number in the file, from 1
  std::string text;  // the line as the file holds it, without its line end
  Pick pick;         // the line read as a pick (ParsePick)
};

// The records of a draft file's text: one for every line that is not blank,
// lines ended by CR LF or LF; a UTF-8 byte-order mark at the start is skipped.
std::vector<DraftRecord> ParseDraftRecords(std::string_view text);
// The picks of those records.
std::vector<Pick> ParseDraftFile(std::string_view text);
// The draft file's text of `picks` (CR LF after each).
std::string DraftFileText(const std::vector<Pick>& picks);

inline constexpr int kDraftListWidth = 60;
// Round right-aligned in columns 1-3, "-", selection left in 5-7, player name
// 8-32, position 33-35, team name 36-55, PID 56-60; every field blank-padded
// and cut at its width.
std::string DraftListFill(const Pick& pick);

}  // namespace pm::draft
