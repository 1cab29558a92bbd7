// A draft night as a league lives it, with the real server program in a
// process of its own and owners' sessions that reconnect and pick from their
// lists as soon as they are on the clock: an owner who comes late signs on
// during his team's clock and picks; an owner whose link drops during his
// turn comes back and picks; the server is killed and started again with
// --resume --auto while the owners reconnect; a second server on the same
// league is refused. No owner who was there is picked for, and every pick
// is in the draft file once.
//
// Every team has the whole evening (600 s a pick): nothing waits on the
// clock, only on the programs.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTcpServer>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "client/WishList.h"
#include "common/Common.h"
#include "common/Files.h"
#include "draft/Pick.h"
#include "server/headless/HeadlessServer.h"
#include "tests/client/ClientTestKit.h"
#include "tests/support/LoopbackProxy.h"

namespace pm::test {
namespace {

using namespace Qt::StringLiterals;

constexpr int kTeams = 6;
constexpr int kRounds = 3;
constexpr int kLate = 6;     // signs on only once his team is on the clock
constexpr int kDropped = 3;  // his link drops during his turn in round 2

// Attempts come 20 ms apart: a reconnect does not wait on the pauses of the
// program, only on the server being back.
struct QuickPauses : client::PauseTimer {
  QTimer timer;
  std::function<void()> done;
  QuickPauses() {
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [this] { std::exchange(done, {})(); });
  }
  void Start(int, std::function<void()> d) override {
    done = std::move(d);
    timer.start(20);
  }
  void Stop() override { timer.stop(); }
};

// An owner's program: it reconnects, and picks the first player of its
// list still available as soon as its team is on the clock.
struct Owner {
  TestClient c;
  QuickPauses pauses;
  Owner(const SampleLeague& league, int team, quint16 port) : c(league, team, port) {
    // Every player of the league, read when the owner first signs on.
    client::WishList list;
    for (int k = 1; k <= league.pool.Count(); ++k) list.Add(league.pool.draftees[Index(k)].player.pid);
    list.Save(client::WishList::FilePath(QString::fromStdString(league.Folder()) + u"/MyList"_s, league.name,
                                         league.teams[Index(team - 1)]));
    c.view.chatOpen = true;
    c.session.SetReconnect(true);
    c.session.SetPauseTimer(&pauses);
    c.session.SetAutoPickAtOnce(true);
  }
  bool SignOn() {
    return c.Connect() && WaitFor([&] { return c.session.Features().Has(protocol::Feature::WishList); });
  }
  int OnTheClockLines(const std::string& team) const {
    return static_cast<int>(std::count(c.view.chat.begin(), c.view.chat.end(), team + " is on the clock."));
  }
};

class Server {
 public:
  explicit Server(const QStringList& args) {
    process_.start(QStringLiteral(PKSERVER_PATH), args);
    started =
        WaitFor([&] { return Out().find("listening on port") != std::string::npos || Ended(); }, 20000) && !Ended();
  }
  ~Server() {
    if (!Ended()) process_.kill();
    process_.waitForFinished(5000);
  }
  const std::string& Out() {
    out_ += process_.readAllStandardOutput().toStdString();
    return out_;
  }
  bool Ended() const { return process_.state() == QProcess::NotRunning; }
  void Kill() {
    process_.kill();
    process_.waitForFinished(5000);
  }
  int ExitCode() const { return process_.exitCode(); }

  bool started = false;

 private:
  QProcess process_;
  std::string out_;
};

std::string Chat(const Owner& owner) {
  std::string out;
  for (const std::string& line : owner.c.view.chat) out += line + "\n";
  return out;
}

quint16 FreePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

TEST(LeagueNight, NoOwnerWhoIsThereIsPickedForAndNoPickIsLost) {
  league::SampleOptions o;
  o.name = "Night League";
  o.teams = kTeams;
  o.college = 60;
  o.freeAgents = 0;
  SampleLeague league(o);
  const quint16 port = FreePort();
  const QStringList run = {u"--headless"_s,
                           QString::fromStdString(league.leagueFile),
                           u"--auto"_s,
                           u"--rounds"_s,
                           QString::number(kRounds),
                           u"--time"_s,
                           u"600"_s,
                           u"--pause"_s,
                           u"0"_s,
                           u"--port"_s,
                           QString::number(port)};
  auto server = std::make_unique<Server>(run);
  ASSERT_TRUE(server->started) << server->Out();
  std::string transcript;

  LoopbackProxy link(port, LoopbackProxy::Mode::Delay);
  link.delayMs = 0;
  std::map<int, std::unique_ptr<Owner>> owners;
  for (int t = 1; t < kLate; ++t) {
    owners[t] = std::make_unique<Owner>(league, t, t == kDropped ? link.Port() : port);
    ASSERT_TRUE(owners[t]->SignOn()) << t;
  }
  Owner& first = *owners[1];
  const std::string& lateTeam = league.teams[kLate - 1];
  const std::string& droppedTeam = league.teams[kDropped - 1];

  // The late owner signs on during his team's clock, and picks.
  ASSERT_TRUE(WaitFor([&] { return first.OnTheClockLines(lateTeam) == 1; }, 20000)) << server->Out() << Chat(first);
  owners[kLate] = std::make_unique<Owner>(league, kLate, port);
  ASSERT_TRUE(owners[kLate]->SignOn());
  ASSERT_TRUE(WaitFor([&] { return first.c.session.Picks().Picks().size() == kTeams; }, 20000))
      << server->Out() << Chat(*owners[kLate]);

  // Round 2: the link drops when the owner is on the clock; he comes back
  // and picks.
  Owner& dropped = *owners[kDropped];
  dropped.c.session.SetAutoPickAtOnce(false);
  ASSERT_TRUE(WaitFor([&] { return dropped.OnTheClockLines(droppedTeam) == 2; }, 20000));
  link.DropAll();
  ASSERT_TRUE(WaitFor([&] { return dropped.c.session.Reconnecting(); }));
  dropped.c.session.SetAutoPickAtOnce(true);
  ASSERT_TRUE(WaitFor([&] { return first.c.session.Picks().Picks().size() >= kTeams + kDropped; }, 20000));

  // The server is killed mid-draft and started again; the owners come back.
  ASSERT_TRUE(WaitFor([&] { return first.c.session.Picks().Picks().size() >= kTeams + 4; }, 20000));
  server->Kill();
  transcript += server->Out();
  server = std::make_unique<Server>(QStringList(run) << u"--resume"_s << u"--rejoin-wait"_s << u"0"_s);
  ASSERT_TRUE(server->started) << server->Out();

  // A second server on the same league is refused and changes nothing.
  const std::string before = ReadWholeFile(league.DraftFile()).value_or("");
  {
    Server second({u"--headless"_s, QString::fromStdString(league.leagueFile), u"--clear"_s, u"--port"_s, u"0"_s});
    ASSERT_TRUE(WaitFor([&] { return second.Ended(); }, 20000));
    EXPECT_EQ(second.ExitCode(), server::kHeadlessLocked);
  }
  EXPECT_EQ(ReadWholeFile(league.DraftFile()).value_or("").substr(0, before.size()), before);

  // The draft runs to its end; the owners hear it is over and do not wait.
  ASSERT_TRUE(WaitFor([&] { return server->Ended(); }, 30000)) << server->Out() << Chat(first) << Chat(dropped);
  EXPECT_EQ(server->ExitCode(), server::kHeadlessDone);
  transcript += server->Out();
  for (auto& [team, owner] : owners) {
    ASSERT_TRUE(WaitFor([&] { return owner->c.ended == 1; })) << team;
    EXPECT_EQ(owner->c.LastPrompt(), client::kDraftOverClosedText) << team;
  }

  const std::vector<draft::Pick> picks = draft::ParseDraftFile(ReadWholeFile(league.DraftFile()).value_or(""));
  ASSERT_EQ(picks.size(), static_cast<std::size_t>(kTeams * kRounds));
  std::set<draft::PickLabel> labels;
  std::set<int> pids;
  for (const draft::Pick& p : picks) {
    EXPECT_TRUE(labels.insert(p.label).second) << p.label.Text();
    EXPECT_TRUE(pids.insert(p.pid).second) << p.pid;
    EXPECT_EQ(p.team, league.teams[Index(p.label.selection - 1)]) << p.label.Text();
  }
  EXPECT_EQ(transcript.find("automatically"), std::string::npos) << transcript;
}

}  // namespace
}  // namespace pm::test
