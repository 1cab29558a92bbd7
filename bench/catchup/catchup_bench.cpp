// The client's catch-up over a long round trip: a client session signs on
// through a proxy delaying each direction by 50 ms (a 100 ms round trip).
//  - Against the draft server with 1,000 recorded picks: the two share the
//    whole catch-up, so every pick comes after the login at once (about one
//    round trip and the bytes of the picks).
//  - Against a server that speaks only the plain protocol (the exact test
//    peer) with kPlainPicks picks: the client asks for one pick per round
//    trip; the counters give the requests and the round trips they took.
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
#include "tests/support/ExactServer.h"
#include "tests/support/LoopbackProxy.h"
#include "tests/support/Wait.h"

namespace fs = std::filesystem;
using namespace pm;

namespace {

constexpr int kPicks = 1000;
constexpr int kPlainPicks = 20;
constexpr int kDelayMs = 50;

fs::path BenchDir() {
  const char* env = std::getenv("PM_BENCH_DIR");
  fs::path base = env && *env ? fs::path(env) : fs::temp_directory_path();
  return base / ("pm-catchup-bench-" + std::to_string(QCoreApplication::applicationPid()));
}

struct BenchLeague {
  std::string file;  // the league file; empty when it could not be made
  std::string name;
  int draftees = 0;
  std::vector<std::string> teams;
  std::vector<draft::Pick> picks;
};

// A 32-team league whose draft file holds kPicks picks.
BenchLeague MakeLeague(const fs::path& dir) {
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
  return {league::LeagueFileName(path, ".LGE"), o.name, pool.Count(),
          std::vector<std::string>(teams.names.begin() + 1, teams.names.begin() + 1 + teams.teamCount),
          std::move(picks)};
}

// A client session of team 1 on `leagueFile`, to connect to `port`.
std::unique_ptr<client::ClientSession> MakeClient(const std::string& leagueFile, quint16 port) {
  auto session = std::make_unique<client::ClientSession>();
  session->endProgram = [] {};
  if (!session->LoadLeague(leagueFile, false).Ok()) return nullptr;
  session->ChooseTeam(session->TeamName(1));
  session->SetPort(port);
  return session;
}

void BM_CatchUp1000PicksOver100msRoundTrip(benchmark::State& state) {
  const fs::path dir = BenchDir();
  fs::remove_all(dir);
  fs::create_directories(dir);
  const BenchLeague made = MakeLeague(dir);
  const std::string& leagueFile = made.file;
  if (leagueFile.empty()) {
    state.SkipWithError("league not made");
    return;
  }
  server::DraftServer server;
  server.SetPort(0);
  if (!server.LoadLeague(leagueFile, false, server::PreviousDraft::Resume).Ok() || server.Log().Count() != kPicks) {
    state.SkipWithError("server league not loaded");
    return;
  }
  test::LoopbackProxy proxy(server.Port(), test::LoopbackProxy::Mode::Delay);
  proxy.delayMs = kDelayMs;
  double seconds = 0;
  for (auto _ : state) {
    const auto session = MakeClient(leagueFile, proxy.Port());
    if (!session) {
      state.SkipWithError("client league not loaded");
      return;
    }
    QElapsedTimer t;
    t.start();
    if (!session->Connect("127.0.0.1") || !test::WaitFor([&] { return session->PickCount() == kPicks; }, 200000)) {
      state.SkipWithError("catch-up did not finish");
      return;
    }
    seconds = static_cast<double>(t.elapsed()) / 1000.0;
    state.SetIterationTime(seconds);
    session->Disconnect();
    test::WaitFor([&] { return !server.Team(1).signedOn; });
  }
  state.counters["seconds"] = seconds;
  state.counters["round_trips"] = seconds * 1000.0 / (2 * kDelayMs);
  state.counters["picks"] = kPicks;
  fs::remove_all(dir);
}

BENCHMARK(BM_CatchUp1000PicksOver100msRoundTrip)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The same client against a server that knows only the plain protocol: one
// request per round trip, kPlainPicks of them.
void BM_CatchUpFromPlainServer(benchmark::State& state) {
  const fs::path dir = BenchDir();
  fs::remove_all(dir);
  fs::create_directories(dir);
  const BenchLeague made = MakeLeague(dir);
  if (made.file.empty()) {
    state.SkipWithError("league not made");
    return;
  }
  test::ExactServer::Config config;
  config.leagueName = made.name;
  config.drafteeCount = made.draftees;
  config.teams = made.teams;
  for (int i = 0; i < kPlainPicks; ++i)
    config.picks.push_back(draft::PickRecord(made.picks[static_cast<std::size_t>(i)]));
  double seconds = 0;
  int requests = 0;
  for (auto _ : state) {
    test::ExactServer server(config);
    if (!server.Listen()) {
      state.SkipWithError("no port");
      return;
    }
    test::LoopbackProxy proxy(server.Port(), test::LoopbackProxy::Mode::Delay);
    proxy.delayMs = kDelayMs;
    const auto session = MakeClient(made.file, proxy.Port());
    if (!session) {
      state.SkipWithError("client league not loaded");
      return;
    }
    QElapsedTimer t;
    t.start();
    if (!session->Connect("127.0.0.1") || !test::WaitFor([&] { return session->PickCount() == kPlainPicks; }, 60000)) {
      state.SkipWithError("catch-up did not finish");
      return;
    }
    seconds = static_cast<double>(t.elapsed()) / 1000.0;
    state.SetIterationTime(seconds);
    requests = 0;
    for (const std::string& read : server.Reads(server.ConnectionOf(1))) requests += read.rfind("V|", 0) == 0;
    session->Disconnect();
  }
  const double roundTrips = seconds * 1000.0 / (2 * kDelayMs);
  state.counters["seconds"] = seconds;
  state.counters["requests"] = requests;
  state.counters["round_trips"] = roundTrips;
  state.counters["picks"] = kPlainPicks;
  state.counters["requests_per_round_trip"] = requests / roundTrips;
  fs::remove_all(dir);
}
BENCHMARK(BM_CatchUpFromPlainServer)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
