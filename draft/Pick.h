// A recorded pick and its texts: the draft-file line
// (PID|team name|player name|position|round-selection), the 60-column line of
// the server's Selections list and the client's draft list, reading such a
// line back, and the label of the next pick.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pm::draft {

// The most picks a draft holds (the server's and the client's pick lists).
inline constexpr int kMaxPicks = 1000;

struct Pick {
  int pid = 0;
  std::string team;      // the team's name as in the league file
  std::string player;    // "First Last"
  std::string position;  // position caption ("QB", ...)
  std::string label;     // round-selection, "r-s"

  bool operator==(const Pick&) const = default;
};

// The one reader of a pick's five fields, separated by `separator` ("|" in
// the draft file, "," in the catch-up message). Missing fields are empty;
// fields past the fifth are ignored; the PID is read as a leading number.
Pick ParsePick(std::string_view text, std::string_view separator = "|");
// The draft-file line of a pick (no line end).
std::string PickRecord(const Pick& pick);

// The picks of a draft file's text: one for every line that is not blank,
// lines ended by CR LF or LF; a UTF-8 byte-order mark at the start is skipped.
std::vector<Pick> ParseDraftFile(std::string_view text);
// The draft file's text of `picks` (CR LF after each).
std::string DraftFileText(const std::vector<Pick>& picks);

// Round right-aligned in columns 1-3, "-", selection left in 5-7, player name
// 8-32, position 33-35, team name 36-55, PID 56-60; every field blank-padded
// and cut at its width.
std::string DraftListFill(const Pick& pick);

// Round and selection read back from such a line (columns 1-3 and 5-7, trimmed).
struct LineLabel {
  std::string round;
  std::string selection;
};
LineLabel ReadSelectionLine(std::string_view line);

// The label after round `round`, selection `selection`: selection + 1, and
// after `teamCount` selection 1 of the next round, as "r-s".
std::string NextLabel(long long round, long long selection, int teamCount);
// The same from a label text "r-s" (numbers read as leading numbers).
std::string NextLabel(std::string_view roundSel, int teamCount);

}  // namespace pm::draft
