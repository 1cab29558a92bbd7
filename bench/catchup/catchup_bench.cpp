// The client's catch-up over a long round trip: a real draft server with
// 1,000 recorded picks, and a client session that signs on through a proxy
// delaying each direction by 50 ms (a 100 ms round trip). With one request
// per round trip this took 1,000 round trips (about 100 s); with 32 requests
// in flight it takes about 1,000 / 32 of them.
//
// The league and draft file go to the folder in PM_BENCH_DIR when set, else
// to the system's temporary folder.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "client/ClientSession.h"
#include "draft/Pick.h"
#include "league/FBPro.h"
#include "league/Sample.h"
#include "server/engine/DraftServer.h"
#include "tests/support/LoopbackProxy.h"
#include "tests/support/Wait.h"

namespace fs = std::filesystem;
using namespace pm;

namespace {

constexpr int kPicks = 1000;
constexpr int kDelayMs = 50;

fs::path BenchDir() {
  const char* env = std::getenv("PM_BENCH_DIR");
  fs::path base = env && *env ? fs::path(env) : fs::temp_directory_path();
  return base / ("pm-catchup-bench-" + std::to_string(QCoreApplication::applicationPid()));
}

// A 32-team league whose draft file holds kPicks picks; returns the league
// file, empty when it could not be made.
std::string MakeLeague(const fs::path& dir) {
  league::SampleOptions o;
  o.name = "Catchup League";
  o.teams = 32;
  o.college = 1100;
  o.freeAgents = 0;
  const std::string path = league::WriteSampleLeague(dir.string(), o);
  const league::VersionInfo version = league::GetVersion(path);
  const league::TeamList teams = league::GetTeams(path);
  const league::DrafteePool pool = league::LoadPool(path, version.version, false);
  std::vector<draft::Pick> picks;
  for (int i = 1; i <= pool.Count() && static_cast<int>(picks.size()) < kPicks; ++i) {
    const league::Player& p = pool.draftees[static_cast<std::size_t>(i)].player;
    const int n = static_cast<int>(picks.size());
    const std::string team = teams.names[static_cast<std::size_t>(n % teams.teamCount + 1)];
    picks.push_back({p.pid, team, p.fname + " " + p.lname, league::PositionCaption(p.position),
                     draft::PickLabel::FromOverall(n + 1, teams.teamCount)});
  }
  if (static_cast<int>(picks.size()) < kPicks) return {};
  std::ofstream(dir / (o.name + "-DRAFT.TXT"), std::ios::binary) << draft::DraftFileText(picks);
  return league::LeagueFileName(path, ".LGE");
}

void BM_CatchUp1000PicksOver100msRoundTrip(benchmark::State& state) {
  const fs::path dir = BenchDir();
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string leagueFile = MakeLeague(dir);
  if (leagueFile.empty()) {
    state.SkipWithError("league not made");
    return;
  }
  ScriptedPrompter prompter;  // the resume question: No, the draft goes on
  server::DraftServer server;
  server.SetPrompter(&prompter);
  server.SetPort(0);
  if (!server.LoadLeague(leagueFile, false).Ok() || server.Log().Count() != kPicks) {
    state.SkipWithError("server league not loaded");
    return;
  }
  test::LoopbackProxy proxy(server.Port(), test::LoopbackProxy::Mode::Delay);
  proxy.delayMs = kDelayMs;
  double seconds = 0;
  for (auto _ : state) {
    client::ClientSession session;
    session.endProgram = [] {};
    if (!session.LoadLeague(leagueFile, false).Ok()) {
      state.SkipWithError("client league not loaded");
      return;
    }
    session.ChooseTeam(session.TeamName(1));
    session.SetPort(proxy.Port());
    QElapsedTimer t;
    t.start();
    if (!session.Connect("127.0.0.1") || !test::WaitFor([&] { return session.PickCount() == kPicks; }, 200000)) {
      state.SkipWithError("catch-up did not finish");
      return;
    }
    seconds = static_cast<double>(t.elapsed()) / 1000.0;
    state.SetIterationTime(seconds);
    session.Disconnect();
    test::WaitFor([&] { return !server.Team(1).signedOn; });
  }
  state.counters["seconds"] = seconds;
  state.counters["picks"] = kPicks;
  fs::remove_all(dir);
}
BENCHMARK(BM_CatchUp1000PicksOver100msRoundTrip)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
