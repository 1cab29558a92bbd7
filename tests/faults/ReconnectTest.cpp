// A client that loses its connection signs on again through a proxy that
// cuts the network path: it catches up what it missed, stops on the owner's
// Disconnect, gives up after its time, and is not brought back after a kick.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "tests/client/ClientTestKit.h"
#include "tests/support/LoopbackProxy.h"

namespace pm::test {
namespace {

using server::DraftServer;

// The pauses between attempts, run by the test.
struct ManualPauses : PauseTimer {
  std::vector<int> started;
  std::function<void()> done;
  void Start(int ms, std::function<void()> d) override {
    started.push_back(ms);
    done = std::move(d);
  }
  void Stop() override { done = {}; }
  void Fire() { std::exchange(done, {})(); }
};

// A client of `team` that reconnects, connected through `proxy`.
struct ReconnectingClient {
  TestClient c;
  ManualPauses pauses;
  int64_t now = 0;
  ReconnectingClient(const SampleLeague& league, int team, const LoopbackProxy& proxy)
      : ReconnectingClient(league, team, proxy.Port()) {}
  ReconnectingClient(const SampleLeague& league, int team, quint16 port) : c(league, team, port) {
    c.session.SetReconnect(true);
    c.session.SetPauseTimer(&pauses);
    c.session.clock = [this] { return now; };
  }
};

league::SampleOptions FourTeams() {
  league::SampleOptions o;
  o.name = "Reconnect League";
  o.teams = 4;
  o.college = 80;
  o.freeAgents = 0;
  return o;
}

std::vector<int> Pids(const std::vector<draft::Pick>& picks) {
  std::vector<int> out;
  for (const draft::Pick& p : picks) out.push_back(p.pid);
  return out;
}

// The Commish picks for a team that is not signed on: draftee k + 1.
bool CommishPicks(TestServer& server, const SampleLeague& league, int team, int k) {
  const league::Player& p = league.pool.draftees[static_cast<std::size_t>(k + 1)].player;
  if (server.OnClock(team, 60) != DraftServer::ClockResult::MustSelect) return false;
  return server.engine.CommishPick(p.pid, team, server.engine.Clock().Label()) == DraftServer::PickResult::Picked;
}

TEST(Reconnect, SignsOnAgainAndCatchesUpPicksAndDeletesMadeMeanwhile) {
  SampleLeague league(FourTeams());
  TestServer server(league);
  for (int k = 0; k < 40; ++k) ASSERT_TRUE(CommishPicks(server, league, k % 4 + 1, k));
  // Forwards every read as it comes.
  LoopbackProxy proxy(server.Port(), LoopbackProxy::Mode::Delay);
  proxy.delayMs = 0;
  ReconnectingClient r(league, 3, proxy);
  TestClient& c = r.c;
  c.view.chatOpen = true;
  ASSERT_TRUE(c.Connect());
  ASSERT_TRUE(WaitFor([&] { return c.session.PickCount() == 40; }));
  const std::string login = c.session.SentLog().front();

  // The path is cut: the client keeps its windows and tries again later.
  proxy.SetListening(false);
  proxy.DropAll();
  ASSERT_TRUE(WaitFor([&] { return c.session.Reconnecting(); }));
  EXPECT_EQ(c.view.caption, "Pickmill - Client - 3.03 - " + league.teams[2] + " - Reconnecting...");
  EXPECT_TRUE(c.view.ChatHas("Connection lost; reconnecting..."));
  EXPECT_EQ(c.ended, 0);
  EXPECT_TRUE(c.prompter.asked.empty());
  EXPECT_EQ(r.pauses.started, std::vector<int>{1000});
  EXPECT_EQ(c.session.PickCount(), 40);
  // The server lets the team go; meanwhile a pick is deleted and two are made.
  ASSERT_TRUE(WaitFor([&] { return !server.engine.Team(3).signedOn; }));
  ASSERT_EQ(server.engine.DeletePick({2, 2}), DraftServer::DeleteResult::Deleted);
  ASSERT_TRUE(CommishPicks(server, league, 3, 40));
  ASSERT_TRUE(CommishPicks(server, league, 4, 41));
  EXPECT_FALSE(c.session.SendOwnPick(1, "Someone", "QB"));  // no clock while away

  // An attempt that finds nobody listening: the pauses grow.
  r.pauses.Fire();
  ASSERT_TRUE(WaitFor([&] { return r.pauses.started.size() == 2; }));
  r.pauses.Fire();
  ASSERT_TRUE(WaitFor([&] { return r.pauses.started.size() == 3; }));
  EXPECT_EQ(r.pauses.started, (std::vector<int>{1000, 2000, 4000}));
  EXPECT_EQ(ReconnectPauseMs(5), 30000);
  EXPECT_EQ(ReconnectPauseMs(40), 30000);

  // The path is back: the same login, then the picks afresh.
  r.now += 5 * 60 * 1000;
  proxy.SetListening(true);
  r.pauses.Fire();
  ASSERT_TRUE(WaitFor([&] { return c.view.ChatHas("Reconnected."); }));
  EXPECT_FALSE(c.session.Reconnecting());
  // The same login, then the owner's list (empty here); the picks come
  // without a request.
  EXPECT_EQ(c.session.SentLog().back(), "K|3|0|");
  EXPECT_EQ(std::count(c.session.SentLog().begin(), c.session.SentLog().end(), login), 2);
  const std::vector<int> expected = Pids(server.engine.Log().Picks());
  ASSERT_EQ(expected.size(), 41u);
  ASSERT_TRUE(WaitFor([&] { return Pids(c.session.Picks().Picks()) == expected; }));
  EXPECT_EQ(c.session.PickCount(), 41);  // no blank slot, none twice
  EXPECT_EQ(c.view.draftList.size(), 41u);
  EXPECT_TRUE(server.engine.Team(3).signedOn);
  EXPECT_EQ(c.view.caption, "Pickmill - Client - 3.03 - " + league.teams[2] + " - Connected.");
  EXPECT_EQ(c.ended, 0);
}

// A path that died without a close reaching the server: the server refuses
// the new login while it holds the old connection ("already signed on"), and
// the client tries again until the old connection is gone (which TCP
// keep-alive makes happen within a minute). Meanwhile it keeps showing the
// picks it holds, and its caption says it is reconnecting.
TEST(Reconnect, RetriesWhileTheServerStillHoldsTheOldConnection) {
  SampleLeague league(FourTeams());
  TestServer server(league);
  ASSERT_TRUE(CommishPicks(server, league, 1, 0));
  LoopbackProxy proxy(server.Port(), LoopbackProxy::Mode::Delay);
  proxy.delayMs = 0;
  ReconnectingClient r(league, 2, proxy);
  ASSERT_TRUE(r.c.Connect());
  ASSERT_TRUE(WaitFor([&] { return r.c.session.PickCount() == 1; }));
  proxy.Vanish();
  ASSERT_TRUE(WaitFor([&] { return r.c.session.Reconnecting(); }));
  r.pauses.Fire();
  ASSERT_TRUE(WaitFor([&] { return r.pauses.started.size() == 2; }));
  EXPECT_TRUE(r.c.session.Reconnecting());
  EXPECT_FALSE(r.c.view.ChatHas("Reconnected."));
  EXPECT_EQ(r.c.session.PickCount(), 1);
  EXPECT_EQ(r.c.view.draftList.size(), 1u);
  EXPECT_EQ(r.c.view.caption, "Pickmill - Client - 3.03 - " + league.teams[1] + " - Reconnecting...");
  EXPECT_TRUE(r.c.prompter.asked.empty());
  EXPECT_TRUE(server.engine.Team(2).signedOn);
  // The old connection goes: the next attempt signs on.
  proxy.DropAll();
  ASSERT_TRUE(WaitFor([&] { return !server.engine.Team(2).signedOn; }));
  r.pauses.Fire();
  ASSERT_TRUE(WaitFor([&] { return r.c.view.ChatHas("Reconnected."); }));
  ASSERT_TRUE(WaitFor([&] { return r.c.session.PickCount() == 1; }));
  EXPECT_EQ(r.c.ended, 0);
}

TEST(Reconnect, GivesUpAfterTenMinutesStopsOnDisconnectAndNotAfterAKick) {
  SampleLeague league(FourTeams());
  TestServer server(league);
  LoopbackProxy proxy(server.Port(), LoopbackProxy::Mode::Delay);
  proxy.delayMs = 0;
  ReconnectingClient away(league, 1, proxy);
  ReconnectingClient leaving(league, 2, proxy);
  ReconnectingClient kicked(league, 3, proxy);
  for (ReconnectingClient* r : {&away, &leaving, &kicked}) ASSERT_TRUE(r->c.Connect());
  ASSERT_TRUE(WaitFor([&] { return server.engine.Team(3).signedOn; }));

  // Kicked: told why and ended; no attempt follows.
  ASSERT_TRUE(server.engine.Kick(3));
  ASSERT_TRUE(WaitFor([&] { return kicked.c.ended == 1; }));
  EXPECT_EQ(kicked.c.LastPrompt(),
            std::string(kDisconnectedLead) + "\r\n\r\n" + "You have been kicked out of the draft by the commish.");
  EXPECT_TRUE(kicked.pauses.started.empty());

  proxy.SetListening(false);
  proxy.DropAll();
  ASSERT_TRUE(WaitFor([&] { return away.c.session.Reconnecting() && leaving.c.session.Reconnecting(); }));
  // The owner's Disconnect ends it at once, without the lost-connection box.
  leaving.c.session.Disconnect();
  EXPECT_EQ(leaving.c.ended, 1);
  EXPECT_FALSE(leaving.pauses.done);
  EXPECT_TRUE(leaving.c.prompter.asked.empty());
  // Ten minutes without success: the lost-connection message, then the end.
  // (A draft that is over is not waited for at all: see below.)
  away.pauses.Fire();
  ASSERT_TRUE(WaitFor([&] { return away.pauses.started.size() == 2; }));
  away.now += kReconnectForMs;
  away.pauses.Fire();
  ASSERT_TRUE(WaitFor([&] { return away.c.ended == 1; }));
  EXPECT_EQ(away.c.LastPrompt(), "Either your internet connection was lost or the server went down.");
  EXPECT_EQ(away.pauses.started.size(), 2u);
}

// When the draft is over the server says so; when it then closes, the
// owner's program says the draft is over and ends instead of reconnecting.
TEST(Reconnect, ADraftThatIsOverIsNotWaitedFor) {
  SampleLeague league(FourTeams());
  TestServer server(league);
  ReconnectingClient r(league, 1, server.Port());
  ASSERT_TRUE(r.c.Connect());
  ASSERT_TRUE(WaitFor([&] { return server.engine.Team(1).signedOn; }));
  server.engine.SetOrder(draft::DraftOrder{{2}, false, 1});
  ASSERT_TRUE(CommishPicks(server, league, 2, 0));
  server.engine.SetRunAutomatically(true);  // every label holds a pick: over at once
  ASSERT_TRUE(WaitFor([&] { return r.c.session.DraftOver(); }));
  EXPECT_TRUE(r.c.view.ChatHas(kDraftOverLine));
  server.engine.Unload();
  ASSERT_TRUE(WaitFor([&] { return r.c.ended == 1; }));
  EXPECT_EQ(r.c.LastPrompt(), kDraftOverClosedText);
  EXPECT_TRUE(r.pauses.started.empty());
}

}  // namespace
}  // namespace pm::test
