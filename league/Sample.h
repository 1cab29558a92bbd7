// Writes a complete sample league in the game's formats: the league file
// (league, team and team roster chunks), the player file and both id lists.
// Such a league is for trying and testing the draft programs (the game itself
// needs more chunks than these). The output depends only on the options, and
// every value written reads back unchanged through the league-file module.
#pragma once

#include <string>

namespace pm::league {

struct SampleOptions {
  std::string name = "Sample League";  // LeagueName; cut to 25 characters
  int teams = 12;                      // 1..32, numbered 1..teams
  int college = 300;                   // college draftees (.PYC)
  int freeAgents = 150;                // free agents (.PYF)
  int version = 98;                    // 95, 9697 or 98
  unsigned seed = 1;
};

// Writes the league into `dir` (created when missing) under a base name made
// from the league name (letters and digits, upper case, at most 8; "SAMPLE"
// when none) and returns its LeaguePath (dir + "/" + base). Throws
// std::invalid_argument for options out of range and LeagueError
// ("WriteSampleLeague", 75) when a file cannot be written.
std::string WriteSampleLeague(const std::string& dir, const SampleOptions& options);

}  // namespace pm::league
