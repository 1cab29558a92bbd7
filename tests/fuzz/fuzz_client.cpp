// Fuzz target: the client session's read handling, through a real loopback
// socket.
//
// Each input runs against a fresh ClientSession for team 1 of the fuzzers'
// league (FuzzInput.h), connected (its login sent and answered with the
// sign-on) to a listener the fuzzer holds. The input's operations send bytes from the server's side of that
// connection (every connection number is the one connection), tick the
// client's clock, drop the connection, or run one of the owner's operations
// (send a pick, a chat line, disconnect). After each, the event loop runs
// until the client has handled what arrived.
//
// A finding is a crash, a sanitizer report, a leak, a hang, or a call of the
// client's fatal error reporter (bad input must never end the program that
// way).
#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "client/ClientSession.h"
#include "client/ClientView.h"
#include "client/Sound.h"
#include "common/Prompt.h"
#include "draft/PoolTable.h"
#include "league/FBPro.h"
#include "league/Sample.h"
#include "protocol/Protocol.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzSession.h"

namespace fs = std::filesystem;
using namespace pm;
using namespace pm::client;
using fuzz::Fail;
using fuzz::Pump;

namespace {

struct World {
  std::string dir;
  std::string leaguePath;
  std::string leagueName;
  int16_t version = 0;
  std::vector<std::string> teams;
  league::DrafteePool pool;
  QTcpServer* listener = nullptr;
};
World* g = nullptr;

void Setup() {
  g = new World;
  g->dir = fuzz::StartWorld("fuzz_client", g->leaguePath);
  league::VersionInfo v = league::GetVersion(g->leaguePath);
  g->leagueName = v.name;
  g->version = v.version;
  league::TeamList t = league::GetTeams(g->leaguePath);
  for (int i = 1; i <= t.teamCount; ++i) g->teams.push_back(t.names[static_cast<std::size_t>(i)]);
  g->pool = league::LoadPool(g->leaguePath, v.version, false);
  g->listener = new QTcpServer;
  if (!g->listener->listen(QHostAddress::LocalHost, 0)) Fail("cannot listen on loopback");
  std::atexit([] {
    std::error_code ec;
    fs::remove_all(g->dir, ec);
  });
}

// The windows as the session sees them: the chat window opens with its first
// line, the Draftees window shows the quarterbacks.
struct View : ClientView {
  bool chatOpen = false;
  bool ChatOpen() const override { return chatOpen; }
  void ChatAppend(const std::string& line) override {
    chatOpen = true;
    Note("chat", line);
  }
  void DraftListAdd(const std::string& line) override { Note("draft list", line); }
  std::string DrafteesShownPosition() const override { return "QB"; }
  static void Note(const char* what, const std::string& line) {
    if (std::getenv("PICKMILL_FUZZ_VERBOSE")) std::fprintf(stderr, "%s: %s\n", what, line.c_str());
  }
};

struct Silence : SoundPlayer {
  void PlaySound(const std::string&) override {}
};

class Run {
 public:
  Run() {
    session_.SetView(&view_);
    QObject::connect(&session_, &ClientSession::notice,
                     [](const Notice& n) { View::Note("notice", n.title + " / " + n.text); });
    session_.SetSoundPlayer(&sound_);
    session_.SetSoundFolder(g->dir);
    session_.SetPort(g->listener->serverPort());
    session_.endProgram = [this] { ended_ = true; };
    session_.reporter.showMessage = [](const std::string& m) {
      std::fprintf(stderr, "fuzz_client: report: %s\n", m.c_str());
    };
    session_.reporter.endProgram = [] { Fail("the client reported a fatal error"); };
    session_.league.leaguePath = g->leaguePath;
    session_.league.versionCode = g->version;
    session_.league.leagueName = g->leagueName;
    session_.league.drafteeCount = g->pool.Count();
    session_.league.table = draft::TableFromPool(g->pool);
    session_.SetTeams(g->teams);
    session_.ChooseTeam(g->teams[0]);
    if (!session_.Connect("127.0.0.1")) Fail("connect request refused");
    for (int i = 0; i < 200 && !g->listener->hasPendingConnections(); ++i) g->listener->waitForNewConnection(10);
    peer_.reset(g->listener->nextPendingConnection());
    if (!peer_) Fail("the client did not connect");
    peer_->setParent(nullptr);
    for (int i = 0; i < 100 && !session_.Connected(); ++i) Pump(1);
    if (!session_.Connected()) Fail("the client did not see its connection");
    // The server signs the team on. The splitter holds a connection's first
    // message until the next one starts (or a quiet spell), so the input's
    // first message releases this one and is itself released at once.
    peer_->write(protocol::SignedOn(1).c_str());
    peer_->flush();
    Pump();
    peer_->readAll();  // the login
  }

  ~Run() {
    if (peer_) peer_->abort();
    peer_.reset();
    Pump();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  bool Ended() const { return ended_; }

  void Execute(const fuzz::Operation& o) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(o.payload.data());
    const std::size_t n = o.payload.size();
    switch (o.op % 8) {
      case fuzz::kTick:
        for (int i = 0, ticks = n ? p[0] : 1; i < ticks; ++i) session_.Tick();
        Pump();
        break;
      case fuzz::kReconnect:  // the connection is lost; the client ends
        if (peer_) peer_->abort();
        peer_.reset();
        Pump();
        break;
      case fuzz::kOperate:
        Operate(p, n);
        Pump();
        break;
      default:
        if (peer_ && n > 0) {
          peer_->write(o.payload.data(), static_cast<qint64>(n));
          peer_->flush();
          Pump();
        }
        break;
    }
    if (peer_) peer_->readAll();  // what the client sent back
  }

 private:
  void Operate(const uint8_t* p, std::size_t n) {
    if (n < 2) return;
    std::string text(reinterpret_cast<const char*>(p + 2), n - 2);
    switch (p[0] % 3) {
      case 0: {
        const auto& d = g->pool.draftees[static_cast<std::size_t>(1 + p[1] % g->pool.Count())].player;
        session_.SendOwnPick(d.pid, d.fname + " " + d.lname, league::PositionCaption(d.position));
        break;
      }
      case 1: {
        // Everyone, the Commish, a team, or a number that names nobody.
        session_.SendChat(p[1] % (static_cast<int>(g->teams.size()) + 3) - 1, text);
        break;
      }
      case 2:
        if (p[1] == 0xD1) session_.Disconnect();  // rarely: it ends the run
        break;
    }
  }

  View view_;
  Silence sound_;
  ClientSession session_;
  std::unique_ptr<QTcpSocket> peer_;
  bool ended_ = false;
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
  for (const auto& o : ops) {
    run.Execute(o);
    if (run.Ended()) break;
  }
  return 0;
}
