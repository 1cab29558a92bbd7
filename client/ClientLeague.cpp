#include "client/ClientLeague.h"

#include <array>
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
  using Outcome = LeagueLoad::Outcome;
  // The league's files are named by the path without ".lge".
  const std::string leaguePath = league::LeaguePathOf(leagueFile);
  league::LeagueReadHooks hooks;
  hooks.step = [&progress](league::ReadStep step) {
    static constexpr std::array<const char*, 4> kTexts = {kLoadingVersion, kLoadingTeams, kLoadingCollege,
                                                          kLoadingFreeAgents};
    if (progress) progress(kTexts[static_cast<std::size_t>(step)]);
  };
  try {
    league::LeagueRead read = league::ReadLeague(leaguePath, includeFreeAgents, hooks);
    switch (read.outcome) {
      case league::LeagueRead::Outcome::Read: break;
      case league::LeagueRead::Outcome::NotRecognised:
      case league::LeagueRead::Outcome::Stopped:
        return Refused(
            Outcome::NotRecognised, "ERROR",
            "Unable to determine version of the " + ShownPath(leaguePath) + " league file. Select another league.");
      case league::LeagueRead::Outcome::NoTeams:
        return Refused(Outcome::NoTeams, "ERROR", "No teams found in league file.");
      case league::LeagueRead::Outcome::NoPlayers:
        if (!includeFreeAgents)
          return Refused(Outcome::NoCollegeDraftees, "", "No college draftees were found in league selected.");
        return Refused(Outcome::NoPlayers, "", "No players were found in league selected.");
    }

    LeagueLoad r;
    r.outcome = Outcome::Loaded;
    r.league.leaguePath = leaguePath;
    r.league.versionCode = read.version.version;
    r.league.leagueName = read.version.name;
    r.league.includeFreeAgents = includeFreeAgents;
    r.league.drafteeCount = read.pool.Count();
    r.league.table = draft::TableFromPool(read.pool);
    r.teams = std::move(read.teams);
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
