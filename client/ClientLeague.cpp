#include "client/ClientLeague.h"

#include <algorithm>
#include <utility>

#include "common/Files.h"
#include "draft/PoolTable.h"
#include "league/FBPro.h"

namespace pm::client {

namespace {

LeagueLoad Refused(LeagueLoad::Outcome outcome, std::string title, std::string message) {
  LeagueLoad r;
  r.outcome = outcome;
  r.title = std::move(title);
  r.message = std::move(message);
  return r;
}

}  // namespace

LeagueLoad LoadLeagueFile(const std::string& leagueFile, bool includeFreeAgents,
                          const std::function<void(const char* step)>& progress) {
  const auto step = [&progress](const char* text) {
    if (progress) progress(text);
  };
  using Outcome = LeagueLoad::Outcome;
  // The league's files are named by the path without ".lge".
  const std::string leaguePath = league::LeaguePathOf(leagueFile);
  try {
    step(kLoadingVersion);
    const league::VersionInfo version = league::GetVersion(leaguePath);
    if (version.version == 0)
      return Refused(
          Outcome::NotRecognised, "ERROR",
          "Unable to determine version of the " + ShownPath(leaguePath) + " league file. Select another league.");

    step(kLoadingTeams);
    const league::TeamList teams = league::GetTeams(leaguePath);
    if (teams.teamCount == 0) return Refused(Outcome::NoTeams, "ERROR", "No teams found in league file.");

    step(kLoadingCollege);
    const league::DrafteePool pool =
        league::LoadPool(leaguePath, version.version, includeFreeAgents, [&] { step(kLoadingFreeAgents); });
    if (pool.Count() == 0) {
      if (!includeFreeAgents)
        return Refused(Outcome::NoCollegeDraftees, "", "No college draftees were found in league selected.");
      return Refused(Outcome::NoPlayers, "", "No players were found in league selected.");
    }

    LeagueLoad r;
    r.outcome = Outcome::Loaded;
    r.league.leaguePath = leaguePath;
    r.league.versionCode = version.version;
    r.league.leagueName = version.name;
    r.league.includeFreeAgents = includeFreeAgents;
    r.league.drafteeCount = pool.Count();
    r.league.table = draft::TableFromPool(pool);
    const int teamCount = std::min(teams.teamCount, league::kMaxTeamNumber);
    for (int i = 1; i <= teamCount; ++i) r.teams.push_back(teams.names[static_cast<std::size_t>(i)]);
    return r;
  } catch (const league::LeagueError& e) {
    LeagueLoad r;
    r.outcome = Outcome::Failed;
    r.errorContext = e.context;
    r.error = {e.number, e.Description()};
    return r;
  }
}

}  // namespace pm::client
