// The draft server engine driven by a fuzz input, without sockets: what the
// server fuzzer runs for each input, and what the corpus replay test runs
// for each committed seed.
//
// Each run loads the fuzz league (FuzzInput.h) into a fresh DraftServer that
// resumes a draft of three picks, with three connections that have no socket
// behind them (the engine's injection seam): 0 is team 1, signed on and on
// the clock (60 s); 1 is team 2, signed on; 2 is connected but not signed
// on. The input's operations (FuzzInput.h) then hand bytes to a connection
// (each operation's bytes arrive as one read), tick the clock (one second
// of the sign-on deadline's clock each, and one second of the pause before
// the next team while the clock runs itself), drop and reconnect a
// connection, or run one of the Commish's operations -- among them turning
// the automatic run on and off with a rule, and a wish list sent for team 1
// or 2 (K, in parts, on either signed-on connection). Nothing depends on
// wall-clock time, so an input always does the same.
//
// After every operation the invariants are checked: the draft file holds
// exactly the picks the server holds, no player is recorded twice, and every
// record has five sound fields, and no team's wish list is longer than the
// bound or holds a PID outside 1..65535. A broken invariant, or a call of the fatal
// error reporter, ends the process through fuzz::Fail.
#pragma once

#include <QCoreApplication>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "common/Common.h"
#include "common/Files.h"
#include "common/Prompt.h"
#include "draft/DraftLog.h"
#include "league/FBPro.h"
#include "league/Sample.h"
#include "protocol/Protocol.h"
#include "server/engine/DraftServer.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzSession.h"

namespace pm::fuzz {

// The league a server run loads, written once per process.
struct ServerWorld {
  std::string leagueFile;
  std::string leagueName;
  std::string draftFile;
  std::string draftFileBytes;
  std::vector<std::string> teams;
  league::DrafteePool pool;

  // `leaguePath` is the fuzz league written by WriteSampleLeague.
  explicit ServerWorld(const std::string& leaguePath) {
    leagueFile = league::LeagueFileName(leaguePath, ".LGE");
    league::VersionInfo v = league::GetVersion(leaguePath);
    leagueName = v.name;
    league::TeamList t = league::GetTeams(leaguePath);
    for (int i = 1; i <= t.teamCount; ++i) teams.push_back(t.names[static_cast<std::size_t>(i)]);
    pool = league::LoadPool(leaguePath, v.version, false);
    const std::string dir = leaguePath.substr(0, leaguePath.find_last_of('/'));
    draftFile = dir + "/" + leagueName + server::kDraftFileSuffix;
    draftFileBytes = ResumedDraftFile(pool, teams);
  }
};

// The pause before the next team while the clock runs itself, one second
// per Tick operation.
class StepTicker : public server::Ticker {
 public:
  void Start(std::function<void()> tick) override {
    tick_ = std::move(tick);
    running_ = true;
  }
  void Stop() override { running_ = false; }
  void Step() {
    if (running_) tick_();
  }

 private:
  std::function<void()> tick_;
  bool running_ = false;
};

class ServerRun {
 public:
  explicit ServerRun(const ServerWorld& world) : w_(world) {
    if (!WriteFileAtomic(w_.draftFile, w_.draftFileBytes).empty()) Fail("cannot write the draft file");
    // PICKMILL_FUZZ_VERBOSE=1 shows the Commish's chat: a quick look at what a
    // seed reaches.
    if (std::getenv("PICKMILL_FUZZ_VERBOSE"))
      QObject::connect(&server_, &server::DraftServer::pubChatAdded,
                       [](const QString& line) { std::fprintf(stderr, "chat: %s\n", line.toLatin1().constData()); });
    server_.SetPort(0);
    server_.SetPauseTicker(&pause_);
    server_.Connections().clock = [this] { return now_; };
    server_.Reporter().showMessage = [](const std::string& m) {
      std::fprintf(stderr, "%s: report: %s\n", ProgramName().c_str(), m.c_str());
    };
    server_.Reporter().endProgram = [] { Fail("the server reported a fatal error"); };
    server::LoadResult r = server_.LoadLeague(w_.leagueFile, false, server::PreviousDraft::Resume);
    if (r.status != server::LoadResult::Status::Loaded)
      Fail("league not loaded: status " + std::to_string(static_cast<int>(r.status)));
    if (server_.Log().Count() != 3) Fail("draft not resumed");
    for (int& c : connections_) c = server_.Connections().AcceptDetached();
    Send(0, protocol::Login(1, protocol::kServerVersion, w_.pool.Count(), w_.leagueName));
    Send(1, protocol::Login(2, protocol::kServerVersion, w_.pool.Count(), w_.leagueName));
    if (!server_.Team(1).signedOn || !server_.Team(2).signedOn) Fail("teams 1 and 2 did not sign on");
    if (server_.PutOnClock(1, 60, server_.NextLabel()) != server::DraftServer::ClockResult::Started)
      Fail("team 1 not put on the clock");
    CheckInvariants();
  }

  ~ServerRun() {
    server_.Unload();
    QCoreApplication::sendPostedEvents(nullptr, 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  void Execute(const Operation& o) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(o.payload.data());
    const std::size_t n = o.payload.size();
    switch (o.op % 8) {
      case kTick:
        for (int i = 0, ticks = n ? p[0] : 1; i < ticks; ++i) {
          now_ += 1000;
          server_.Tick();
          pause_.Step();
          server_.Connections().DropSilent();
        }
        break;
      case kReconnect: {
        int& c = connections_[n ? p[0] % 3 : 0];
        server_.Connections().PeerClose(c);
        Settle();
        c = server_.Connections().AcceptDetached();
        break;
      }
      case kOperate: Operate(p, n); break;
      default: Send(o.op % 3, o.payload); break;
    }
    Settle();
    CheckInvariants();
  }

 private:
  void Send(int c, const std::string& bytes) {
    server_.Connections().Receive(connections_[c], bytes);
    Settle();
  }

  // Runs what the engine left for the event loop (a connection dropped as
  // lost is reported from there), and throws away what was sent.
  void Settle() {
    QCoreApplication::sendPostedEvents(nullptr, 0);
    for (int c : connections_) server_.Connections().TakeOutput(c);
  }

  // A team number, or 0 and TeamCount + 1, which name nobody.
  int TeamOf(uint8_t b) const { return b % (server_.TeamCount() + 2); }

  void Operate(const uint8_t* p, std::size_t n) {
    if (n < 3) return;
    std::string text(reinterpret_cast<const char*>(p + 3), n - 3);
    switch (p[0] % 9) {
      case 0: server_.PutOnClock(TeamOf(p[1]), static_cast<int>(p[2]) - 8, server_.NextLabel()); break;
      case 1: server_.Halt(); break;
      case 2: {
        const auto& d = w_.pool.draftees[static_cast<std::size_t>(1 + p[1] % w_.pool.Count())].player;
        server_.CommishPick(d.pid, p[2] & 1 ? server_.Clock().Team() : TeamOf(p[2]), server_.Clock().Label());
        break;
      }
      case 3: server_.DeletePick({p[1] % 4, p[2] % 6}); break;
      case 4: server_.Kick(TeamOf(p[1])); break;
      case 5: server_.CommishChat(p[1] & 1 ? 0 : TeamOf(p[2]), text); break;
      case 6: server_.SetNextLabel({p[1] % 5, p[2] % 7}); break;
      case 7: {
        std::array<bool, draft::kRatingBoxes> ratings{};
        for (int b = 0; b < draft::kRatingBoxes; ++b) ratings[static_cast<std::size_t>(b)] = (p[2] >> b) & 1;
        server_.SetAutoDraftRule(
            p[1] & 2 ? server::AutoDraftRule::BestAvailable : server::AutoDraftRule::WaitForCommish, ratings);
        server_.SetTimeAllowed(1 + p[2] % 20);
        server_.SetRunAutomatically(p[1] & 1);
        break;
      }
      case 8: {
        // Pairs of bytes are PIDs (the pool's ids lie low); p[1] picks the
        // team and the connection, so a team may send another's list.
        std::vector<int> pids;
        for (std::size_t i = 3; i + 1 < n; i += 2) pids.push_back(p[i] << 8 | p[i + 1]);
        for (const std::string& part : protocol::WishList(1 + (p[1] & 1), pids)) Send((p[1] >> 1) & 1, part);
        break;
      }
    }
  }

  // A field of a record: not empty, and nothing that could split a line, a
  // record or a catch-up message.
  static bool SoundText(const std::string& s) {
    if (s.empty()) return false;
    for (char ch : s)
      if (static_cast<unsigned char>(ch) < 32 || ch == 127 || ch == '|' || ch == ',') return false;
    return true;
  }

  void CheckInvariants() const {
    for (int t = 1; t <= server_.TeamCount(); ++t) {
      const std::vector<int>& wishes = server_.WishList(t);
      if (wishes.size() > static_cast<std::size_t>(protocol::kMaxWishList))
        Fail("a wish list of " + std::to_string(wishes.size()) + " PIDs");
      for (int pid : wishes)
        if (pid < 1 || pid > 65535) Fail("a wish list holds PID " + std::to_string(pid));
    }
    const std::vector<draft::Pick> picks = server_.Log().Picks();
    std::optional<std::vector<draft::Pick>> onDisk = draft::DraftLog::ReadFile(w_.draftFile);
    if (!onDisk) Fail("the draft file cannot be read");
    if (*onDisk != picks)
      Fail("the draft file holds " + std::to_string(onDisk->size()) + " picks, the server " +
           std::to_string(picks.size()) + " (or they differ)");
    std::set<int> pids;
    for (const draft::Pick& p : picks) {
      const std::string record = draft::PickRecord(p);
      if (!pids.insert(p.pid).second) Fail("player recorded twice: " + record);
      bool teamKnown = false;
      for (const std::string& t : w_.teams) teamKnown = teamKnown || t == p.team;
      if (p.pid < 1 || p.pid > 32767 || !teamKnown || !SoundText(p.player) || league::PositionCode(p.position) < 0 ||
          !p.label.Fits(static_cast<int>(w_.teams.size())))
        Fail("unsound record: " + record);
    }
  }

  const ServerWorld& w_;
  int64_t now_ = 0;
  StepTicker pause_;
  server::DraftServer server_;
  int connections_[3] = {0, 0, 0};
};

// Runs one input (at most 64 operations, so that one run stays short).
inline void RunServerInput(const ServerWorld& world, const uint8_t* data, std::size_t size) {
  std::vector<Operation> ops = DecodeOperations(data, size);
  if (ops.size() > 64) ops.resize(64);
  ServerRun run(world);
  for (const Operation& o : ops) run.Execute(o);
}

}  // namespace pm::fuzz
