// The server process killed (SIGKILL) in the middle of a draft and started
// again resumes with every pick any client had seen; a client that vanishes
// during its catch-up leaves the server and the other clients unaffected.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTcpSocket>
#include <QTimer>

#include <fstream>
#include <set>

#include "common/Common.h"
#include "common/Files.h"
#include "protocol/Protocol.h"
#include "protocol/Transport.h"
#include "tests/client/ClientTestKit.h"
#include "tests/support/Wait.h"

namespace pm::test {
namespace {

using server::DraftServer;

league::SampleOptions FourTeams() {
  league::SampleOptions o;
  o.name = "Fault League";
  o.teams = 4;
  o.college = 80;
  o.freeAgents = 0;
  return o;
}

struct Pick {
  int pid = 0;
  std::string name, position;
};

// Every draftee of the pool, in pool order, as a client would send it.
std::vector<Pick> AllPlayers(const SampleLeague& league) {
  std::vector<Pick> out;
  for (int i = 1; i <= league.pool.Count(); ++i) {
    const league::Player& p = league.pool.draftees[static_cast<std::size_t>(i)].player;
    if (p.position > 14) continue;
    out.push_back({p.pid, p.fname + " " + p.lname, league::PositionCaption(p.position)});
  }
  return out;
}

// The test-only server host as a child process.
class Host {
 public:
  explicit Host(const std::string& leagueFile) {
    proc_.setProgram(QStringLiteral(SERVER_HOST));
    proc_.setArguments({QString::fromStdString(leagueFile), QStringLiteral("0")});
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proc_.start();
    started = proc_.waitForStarted(5000);
    std::string line = ReadLine("port: ");
    port = static_cast<quint16>(LeadingNumber(line));
    state = ReadLine("picks: ");
  }
  ~Host() {
    if (proc_.state() != QProcess::NotRunning) {
      proc_.kill();
      proc_.waitForFinished(3000);
    }
  }
  // Sends a command and returns the rest of its answer line.
  std::string Ask(const std::string& command, const std::string& answerPrefix) {
    proc_.write((command + "\n").c_str());
    proc_.waitForBytesWritten(1000);
    return ReadLine(answerPrefix);
  }
  void Kill() {
    proc_.kill();  // SIGKILL
    proc_.waitForFinished(3000);
  }
  QProcess::ExitStatus ExitStatus() const { return proc_.exitStatus(); }
  // Waits for the process to end by itself; false when it still runs.
  bool Ended() { return proc_.state() == QProcess::NotRunning || proc_.waitForFinished(5000); }

  bool started = false;
  quint16 port = 0;
  std::string state;  // "<count> next: <r-s>" as printed after loading

 private:
  // Reads lines until one starts with `prefix` (keeping the event loop of the
  // clients turning meanwhile); returns the text after the prefix.
  std::string ReadLine(const std::string& prefix) {
    std::string found;
    WaitFor(
        [&] {
          while (proc_.canReadLine()) {
            std::string line = proc_.readLine().trimmed().toStdString();
            if (line.rfind(prefix, 0) == 0) {
              found = line.substr(prefix.size());
              return true;
            }
          }
          return proc_.state() == QProcess::NotRunning;
        },
        10000);
    return found;
  }
  QProcess proc_;
};

// A client's picks as draft-file records (empty for a deleted pick).
std::vector<std::string> Records(const TestClient& c) {
  std::vector<std::string> out;
  for (int i = 1; i <= c.session.PickCount(); ++i) out.push_back(Record(c.session, i));
  return out;
}

std::set<std::string> Seen(const std::vector<const TestClient*>& clients) {
  std::set<std::string> seen;
  for (const TestClient* c : clients)
    for (const std::string& r : Records(*c))
      if (!r.empty()) seen.insert(r);
  return seen;
}

TEST(ServerKilled, RestartResumesWithEveryPickAnyClientHadSeen) {
  SampleLeague league(FourTeams());
  std::vector<Pick> players = AllPlayers(league);
  ASSERT_GE(players.size(), 20u);
  std::set<std::string> seen;
  int made = 0;
  {
    Host host(league.leagueFile);
    ASSERT_TRUE(host.started);
    ASSERT_NE(host.port, 0);
    EXPECT_EQ(host.state, "0 next: 1-1");
    TestClient a(league, 1, host.port);
    TestClient b(league, 2, host.port);
    ASSERT_TRUE(a.Connect());
    ASSERT_TRUE(b.Connect());
    ASSERT_TRUE(WaitFor([&] { return a.session.SignedOn(2); }));

    // Six picks: teams 1 and 2 pick for themselves, the Commish for 3 and 4.
    for (int t = 1; made < 6; t = t % 4 + 1) {
      const Pick& p = players[static_cast<std::size_t>(made)];
      if (t <= 2) {
        ASSERT_EQ(host.Ask("clock " + std::to_string(t) + " 60", "clock: "), "0");  // Started
        TestClient& c = t == 1 ? a : b;
        ASSERT_TRUE(WaitFor([&] { return c.session.TimerRunning(); }));
        ASSERT_TRUE(c.session.SendOwnPick(p.pid, p.name, p.position));
      } else {
        ASSERT_EQ(host.Ask("clock " + std::to_string(t) + " 60", "clock: "), "1");  // MustSelect
        ASSERT_EQ(host.Ask("pick " + std::to_string(p.pid) + "|" + p.name + "|" + p.position, "pick: "),
                  "0");  // Picked
      }
      ++made;
      ASSERT_TRUE(WaitFor([&] { return a.session.PickCount() == made && b.session.PickCount() == made; }));
    }
    // The seventh pick: the server dies as soon as the first client has
    // seen it, whether or not the other has.
    ASSERT_EQ(host.Ask("clock 3 60", "clock: "), "1");
    ASSERT_EQ(host.Ask("pick " + std::to_string(players[6].pid) + "|" + players[6].name + "|" + players[6].position,
                       "pick: "),
              "0");
    ASSERT_TRUE(WaitFor([&] { return a.session.PickCount() == 7 || b.session.PickCount() == 7; }, 5000));
    host.Kill();
    EXPECT_EQ(host.ExitStatus(), QProcess::CrashExit);
    seen = Seen({&a, &b});
    EXPECT_EQ(seen.size(), 7u);
    // Both clients notice the loss and end.
    ASSERT_TRUE(WaitFor([&] { return a.ended == 1 && b.ended == 1; }));
    EXPECT_EQ(a.LastPrompt(), kConnectionLostText);
  }

  Host again(league.leagueFile);
  ASSERT_TRUE(again.started);
  ASSERT_NE(again.port, 0);
  EXPECT_EQ(again.state, "7 next: 2-4");
  // The draft file holds exactly the picks seen.
  std::string file = ReadWholeFile(league.DraftFile()).value_or("");
  for (const std::string& rec : seen) EXPECT_NE(file.find(rec + "\r\n"), std::string::npos) << rec;
  EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 7);

  // A client signing on catches up on every one of them, in order.
  TestClient c(league, 3, again.port);
  ASSERT_TRUE(c.Connect());
  ASSERT_TRUE(WaitFor([&] { return c.session.PickCount() == 7; }));
  EXPECT_EQ(Seen({&c}), seen);
  // And the draft goes on at 2-4.
  ASSERT_EQ(again.Ask("clock 3 60", "clock: "), "0");
  ASSERT_TRUE(WaitFor([&] { return c.session.TimerRunning(); }));
  ASSERT_TRUE(c.session.SendOwnPick(players[7].pid, players[7].name, players[7].position));
  ASSERT_TRUE(WaitFor([&] { return c.session.PickCount() == 8; }));
  EXPECT_EQ(c.session.Picks().At(8)->label.Text(), "2-4");
  EXPECT_EQ(again.Ask("count", "picks: "), "8 next: 3-1");
}

// The server killed after a pick is on disk and before any client heard of
// it, for a team's pick and then for the Commish's: after each restart the
// draft file holds the pick, and a client signing on catches up on it.
TEST(ServerKilled, BetweenFilingAPickAndAnnouncingItThePickSurvives) {
  SampleLeague league(FourTeams());
  std::vector<Pick> players = AllPlayers(league);
  auto record = [&](int i, int team, const std::string& label) {
    const Pick& p = players[static_cast<std::size_t>(i)];
    return std::to_string(p.pid) + "|" + league.teams[static_cast<std::size_t>(team - 1)] + "|" + p.name + "|" +
           p.position + "|" + label;
  };
  {
    Host host(league.leagueFile);
    ASSERT_TRUE(host.started);
    TestClient a(league, 1, host.port);
    TestClient b(league, 2, host.port);
    ASSERT_TRUE(a.Connect());
    ASSERT_TRUE(b.Connect());
    ASSERT_TRUE(WaitFor([&] { return a.session.SignedOn(2); }));
    ASSERT_EQ(host.Ask("die-after-filing", "armed"), "");
    ASSERT_EQ(host.Ask("clock 1 60", "clock: "), "0");  // Started
    ASSERT_TRUE(WaitFor([&] { return a.session.TimerRunning(); }));
    ASSERT_TRUE(a.session.SendOwnPick(players[0].pid, players[0].name, players[0].position));
    ASSERT_TRUE(WaitFor([&] { return a.ended == 1 && b.ended == 1; }));  // the server is gone
    ASSERT_TRUE(host.Ended());
    EXPECT_EQ(host.ExitStatus(), QProcess::CrashExit);
    // Nobody heard of the pick.
    EXPECT_EQ(a.session.PickCount(), 0);
    EXPECT_EQ(b.session.PickCount(), 0);
  }
  {
    Host host(league.leagueFile);
    ASSERT_TRUE(host.started);
    EXPECT_EQ(host.state, "1 next: 1-2");
    ASSERT_EQ(host.Ask("die-after-filing", "armed"), "");
    ASSERT_EQ(host.Ask("clock 2 60", "clock: "), "1");  // MustSelect
    const Pick& p = players[1];
    host.Ask("pick " + std::to_string(p.pid) + "|" + p.name + "|" + p.position, "pick: ");  // dies before it answers
    ASSERT_TRUE(host.Ended());
    EXPECT_EQ(host.ExitStatus(), QProcess::CrashExit);
  }
  EXPECT_EQ(ReadWholeFile(league.DraftFile()).value_or(""),
            record(0, 1, "1-1") + "\r\n" + record(1, 2, "1-2") + "\r\n");
  Host again(league.leagueFile);
  EXPECT_EQ(again.state, "2 next: 1-3");
  TestClient c(league, 3, again.port);
  ASSERT_TRUE(c.Connect());
  ASSERT_TRUE(WaitFor([&] { return c.session.PickCount() == 2; }));
  EXPECT_EQ(Records(c), (std::vector<std::string>{record(0, 1, "1-1"), record(1, 2, "1-2")}));
}

// A raw client for team 3 that signs on, takes part in the catch-up and
// vanishes (socket aborted) after `abortAfter` V messages, right after asking
// for the next one.
class VanishingClient {
 public:
  VanishingClient(quint16 port, int abortAfter) : abortAfter_(abortAfter) {
    QObject::connect(&sock_, &QTcpSocket::readyRead, [this] {
      if (gone) return;
      QByteArray b = sock_.readAll();
      Take(splitter_.Feed(std::string_view(b.constData(), static_cast<std::size_t>(b.size())), protocol::SteadyMs()));
    });
    // A message at the end of a read is released after a quiet spell.
    poll_.setInterval(5);
    QObject::connect(&poll_, &QTimer::timeout, [this] { Take(splitter_.Poll(protocol::SteadyMs())); });
    poll_.start();
    sock_.connectToHost(QHostAddress::LocalHost, port);
    connected = sock_.waitForConnected(3000);
  }
  // Sends the login; with abortAfter 0 the client vanishes right after it.
  void Start(const std::string& login) {
    sock_.write(login.c_str());
    sock_.flush();
    if (abortAfter_ == 0) Vanish();
  }
  void Vanish() {
    gone = true;
    sock_.abort();
  }
  void Take(const std::vector<protocol::Message>& messages) {
    for (const auto& m : messages) {
      if (m.code != 'V' || gone) continue;
      ++vs;
      sock_.write(protocol::PickRequest(3, vs + 1).c_str());
      sock_.flush();
      if (vs >= abortAfter_) Vanish();
    }
  }
  bool connected = false;
  bool gone = false;
  int vs = 0;

 private:
  int abortAfter_;
  QTimer poll_;
  QTcpSocket sock_;
  protocol::FrameSplitter splitter_{protocol::Receiver::Client};
};

class ClientVanishes : public ::testing::TestWithParam<int> {};

TEST_P(ClientVanishes, DuringCatchUpOthersAndServerAreUnaffected) {
  SampleLeague league(FourTeams());
  std::vector<Pick> players = AllPlayers(league);
  ASSERT_GE(players.size(), 42u);
  {
    std::ofstream f(league.DraftFile(), std::ios::binary);
    for (int i = 0; i < 40; ++i) {
      const Pick& p = players[static_cast<std::size_t>(i)];
      f << p.pid << "|" << league.teams[static_cast<std::size_t>(i % 4)] << "|" << p.name << "|" << p.position << "|"
        << i / 4 + 1 << "-" << i % 4 + 1 << "\r\n";
    }
  }
  TestServer server(league);
  ASSERT_EQ(server.engine.Log().Count(), 40);
  int left = 0;
  QObject::connect(&server.engine, &DraftServer::teamSignedOff, [&](int team, const QString&) { left += team == 3; });
  TestClient a(league, 1, server.Port());
  TestClient b(league, 2, server.Port());
  a.view.chatOpen = b.view.chatOpen = true;
  ASSERT_TRUE(a.Connect());
  ASSERT_TRUE(b.Connect());
  ASSERT_TRUE(WaitFor([&] { return a.session.PickCount() == 40 && b.session.PickCount() == 40; }));
  ASSERT_TRUE(WaitFor([&] { return a.session.SignedOn(2); }));

  const int abortAfter = GetParam();
  VanishingClient gone(server.Port(), abortAfter);
  ASSERT_TRUE(gone.connected);
  ASSERT_TRUE(WaitFor([&] { return server.engine.OpenConnections() == 3; }));
  gone.Start(protocol::Login(3, "3.03", league.pool.Count(), league.name));
  ASSERT_TRUE(WaitFor([&] { return gone.gone; }));
  // The server takes the team off (when it signed on at all) and tells the others.
  ASSERT_TRUE(WaitFor([&] { return server.engine.OpenConnections() == 2 && !server.engine.Team(3).signedOn; }));
  const std::string leftLine = "*** " + league.teams[2] + " *** has left the draft.";
  if (abortAfter > 0) {
    EXPECT_EQ(left, 1);
    ASSERT_TRUE(WaitFor([&] { return a.view.ChatHas(leftLine) && b.view.ChatHas(leftLine); }));
  }
  EXPECT_FALSE(a.session.SignedOn(3));
  EXPECT_FALSE(b.session.SignedOn(3));
  EXPECT_EQ(server.engine.Team(3).socket, 0);
  EXPECT_TRUE(server.engine.Team(1).signedOn);
  EXPECT_TRUE(server.engine.Team(2).signedOn);

  // The draft goes on: team 1 picks, everyone sees it at 11-1.
  ASSERT_EQ(server.OnClock(1, 60), DraftServer::ClockResult::Started);
  ASSERT_TRUE(WaitFor([&] { return a.session.TimerRunning(); }));
  ASSERT_TRUE(a.session.SendOwnPick(players[40].pid, players[40].name, players[40].position));
  ASSERT_TRUE(WaitFor([&] { return a.session.PickCount() == 41 && b.session.PickCount() == 41; }));
  EXPECT_EQ(a.session.Picks().At(41)->label.Text(), "11-1");
  EXPECT_EQ(server.engine.Log().Count(), 41);
  std::string file = ReadWholeFile(league.DraftFile()).value_or("");
  EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 41);
  EXPECT_EQ(Records(a), Records(b));
  EXPECT_EQ(a.ended + b.ended, 0);
  EXPECT_EQ(server.reports, 0);

  // The team signs on again through a fresh connection and catches up fully.
  TestClient c(league, 3, server.Port());
  ASSERT_TRUE(c.Connect());
  ASSERT_TRUE(WaitFor([&] { return c.session.PickCount() == 41; }));
  EXPECT_EQ(Records(c), Records(a));
  ASSERT_TRUE(WaitFor([&] { return a.session.SignedOn(3); }));
}

INSTANTIATE_TEST_SUITE_P(AbortPoints, ClientVanishes, ::testing::Values(0, 1, 20),
                         [](const auto& point) { return "AfterV" + std::to_string(point.param); });

}  // namespace
}  // namespace pm::test
