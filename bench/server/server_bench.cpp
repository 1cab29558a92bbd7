// Benchmarks of the draft server: a whole 31-round draft of 32 scripted
// clients on loopback (signed on as PKClient does, with line-ended
// messages), and the splitting and dispatching of 100,000 messages.
//
// The draft file goes to the folder in PM_BENCH_DIR when set (for example a
// tmpfs), else to the system's temporary folder: every pick is synced to disk
// before it is announced, so the disk's sync time is part of each pick. The
// draft measures that floor itself in the same folder (the append and sync
// of a draft-file line, as the draft log does it, kPicks times) and reports
// the pick-to-last-Z latency as a ratio to it, with the parts of each pick:
// from the D written to the pick on disk, from there to the Z written to
// every client, and from there to the last client's read.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/Files.h"
#include "league/Sample.h"
#include "protocol/Protocol.h"
#include "server/engine/DraftServer.h"

namespace fs = std::filesystem;
using namespace pm;

namespace {

constexpr int kTeams = 32;
constexpr int kRounds = 31;

struct BenchClient {
  QTcpSocket sock;
  protocol::FrameSplitter splitter{protocol::Receiver::Client};
  int zCount = 0;
  int vCount = 0;
  std::string lastOther;  // the last message that was neither Z nor V
};

fs::path BenchDir() {
  const char* env = std::getenv("PM_BENCH_DIR");
  fs::path base = env && *env ? fs::path(env) : fs::temp_directory_path();
  return base / ("pm-server-bench-" + std::to_string(QCoreApplication::applicationPid()));
}

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

double Percentile(std::vector<double> v, int percent) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() * static_cast<std::size_t>(percent) / 100];
}

// The disk's own floor: `count` appends of a draft-file line, each synced.
std::vector<double> DiskFloor(const fs::path& dir, int count) {
  const fs::path file = dir / "floor.txt";
  const std::string line = "12345|Some Team Name|Some Player|WR|12-32\r\n";
  std::vector<double> ms;
  (void)AppendDurable(file, line);  // created (and its folder synced) outside the count
  for (int i = 0; i < count; ++i) {
    const auto start = Clock::now();
    if (!AppendDurable(file, line).empty()) return {};
    ms.push_back(Ms(start, Clock::now()));
  }
  fs::remove(file);
  return ms;
}

bool Pump(const std::function<bool()>& done, int timeoutMs = 10000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  return true;
}

void BM_WholeDraft(benchmark::State& state) {
  fs::path dir = BenchDir();
  fs::remove_all(dir);
  league::SampleOptions o;
  o.name = "Bench League";
  o.teams = kTeams;
  o.college = 1100;
  o.freeAgents = 0;
  std::string leagueFile = league::WriteSampleLeague(dir.string(), o) + ".LGE";

  std::vector<double> latencies, toDisk, toSent, toRead, floor;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(dir / "Bench League-DRAFT.TXT");
    auto server = std::make_unique<server::DraftServer>();
    Clock::time_point filed, sent;
    server->pickFiled = [&filed](const draft::Pick&) { filed = Clock::now(); };
    QObject::connect(server.get(), &server::DraftServer::pickRecorded, [&sent] { sent = Clock::now(); });
    server->SetPort(0);
    if (!server->LoadLeague(leagueFile, false).Ok()) {
      state.SkipWithError("league did not load");
      return;
    }
    std::vector<int> pids;
    for (int p = 1; p <= server->Pool().Count() && static_cast<int>(pids.size()) < kTeams * kRounds; ++p) {
      const league::Player& player = server->Pool().draftees[static_cast<std::size_t>(p)].player;
      if (player.position <= 14) pids.push_back(player.pid);  // a drafted position
    }
    std::vector<std::unique_ptr<BenchClient>> clients;
    for (int t = 1; t <= kTeams; ++t) {
      auto c = std::make_unique<BenchClient>();
      BenchClient* cp = c.get();
      QObject::connect(&cp->sock, &QTcpSocket::readyRead, [cp] {
        QByteArray b = cp->sock.readAll();
        auto v = cp->splitter.Feed(std::string_view(b.constData(), static_cast<std::size_t>(b.size())), 0);
        auto w = cp->splitter.Poll(0);
        v.insert(v.end(), w.begin(), w.end());
        for (auto& m : v) {
          cp->zCount += m.code == 'Z';
          cp->vCount += m.code == 'V';
          if (m.code != 'Z' && m.code != 'V') cp->lastOther = m.codeText + "|" + m.body;
        }
      });
      cp->sock.connectToHost(QHostAddress::LocalHost, server->Port());
      clients.push_back(std::move(c));
    }
    Pump([&] { return server->OpenConnections() == kTeams; });
    for (int t = 1; t <= kTeams; ++t) {
      // As PKClient signs on: announcing line-ended messages, which every
      // message then is, both ways.
      std::string login = protocol::Login(t, "3.03", server->DrafteeCount(), server->LeagueName(),
                                          protocol::Features{protocol::Feature::Lines}) +
                          "\n";
      clients[static_cast<std::size_t>(t - 1)]->splitter.SetFraming(protocol::Framing::Lines);
      clients[static_cast<std::size_t>(t - 1)]->sock.write(login.data(), static_cast<qint64>(login.size()));
    }
    Pump([&] {
      for (int t = 1; t <= kTeams; ++t)
        if (!server->Team(t).signedOn) return false;
      return true;
    });
    QCoreApplication::processEvents();
    const std::vector<double> diskFloor = DiskFloor(dir, kTeams * kRounds);
    floor.insert(floor.end(), diskFloor.begin(), diskFloor.end());
    state.ResumeTiming();

    int picks = kTeams * kRounds;
    for (int i = 0; i < picks; ++i) {
      int team = i % kTeams + 1;
      server->PutOnClock(team, 60, server->NextLabel());
      const auto start = Clock::now();
      std::string d = protocol::Draft(team, pids[static_cast<std::size_t>(i)], "Some Player", "WR") + "\n";
      clients[static_cast<std::size_t>(team - 1)]->sock.write(d.data(), static_cast<qint64>(d.size()));
      bool ok = Pump([&] {
        for (auto& c : clients)
          if (c->zCount <= i) return false;
        return true;
      });
      if (!ok) {
        const std::string why = "a Z did not arrive; the picker's last other message: " +
                                clients[static_cast<std::size_t>(team - 1)]->lastOther;
        state.SkipWithError(why.c_str());
        return;
      }
      const auto read = Clock::now();
      latencies.push_back(Ms(start, read));
      toDisk.push_back(Ms(start, filed));
      toSent.push_back(Ms(filed, sent));
      toRead.push_back(Ms(sent, read));
    }
    state.PauseTiming();
    if (server->Log().Count() != picks) state.SkipWithError("picks missing");
    clients.clear();
    server.reset();
    state.ResumeTiming();
  }
  if (!latencies.empty() && !floor.empty()) {
    const double floor50 = Percentile(floor, 50), floor99 = Percentile(floor, 99);
    state.counters["pick_ms_p50"] = Percentile(latencies, 50);
    state.counters["pick_ms_p99"] = Percentile(latencies, 99);
    state.counters["disk_ms_p50"] = floor50;
    state.counters["disk_ms_p99"] = floor99;
    state.counters["x_disk_p50"] = Percentile(latencies, 50) / floor50;
    state.counters["x_disk_p99"] = Percentile(latencies, 99) / floor99;
    // Where a pick's time goes (medians).
    state.counters["to_disk_ms"] = Percentile(toDisk, 50);
    state.counters["to_sent_ms"] = Percentile(toSent, 50);
    state.counters["to_read_ms"] = Percentile(toRead, 50);
    state.counters["picks"] = static_cast<double>(latencies.size());
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_WholeDraft)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// 100,000 client messages of every kind, cut into 1400-byte reads, split
// and dispatched on their code.
void BM_Split100k(benchmark::State& state) {
  std::vector<std::string> kinds = {protocol::Draft(5, 1234, "John Smith", "QB"),
                                    protocol::Chat(5, "good pick, well done"),
                                    protocol::PickRequest(5, 17),
                                    protocol::PrivateLine(5, 0, "psst"),
                                    protocol::TimeUp(5),
                                    protocol::Login(5, "3.03", 450, "Big League")};
  std::string stream;
  for (std::size_t i = 0; i < 100000; ++i) stream += kinds[i % kinds.size()];
  for (auto _ : state) {
    protocol::FrameSplitter s(protocol::Receiver::Server);
    long long sum = 0;
    std::size_t n = 0;
    auto dispatch = [&](const std::vector<protocol::Message>& v) {
      for (const auto& m : v) {
        ++n;
        switch (m.code) {
          case 'D': sum += m.from + static_cast<long long>(m.body.size()); break;
          case 'C': sum += static_cast<long long>(m.body.size()); break;
          case 'V': sum += m.from; break;
          case 'P': sum += m.to; break;
          default: sum += 1; break;
        }
      }
    };
    for (std::size_t at = 0; at < stream.size(); at += 1400)
      dispatch(s.Feed(std::string_view(stream).substr(at, 1400), 0));
    dispatch(s.Poll(protocol::FrameSplitter::kQuietMs));  // the last message, after a quiet spell
    if (n != 100000) state.SkipWithError("message count");
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_Split100k)->Unit(benchmark::kMillisecond)->Repetitions(5);

}  // namespace
