// The command line of `PKServer --headless`: everything the windows would
// ask the Commish, given up front.
#pragma once

#include <QStringList>

#include <cstdint>
#include <string>

#include "draft/DraftOrder.h"

namespace pm::server {

inline constexpr const char* kHeadlessUsage =
    "usage: PKServer --headless LEAGUE.LGE [options]\n"
    "Runs the draft server without windows; the transcript goes to standard output.\n"
    "  --free-agents     the free agents are drafted too\n"
    "  --resume          continue the draft recorded in the league's draft file\n"
    "  --clear           start a new draft (the recorded one is kept under a dated name);\n"
    "                    one of the two is required when a draft is recorded\n"
    "  --time SECONDS    the time allowed for each pick (default 60)\n"
    "  --auto            run the clock by the draft order and pick for absent or late teams\n"
    "  --order FILE      the draft order, one team name per line (default: the saved\n"
    "                    order, else the teams in league order)\n"
    "  --allow-missing   the --order file may leave teams out; they do not pick\n"
    "  --rounds N        the number of rounds (default: the saved order's)\n"
    "  --snake           even rounds run in reverse order\n"
    "  --ratings SP,AC   the ratings summed to choose the best available player\n"
    "                    (SP AC AG ST HA EN IN DI; default all)\n"
    "  --port N          the port to listen on (default 7, the port clients use)\n";

struct HeadlessOptions {
  enum class PreviousDraft { Unanswered, Resume, Clear };

  std::string leagueFile;  // in the file-name encoding
  bool freeAgents = false;
  PreviousDraft previous = PreviousDraft::Unanswered;
  int timeAllowed = 60;
  bool autoRun = false;
  std::string orderFile;      // in the file-name encoding; empty: the saved order
  bool allowMissing = false;  // the order file may leave teams out
  int rounds = 0;             // 0: the order's own
  bool snake = false;
  draft::Ratings ratings = draft::kAllRatings;
  uint16_t port = 7;
};

// Reads the arguments (the program name first, as QCoreApplication::arguments
// gives them). False with a one-line reason in `error` when they are wrong.
bool ParseHeadlessOptions(const QStringList& arguments, HeadlessOptions* options, std::string* error);

// True when the arguments ask for the server without windows.
bool WantsHeadless(int argc, char** argv);

}  // namespace pm::server
