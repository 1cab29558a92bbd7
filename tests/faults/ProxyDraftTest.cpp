// The same scripted draft run directly and through a loopback proxy that cuts
// every write into single bytes, or joins consecutive writes: the server's
// picks, the draft file and every client's picks, draft list and chat end
// identically.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <optional>

#include "common/Files.h"
#include "tests/client/ClientTestKit.h"
#include "tests/support/LoopbackProxy.h"
#include "tests/support/Wait.h"

namespace pm::test {
namespace {

using Mode = LoopbackProxy::Mode;
using server::DraftServer;

struct ClientOutcome {
  std::vector<std::string> picks;  // draft-file records, empty for a deleted pick
  std::vector<std::string> chat;
  std::vector<std::string> draftList;
  std::string caption;
  bool operator==(const ClientOutcome&) const = default;
};

struct Outcome {
  bool completed = false;
  std::string stoppedAt;                                // the step that did not happen
  std::vector<std::optional<draft::Pick>> serverPicks;  // the log's slots
  std::vector<std::string> selections;
  std::string draftFile;
  std::vector<ClientOutcome> clients;
};

struct Pick {
  int pid = 0;
  std::string name, position;
};

// The draftees the script picks: the first of each position in list order.
std::vector<Pick> ScriptPlayers(const SampleLeague& league, int n) {
  std::vector<Pick> out;
  for (int code = 0; code <= 14 && static_cast<int>(out.size()) < n; ++code) {
    const auto& index = league.pool.positionIndex[static_cast<std::size_t>(code)];
    if (index.empty()) continue;
    const league::Player& p = league.pool.draftees[static_cast<std::size_t>(index.front())].player;
    int keep = std::max(19 - static_cast<int>(p.lname.size()), 0);
    std::string name = (p.fname.substr(0, static_cast<std::size_t>(keep)) + " " + p.lname).substr(0, 20);
    out.push_back({p.pid, name, league::PositionCaption(code)});
  }
  return out;
}

league::SampleOptions FourTeams() {
  league::SampleOptions o;
  o.name = "Fault League";
  o.teams = 4;
  o.college = 80;
  o.freeAgents = 0;
  return o;
}

// What the clients were last told, for a failure message.
std::string Diagnose(const std::vector<std::unique_ptr<TestClient>>& clients) {
  std::string d;
  for (const auto& c : clients) {
    d += "\n  team " + std::to_string(c->session.OwnTeamIndex()) + ": " + c->view.caption;
    if (!c->prompter.asked.empty()) d += "; last message: " + c->prompter.asked.back().text;
    if (!c->view.chat.empty()) d += "; last chat: " + c->view.chat.back();
  }
  return d;
}

// Ends the run, noting the script line that did not come true.
#define STOP_HERE()                                                         \
  do {                                                                      \
    out.stoppedAt = "line " + std::to_string(__LINE__) + Diagnose(clients); \
    return out;                                                             \
  } while (0)

// 4 teams, 2 rounds. Teams 1-3 are connected, team 4 is absent and picked for
// by the Commish; a chat line; in round 2 team 2 first tries a player taken
// in round 1 (G); after the draft pick 2-3 is deleted; a last chat line.
Outcome RunDraft(std::optional<Mode> mode) {
  Outcome out;
  SampleLeague league(FourTeams());
  TestServer server(league);
  std::vector<std::unique_ptr<TestClient>> clients;
  std::unique_ptr<LoopbackProxy> proxy;
  quint16 port = server.Port();
  if (mode) {
    proxy = std::make_unique<LoopbackProxy>(server.Port(), *mode);
    if (!proxy->Listening()) STOP_HERE();
    port = proxy->Port();
  }
  for (int t = 1; t <= 3; ++t) {
    clients.push_back(std::make_unique<TestClient>(league, t, port));
    clients.back()->view.chatOpen = true;
    if (!clients.back()->Connect()) STOP_HERE();
    if (!WaitFor([&] { return server.engine.Team(t).signedOn; })) STOP_HERE();
  }
  auto all = [&](auto pred) {
    return WaitFor([&] {
      for (auto& c : clients)
        if (!pred(*c)) return false;
      return true;
    });
  };
  if (!all([](TestClient& c) {
        for (int k = 1; k <= 3; ++k)
          if (k != c.session.OwnTeamIndex() && !c.session.SignedOn(k)) return false;
        return true;
      }))
    STOP_HERE();

  const std::string hello = league.teams[0] + ": hello, all";
  clients[0]->session.SendChat(client::ClientSession::kChatToEveryone, "hello, all");
  if (!all([&](TestClient& c) { return c.view.ChatHas(hello); })) STOP_HERE();

  std::vector<Pick> players = ScriptPlayers(league, 8);
  if (players.size() < 8) STOP_HERE();
  int n = 0;
  for (int round = 1; round <= 2; ++round) {
    for (int t = 1; t <= 4; ++t) {
      const Pick& p = players[static_cast<std::size_t>(n)];
      if (t == 4) {
        if (server.OnClock(t, 60) != DraftServer::ClockResult::MustSelect) STOP_HERE();
        if (server.engine.CommishPick(p.pid, t, server.engine.Clock().Label()) != DraftServer::PickResult::Picked)
          STOP_HERE();
      } else {
        if (server.OnClock(t, 60) != DraftServer::ClockResult::Started) STOP_HERE();
        TestClient& c = *clients[static_cast<std::size_t>(t - 1)];
        if (!WaitFor([&] { return c.session.TimerRunning(); })) STOP_HERE();
        if (round == 2 && t == 2) {
          const Pick& taken = players[0];
          if (!c.session.SendOwnPick(taken.pid, taken.name, taken.position)) STOP_HERE();
          const std::string attempted = league.teams[1] + " attempted to choose " + taken.position + " " + taken.name +
                                        " who has already been selected.";
          if (!all([&](TestClient& x) { return x.view.ChatHas(attempted); })) STOP_HERE();
        }
        if (!c.session.SendOwnPick(p.pid, p.name, p.position)) STOP_HERE();
      }
      ++n;
      if (!all([&](TestClient& x) { return x.session.PickCount() == n; })) STOP_HERE();
      if (server.engine.Log().Count() != n) STOP_HERE();
    }
  }
  if (server.engine.DeletePick({2, 3}) != DraftServer::DeleteResult::Deleted) STOP_HERE();
  if (!all([](TestClient& c) { return c.view.draftListClears == 1; })) STOP_HERE();

  const std::string bye = league.teams[2] + ": that's all, folks";
  clients[2]->session.SendChat(client::ClientSession::kChatToEveryone, "that's all, folks");
  if (!all([&](TestClient& c) { return c.view.ChatHas(bye); })) STOP_HERE();

  out.serverPicks = server.engine.Log().Slots();
  for (const draft::Pick& pick : server.engine.Log().Picks()) out.selections.push_back(draft::DraftListFill(pick));
  out.draftFile = ReadWholeFile(league.DraftFile()).value_or("<missing>");
  for (auto& c : clients) {
    std::vector<std::string> picks;
    for (int i = 1; i <= c->session.PickCount(); ++i) picks.push_back(Record(c->session, i));
    out.clients.push_back({picks, c->view.chat, c->view.draftList, c->view.caption});
  }
  out.completed = server.reports == 0;
  if (proxy && proxy->Writes() == 0) out.completed = false;
  STOP_HERE();
}

void ExpectSame(const Outcome& direct, const Outcome& other) {
  ASSERT_TRUE(direct.completed) << direct.stoppedAt;
  ASSERT_TRUE(other.completed) << other.stoppedAt;
  EXPECT_EQ(other.serverPicks, direct.serverPicks);
  EXPECT_EQ(other.selections, direct.selections);
  EXPECT_EQ(other.draftFile, direct.draftFile);
  ASSERT_EQ(other.clients.size(), direct.clients.size());
  for (std::size_t i = 0; i < direct.clients.size(); ++i) {
    EXPECT_EQ(other.clients[i].picks, direct.clients[i].picks) << "client " << i + 1;
    EXPECT_EQ(other.clients[i].chat, direct.clients[i].chat) << "client " << i + 1;
    EXPECT_EQ(other.clients[i].draftList, direct.clients[i].draftList) << "client " << i + 1;
    EXPECT_EQ(other.clients[i].caption, direct.clients[i].caption) << "client " << i + 1;
  }
}

class ProxyDraft : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { direct_ = std::make_unique<Outcome>(RunDraft(std::nullopt)); }
  static void TearDownTestSuite() { direct_.reset(); }
  static std::unique_ptr<Outcome> direct_;
};
std::unique_ptr<Outcome> ProxyDraft::direct_;

TEST_F(ProxyDraft, DirectRunIsWhatTheScriptMade) {
  const Outcome& d = *direct_;
  ASSERT_TRUE(d.completed) << d.stoppedAt;
  ASSERT_EQ(d.serverPicks.size(), 8u);
  EXPECT_FALSE(d.serverPicks[6].has_value());  // 2-3 deleted
  EXPECT_EQ(d.selections.size(), 7u);
  EXPECT_EQ(std::count(d.draftFile.begin(), d.draftFile.end(), '\n'), 7);
  for (const auto& c : d.clients) {
    EXPECT_EQ(c.picks.size(), 8u);
    EXPECT_TRUE(c.picks[6].empty());  // pick 7, 2-3
    EXPECT_EQ(c.draftList.size(), 7u);
  }
}

// A read that ends inside the last field of a message (the league name of L,
// the label of Z, chat text) must not release the message cut there.
TEST_F(ProxyDraft, EveryWriteCutIntoSingleBytes) { ExpectSame(*direct_, RunDraft(Mode::SplitBytes)); }

TEST_F(ProxyDraft, SingleBytesOnePerEventLoopTurn) { ExpectSame(*direct_, RunDraft(Mode::SplitBytesPaced)); }

TEST_F(ProxyDraft, ConsecutiveWritesJoined) { ExpectSame(*direct_, RunDraft(Mode::Join)); }

}  // namespace
}  // namespace pm::test
