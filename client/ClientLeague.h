// The league the client drafts in: loading it from a league file (the league
// window's double-click) and what the load leaves for the session.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/ErrorReport.h"
#include "draft/Draftees.h"

namespace pm::client {

struct ClientLeague {
  // Folder of the league file + "/" + its name without the extension.
  std::string leaguePath;
  int versionCode = 0;
  std::string leagueName;
  bool includeFreeAgents = false;
  // Players in the pool (college draftees plus free agents when included);
  // sent at login.
  int drafteeCount = 0;
  // The pool grouped by position, as the Draftees window shows it.
  draft::DrafteeTable table;
};

// The progress texts of a load, in the order of its steps.
inline constexpr const char* kLoadingVersion = "Getting version of league files...";
inline constexpr const char* kLoadingTeams = "Getting teams...";
inline constexpr const char* kLoadingCollege = "Loading college draftees, please wait...";
inline constexpr const char* kLoadingFreeAgents = "Loading free agents, please wait...";

// How a league load ended.
struct LeagueLoad {
  enum class Outcome {
    Loaded,
    NotRecognised,  // the league file's version is unknown
    NoTeams,
    NoCollegeDraftees,  // and the free agents were not asked for
    NoPlayers,          // neither college draftees nor free agents
    Failed,             // the league files could not be read
  };
  Outcome outcome = Outcome::Failed;
  bool Ok() const { return outcome == Outcome::Loaded; }

  // Loaded: the league and its team names in TeamIndex order.
  ClientLeague league;
  std::vector<std::string> teams;
  // NotRecognised .. NoPlayers: the message box to show, title and text
  // (UTF-8: it may name the league's path).
  std::string title;
  std::string message;
  // Failed: where it failed and the error, for the error reporter.
  std::string errorContext;
  ErrorInfo error;
};

// Loads the league of a ".lge" file (a path in the file-name encoding,
// QFile::encodeName of what the window shows): its version and name, its teams (at
// most 32), its college draftees and, when `includeFreeAgents` is set, its
// free agents appended by position. `progress` is called with each step's
// text before the step. An unreadable league file ends the load as Failed
// with the league module's context and error; other exceptions pass through.
LeagueLoad LoadLeagueFile(const std::string& leagueFile, bool includeFreeAgents,
                          const std::function<void(const char* step)>& progress = {});

}  // namespace pm::client
