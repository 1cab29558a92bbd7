// Resident memory of the draft server: the engine loads a league of 32 teams
// with 5,000 college draftees and 5,000 free agents (free agents included) and
// 32 loopback clients sign on, one per team. The figure is VmRSS from
// /proc/self/status once every team is signed on (counter "rss_MB"; target
// 80 MB). The clients' sockets live in the same process and are counted too;
// "baseline_MB" is the process before the server is made (Qt and the
// program's libraries), "server_MB" the difference.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "league/Sample.h"
#include "protocol/Protocol.h"
#include "server/engine/DraftServer.h"

namespace fs = std::filesystem;
using namespace pm;

namespace {

constexpr int kTeams = 32;

// VmRSS in kB, 0 when it cannot be read.
long ResidentKb() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

bool Pump(const std::function<bool()>& done, int timeoutMs = 20000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

void BM_ServerResidentMemory(benchmark::State& state) {
  fs::path dir = fs::temp_directory_path() / ("pm-memory-bench-" + std::to_string(std::random_device{}()));
  fs::remove_all(dir);
  league::SampleOptions o;
  o.name = "Memory League";
  o.teams = kTeams;
  o.college = 5000;
  o.freeAgents = 5000;
  const std::string leagueFile = league::WriteSampleLeague(dir.string(), o) + ".LGE";

  for (auto _ : state) {
    const long baseline = ResidentKb();
    auto server = std::make_unique<server::DraftServer>();
    server->SetPort(0);
    server->Reporter().showMessage = [](const std::string&) {};
    server->Reporter().endProgram = [] {};
    if (!server->LoadLeague(leagueFile, true).Ok()) {
      state.SkipWithError("league load failed");
      break;
    }
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int t = 1; t <= kTeams; ++t) {
      auto s = std::make_unique<QTcpSocket>();
      s->connectToHost(QHostAddress::LocalHost, server->Port());
      if (!s->waitForConnected(5000)) break;
      std::string login = protocol::Login(t, "3.03", server->DrafteeCount(), server->LeagueName());
      s->write(login.data(), static_cast<qint64>(login.size()));
      s->flush();
      clients.push_back(std::move(s));
    }
    bool allOn = Pump([&] {
      for (auto& c : clients) c->readAll();  // the W and L messages
      for (int t = 1; t <= kTeams; ++t)
        if (!server->Team(t).signedOn) return false;
      return true;
    });
    if (!allOn) {
      state.SkipWithError("not every client signed on");
      break;
    }
    const long rss = ResidentKb();
    state.counters["rss_MB"] = static_cast<double>(rss) / 1024.0;
    state.counters["baseline_MB"] = static_cast<double>(baseline) / 1024.0;
    state.counters["server_MB"] = static_cast<double>(rss - baseline) / 1024.0;
    state.counters["draftees"] = server->DrafteeCount();
    state.counters["connections"] = server->OpenConnections();
    clients.clear();
    server.reset();
  }
  fs::remove_all(dir);
}
// One iteration: the figure is a level, not a rate, and the first run is
// the one that allocates.
BENCHMARK(BM_ServerResidentMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
