// The pick record (PID|team name|player name|position|round-selection) as
// both programs show it: the 60-column line of the server's Selections list
// and the client's draft list, reading a line back, and the next label.
#pragma once

#include <string>
#include <string_view>

namespace pm::proto {

// Round right-aligned in columns 1-3, "-", selection left in 5-7, player name
// 8-32, position 33-35, team name 36-55, PID 56-60; every field blank-padded
// and cut at its width. A trailing "|" on the record changes nothing.
std::string DraftListFill(std::string_view pickRecord);

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

}  // namespace pm::proto
