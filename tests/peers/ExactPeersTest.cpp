// The two test peers that follow the protocol to the letter (one read is one
// message, one V at a time, unknown codes ignored), against each other on
// loopback: login refusals, a draft between two owners, and the catch-up of
// a late joiner.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ExactClient.h"
#include "tests/support/ExactServer.h"
#include "tests/support/Wait.h"

namespace {

using pm::test::ExactClient;
using pm::test::ExactServer;
using pm::test::WaitFor;
using Lines = std::vector<std::string>;

const Lines kTeams = {"Bears", "Lions", "Rams", "Jets"};

ExactServer::Config League() {
  ExactServer::Config league;
  league.leagueName = "Test League";
  league.drafteeCount = 300;
  league.teams = kTeams;
  return league;
}

ExactClient::Config Owner(int team) {
  ExactClient::Config owner;
  owner.team = team;
  owner.drafteeCount = 300;
  owner.leagueName = "Test League";
  owner.teams = kTeams;
  return owner;
}

// A chat line's round trip: everything the server sent this owner before has
// then been read.
bool Sync(ExactClient& owner, int team, const std::string& tag) {
  owner.SendChat(tag);
  return WaitFor([&] { return owner.Received("C|" + std::to_string(team) + "|0|" + tag); });
}

TEST(ExactPeersTest, LoginRefusalsInCheckOrderKeepTheConnectionOpen) {
  ExactServer server(League());
  ASSERT_TRUE(server.Listen());

  struct Case {
    std::string version;
    int count;
    std::string league;
    int reason;
  };
  // The league name is checked first, and as exact text; then the version
  // as a number ("3.02x" reads as 3.02), then the player count.
  const std::vector<Case> cases = {
      {"3.03", 300, "Other League", 0}, {"3.02", 299, "Test league", 0}, {"3.02", 299, "Test League", 1},
      {"3.02x", 300, "Test League", 1}, {"3.03", 299, "Test League", 2}, {"4", 301, "Test League", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version + "," + std::to_string(c.count) + "," + c.league);
    ExactClient::Config config = Owner(1);
    config.version = c.version;
    config.drafteeCount = c.count;
    config.leagueName = c.league;
    ExactClient owner(config);
    owner.ConnectTo(server.Port());
    ASSERT_TRUE(WaitFor([&] { return owner.Refused(); }));
    EXPECT_EQ(owner.RefusalReason(), c.reason);
    EXPECT_EQ(owner.Reads(), Lines{"R|0|0|" + std::to_string(c.reason)});
    EXPECT_EQ(owner.Sent(), Lines{"L|1|0|" + c.version + "," + std::to_string(c.count) + "," + c.league});
    EXPECT_TRUE(server.IsOpen(server.Connections()));
    EXPECT_TRUE(server.SignedOn().empty());
  }

  // A version that reads as 3.03 passes; the same team again is refused
  // with 3, and that refused connection closing announces nobody.
  ExactClient::Config trailing = Owner(1);
  trailing.version = "3.03abc";
  ExactClient first(trailing);
  first.ConnectTo(server.Port());
  ASSERT_TRUE(WaitFor([&] { return server.IsSignedOn(1); }));
  ExactClient again(Owner(1));
  again.ConnectTo(server.Port());
  ASSERT_TRUE(WaitFor([&] { return again.Refused(); }));
  EXPECT_EQ(again.RefusalReason(), 3);
  int refused = server.Connections();
  again.Close();
  ASSERT_TRUE(WaitFor([&] { return !server.IsOpen(refused); }));
  ASSERT_TRUE(Sync(first, 1, "after"));
  EXPECT_EQ(first.Reads(), Lines{"C|1|0|after"});
  EXPECT_EQ(server.SignedOn(), std::vector<int>{1});

  // A kick is an R with reason 4 to that team only; the server keeps the
  // connection until the client ends it.
  server.Kick(1);
  ASSERT_TRUE(WaitFor([&] { return first.Refused(); }));
  EXPECT_EQ(first.RefusalReason(), 4);
  EXPECT_TRUE(server.IsOpen(server.ConnectionOf(1)));
  first.Close();
  ASSERT_TRUE(WaitFor([&] { return server.SignedOn().empty(); }));
}

TEST(ExactPeersTest, TwoOwnersClockPicksChatAndLeaving) {
  ExactServer server(League());
  ASSERT_TRUE(server.Listen());
  ExactClient bears(Owner(1));
  bears.ConnectTo(server.Port());
  ASSERT_TRUE(WaitFor([&] { return server.IsSignedOn(1); }));
  ExactClient rams(Owner(3));
  rams.ConnectTo(server.Port());
  ASSERT_TRUE(WaitFor([&] { return bears.IsSignedOn(3) && rams.IsSignedOn(1); }));
  EXPECT_EQ(bears.Reads(), Lines{"L|3|0|"});  // no W when alone, no V without picks
  EXPECT_EQ(rams.Reads(), Lines{"W|0|3|1"});  // the L of its own login goes to the others only

  // On the clock, a second counted, the pick sent: Z to both, own clock reset.
  server.PutOnClock(1, 60);
  ASSERT_TRUE(WaitFor([&] { return bears.OnClock() && rams.Received("N|0|1|60,1-1"); }));
  EXPECT_EQ(bears.ClockSeconds(), 60);
  EXPECT_FALSE(rams.OnClock());
  bears.Tick();
  EXPECT_EQ(bears.ClockSeconds(), 59);
  bears.SendDraft("101", "John Smith", "QB");
  EXPECT_FALSE(bears.ClockRunning());
  ASSERT_TRUE(WaitFor([&] { return bears.Picks().size() == 1 && rams.Picks().size() == 1; }));
  const std::string pick = "101|Bears|John Smith|QB|1-1";
  EXPECT_EQ(bears.Picks(), Lines{pick});
  EXPECT_EQ(rams.Picks(), Lines{pick});
  EXPECT_EQ(server.Picks(), Lines{pick});
  EXPECT_EQ(server.NextLabel(), "1-2");
  EXPECT_FALSE(bears.OnClock());
  EXPECT_EQ(bears.ClockSeconds(), 0);

  // A taken player: G to both, nothing recorded, the clock resumes where it stopped.
  server.PutOnClock(3, 45);
  ASSERT_TRUE(WaitFor([&] { return rams.OnClock() && bears.Received("N|0|3|45,1-2"); }));
  rams.Tick();
  rams.SendDraft("101", "John Smith", "QB");
  ASSERT_TRUE(WaitFor([&] { return rams.ClockRunning() && bears.Received("G|3|0|101,John Smith,QB"); }));
  EXPECT_EQ(rams.ClockSeconds(), 44);
  EXPECT_EQ(server.Picks().size(), 1u);

  // Halted, then on the clock for one second: the own clock's end sends T,
  // which the server ignores; the server's time-out reaches everybody.
  server.Halt(3);
  ASSERT_TRUE(WaitFor([&] { return !rams.OnClock() && bears.Received("H|0|3"); }));
  server.PutOnClock(3, 1);
  ASSERT_TRUE(WaitFor([&] { return rams.OnClock() && bears.Received("N|0|3|1,1-2"); }));
  rams.Tick();
  EXPECT_FALSE(rams.OnClock());
  EXPECT_EQ(rams.Sent().back(), "T|3|0|failed to make a selection within the allotted time.");
  server.TimeOut(3, "Rams");
  const std::string timedOut = "I|0|3|Rams failed to make a selection while on the clock.";
  ASSERT_TRUE(WaitFor([&] { return rams.Received(timedOut) && bears.Received(timedOut); }));

  // The Commish picks for the team: Z to both, the label moves on.
  server.PickFor(3, "0102", "Sam Stone", "WR");
  ASSERT_TRUE(WaitFor([&] { return bears.Picks().size() == 2 && rams.Picks().size() == 2; }));
  EXPECT_EQ(rams.Picks().back(), "0102|Rams|Sam Stone|WR|1-2");
  EXPECT_EQ(server.Picks().back(), "102|Rams|Sam Stone|WR|1-2");
  EXPECT_EQ(server.NextLabel(), "1-3");

  // Chat: public lines reach both (the sender too), private lines one.
  bears.SendChat("hello, all");
  ASSERT_TRUE(WaitFor([&] { return bears.Received("C|1|0|hello, all") && rams.Received("C|1|0|hello, all"); }));
  rams.SendPrivate(1, "psst");
  ASSERT_TRUE(WaitFor([&] { return bears.Received("P|3|1|psst"); }));
  rams.SendPrivate(0, "a word");
  ASSERT_TRUE(WaitFor([&] { return !server.CommishLines().empty(); }));
  server.CommishChat("Round 2 at nine");
  ASSERT_TRUE(WaitFor([&] { return bears.ChatLines().size() == 3 && rams.ChatLines().size() == 2; }));
  EXPECT_EQ(bears.ChatLines(), (Lines{"Bears: hello, all", "Private from Rams: psst", "Commish: Round 2 at nine"}));
  EXPECT_EQ(server.CommishLines(), Lines{"Private from Rams: a word"});

  // Leaving: X to the others, who mark the team off.
  rams.Close();
  ASSERT_TRUE(WaitFor([&] { return bears.Received("X|3|0|"); }));
  EXPECT_EQ(bears.SignedOn(), std::vector<int>{});
  EXPECT_EQ(server.SignedOn(), std::vector<int>{1});

  // Every step waited for its messages, so none shared a read.
  EXPECT_EQ(bears.GluedReads(), 0);
  EXPECT_EQ(rams.GluedReads(), 0);
  EXPECT_EQ(server.GluedReads(), 0);
}

TEST(ExactPeersTest, LateJoinerCatchesUpOneVAtATimeAndGetsThePickAfterABlankTwice) {
  ExactServer::Config league = League();
  league.picks = {"101|Bears|John Smith|QB|1-1", "102|Lions|Sam Stone|WR|1-2", "  ", "103|Rams|Al Moe|HB|1-3",
                  "104|Jets|Ty Lee|K|1-4"};
  ExactServer server(league);
  ASSERT_TRUE(server.Listen());
  EXPECT_EQ(server.Picks().size(), 4u);  // the blank line is no record
  EXPECT_EQ(server.NextLabel(), "2-1");
  server.DeletePick("1-2");  // nobody signed on yet: Y goes to nobody

  ExactClient lions(Owner(2));
  lions.ConnectTo(server.Port());
  ASSERT_TRUE(WaitFor([&] { return lions.Sent().size() == 5; }));  // the login and four V requests
  ASSERT_TRUE(Sync(lions, 2, "done"));  // an answer to the last request would have come first
  EXPECT_EQ(lions.Reads(), (Lines{"V|0|2|101,Bears,John Smith,QB,1-1", "V|0|2|103,Rams,Al Moe,HB,1-3",
                                  "V|0|2|103,Rams,Al Moe,HB,1-3", "V|0|2|104,Jets,Ty Lee,K,1-4", "C|2|0|done"}));
  EXPECT_EQ(lions.Sent(),
            (Lines{"L|2|0|3.03,300,Test League", "V|2|0|2", "V|2|0|3", "V|2|0|4", "V|2|0|5", "C|2|0|done"}));
  const Lines caughtUp = {"101|Bears|John Smith|QB|1-1|", "103|Rams|Al Moe|HB|1-3|", "103|Rams|Al Moe|HB|1-3|",
                          "104|Jets|Ty Lee|K|1-4|"};
  EXPECT_EQ(lions.Picks(), caughtUp);
  EXPECT_EQ(lions.GluedReads(), 0);
  EXPECT_EQ(server.GluedReads(), 0);

  // A delete blanks the first pick with the label on both sides; the counts stay.
  server.DeletePick("1-3");
  ASSERT_TRUE(WaitFor([&] { return lions.Received("Y|0|0|1-3"); }));
  EXPECT_EQ(lions.Picks(), (Lines{caughtUp[0], "", caughtUp[2], caughtUp[3]}));
  EXPECT_EQ(server.Picks(), (Lines{"101|Bears|John Smith|QB|1-1", "", "", "104|Jets|Ty Lee|K|1-4"}));

  // A second owner joins while the first is on: W, then V, in two writes.
  // On one event loop they usually arrive in one read, and a client that
  // reads one message per read handles the W only: its catch-up never
  // starts. When they arrive apart, it catches up.
  ExactClient jets(Owner(4));
  jets.ConnectTo(server.Port());
  ASSERT_TRUE(WaitFor([&] { return jets.IsSignedOn(2) && lions.Received("L|4|0|"); }));
  EXPECT_EQ(jets.Reads().front().rfind("W|0|4|2", 0), 0u);
  if (jets.GluedReads() > 0) {
    ASSERT_TRUE(Sync(jets, 4, "joined"));
    EXPECT_EQ(jets.Reads(), (Lines{"W|0|4|2V|0|4|101,Bears,John Smith,QB,1-1", "C|4|0|joined"}));
    EXPECT_TRUE(jets.Picks().empty());
    EXPECT_EQ(jets.Sent(), (Lines{"L|4|0|3.03,300,Test League", "C|4|0|joined"}));
  } else {
    // Past two blanks the pick after them comes three times.
    ASSERT_TRUE(WaitFor([&] { return jets.Sent().size() == 5; }));
    ASSERT_TRUE(Sync(jets, 4, "joined"));
    EXPECT_EQ(jets.Picks(), (Lines{caughtUp[0], caughtUp[3], caughtUp[3], caughtUp[3]}));
  }
}

}  // namespace
