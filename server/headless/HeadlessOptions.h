// The command line of `PKServer --headless`: everything the windows would
// ask the Commish, given up front.
#pragma once

#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>

#include "draft/DraftOrder.h"
#include "server/engine/DraftServer.h"

namespace pm::server {

inline constexpr const char* kHeadlessUsage =
    "usage: PKServer --headless LEAGUE.LGE [options]\n"
    "Runs the draft server without windows; the transcript goes to standard output.\n"
    "  --free-agents     the free agents are drafted too\n"
    "  --resume          continue the draft recorded in the league's draft file\n"
    "  --clear           start a new draft (the recorded one is kept under a dated name);\n"
    "                    one of the two is required when a draft is recorded\n"
    "  --time SECONDS    the time allowed for each pick (default: the saved order's, else 60)\n"
    "  --auto            run the clock by the draft order; a team whose owner is not signed\n"
    "                    on gets its clock too, and is picked for when its time runs out\n"
    "                    (--resume also does this when the saved order runs automatically)\n"
    "  --absent-time SECONDS  the time a team gets while its owner is not signed on\n"
    "                    (default: the time allowed)\n"
    "  --pause SECONDS   the pause between picks, 0 to 60 (default: the saved order's, else 5)\n"
    "  --rejoin-wait SECONDS  how long a resumed draft waits for its owners to sign on\n"
    "                    again before the first clock (default 30)\n"
    "  --start TIME      no team goes on the clock before TIME: HH:MM (today, or tomorrow\n"
    "                    when it has passed) or YYYY-MM-DD HH:MM; the owners can sign on\n"
    "                    and chat meanwhile\n"
    "  --order FILE      the draft order, one team name per line (default: the saved\n"
    "                    order, else the teams in league order)\n"
    "  --allow-missing   the draft order may leave teams out; they do not pick\n"
    "  --rounds N        the number of rounds (default: the saved order's)\n"
    "  --snake           even rounds run in reverse order\n"
    "  --ratings SP,AC   the ratings summed to choose the best available player\n"
    "                    (SP AC AG ST HA EN IN DI; default: the saved order's, else all)\n"
    "  --port N          the port to listen on (default 7, the port clients use)\n"
    "  --quiet HH:MM-HH:MM  quiet hours: the clock stops and the run holds from the first\n"
    "                    time to the second (default: the saved order's, else none)\n"
    "  --time-zone ZONE  the zone of the quiet hours, e.g. Europe/Berlin (default: the\n"
    "                    saved order's, else the server's)\n"
    "  --notify URL      post a short JSON message to URL when a team goes on the clock,\n"
    "                    a pick is made, the draft pauses and when it is complete\n"
    "  --web PORT        also serve a read-only live draft board to browsers on PORT\n"
    "  --web-bind ADDRESS  the address the web board listens on (default: all)\n"
    "  --web-max N       the most browsers watching at once (default 500)\n"
    "Exit status: 0 the draft is complete or the server was stopped, 1 wrong arguments or\n"
    "draft order, 2 the league cannot be loaded or a file written, 3 the port (or the web\n"
    "board's) cannot be opened, 4 another server runs this league's draft.\n"
    "While it runs: SIGUSR1 or a line \"pause\" on standard input pauses the draft, SIGUSR2\n"
    "or \"resume\" lets it go on; \"trade 3-5 TEAM\" gives a pick to another team.\n";

struct HeadlessOptions {
  using PreviousDraft = server::PreviousDraft;

  std::string leagueFile;  // in the file-name encoding
  bool freeAgents = false;
  PreviousDraft previous = PreviousDraft::Unanswered;
  std::optional<int> timeAllowed;  // nothing: the saved order's
  bool autoRun = false;
  std::optional<int> absentTime;  // nothing: the saved order's
  std::optional<int> pause;       // nothing: the saved order's
  int rejoinWait = 30;            // seconds
  QString start;                  // empty: at once; see StartTime
  std::string orderFile;          // in the file-name encoding; empty: the saved order
  bool allowMissing = false;      // the order file may leave teams out
  int rounds = 0;                 // 0: the order's own
  bool snake = false;
  std::optional<draft::Ratings> ratings;  // nothing: the saved order's
  uint16_t port = 7;
  // The web board: off unless --web names its port.
  std::optional<uint16_t> webPort;
  QString webBind;  // empty: every address
  int webMax = 500;
  std::optional<draft::QuietHours> quietHours;  // nothing: the saved order's
  std::optional<std::string> timeZone;          // nothing: the saved order's
  QString notifyUrl;                            // empty: no webhook
};

// Reads the arguments (the program name first, as QCoreApplication::arguments
// gives them). False with a one-line reason in `error` when they are wrong.
bool ParseHeadlessOptions(const QStringList& arguments, HeadlessOptions* options, std::string* error);

// The moment `--start` names, in milliseconds since the epoch, seen from
// `nowMs`: "HH:MM" is today, or tomorrow when that time has passed;
// "YYYY-MM-DD HH:MM" is that moment. Nothing when the text is neither.
std::optional<int64_t> StartTime(const QString& text, int64_t nowMs);

// True when the arguments ask for the server without windows.
bool WantsHeadless(int argc, char** argv);

}  // namespace pm::server
