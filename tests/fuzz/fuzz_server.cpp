// Fuzz target: the draft server's read handling, over a loaded league and
// signed-on connections, through real loopback sockets.
//
// Each input runs against a fresh DraftServer that has resumed a draft of
// three picks (FuzzInput.h) on an ephemeral loopback port, with three
// connections: 0 is team 1, signed on and on the clock (60 s); 1 is team 2,
// signed on; 2 is connected but not signed on. The input's operations
// (FuzzInput.h) then send bytes on the connections, tick the clock, drop and
// reconnect a connection, or run one of the Commish's operations; after each,
// the event loop runs until the server has handled what arrived.
//
// A finding is a crash, a sanitizer report, a leak, a hang, or a call of the
// server's fatal error reporter (bad input must never end the program).
#include <QCoreApplication>
#include <QTcpSocket>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "server/engine/DraftServer.h"
#include "league/FBPro.h"
#include "common/Files.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzSession.h"
#include "common/Prompt.h"
#include "protocol/Protocol.h"
#include "league/Sample.h"

namespace fs = std::filesystem;
using namespace pm;
using fuzz::Fail;
using fuzz::Pump;

namespace {

struct World {
  std::string dir;
  std::string leagueFile;
  std::string leagueName;
  std::string draftFile;
  std::string draftFileBytes;
  std::vector<std::string> teams;
  league::DrafteePool pool;
};
World* g = nullptr;

void Setup() {
  g = new World;
  std::string leaguePath;
  g->dir = fuzz::StartWorld("fuzz_server", leaguePath);
  g->leagueFile = league::LeagueFileName(leaguePath, ".LGE");
  league::VersionInfo v = league::GetVersion(leaguePath);
  g->leagueName = v.name;
  league::TeamList t = league::GetTeams(leaguePath);
  for (int i = 1; i <= t.teamCount; ++i) g->teams.push_back(t.names[static_cast<std::size_t>(i)]);
  g->pool = league::LoadPool(leaguePath, v.version, false);
  g->draftFile = g->dir + "/" + g->leagueName + server::kDraftFileSuffix;
  g->draftFileBytes = fuzz::ResumedDraftFile(g->pool, g->teams);
  std::atexit([] {
    std::error_code ec;
    fs::remove_all(g->dir, ec);
  });
}

// One fuzz run.
class Run {
 public:
  Run() {
    if (!WriteFileAtomic(g->draftFile, g->draftFileBytes).empty()) Fail("cannot write the draft file");
    // The resume question is answered No (keep the picks); the Commish's
    // confirmations Yes.
    prompter_.answerer = [](const PromptRequest& r) {
      if (r.buttons == PromptButtons::Ok) return PromptAnswer::Ok;
      return r.title == "Draft Selection" ? PromptAnswer::Yes : PromptAnswer::No;
    };
    server_.SetPrompter(&prompter_);
    // PICKMILL_FUZZ_VERBOSE=1 shows the Commish's chat: a quick look at what a
    // seed reaches.
    if (std::getenv("PICKMILL_FUZZ_VERBOSE"))
      QObject::connect(&server_, &server::DraftServer::pubChatAdded,
                       [](const QString& line) { std::fprintf(stderr, "chat: %s\n", line.toLatin1().constData()); });
    server_.SetPort(0);
    server_.Reporter().showMessage = [](const std::string& m) { std::fprintf(stderr, "fuzz_server: report: %s\n", m.c_str()); };
    server_.Reporter().endProgram = [] { Fail("the server reported a fatal error"); };
    server::LoadResult r = server_.LoadLeague(g->leagueFile, false);
    if (r.status != server::LoadResult::Status::Loaded) Fail("league not loaded: status " + std::to_string(static_cast<int>(r.status)));
    if (server_.Log().Count() != 3) Fail("draft not resumed");
    for (int i = 0; i < 3; ++i) Connect(i);
    // The splitter holds a connection's first message until a quiet spell
    // or the start of the next one; the T after each login (which changes
    // nothing) releases the login at once, so no run waits on the clock.
    Send(0, protocol::Login(1, protocol::kServerVersion, g->pool.Count(), g->leagueName) + protocol::TimeUp(1));
    Send(1, protocol::Login(2, protocol::kServerVersion, g->pool.Count(), g->leagueName) + protocol::TimeUp(2));
    for (int i = 0; i < 50 && !(server_.Team(1).signedOn && server_.Team(2).signedOn); ++i)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    if (!server_.Team(1).signedOn || !server_.Team(2).signedOn) Fail("teams 1 and 2 did not sign on");
    if (server_.PutOnClock(g->teams[0], "60", server_.Text1(), server_.Text2()) != server::DraftServer::ClockResult::Started)
      Fail("team 1 not put on the clock");
  }

  ~Run() {
    for (auto& c : clients_) Drop(c);
    Pump();
    server_.Unload();
    Pump();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  void Execute(const fuzz::Operation& o) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(o.payload.data());
    const std::size_t n = o.payload.size();
    switch (o.op % 8) {
      case fuzz::kTick:
        for (int i = 0, ticks = n ? p[0] : 1; i < ticks; ++i) server_.Tick();
        Pump();
        break;
      case fuzz::kReconnect: {
        int c = n ? p[0] % 3 : 0;
        Drop(clients_[c]);
        Pump();
        Connect(c);
        break;
      }
      case fuzz::kOperate:
        Operate(p, n);
        Pump();
        break;
      default:
        Send(o.op % 3, o.payload);
        break;
    }
    Discard();
  }

 private:
  void Connect(int c) {
    int before = server_.OpenConnections();
    auto s = std::make_unique<QTcpSocket>();
    s->connectToHost(QHostAddress::LocalHost, server_.Port());
    if (!s->waitForConnected(2000)) Fail("cannot connect to the server");
    for (int i = 0; i < 100 && server_.OpenConnections() == before; ++i) Pump(1);
    if (server_.OpenConnections() == before) Fail("the server did not accept a connection");
    clients_[c] = std::move(s);
  }

  static void Drop(std::unique_ptr<QTcpSocket>& s) {
    if (!s) return;
    s->abort();
    s.reset();
  }

  void Send(int c, const std::string& bytes) {
    if (!clients_[c] || bytes.empty()) return;
    clients_[c]->write(bytes.data(), static_cast<qint64>(bytes.size()));
    clients_[c]->flush();
    Pump();
  }

  void Discard() {
    for (auto& c : clients_)
      if (c) c->readAll();
  }

  std::string TeamName(uint8_t b) const {
    int t = b % (server_.TeamCount() + 2);  // 0 and TeamCount + 1 name nobody
    return t >= 1 && t <= server_.TeamCount() ? server_.Team(t).name + (b & 0x80 ? "*" : "") : "Nobody";
  }

  void Operate(const uint8_t* p, std::size_t n) {
    if (n < 3) return;
    std::string text(reinterpret_cast<const char*>(p + 3), n - 3);
    switch (p[0] % 7) {
      case 0:
        server_.PutOnClock(TeamName(p[1]), std::to_string(static_cast<int>(p[2]) - 8), server_.Text1(), server_.Text2());
        break;
      case 1:
        server_.Halt();
        break;
      case 2: {
        const auto& d = g->pool.draftees[static_cast<std::size_t>(1 + p[1] % g->pool.Count())].player;
        server_.CommishPick(std::to_string(d.pid), d.fname + " " + d.lname, league::PositionCaption(d.position));
        break;
      }
      case 3:
        server_.DeletePick(std::to_string(p[1] % 4), std::to_string(p[2] % 6));
        break;
      case 4:
        server_.Kick(TeamName(p[1]));
        break;
      case 5:
        server_.CommishChat(p[1] & 1 ? "All Teams" : TeamName(p[2]), text);
        break;
      case 6:
        server_.SetNextPickText(std::to_string(p[1] % 5), std::to_string(p[2] % 7));
        break;
    }
  }

  ScriptedPrompter prompter_;
  server::DraftServer server_;
  std::unique_ptr<QTcpSocket> clients_[3];
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Setup();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<fuzz::Operation> ops = fuzz::DecodeOperations(data, size);
  if (ops.size() > 64) ops.resize(64);  // keeps one run short
  Run run;
  for (const auto& o : ops) run.Execute(o);
  return 0;
}
