// The 60-column line of the draft list window.
#pragma once

#include <string>
#include <string_view>

namespace pm {

// Builds the draft list line of one pick record (PID|team|player|position|
// round-selection, a trailing "|" allowed): round right-aligned in 3, "-",
// selection left in 3, player name 25, position 3, team name 20, PID 5, each
// blank-padded or cut to its width.
std::string DraftListLine(std::string_view record);

}  // namespace pm
