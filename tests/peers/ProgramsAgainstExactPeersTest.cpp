// PKServer's engine and PKClient's session against the peers that follow
// the protocol to the letter (one read is one message, one V at a time,
// unknown codes ignored): what the programs added to the wire must never
// reach such a peer, and nothing may be lost with it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Common.h"
#include "draft/Pick.h"
#include "draft/PoolTable.h"
#include "tests/client/ClientTestKit.h"
#include "tests/support/ExactClient.h"
#include "tests/support/ExactServer.h"

namespace pm::test {
namespace {

// The k-th draftee of the league (1-based) as a pick's fields.
struct Player {
  std::string pid, name, position;
};
Player PlayerOf(const SampleLeague& league, int k) {
  const league::Player& p = league.pool.draftees[Index(k)].player;
  return {std::to_string(p.pid), draft::ShownName(draft::FromFbpro(p)), league::PositionCaption(p.position)};
}

ExactClient::Config OwnerOf(const SampleLeague& league, int team, const std::string& version = "3.03") {
  ExactClient::Config owner;
  owner.team = team;
  owner.version = version;
  owner.drafteeCount = league.pool.Count();
  owner.leagueName = league.name;
  owner.teams = league.teams;
  return owner;
}

// The server against two owners' programs written to the protocol: the late
// joiner gets W and its first pick in reads of their own and catches up; a
// version read as its leading number passes; chat that looks like a message
// is relayed as the text it is; a short draft of clock, picks and a taken
// player reaches both, never two messages in one read.
TEST(ProgramsAgainstExactPeers, TheServerSpeaksThePlainProtocolToAPlainClient) {
  SampleLeague league;
  TestServer server(league);
  for (int k = 1; k <= 3; ++k) {
    ASSERT_EQ(server.OnClock(k + 4, 60), server::DraftServer::ClockResult::MustSelect);
    ASSERT_EQ(server.engine.CommishPick(league.pool.draftees[Index(k)].player.pid, k + 4, server.engine.NextLabel()),
              server::DraftServer::PickResult::Picked);
  }
  ExactClient a(OwnerOf(league, 1));
  a.ConnectTo(server.Port());
  ASSERT_TRUE(WaitFor([&] { return a.Picks().size() == 3u; }));
  ExactClient b(OwnerOf(league, 2, "3.03abc"));
  b.ConnectTo(server.Port());
  ASSERT_TRUE(WaitFor([&] { return b.Picks().size() == 3u && b.IsSignedOn(1); }));
  EXPECT_FALSE(b.Refused());

  a.SendChat("read the L|0|0|rules");
  ASSERT_TRUE(WaitFor([&] { return b.Received("C|1|0|read the L"); }));
  EXPECT_FALSE(a.Refused());

  ASSERT_EQ(server.OnClock(1, 60), server::DraftServer::ClockResult::Started);
  ASSERT_TRUE(WaitFor([&] { return a.ClockRunning(); }));
  const Player first = PlayerOf(league, 10), second = PlayerOf(league, 11);
  a.SendDraft(first.pid, first.name, first.position);
  ASSERT_TRUE(WaitFor([&] { return a.Picks().size() == 4u && b.Picks().size() == 4u; }));
  ASSERT_EQ(server.OnClock(2, 60), server::DraftServer::ClockResult::Started);
  ASSERT_TRUE(WaitFor([&] { return b.ClockRunning(); }));
  b.SendDraft(first.pid, first.name, first.position);  // taken: G, the clock goes on
  ASSERT_TRUE(WaitFor([&] { return b.Received("G|2|0|" + first.pid + "," + first.name + "," + first.position); }));
  b.SendDraft(second.pid, second.name, second.position);
  ASSERT_TRUE(WaitFor([&] { return a.Picks().size() == 5u && b.Picks().size() == 5u; }));
  EXPECT_EQ(server.engine.Log().Picks().size(), 5u);
  EXPECT_EQ(a.GluedReads() + b.GluedReads(), 0);
  for (const ExactClient* owner : {&a, &b})
    for (const std::string& read : owner->Reads()) EXPECT_EQ(read.find('\n'), std::string::npos) << read;
}

// The client against a server written to the protocol: it signs on with its
// features in a field such a server never reads, sends nothing such a
// server does not know, and drafts: its clock, its pick, another team's.
TEST(ProgramsAgainstExactPeers, TheClientDraftsWithAPlainServer) {
  SampleLeague league;
  ExactServer::Config config;
  config.leagueName = league.name;
  config.drafteeCount = league.pool.Count();
  config.teams = league.teams;
  ExactServer server(config);
  ASSERT_TRUE(server.Listen());
  TestClient c(league, 1, server.Port());
  c.view.chatOpen = true;
  ASSERT_TRUE(c.Connect());
  ASSERT_TRUE(WaitFor([&] { return server.IsSignedOn(1); }));

  server.PutOnClock(1, 30);
  ASSERT_TRUE(WaitFor([&] { return c.session.TimerRunning(); }));
  const Player mine = PlayerOf(league, 4);
  ASSERT_TRUE(c.session.SendOwnPick(std::stoi(mine.pid), mine.name, mine.position));
  ASSERT_TRUE(WaitFor([&] { return c.session.PickCount() == 1; }));
  EXPECT_FALSE(c.session.TimerRunning());
  const Player theirs = PlayerOf(league, 5);
  server.PickFor(3, theirs.pid, theirs.name, theirs.position);
  ASSERT_TRUE(WaitFor([&] { return c.session.PickCount() == 2; }));
  EXPECT_EQ(Record(c.session, 2),
            theirs.pid + "|" + league.teams[2] + "|" + theirs.name + "|" + theirs.position + "|1-2");
  EXPECT_TRUE(c.session.Features().Empty());
  EXPECT_EQ(server.GluedReads(), 0);
  for (const std::string& read : server.Reads(server.ConnectionOf(1)))
    EXPECT_TRUE(read[0] == 'L' || read[0] == 'D') << read;  // the login, the pick: nothing else
}

}  // namespace
}  // namespace pm::test
