// The client session against a real draft server engine over loopback.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <fstream>

#include "client/WishList.h"
#include "common/Common.h"
#include "draft/Pick.h"
#include "tests/client/ClientTestKit.h"
#include "tests/support/ExactServer.h"

using namespace Qt::StringLiterals;

namespace pm::test {
namespace {

const std::string kLead = std::string(kDisconnectedLead) + "\r\n\r\n";

void WriteDraftFile(const SampleLeague& league, const std::vector<std::string>& records) {
  std::ofstream out(league.DraftFile(), std::ios::binary);
  for (const auto& r : records) out << r << "\r\n";
}

// The PID of the k-th player of the pool, as text: the server loads only
// picks of the league's draftees.
std::string PoolPid(const SampleLeague& league, int k) {
  return Num(league.pool.draftees[static_cast<std::size_t>(k)].player.pid);
}

const league::Player& PlayerAt(const SampleLeague& league, int position, int k) {
  int index = league.pool.positionIndex[static_cast<std::size_t>(position)].at(static_cast<std::size_t>(k));
  return league.pool.draftees[static_cast<std::size_t>(index)].player;
}

// The name as the draftee list shows it (and the client sends it).
std::string ListName(const league::Player& p) {
  int keep = 19 - static_cast<int>(p.lname.size());
  std::string name = p.fname.substr(0, static_cast<std::size_t>(std::max(keep, 0))) + " " + p.lname;
  return name.substr(0, 20);
}

TEST(ClientSession, LoginPresenceAndLeaving) {
  SampleLeague league;
  TestServer server(league);
  TestClient a(league, 1, server.Port());
  EXPECT_EQ(a.view.caption, "");
  ASSERT_TRUE(a.Connect());
  EXPECT_EQ(a.view.caption, "Pickmill - Client - 3.03 - Albany Admirals - Connected.");
  EXPECT_TRUE(a.view.connected);
  EXPECT_TRUE(a.Sent("L|1|0|3.03," + std::to_string(league.pool.Count()) +
                     ",Sample League,lines+all+wish+over+order+pause+days"));
  ASSERT_TRUE(WaitFor([&] { return server.engine.Team(1).signedOn; }));

  a.view.chatOpen = true;
  TestClient b(league, 2, server.Port());
  ASSERT_TRUE(b.Connect());
  // B hears who is on through W, A hears of B through L.
  ASSERT_TRUE(WaitFor([&] { return b.session.SignedOn(1) && a.session.SignedOn(2); }));
  EXPECT_EQ(a.session.Team(2).name, "Austin Outlaws");
  EXPECT_FALSE(b.session.SignedOn(2));  // the newcomer does not get its own L
  EXPECT_EQ(a.view.recipients, std::vector<int>{2});
  EXPECT_TRUE(b.view.recipients.empty());  // chat closed: no upkeep
  EXPECT_TRUE(a.view.chat.empty());        // signing on writes no chat line

  b.session.Disconnect();
  EXPECT_EQ(b.ended, 1);
  EXPECT_TRUE(b.prompter.asked.empty());  // a confirmed disconnect shows no "lost" message
  ASSERT_TRUE(WaitFor([&] { return !a.session.SignedOn(2); }));
  EXPECT_EQ(a.session.Team(2).name, "Austin Outlaws");
  EXPECT_TRUE(a.view.ChatHas("*** Austin Outlaws *** has left the draft."));
  EXPECT_TRUE(a.view.recipients.empty());
  EXPECT_EQ(a.ended, 0);
}

TEST(ClientSession, RefusalsShowTheReasonAndEnd) {
  SampleLeague league;
  TestServer server(league);

  TestClient wrongLeague(league, 1, server.Port());
  wrongLeague.session.league.leagueName = "Another League";
  ASSERT_TRUE(wrongLeague.Connect());
  ASSERT_TRUE(WaitFor([&] { return wrongLeague.ended == 1; }));
  ASSERT_EQ(wrongLeague.prompter.asked.size(), 1u);
  EXPECT_EQ(wrongLeague.prompter.asked[0].title, "Connection disconnected.");
  EXPECT_EQ(wrongLeague.LastPrompt(), kLead + "You are not using the correct league. Contact the commish for details.");

  TestClient wrongCount(league, 1, server.Port());
  wrongCount.session.league.drafteeCount += 1;
  ASSERT_TRUE(wrongCount.Connect());
  ASSERT_TRUE(WaitFor([&] { return wrongCount.ended == 1; }));
  EXPECT_EQ(wrongCount.LastPrompt(),
            kLead + "The league files you have selected appear to be different that what the commish is using.");

  TestClient first(league, 1, server.Port());
  ASSERT_TRUE(first.Connect());
  ASSERT_TRUE(WaitFor([&] { return server.engine.Team(1).signedOn; }));
  TestClient second(league, 1, server.Port());
  ASSERT_TRUE(second.Connect());
  ASSERT_TRUE(WaitFor([&] { return second.ended == 1; }));
  EXPECT_EQ(second.LastPrompt(), kLead + "The team you selected is already signed on. Contact the commish.");

  ASSERT_TRUE(server.engine.Kick(1));
  ASSERT_TRUE(WaitFor([&] { return first.ended == 1; }));
  EXPECT_EQ(first.LastPrompt(), kLead + "You have been kicked out of the draft by the commish.");

  // Reason 1 comes from an older or newer server; unknown reasons show no text.
  TestClient old(league, 1, server.Port());
  old.session.HandleMessage("R|0|0|1");
  EXPECT_EQ(old.LastPrompt(), kLead + "You are using an incorrect version of Pickmill Client. Contact the commish.");
  EXPECT_EQ(old.ended, 1);
  old.session.HandleMessage("P|0|0|too late");  // nothing is handled after the end
  EXPECT_TRUE(old.view.chat.empty());
  TestClient odd(league, 1, server.Port());
  odd.session.HandleMessage("R|0|0|9");
  EXPECT_EQ(odd.LastPrompt(), kLead);
}

// The server and the client agree to the whole catch-up: every pick comes
// at once after the login, the deleted one left out, without a request.
TEST(ClientSession, CatchUpAcrossADeletedPickStoresEachPickOnce) {
  SampleLeague league;
  const std::vector<std::string> records = {PoolPid(league, 1) + "|Albany Admirals|Player One|QB|1-1",
                                            PoolPid(league, 2) + "|Austin Outlaws|Player Two|WR|1-2",
                                            PoolPid(league, 3) + "|Boston Bulldogs|Player Three|K|1-3",
                                            PoolPid(league, 4) + "|Buffalo Bison|Player Four|P|1-4"};
  WriteDraftFile(league, records);
  TestServer server(league);  // the resume question is answered No: the draft goes on
  ASSERT_EQ(server.engine.Log().Count(), 4);
  server.prompter.answers = {PromptAnswer::Yes};
  ASSERT_EQ(server.engine.DeletePick({1, 2}), server::DraftServer::DeleteResult::Deleted);

  TestClient c(league, 3, server.Port());
  ASSERT_TRUE(c.Connect());
  ASSERT_TRUE(WaitFor([&] { return c.session.PickCount() == 3; }));
  // The request after the last pick has gone out with it. A round trip
  // through the server after it: an answer would arrive before the
  // Commish's line.
  QSignalSpy serverChat(&server.engine, &server::DraftServer::pubChatAdded);
  ASSERT_TRUE(c.session.SendChat(0, "all caught up?"));
  ASSERT_TRUE(WaitFor([&] {
    for (const auto& args : serverChat)
      if (args.at(0).toString().endsWith(u"all caught up?"_s)) return true;
    return false;
  }));
  ASSERT_TRUE(server.engine.CommishChat(3, "yes"));
  ASSERT_TRUE(WaitFor([&] { return c.view.ChatHas("Private from the Commish: yes"); }));
  EXPECT_EQ(c.session.PickCount(), 3);
  // Caught-up picks are held as the picks seen being made are.
  EXPECT_EQ(Record(c.session, 1), records[0]);
  EXPECT_EQ(Record(c.session, 2), records[2]);
  EXPECT_EQ(Record(c.session, 3), records[3]);
  EXPECT_TRUE(c.session.Features().Has(protocol::Feature::WholeCatchUp));
  for (const std::string& sent : c.session.SentLog()) EXPECT_NE(sent.rfind("V|", 0), 0u) << sent;
  ASSERT_EQ(c.view.draftList.size(), 3u);
  EXPECT_EQ(c.view.draftList[1],
            "  1-3  Player Three             K  Boston Bulldogs     " + PadField(PoolPid(league, 3), "L", 5));
}

// A server the test speaks for: the client connects to it on loopback, the
// test writes its messages and waits for the client's.
struct ScriptedServer {
  QTcpServer listener;
  QTcpSocket* peer = nullptr;
  QByteArray got;

  // Connects `c` to this server; false when that fails.
  bool Accept(TestClient& c) {
    if (!listener.listen(QHostAddress::LocalHost, 0)) return false;
    c.session.SetPort(listener.serverPort());
    if (!c.Connect() || !WaitFor([&] { return listener.hasPendingConnections(); })) return false;
    peer = listener.nextPendingConnection();
    return peer != nullptr;
  }
  // Waits until what the client has sent ends in `tail`.
  bool WaitForTail(const QByteArray& tail) {
    return WaitFor([&] {
      got += peer->readAll();
      return got.endsWith(tail);
    });
  }
  // The n of every "V|team|0|n" the client has sent so far, in order.
  std::vector<int> Requests(int team) {
    got += peer->readAll();
    const QByteArray start = "V|" + QByteArray::number(team) + "|0|";
    std::vector<int> out;
    for (qsizetype at = got.indexOf(start); at >= 0; at = got.indexOf(start, at + 1))
      out.push_back(static_cast<int>(LeadingNumber(got.mid(at + start.size()).toStdString())));
    return out;
  }
};

// A server that follows the protocol to the letter takes one read as one
// message and answers one V at a time: the client announces its features
// in a field such a server never reads, is signed on as any client, asks
// for one pick at a time (never two in one read), sends no wish list even
// with one saved, and ends with exactly the server's picks whatever is
// deleted or picked during its catch-up.
TEST(ClientSession, APlainServerIsCaughtUpOneRequestAtATime) {
  SampleLeague league;
  WishList saved;
  saved.Add(PlayerAt(league, 0, 0).pid);
  ASSERT_EQ(saved.Save(WishList::FilePath(QString::fromStdString(league.Folder()) + u"/MyList"_s, league.name,
                                          league.teams[2])),
            QString());
  ExactServer::Config config;
  config.leagueName = league.name;
  config.drafteeCount = league.pool.Count();
  config.teams = league.teams;
  for (int k = 1; k <= 40; ++k)
    config.picks.push_back(PoolPid(league, k) + "|" + league.teams[Index((k - 1) % 12)] + "|P" + std::to_string(k) +
                           "|QB|" + draft::PickLabel::FromOverall(k, 12).Text());
  ExactServer server(config);
  ASSERT_TRUE(server.Listen());
  server.DeletePick("1-5");
  TestClient c(league, 3, server.Port());
  ASSERT_TRUE(c.Connect());
  ASSERT_TRUE(WaitFor([&] { return c.session.PickCount() >= 20; }));
  server.DeletePick("2-9");
  server.PickFor(2, PoolPid(league, 41), "P41", "QB");
  // 40 recorded, 2 deleted, 1 made: the client holds 39 picks.
  ASSERT_TRUE(WaitFor([&] { return c.session.Picks().Picks().size() == 39; }));
  std::vector<int> held, expected;
  for (const auto& pick : c.session.Picks().Slots())
    if (pick) held.push_back(pick->pid);
  for (const std::string& record : server.Picks())
    if (!record.empty()) expected.push_back(draft::ParsePick(record).pid);
  std::sort(held.begin(), held.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(held, expected);
  EXPECT_TRUE(c.session.Features().Empty());
  EXPECT_EQ(server.GluedReads(), 0);
  for (const std::string& read : server.Reads(server.ConnectionOf(3))) EXPECT_NE(read.rfind("K|", 0), 0u) << read;
}

// Two owners, teams 1 and 2, signed on to a server of the sample league.
class TwoOwners : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(a.Connect());
    ASSERT_TRUE(b.Connect());
    ASSERT_TRUE(WaitFor([&] { return server.engine.Team(2).signedOn; }));
  }
  SampleLeague league;
  TestServer server{league};
  TestClient a{league, 1, server.Port()};
  TestClient b{league, 2, server.Port()};
};

TEST_F(TwoOwners, OnTheClockCountsDownToTimeUp) {
  ASSERT_EQ(server.OnClock(1, 3), server::DraftServer::ClockResult::Started);
  ASSERT_TRUE(WaitFor([&] { return a.session.TimerRunning(); }));
  EXPECT_EQ(a.session.ClockSeconds(), 3);
  EXPECT_EQ(a.view.timeLeft, "3");
  EXPECT_EQ(a.view.caption, "Pickmill - Client - 3.03 - Albany Admirals - On the clock.");
  EXPECT_EQ(a.sound.played, std::vector<std::string>{"/sounds/phnring.wav"});
  EXPECT_TRUE(a.view.ChatHas("Albany Admirals is on the clock."));
  ASSERT_TRUE(WaitFor([&] { return b.view.ChatHas("Albany Admirals is on the clock."); }));
  EXPECT_FALSE(b.session.TimerRunning());
  EXPECT_EQ(b.session.ClockSeconds(), 0);
  EXPECT_TRUE(b.sound.played.empty());

  a.session.Tick();
  a.session.Tick();
  EXPECT_EQ(a.view.timeLeft, "1");
  EXPECT_FALSE(a.Sent("T|1|0|failed to make a selection within the allotted time."));
  a.session.Tick();
  EXPECT_TRUE(a.Sent("T|1|0|failed to make a selection within the allotted time."));
  EXPECT_FALSE(a.session.TimerRunning());
  EXPECT_EQ(a.session.ClockSeconds(), 0);
  EXPECT_EQ(a.view.timeLeft, "");
  EXPECT_EQ(a.view.caption, "Pickmill - Client - 3.03 - Albany Admirals - Connected.");
  EXPECT_EQ(a.view.timeLeftHistory, (std::vector<std::string>{"3", "2", "1", "0", ""}));
  a.session.Tick();  // the timer is off: nothing moves
  EXPECT_EQ(a.session.ClockSeconds(), 0);
  EXPECT_EQ(a.sound.played.size(), 1u);  // no buzzer at the client's own time-out
  EXPECT_EQ(a.ended, 0);
}

// The Commish's pause stops the own countdown where it is and forbids the
// pick; every client shows the team on the clock as paused; the resume runs
// the same seconds on.
TEST_F(TwoOwners, APausedDraftStopsTheCountdownAndTheResumeGivesItBack) {
  b.view.chatOpen = true;
  ASSERT_EQ(server.OnClock(1, 40), server::DraftServer::ClockResult::Started);
  ASSERT_TRUE(WaitFor([&] { return a.session.TimerRunning(); }));
  a.session.Tick();

  ASSERT_TRUE(server.engine.PauseDraft());
  ASSERT_TRUE(WaitFor([&] { return !a.session.TimerRunning() && b.session.OnTheClock().paused; }));
  EXPECT_EQ(a.session.ClockSeconds(), 40);  // the server's seconds: its clock had not ticked
  EXPECT_FALSE(a.session.MayPick());
  EXPECT_EQ(a.view.caption, "Pickmill - Client - 3.03 - Albany Admirals - Paused.");
  EXPECT_EQ(b.session.OnTheClock().team, 1);
  a.session.Tick();
  EXPECT_EQ(a.session.ClockSeconds(), 40);

  ASSERT_TRUE(server.engine.ResumeDraft());
  ASSERT_TRUE(WaitFor([&] { return a.session.TimerRunning() && !b.session.OnTheClock().paused; }));
  EXPECT_EQ(a.session.ClockSeconds(), 40);
  EXPECT_TRUE(a.session.MayPick());
  EXPECT_TRUE(std::any_of(b.view.chat.begin(), b.view.chat.end(),
                          [](const std::string& l) { return l.ends_with("The Commish has paused the draft."); }));
}

TEST_F(TwoOwners, PickPausesTheClockTakenResumesAndZEndsTheTurn) {
  a.view.shownPosition = "QB";
  b.view.shownPosition = "QB";
  const league::Player& qb = PlayerAt(league, 0, 0);
  const int pid = qb.pid;
  const std::string name = ListName(qb);

  ASSERT_EQ(server.OnClock(1, 30), server::DraftServer::ClockResult::Started);
  ASSERT_TRUE(WaitFor([&] { return a.session.TimerRunning(); }));
  for (int i = 0; i < 5; ++i) a.session.Tick();
  ASSERT_TRUE(a.session.SendOwnPick(pid, name, "QB"));
  EXPECT_FALSE(a.session.TimerRunning());  // paused while the server decides
  EXPECT_EQ(a.session.ClockSeconds(), 25);
  EXPECT_TRUE(a.Sent("D|1|0|" + std::to_string(pid) + "," + name + ",QB"));
  a.session.Tick();
  EXPECT_EQ(a.session.ClockSeconds(), 25);

  ASSERT_TRUE(WaitFor([&] { return a.session.PickCount() == 1 && b.session.PickCount() == 1; }));
  EXPECT_EQ(Record(a.session, 1), std::to_string(pid) + "|Albany Admirals|" + name + "|QB|1-1");
  EXPECT_EQ(a.session.ClockSeconds(), 0);
  EXPECT_FALSE(a.session.TimerRunning());
  EXPECT_EQ(a.view.timeLeft, "");
  EXPECT_EQ(a.view.caption, "Pickmill - Client - 3.03 - Albany Admirals - Connected.");
  const std::string selected = "Albany Admirals has selected QB " + name + "  -  Round 1-1.";
  EXPECT_TRUE(a.view.ChatHas(selected));
  EXPECT_TRUE(b.view.ChatHas(selected));
  EXPECT_EQ(a.view.rebuilds, 1);
  EXPECT_EQ(b.view.rebuilds, 1);
  EXPECT_EQ(b.view.draftList.size(), 1u);

  // B tries the same player: G, and B's clock resumes where it stopped.
  ASSERT_EQ(server.OnClock(2, 20), server::DraftServer::ClockResult::Started);
  ASSERT_TRUE(WaitFor([&] { return b.session.TimerRunning(); }));
  for (int i = 0; i < 3; ++i) b.session.Tick();
  ASSERT_TRUE(b.session.SendOwnPick(pid, name, "QB"));
  const std::string attempted = "Austin Outlaws attempted to choose QB " + name + " who has already been selected.";
  ASSERT_TRUE(WaitFor([&] { return b.view.ChatHas(attempted); }));
  EXPECT_TRUE(b.session.TimerRunning());
  EXPECT_EQ(b.session.ClockSeconds(), 17);
  ASSERT_TRUE(WaitFor([&] { return a.view.ChatHas(attempted); }));
  EXPECT_FALSE(a.session.TimerRunning());  // another team's G leaves our clock alone
  b.session.Tick();
  EXPECT_EQ(b.session.ClockSeconds(), 16);

  // A player who is not in the draft: the server's refusal line, and B's
  // clock resumes where it stopped.
  ASSERT_TRUE(b.session.SendOwnPick(99, "Nobody Here", "QB"));
  EXPECT_FALSE(b.session.TimerRunning());
  ASSERT_TRUE(WaitFor([&] { return b.session.TimerRunning(); }));
  EXPECT_EQ(b.session.ClockSeconds(), 16);
  EXPECT_TRUE(b.view.chat.back().rfind("Private from the Commish: ", 0) == 0) << b.view.chat.back();

  // A pick at a position the Draftees window does not show leaves it alone.
  const league::Player& k = PlayerAt(league, 13, 0);
  ASSERT_TRUE(b.session.SendOwnPick(k.pid, ListName(k), "K"));
  ASSERT_TRUE(WaitFor([&] { return a.session.PickCount() == 2 && b.session.PickCount() == 2; }));
  EXPECT_EQ(a.view.rebuilds, 1);
  EXPECT_EQ(b.session.ClockSeconds(), 0);
  EXPECT_EQ(Record(b.session, 2), std::to_string(k.pid) + "|Austin Outlaws|" + ListName(k) + "|K|1-2");
}

TEST_F(TwoOwners, TimeoutAndHaltEndTheTurnWithTheBuzzer) {
  ASSERT_EQ(server.OnClock(1, 2), server::DraftServer::ClockResult::Started);
  ASSERT_TRUE(WaitFor([&] { return a.session.TimerRunning(); }));
  server.engine.Tick();
  server.engine.Tick();
  const std::string failed = "Albany Admirals failed to make a selection while on the clock.";
  ASSERT_TRUE(WaitFor([&] { return a.view.ChatHas(failed) && b.view.ChatHas(failed); }));
  EXPECT_FALSE(a.session.TimerRunning());
  EXPECT_EQ(a.session.ClockSeconds(), 0);
  EXPECT_EQ(a.view.timeLeft, "");
  EXPECT_EQ(a.sound.played, (std::vector<std::string>{"/sounds/phnring.wav", "/sounds/buzzer.wav"}));
  EXPECT_TRUE(b.sound.played.empty());

  ASSERT_EQ(server.OnClock(1, 50), server::DraftServer::ClockResult::Started);
  ASSERT_TRUE(WaitFor([&] { return a.session.TimerRunning(); }));
  a.session.Tick();
  ASSERT_TRUE(server.engine.Halt());
  const std::string halted = "Albany Admirals has been taken off the clock by the commish.";
  ASSERT_TRUE(WaitFor([&] { return a.view.ChatHas(halted) && b.view.ChatHas(halted); }));
  EXPECT_FALSE(a.session.TimerRunning());
  EXPECT_EQ(a.session.ClockSeconds(), 0);
  EXPECT_EQ(a.view.caption, "Pickmill - Client - 3.03 - Albany Admirals - Connected.");
  EXPECT_EQ(a.sound.played.size(), 4u);
  EXPECT_EQ(a.sound.played.back(), "/sounds/buzzer.wav");
}

TEST(ClientSession, DeletedPickBlanksItAndRedrawsTheDraftList) {
  SampleLeague league;
  WriteDraftFile(league,
                 {PoolPid(league, 1) + "|Albany Admirals|One|QB|1-1", PoolPid(league, 2) + "|Austin Outlaws|Two|QB|1-2",
                  PoolPid(league, 3) + "|Boston Bulldogs|Three|QB|1-3"});
  TestServer server(league);
  TestClient a(league, 1, server.Port());
  ASSERT_TRUE(a.Connect());
  ASSERT_TRUE(WaitFor([&] { return a.session.PickCount() == 3; }));
  a.view.shownPosition = "QB";

  server.prompter.answers = {PromptAnswer::Yes};
  ASSERT_EQ(server.engine.DeletePick({1, 2}), server::DraftServer::DeleteResult::Deleted);
  ASSERT_TRUE(WaitFor([&] { return a.view.draftListClears == 1; }));
  EXPECT_EQ(a.session.Picks().At(2), nullptr);
  EXPECT_EQ(a.session.PickCount(), 3);  // the count never goes down
  ASSERT_EQ(a.view.draftList.size(), 2u);
  EXPECT_EQ(a.view.draftList[1],
            "  1-3  Three                    QB Boston Bulldogs     " + PadField(PoolPid(league, 3), "L", 5));
  EXPECT_EQ(a.view.rebuilds, 0);  // the Draftees window is not refreshed by Y

  a.session.HandleMessage("Y|0|0|7-7");  // no such pick: the list is redrawn unchanged
  EXPECT_EQ(a.view.draftListClears, 2);
  EXPECT_EQ(a.view.draftList.size(), 2u);

  // Two picks with the same label: only the first goes.
  a.session.HandleMessage("Z|2|0|401,Dup One,K,9-9");
  a.session.HandleMessage("Z|3|0|402,Dup Two,K,9-9");
  a.session.HandleMessage("Y|0|0|9-9");
  EXPECT_EQ(a.session.Picks().At(4), nullptr);
  EXPECT_EQ(Record(a.session, 5), "402|Boston Bulldogs|Dup Two|K|9-9");
}

TEST(ClientSession, ChatPublicAndPrivateBothWays) {
  SampleLeague league;
  TestServer server(league);
  QSignalSpy serverChat(&server.engine, &server::DraftServer::pubChatAdded);
  TestClient a(league, 1, server.Port());
  TestClient b(league, 2, server.Port());
  ASSERT_TRUE(a.Connect());
  ASSERT_TRUE(b.Connect());
  ASSERT_TRUE(WaitFor([&] { return server.engine.Team(2).signedOn; }));
  a.view.chatOpen = true;
  b.view.chatOpen = true;

  // Public: cut at the first "|", shown once when the relay comes back.
  ASSERT_TRUE(a.session.SendChat(ClientSession::kChatToEveryone, "hello, all|Z|1|0|1,x,QB,1-1"));
  EXPECT_TRUE(a.Sent("C|1|0|hello, all"));
  EXPECT_TRUE(a.view.chat.empty());
  ASSERT_TRUE(WaitFor(
      [&] { return a.view.ChatHas("Albany Admirals: hello, all") && b.view.ChatHas("Albany Admirals: hello, all"); }));
  EXPECT_EQ(a.view.chat.size(), 1u);
  EXPECT_EQ(b.session.PickCount(), 0);

  // With the chat window closed a public line is lost; a private one opens it.
  b.view.chatOpen = false;
  b.view.chat.clear();
  ASSERT_TRUE(a.session.SendChat(ClientSession::kChatToEveryone, "second"));
  ASSERT_TRUE(a.session.SendChat(2, "psst"));
  EXPECT_TRUE(a.Sent("P|1|2|psst"));
  EXPECT_TRUE(a.view.ChatHas("Private to Austin Outlaws: psst"));
  ASSERT_TRUE(WaitFor([&] { return b.view.ChatHas("Private from Albany Admirals: psst"); }));
  EXPECT_FALSE(b.view.ChatHas("Albany Admirals: second"));
  EXPECT_TRUE(b.view.chatOpen);

  // To the Commish, and from the Commish.
  ASSERT_TRUE(a.session.SendChat(0, "hi boss"));
  EXPECT_TRUE(a.Sent("P|1|0|hi boss"));
  EXPECT_TRUE(a.view.ChatHas("Private to Commish: hi boss"));
  ASSERT_TRUE(WaitFor([&] {
    for (const auto& args : serverChat)
      if (args.at(0).toString() == u"Private from Albany Admirals: hi boss"_s) return true;
    return false;
  }));
  ASSERT_TRUE(server.engine.CommishChat(0, "welcome"));
  ASSERT_TRUE(server.engine.CommishChat(2, "just you"));
  ASSERT_TRUE(WaitFor(
      [&] { return a.view.ChatHas("Commish: welcome") && b.view.ChatHas("Private from the Commish: just you"); }));

  // Nothing is sent for an empty line or a recipient that names no team.
  const std::size_t sent = a.session.SentLog().size();
  EXPECT_FALSE(a.session.SendChat(99, "x"));
  EXPECT_FALSE(a.session.SendChat(-5, "x"));
  EXPECT_FALSE(a.session.SendChat(ClientSession::kChatToEveryone, ""));
  EXPECT_FALSE(a.session.SendChat(ClientSession::kChatToEveryone, "|only after the bar"));
  EXPECT_EQ(a.session.SentLog().size(), sent);
}

TEST(ClientSession, ConnectionLossAndConnectFailure) {
  SampleLeague league;
  {
    TestServer server(league);
    TestClient a(league, 1, server.Port());
    ASSERT_TRUE(a.Connect());
    server.engine.Unload();
    ASSERT_TRUE(WaitFor([&] { return a.ended == 1; }));
    ASSERT_EQ(a.prompter.asked.size(), 1u);
    EXPECT_EQ(a.prompter.asked[0].title, "");
    EXPECT_EQ(a.LastPrompt(), "Either your internet connection was lost or the server went down.");
  }
  // Nothing listens on the port: the owner is told and may try again.
  QTcpServer probe;
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
  const quint16 port = probe.serverPort();
  probe.close();
  TestClient c(league, 1, port);
  QSignalSpy failed(&c.session, &ClientSession::connectFailed);
  EXPECT_FALSE(c.session.Connect("   "));
  ASSERT_TRUE(c.session.Connect("127.0.0.1"));
  EXPECT_EQ(c.view.caption, "Pickmill - Client - 3.03 - Albany Admirals");
  ASSERT_TRUE(WaitFor([&] { return failed.count() == 1; }));
  EXPECT_EQ(c.prompter.asked.back().title, "PK Info.");
  EXPECT_EQ(c.LastPrompt(), "Unable to connect to server.");
  EXPECT_EQ(c.ended, 0);
  EXPECT_EQ(c.view.caption, "Pickmill - Client - 3.03");
  EXPECT_FALSE(c.session.Connected());
}

TEST(ClientSession, BadMessagesAreDropped) {
  SampleLeague league;
  TestClient a(league, 1, 0);
  a.view.chatOpen = true;
  const char* bad[] = {
      "L|13|0|",  // team beyond the league
      "L|0|0|",   // no team
      "X|99|0|",
      "N|0|40000|30,1-1",  // does not fit 16 bits
      "N|0|1|90000,1-1",   // more than a day
      "N|0|13|30,1-1",
      "I|0|13|somebody failed",
      "H|0|-2",
      "Z|13|0|101,Joe,QB,1-1",
      "Z|1|0|99999,Joe,QB,1-1",  // PID does not fit
      "G|0|0|101,Joe,QB",
      "W|0|1|2,13",  // one listed team is outside the league
      "W|0|1|2,99999999",
      "C|44|0|hi",
      "C|-1|0|hi",
      "P|13|1|x",
      "V|0|1|70000,Team,Joe,QB,1-1",
  };
  for (const char* m : bad) a.session.HandleMessage(m);
  EXPECT_EQ(a.session.DroppedCount(), static_cast<int>(std::size(bad)));
  EXPECT_TRUE(a.view.chat.empty());
  EXPECT_EQ(a.session.PickCount(), 0);
  for (int k = 1; k <= a.session.TeamCount(); ++k) EXPECT_FALSE(a.session.SignedOn(k)) << k;
  EXPECT_FALSE(a.session.TimerRunning());
  EXPECT_EQ(a.ended, 0);

  // A first field longer than one letter is no code: ignored, not dropped.
  a.session.HandleMessage("RX|0|0|1");
  a.session.HandleMessage("NN|0|1|30,1-1");
  EXPECT_EQ(a.session.DroppedCount(), static_cast<int>(std::size(bad)));
  EXPECT_EQ(a.ended, 0);
  EXPECT_FALSE(a.session.TimerRunning());
  EXPECT_TRUE(a.view.chat.empty());

  // W marks the listed teams up to the first empty field.
  a.session.HandleMessage("W|0|1|");
  a.session.HandleMessage("W|0|1|4,,5");
  EXPECT_TRUE(a.session.SignedOn(4));
  EXPECT_FALSE(a.session.SignedOn(5));
  // The own team announced with no time: the clock does not start.
  a.session.HandleMessage("N|0|1|0,1-1");
  EXPECT_FALSE(a.session.TimerRunning());
  EXPECT_TRUE(a.view.ChatHas("Albany Admirals is on the clock."));
  // A sender 0 is the Commish.
  a.session.HandleMessage("C|0|0|from the top");
  a.session.HandleMessage("P|x|0|private");
  EXPECT_TRUE(a.view.ChatHas("Commish: from the top"));
  EXPECT_TRUE(a.view.ChatHas("Private from the Commish: private"));

  // The list holds as many picks as the server records (1000). A pick
  // beyond them is not stored, but still ends the turn and is told.
  for (int i = 1; i <= draft::kMaxPicks; ++i)
    a.session.HandleMessage("Z|2|0|" + std::to_string(1000 + i) + ",P" + std::to_string(i) + ",QB,1-1");
  EXPECT_EQ(a.session.PickCount(), 1000);
  a.session.HandleMessage("N|0|1|30,32-1");
  EXPECT_TRUE(a.session.TimerRunning());
  const int dropped = a.session.DroppedCount();
  a.session.HandleMessage("Z|1|0|3000,Late,QB,32-1");
  EXPECT_FALSE(a.session.TimerRunning());
  EXPECT_TRUE(a.view.ChatHas("Albany Admirals has selected QB Late  -  Round 32-1."));
  a.session.HandleMessage("V|0|1|2001,Austin Outlaws,Late,QB,9-2");
  EXPECT_EQ(a.session.DroppedCount(), dropped + 1);
  EXPECT_EQ(a.session.PickCount(), 1000);
  EXPECT_EQ(Record(a.session, 1000), "2000|Austin Outlaws|P1000|QB|1-1");
}

// The league load of the league window, without the window: its steps in
// order, what the session keeps, and failures as values.
TEST(ClientLeagueLoad, StepsOutcomesAndWhatTheSessionKeeps) {
  league::SampleOptions noCollege;
  noCollege.college = 0;
  noCollege.freeAgents = 40;
  SampleLeague faOnly(noCollege);
  std::vector<std::string> steps;
  const auto note = [&steps](const char* step) { steps.emplace_back(step); };

  LeagueLoad r = LoadLeagueFile(faOnly.leagueFile, false, note);
  EXPECT_EQ(r.outcome, LeagueLoad::Outcome::NoCollegeDraftees);
  EXPECT_EQ(r.title, "");
  EXPECT_EQ(r.message, "No college draftees were found in league selected.");
  EXPECT_EQ(steps, (std::vector<std::string>{kLoadingVersion, kLoadingTeams, kLoadingCollege}));
  // Asked for, the free agents are loaded after the college draftees.
  steps.clear();
  r = LoadLeagueFile(faOnly.leagueFile, true, note);
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(steps, (std::vector<std::string>{kLoadingVersion, kLoadingTeams, kLoadingCollege, kLoadingFreeAgents}));
  EXPECT_EQ(r.league.leaguePath, faOnly.leaguePath);
  EXPECT_EQ(r.league.leagueName, faOnly.name);
  EXPECT_EQ(r.league.drafteeCount, 40);
  EXPECT_EQ(r.teams, faOnly.teams);

  // The session takes a league that loads and keeps it through a refusal.
  ClientSession session;
  ASSERT_TRUE(session.LoadLeague(faOnly.leagueFile, true).Ok());
  ASSERT_EQ(session.TeamCount(), 12);
  EXPECT_EQ(session.TeamName(12), faOnly.teams[11]);
  EXPECT_FALSE(session.SignedOn(12));
  EXPECT_FALSE(session.LoadLeague(faOnly.leagueFile, false).Ok());
  EXPECT_EQ(session.league.drafteeCount, 40);
  EXPECT_TRUE(session.league.includeFreeAgents);
  EXPECT_EQ(session.TeamCount(), 12);

  // A file that is no league: the league module's failure, to be reported.
  QTemporaryDir junk;
  const std::string trash = junk.filePath(u"TRASH.LGE"_s).toStdString();
  std::ofstream(trash) << "no chunks here";
  r = LoadLeagueFile(trash, false);
  EXPECT_EQ(r.outcome, LeagueLoad::Outcome::Failed);
  EXPECT_EQ(r.errorContext, "GetVersion");
  EXPECT_EQ(r.error.number, kErrInputPastEnd);
}

// A scripted server: several messages in one write, then one byte at a time.
TEST(ClientSession, ReadsAreSplitIntoMessagesAndCompletedAcrossReads) {
  SampleLeague league;
  QTcpServer fake;
  ASSERT_TRUE(fake.listen(QHostAddress::LocalHost, 0));
  TestClient a(league, 1, fake.serverPort());
  a.view.chatOpen = true;
  ASSERT_TRUE(a.Connect());
  ASSERT_TRUE(WaitFor([&] { return fake.hasPendingConnections(); }));
  QTcpSocket* peer = fake.nextPendingConnection();
  const QByteArray login =
      "L|1|0|3.03," + QByteArray::number(league.pool.Count()) + ",Sample League,lines+all+wish+over+order+pause+days\n";
  QByteArray got;
  ASSERT_TRUE(WaitFor([&] {
    got += peer->readAll();
    return got.size() >= login.size();
  }));
  EXPECT_EQ(got, login);

  peer->write("W|0|1|2,3N|0|2|30,1-1C|0|0|hiL|4|0|");
  peer->flush();
  ASSERT_TRUE(WaitFor([&] { return a.session.SignedOn(4); }));
  EXPECT_TRUE(a.session.SignedOn(2));
  EXPECT_TRUE(a.session.SignedOn(3));
  EXPECT_TRUE(a.view.ChatHas("Austin Outlaws is on the clock."));
  EXPECT_TRUE(a.view.ChatHas("Commish: hi"));

  // A pick cut short of its last field is completed by the next write (the
  // splitter's timing across reads is tested with its own clock).
  peer->write("Z|2|0|101,Joe Smith,QB,");
  peer->flush();
  peer->write("1-1V|0|1|");
  peer->flush();
  ASSERT_TRUE(WaitFor([&] { return a.session.PickCount() == 1; }));
  EXPECT_EQ(Record(a.session, 1), "101|Austin Outlaws|Joe Smith|QB|1-1");
  // The empty V stores nothing and asks for nothing: the chat line after it
  // is handled after it.
  peer->write("C|0|0|after the V");
  peer->flush();
  ASSERT_TRUE(WaitFor([&] { return a.view.ChatHas("Commish: after the V"); }));
  EXPECT_EQ(a.session.PickCount(), 1);
  EXPECT_FALSE(a.Sent("V|1|0|2"));
  EXPECT_EQ(a.session.DroppedCount(), 0);
}

TEST(ClientSound, GeneratedWavesAndSilentFailures) {
  QTemporaryDir dir;
  ASSERT_EQ(QProcess::execute(QStringLiteral(MAKEWAV), {dir.path()}), 0);
  // Files it cannot write are a failure of the build step, never a success.
  EXPECT_EQ(QProcess::execute(QStringLiteral(MAKEWAV), {dir.filePath(u"no-such-folder"_s)}), 1);
  for (const char* file : {kRingFile, kBuzzerFile}) {
    const int ms = WaveDurationMs(dir.filePath(QString::fromLatin1(file)).toStdString());
    EXPECT_GE(ms, 300) << file;
    EXPECT_LE(ms, 2000) << file;
  }
  EXPECT_EQ(WaveDurationMs(dir.filePath(u"missing.wav"_s).toStdString()), -1);
  std::ofstream(dir.filePath(u"junk.wav"_s).toStdString()) << "RIFF....WAVEjunk";
  EXPECT_EQ(WaveDurationMs(dir.filePath(u"junk.wav"_s).toStdString()), -1);
  QtSoundPlayer player;  // a missing or broken file: silence, at once
  QElapsedTimer timer;
  timer.start();
  player.PlaySound(dir.filePath(u"missing.wav"_s).toStdString());
  player.PlaySound(dir.filePath(u"junk.wav"_s).toStdString());
  EXPECT_LT(timer.elapsed(), 500);
}

// Beside the program first (a copied folder rings), then the installed data
// folder; neither: the program's folder.
TEST(ClientSound, SoundFolderPrefersTheProgramsFolder) {
  QTemporaryDir root;
  const QString bin = root.filePath(u"bin"_s);
  const QString data = QDir::cleanPath(QDir(bin).filePath(QStringLiteral(PICKMILL_SOUND_DATA_DIR)));
  ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(data));
  EXPECT_EQ(SoundFolder(bin), bin);
  ASSERT_EQ(QProcess::execute(QStringLiteral(MAKEWAV), {data}), 0);
  EXPECT_EQ(SoundFolder(bin), data);
  ASSERT_EQ(QProcess::execute(QStringLiteral(MAKEWAV), {bin}), 0);
  EXPECT_EQ(SoundFolder(bin), bin);
}

// ------------------------------------------------- the owner's wish list ----

TEST(WishList, OrderMovesRemovalAndFileRoundTrip) {
  WishList w;
  for (int pid : {5, 7, 9, 7, 0, 65536}) w.Add(pid);  // repeats and non-PIDs are skipped
  EXPECT_EQ(w.Pids(), (std::vector<int>{5, 7, 9}));
  EXPECT_TRUE(w.Move(9, -2));
  EXPECT_FALSE(w.Move(9, -1));  // at the top already
  EXPECT_TRUE(w.Move(9, 5));    // stops at the bottom
  EXPECT_TRUE(w.Move(5, 1));
  EXPECT_EQ(w.Pids(), (std::vector<int>{7, 5, 9}));
  EXPECT_FALSE(w.Remove(8));
  draft::PickList picks(10);
  picks.Append({5, "Team", "Five", "QB", {1, 1}});
  EXPECT_EQ(w.Available(picks, 5), (std::vector<int>{7, 9}));
  EXPECT_EQ(w.Available(picks, 1), (std::vector<int>{7}));
  EXPECT_TRUE(w.RemoveDrafted(picks));
  EXPECT_EQ(w.Pids(), (std::vector<int>{7, 9}));

  QTemporaryDir dir;
  const QString folder = dir.filePath(u"deep/MyList"_s);
  const QString path = WishList::FilePath(folder, "A+B", "C/D");
  EXPECT_NE(path, WishList::FilePath(folder, "A", "B+C/D"));
  EXPECT_EQ(QFileInfo(path).absolutePath(), QDir(folder).absolutePath());  // no "/" of a name makes a folder
  EXPECT_EQ(w.Save(path), QString());
  WishList back;
  back.Add(1);
  ASSERT_TRUE(back.Load(path));
  EXPECT_EQ(back.Pids(), w.Pids());
  std::ofstream(path.toStdString(), std::ios::app) << "junk\n\n9\n  11 \n";
  ASSERT_TRUE(back.Load(path));
  EXPECT_EQ(back.Pids(), (std::vector<int>{7, 9, 11}));
  ASSERT_TRUE(back.Load(dir.filePath(u"none.txt"_s)));  // no file yet: an empty list
  EXPECT_TRUE(back.Empty());
}

// The list is read at sign-on and, once the server says it takes wish
// lists, sent whole -- at every sign-on, empty or not; each change the owner
// makes is saved and sent; a drafted player leaves it (Z and a caught-up V)
// without the list going out again (the server skips drafted players), and
// a deleted pick does not bring him back.
TEST(ClientWishList, SentAtEverySignOnAndAfterEachChange) {
  SampleLeague league;
  const auto pidOf = [&](int position, int k) { return PlayerAt(league, position, k).pid; };
  const int a = pidOf(0, 0), b = pidOf(0, 1), c = pidOf(1, 0), d = pidOf(1, 1);
  const auto num = [](int pid) { return std::to_string(pid); };
  const QString folder = QString::fromStdString(league.Folder()) + u"/MyList"_s;
  const QString path = WishList::FilePath(folder, league.name, league.teams[2]);
  WishList kept;
  for (int pid : {a, 65000, b, c}) kept.Add(pid);  // 65000 is no player of this league
  ASSERT_EQ(kept.Save(path), QString());
  const auto signOn = [&](TestClient& client, ScriptedServer& server) {
    return server.Accept(client) && server.WaitForTail("lines+all+wish+over+order+pause+days\n") &&
           server.peer->write("A|0|3|wish") > 0;
  };

  TestClient client(league, 3, 0);
  ScriptedServer server;
  ASSERT_TRUE(signOn(client, server));
  ASSERT_TRUE(server.WaitForTail(QByteArray::fromStdString("K|3|0|" + num(a) + "," + num(b) + "," + num(c))));
  const std::size_t sent = client.session.SentLog().size();
  server.peer->write(QByteArray::fromStdString("V|0|3|" + num(b) + ",Albany Admirals,Bee,QB,1-1"));
  ASSERT_TRUE(server.WaitForTail("V|3|0|2"));
  client.session.HandleMessage("Z|2|0|" + num(a) + ",Aye,QB,1-2");
  client.session.HandleMessage("Y|0|0|1-2");  // A is available again, but not listed again
  EXPECT_EQ(client.session.Wishes().Pids(), std::vector<int>{c});
  EXPECT_EQ(client.session.SentLog().size(), sent + 1);  // the request only

  EXPECT_FALSE(client.session.AddWish(b));      // drafted
  EXPECT_FALSE(client.session.AddWish(65000));  // not in the pool
  EXPECT_FALSE(client.session.AddWish(c));      // listed
  const int changes = client.view.wishListChanges;
  ASSERT_TRUE(client.session.AddWish(d));
  ASSERT_TRUE(client.session.MoveWish(d, -1));
  EXPECT_TRUE(client.Sent("K|3|0|" + num(c) + "," + num(d)));
  EXPECT_EQ(client.session.SentLog().back(), "K|3|0|" + num(d) + "," + num(c));
  EXPECT_EQ(client.view.wishListChanges, changes + 2);
  WishList saved;
  ASSERT_TRUE(saved.Load(path));
  EXPECT_EQ(saved.Pids(), (std::vector<int>{d, c}));
  ASSERT_TRUE(client.session.RemoveWish(c));
  ASSERT_TRUE(client.session.RemoveWish(d));
  EXPECT_EQ(client.session.SentLog().back(), "K|3|0|");  // an emptied list clears the server's
  client.session.Disconnect();

  // The next sign-on sends the list as saved, even an empty one.
  TestClient again(league, 3, 0);
  ScriptedServer second;
  ASSERT_TRUE(signOn(again, second));
  ASSERT_TRUE(second.WaitForTail("K|3|0|"));
  EXPECT_TRUE(again.session.Wishes().Empty());
}

int DraftsSent(const TestClient& c) {
  int n = 0;
  for (const auto& m : c.session.SentLog()) n += m.rfind("D|", 0) == 0 ? 1 : 0;
  return n;
}

// Automatic picks from the list: at exactly ten seconds left, or at once on
// N; nothing from an empty list (the owner is told once); never after a pick
// made by hand, but again after the server answers G.
TEST(ClientWishList, AutomaticPicksFollowTheClock) {
  SampleLeague league;
  TestClient client(league, 3, 0);
  ScriptedServer server;
  ASSERT_TRUE(server.Accept(client));
  ClientSession& s = client.session;
  const league::Player& first = PlayerAt(league, 0, 0);
  const league::Player& second = PlayerAt(league, 13, 0);
  const league::Player& third = PlayerAt(league, 1, 0);
  for (const league::Player* p : {&first, &second}) ASSERT_TRUE(s.AddWish(p->pid));
  const std::string firstD = "D|3|0|" + std::to_string(first.pid) + "," + ListName(first) + ",QB";

  s.SetAutoPickLate(true);
  s.HandleMessage("N|0|3|13,1-3");
  EXPECT_EQ(client.view.attentionRequests, 1);
  for (int i = 0; i < 2; ++i) s.Tick();
  EXPECT_EQ(s.ClockSeconds(), 11);
  EXPECT_EQ(DraftsSent(client), 0);
  s.Tick();
  EXPECT_EQ(s.SentLog().back(), firstD);
  EXPECT_TRUE(client.view.ChatHas("Automatic pick from your list: " + ListName(first) + ", QB."));
  s.Tick();
  EXPECT_FALSE(s.SendOwnPick(77, "By Hand", "QB"));  // confirmed in a box left open meanwhile
  EXPECT_EQ(DraftsSent(client), 1);
  s.HandleMessage("Z|3|0|" + std::to_string(first.pid) + "," + ListName(first) + ",QB,1-3");

  s.SetAutoPickLate(false);
  s.SetAutoPickAtOnce(true);
  s.HandleMessage("N|0|3|60,2-3");
  EXPECT_EQ(s.SentLog().back(), "D|3|0|" + std::to_string(second.pid) + "," + ListName(second) + ",K");
  s.HandleMessage("Z|3|0|" + std::to_string(second.pid) + "," + ListName(second) + ",K,2-3");
  EXPECT_TRUE(s.Wishes().Empty());

  // Nobody left: nothing is sent, and the owner hears of it once.
  const std::string nobody = "No automatic pick: nobody on your list is still available. Pick by hand.";
  s.HandleMessage("N|0|3|30,3-3");
  for (int i = 0; i < 3; ++i) s.Tick();
  EXPECT_EQ(DraftsSent(client), 2);
  EXPECT_EQ(std::count(client.view.chat.begin(), client.view.chat.end(), nobody), 1);
  s.HandleMessage("H|0|3");

  // A pick by hand is not followed by an automatic one; after its G the
  // list's player goes out at ten seconds.
  s.SetAutoPickAtOnce(false);
  s.SetAutoPickLate(true);
  ASSERT_TRUE(s.AddWish(third.pid));
  s.HandleMessage("N|0|3|12,4-3");
  ASSERT_TRUE(s.SendOwnPick(77, "By Hand", "QB"));
  for (int i = 0; i < 3; ++i) s.Tick();
  EXPECT_EQ(DraftsSent(client), 3);
  s.HandleMessage("G|3|0|77,By Hand,QB");
  s.Tick();
  EXPECT_EQ(DraftsSent(client), 3);  // 11 seconds left
  s.Tick();
  EXPECT_EQ(s.SentLog().back(), "D|3|0|" + std::to_string(third.pid) + "," + ListName(third) + ",FB");
}

}  // namespace
}  // namespace pm::test
