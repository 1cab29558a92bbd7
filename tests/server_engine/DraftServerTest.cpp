// The draft server's engine against scripted clients on loopback.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/Common.h"
#include "common/Files.h"
#include "draft/Draftees.h"
#include "draft/PoolTable.h"
#include "league/Sample.h"
#include "protocol/Protocol.h"
#include "protocol/Transport.h"
#include "server/engine/DraftServer.h"
#include "tests/support/InstantTicker.h"
#include "tests/support/Notices.h"
#include "tests/support/RawClient.h"
#include "tests/support/Wait.h"

namespace fs = std::filesystem;
using namespace pm;
using namespace pm::server;
using protocol::Message;

namespace {

using test::WaitFor;

// A scripted client on a raw loopback socket.
using Client = test::RawClient;

// A connection without a socket: the engine handles what it sends at once,
// and what the engine sent it is read at once.
class Raw {
 public:
  Raw(DraftServer& server) : server_(server), element(server.Connections().AcceptDetached()) {}
  void Send(const std::string& bytes) { server_.Connections().Receive(element, bytes); }
  // The messages sent to it since the last call.
  std::vector<Message> Take() {
    return protocol::FrameSplitter::SplitAll(protocol::Receiver::Client, server_.Connections().TakeOutput(element));
  }
  std::vector<std::string> TakeRaw() {
    std::vector<std::string> out;
    for (const Message& m : Take()) out.push_back(m.raw);
    return out;
  }

 private:
  DraftServer& server_;

 public:
  const int element;
};

// A player of the pool as the draftee list shows him.
struct PoolPick {
  int pid = 0;
  std::string name, position;
  std::string Pid() const { return std::to_string(pid); }
};

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("pm-engine-" + std::to_string(QCoreApplication::applicationPid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    league::SampleOptions o;
    o.name = "Test League";
    o.teams = 12;
    o.college = 120;
    o.freeAgents = 40;
    leaguePath_ = league::WriteSampleLeague(dir_.string(), o);
    leagueFile_ = leaguePath_ + ".LGE";
    draftFile_ = (dir_ / "Test League-DRAFT.TXT").string();
    server_ = std::make_unique<DraftServer>();
    test::RecordNotices(*server_, prompter_);
    server_->SetPort(0);
    server_->Reporter().showMessage = [](const std::string&) {};
    server_->Reporter().endProgram = [] {};
    QObject::connect(server_.get(), &DraftServer::pubChatAdded,
                     [this](const QString& l) { chat_.push_back(l.toLatin1().toStdString()); });
  }
  void TearDown() override {
    clients_.clear();
    server_.reset();
    fs::remove_all(dir_);
  }

  void WriteDraftFile(const std::string& text) {
    std::ofstream f(draftFile_, std::ios::binary);
    f << text;
  }
  std::string DraftFileText() { return ReadWholeFile(draftFile_).value_or("<missing>"); }

  // A draft in progress goes on unless the test says otherwise.
  LoadResult Load(bool fa = false, PreviousDraft previous = PreviousDraft::Resume) {
    return server_->LoadLeague(leagueFile_, fa, previous);
  }

  Client& Connect() {
    clients_.push_back(std::make_unique<Client>(server_->Port()));
    EXPECT_TRUE(clients_.back()->connected);
    return *clients_.back();
  }
  std::string LoginText(int team, const std::string& version = "3.03") {
    return protocol::Login(team, version, server_->DrafteeCount(), server_->LeagueName());
  }
  Client& SignOn(int team) {
    Client& c = Connect();
    c.Send(LoginText(team));
    EXPECT_TRUE(WaitFor([&] { return server_->Team(team).signedOn; }));
    return c;
  }
  std::string Name(int t) { return server_->Team(t).name; }
  // The i-th player (1-based) of a drafted position in the loaded pool.
  PoolPick Player(int i) {
    for (int k = 1; k <= server_->Pool().Count(); ++k) {
      const league::Player& p = server_->Pool().draftees[static_cast<std::size_t>(k)].player;
      if (p.position > 14 || --i > 0) continue;
      return {p.pid, draft::ShownName(draft::FromFbpro(p)), league::PositionCaption(p.position)};
    }
    ADD_FAILURE() << "the pool is too small";
    return {};
  }
  // The first `count` picks of a draft of this league as its draft file
  // holds them: label k (1-1, 1-2, ...) is made by the team of its selection
  // and takes the (skip + k)-th player of a drafted position in the pool,
  // named as Player() names him.
  std::vector<draft::Pick> PoolRecords(int count, int skip = 0) const {
    const league::DrafteePool pool = league::LoadPool(leaguePath_, league::kVersion98, false);
    const league::TeamList teams = league::GetTeams(leaguePath_);
    std::vector<draft::Pick> picks;
    for (int k = 1; k <= pool.Count() && static_cast<int>(picks.size()) < count; ++k) {
      const league::Player& p = pool.draftees[static_cast<std::size_t>(k)].player;
      if (p.position > 14 || skip-- > 0) continue;
      const auto label = draft::PickLabel::FromOverall(static_cast<int>(picks.size()) + 1, teams.teamCount);
      picks.push_back({p.pid, teams.names[static_cast<std::size_t>(label.selection)],
                       draft::ShownName(draft::FromFbpro(p)), league::PositionCaption(p.position), label});
    }
    EXPECT_EQ(static_cast<int>(picks.size()), count) << "the pool is too small";
    return picks;
  }
  std::string DraftOf(int team, const PoolPick& p) { return protocol::Draft(team, p.pid, p.name, p.position); }
  std::string ZOf(int team, const PoolPick& p, const std::string& label) {
    return "Z|" + std::to_string(team) + "|0|" + p.Pid() + "," + p.name + "," + p.position + "," + label;
  }
  bool ChatHas(const std::string& line) {
    for (auto& l : chat_)
      if (l == line) return true;
    return false;
  }

  fs::path dir_;
  std::string leaguePath_, leagueFile_, draftFile_;
  ScriptedPrompter prompter_;
  std::unique_ptr<DraftServer> server_;
  std::vector<std::unique_ptr<Client>> clients_;
  std::vector<std::string> chat_;
};

std::string Rec(int pid, const std::string& team, const std::string& player, const std::string& pos,
                const std::string& label) {
  return std::to_string(pid) + "|" + team + "|" + player + "|" + pos + "|" + label;
}

}  // namespace

// The warning schedule on its own: 60 seconds allowed warn at 45, 30 and 15
// (the first tick leaves 59), 75 at 60 too, 10 never.
TEST(DraftClock, WarningsAndTimeOut) {
  for (const auto& [allowed, want] :
       std::vector<std::pair<int16_t, std::vector<int>>>{{75, {60, 45, 30, 15}}, {60, {45, 30, 15}}, {10, {}}}) {
    DraftClock clock;
    clock.Start(4, {2, 3}, allowed);
    EXPECT_EQ(clock.Seconds(), allowed);
    EXPECT_TRUE(clock.OwnerMayPick(4));
    EXPECT_FALSE(clock.OwnerMayPick(5));
    EXPECT_FALSE(clock.CommishMayPick(true));  // the owner is there: he picks
    EXPECT_TRUE(clock.CommishMayPick(false));
    std::vector<int> warned;
    DraftClock::TickResult last;
    for (int i = 0; i < allowed; ++i) {
      last = clock.Tick();
      if (last.kind == DraftClock::TickResult::Kind::Warning) warned.push_back(last.seconds);
    }
    EXPECT_EQ(warned, want) << allowed;
    EXPECT_EQ(last.kind, DraftClock::TickResult::Kind::TimedOut);
    EXPECT_EQ(last.team, 4);
    EXPECT_EQ(last.label, (draft::PickLabel{2, 3}));
    EXPECT_FALSE(clock.OnClock());
    EXPECT_EQ(clock.Tick().kind, DraftClock::TickResult::Kind::Idle);
  }
  // A team that is not signed on waits for the Commish: nothing counts.
  DraftClock waiting;
  waiting.WaitForCommish(7, {1, 7}, 30);
  EXPECT_EQ(waiting.Tick().kind, DraftClock::TickResult::Kind::Idle);
  EXPECT_EQ(waiting.Team(), 7);
  EXPECT_EQ(waiting.Seconds(), 0);
  EXPECT_FALSE(waiting.OwnerMayPick(7));
  EXPECT_TRUE(waiting.CommishMayPick(true));
}

TEST_F(ServerTest, LoadStartsListeningAndFreshDraft) {
  QString caption;
  QObject::connect(server_.get(), &DraftServer::captionChanged, [&](const QString& c) { caption = c; });
  EXPECT_EQ(server_->Caption().toStdString(), "Pickmill - Server - 3.03 - Server Down");
  LoadResult r = Load(true);
  ASSERT_EQ(r.status, LoadResult::Status::Loaded);
  EXPECT_TRUE(server_->Listening());
  EXPECT_NE(server_->Port(), 0);
  EXPECT_EQ(caption.toStdString(), "Pickmill - Server - Test League - Server Up.");
  EXPECT_EQ(server_->TeamCount(), 12);
  EXPECT_EQ(server_->DrafteeCount(), 160);
  EXPECT_EQ(server_->NextLabel().Text(), "1-1");
  EXPECT_TRUE(prompter_.asked.empty());
  EXPECT_EQ(Load().status, LoadResult::Status::AlreadyLoaded);
}

TEST_F(ServerTest, UnrecognisedLeagueIsRefused) {
  // A league file whose version tag is not one of the game's.
  fs::create_directories(dir_ / "bad");
  {
    std::ofstream f(dir_ / "bad" / "BAD.LGE", std::ios::binary);
    f << "L04:" << std::string(19, '\0') << "Bad" << std::string(30, '\0');
  }
  LoadResult r = server_->LoadLeague((dir_ / "bad" / "BAD.LGE").string(), false);
  EXPECT_EQ(r.status, LoadResult::Status::NotRecognised);
  EXPECT_EQ(r.leaguePath, (dir_ / "bad" / "BAD").string());
  EXPECT_FALSE(server_->Listening());
  EXPECT_EQ(server_->Caption().toStdString(), kCaptionDown);
}

// A port that cannot be opened is shown, and the load ends with nothing
// written (neither the draft cleared as the Commish chose nor a record moved
// aside) and the league free for another server.
TEST_F(ServerTest, ListenFailureIsShownWritesNothingAndFreesTheLeague) {
  const std::string text = draft::PickRecord(PoolRecords(1)[0]) + "\r\n316|Austin Outlaws|Dale Ad";
  WriteDraftFile(text);
  const auto files = std::distance(fs::directory_iterator(dir_), fs::directory_iterator());
  QTcpServer occupied;
  ASSERT_TRUE(occupied.listen(QHostAddress::Any, 0));
  server_->SetPort(occupied.serverPort());
  LoadResult r = Load(false, PreviousDraft::Clear);
  EXPECT_EQ(r.status, LoadResult::Status::ListenFailed);
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.asked[0].title, "Server Down");
  EXPECT_NE(prompter_.asked[0].text.find("Another program is already using port"), std::string::npos);
  EXPECT_EQ(server_->Caption().toStdString(), kCaptionDown);
  EXPECT_FALSE(server_->LeagueLoaded());
  EXPECT_EQ(DraftFileText(), text);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), files);

  DraftServer other;
  other.SetPort(0);
  EXPECT_EQ(other.LoadLeague(leagueFile_, false, PreviousDraft::Resume).status, LoadResult::Status::Loaded);
}

TEST_F(ServerTest, ResumeOrClearTheDraftFile) {
  const std::vector<draft::Pick> picks = PoolRecords(12);
  std::string recs = draft::PickRecord(picks[10]) + "\r\n\r\n   \r\n" + draft::PickRecord(picks[11]) + "\r\n";
  WriteDraftFile(recs);
  ASSERT_EQ(Load(false, PreviousDraft::Unanswered).status, LoadResult::Status::DraftInProgress);
  EXPECT_EQ(server_->ResumeQuestion(),
            "There appears to be a draft in progress for the Test League.\r\n\r\nThere have been 2 players "
            "drafted so far.\r\n\r\nYou can examine this draft list by opening file " +
                draftFile_ +
                " with your favorite text editor. \r\n\r\nDo you want to clear this file and start a new draft "
                "for the Test League?");
  ASSERT_TRUE(server_->ContinueLoad(PreviousDraft::Resume).Ok());
  EXPECT_EQ(server_->Log().Count(), 2);
  EXPECT_EQ(server_->NextLabel().Text(), "2-1");
  EXPECT_EQ(DraftFileText(), recs);

  // Yes clears: a second server over the same files.
  server_.reset();
  server_ = std::make_unique<DraftServer>();
  test::RecordNotices(*server_, prompter_);
  server_->SetPort(0);
  ASSERT_TRUE(Load(false, PreviousDraft::Clear).Ok());
  EXPECT_EQ(server_->Log().Count(), 0);
  EXPECT_EQ(server_->NextLabel().Text(), "1-1");
  EXPECT_EQ(DraftFileText(), "");
}

TEST_F(ServerTest, DraftFileOverThousandRecordsIsRefused) {
  std::string text;
  for (int i = 0; i < 1001; ++i) text += Rec(100 + i, "Team A", "P", "QB", "1-1") + "\r\n";
  WriteDraftFile(text);
  LoadResult r = Load();
  EXPECT_EQ(r.status, LoadResult::Status::DraftFileRefused);
  EXPECT_EQ(r.records, 1001u);
  EXPECT_EQ(r.draftFile, draftFile_);
  EXPECT_FALSE(server_->Listening());
  EXPECT_EQ(DraftFileText(), text);  // never cut
}

TEST_F(ServerTest, LoginRefusals) {
  ASSERT_TRUE(Load().Ok());
  Client& c = Connect();
  int count = server_->DrafteeCount();
  c.Send(protocol::Login(1, "3.03", count, "Other League"));
  ASSERT_TRUE(c.WaitHas("R|0|0|0"));
  c.got.clear();
  c.Send(protocol::Login(1, "3.02", count, "Test League"));
  ASSERT_TRUE(c.WaitHas("R|0|0|1"));
  c.got.clear();
  c.Send(protocol::Login(1, "three", count, "Test League"));
  ASSERT_TRUE(c.WaitHas("R|0|0|1"));
  c.got.clear();
  c.Send(protocol::Login(1, "3.03", count + 1, "Test League"));
  ASSERT_TRUE(c.WaitHas("R|0|0|2"));
  c.got.clear();
  c.Send(protocol::Login(13, "3.03", count, "Test League"));  // outside the league
  ASSERT_TRUE(c.WaitHas("R|0|0|2"));
  c.got.clear();
  c.Send(protocol::Login(0, "3.03", count, "Test League"));
  ASSERT_TRUE(c.WaitHas("R|0|0|2"));
  for (int t = 1; t <= 12; ++t) EXPECT_FALSE(server_->Team(t).signedOn);

  Client& one = SignOn(1);
  Client& again = Connect();
  again.Send(LoginText(1, "3.10"));
  ASSERT_TRUE(again.WaitHas("R|0|0|3"));
  // A second login on a connection that has signed on: "already signed on",
  // for its own team or another.
  one.Send(LoginText(1));
  ASSERT_TRUE(one.WaitHas("R|0|0|3"));
  one.got.clear();
  one.Send(LoginText(2));
  ASSERT_TRUE(one.WaitHas("R|0|0|3"));
  EXPECT_FALSE(server_->Team(2).signedOn);
  // A refused connection that closes changes nothing and announces nothing.
  again.Close();
  c.Close();
  ASSERT_TRUE(WaitFor([&] { return server_->OpenConnections() == 1; }));
  EXPECT_TRUE(server_->Team(1).signedOn);
  EXPECT_TRUE(chat_.empty());
}

TEST_F(ServerTest, SignOnBroadcastsWhoElseAndLeaving) {
  ASSERT_TRUE(Load().Ok());
  std::vector<int> on, off;
  QObject::connect(server_.get(), &DraftServer::teamSignedOn, [&](int t, const QString&) { on.push_back(t); });
  QObject::connect(server_.get(), &DraftServer::teamSignedOff, [&](int t, const QString&) { off.push_back(t); });
  Client& a = SignOn(3);
  ASSERT_TRUE(a.Sync(3));
  EXPECT_EQ(a.Count('W'), 0);  // alone: no W
  EXPECT_EQ(a.Count('L'), 0);  // its own L does not reach it
  Client& b = SignOn(5);
  ASSERT_TRUE(a.WaitHas("L|5|0|"));
  ASSERT_TRUE(b.Sync(5));
  EXPECT_EQ(b.Codes('W'), std::vector<std::string>{"W|0|5|3"});
  EXPECT_EQ(b.Count('L'), 0);
  Client& c = SignOn(1);
  ASSERT_TRUE(c.Sync(1));
  EXPECT_EQ(c.Codes('W'), std::vector<std::string>{"W|0|1|3,5"});
  EXPECT_EQ(on, (std::vector<int>{3, 5, 1}));

  b.Close();
  ASSERT_TRUE(a.WaitHas("X|5|0|"));
  ASSERT_TRUE(c.WaitHas("X|5|0|"));
  EXPECT_EQ(off, std::vector<int>{5});
  EXPECT_TRUE(ChatHas("*** " + Name(5) + "*** has left the draft. ***"));
  EXPECT_FALSE(server_->Team(5).signedOn);
  // The team can sign on again through a new connection (a reused element).
  Client& b2 = SignOn(5);
  ASSERT_TRUE(b2.Sync(5));
  EXPECT_EQ(b2.Codes('W'), std::vector<std::string>{"W|0|5|1,3"});
}

TEST_F(ServerTest, ATeamOnTheClockPicksAndATakenPlayerIsAnsweredWithG) {
  ASSERT_TRUE(Load().Ok());
  std::vector<std::pair<draft::Pick, bool>> recorded;
  QObject::connect(server_.get(), &DraftServer::pickRecorded,
                   [&](const draft::Pick& p, bool byCommish) { recorded.emplace_back(p, byCommish); });
  Client& a = SignOn(1);
  Client& b = SignOn(2);
  const PoolPick p = Player(1);

  ASSERT_EQ(server_->PutOnClock(1, 60, {1, 1}), DraftServer::ClockResult::Started);
  ASSERT_TRUE(b.WaitHas("N|0|1|60,1-1"));
  a.Send(DraftOf(1, p));
  ASSERT_TRUE(a.WaitHas(ZOf(1, p, "1-1")));
  ASSERT_TRUE(b.WaitHas(ZOf(1, p, "1-1")));
  EXPECT_EQ(DraftFileText(), Rec(p.pid, Name(1), p.name, p.position, "1-1") + "\r\n");
  EXPECT_EQ(server_->NextLabel().Text(), "1-2");
  EXPECT_FALSE(server_->Clock().OnClock());
  EXPECT_FALSE(server_->Clock().Running());
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0].first, (draft::Pick{p.pid, Name(1), p.name, p.position, {1, 1}}));
  EXPECT_FALSE(recorded[0].second);
  EXPECT_TRUE(ChatHas(Name(1) + " has selected " + p.position + " " + p.name + "."));

  // The same player again by the next team on the clock: G to all, with the
  // sender's team, nothing stored, the clock goes on.
  ASSERT_EQ(server_->PutOnClock(2, 60, {1, 2}), DraftServer::ClockResult::Started);
  b.Send(DraftOf(2, p));
  const std::string g = "G|2|0|" + p.Pid() + "," + p.name + "," + p.position;
  ASSERT_TRUE(a.WaitHas(g));
  ASSERT_TRUE(b.WaitHas(g));
  EXPECT_TRUE(ChatHas(p.position + " " + p.name + " already selected."));
  EXPECT_EQ(server_->Log().Count(), 1);
  EXPECT_EQ(recorded.size(), 1u);
  EXPECT_TRUE(server_->Clock().Running());
}

// What a team sends beyond the PID is never recorded or relayed: the pool's
// name and position are. Control characters never reach the draft file or a
// transcript: a selection holding one is refused, chat has them as blanks.
TEST_F(ServerTest, PickBodiesAndChatCannotForgeRecordsOrLines) {
  ASSERT_TRUE(Load().Ok());
  Client& a = SignOn(1);
  Client& b = SignOn(2);
  const PoolPick p = Player(3), q = Player(4);
  ASSERT_EQ(server_->PutOnClock(1, 60, {1, 1}), DraftServer::ClockResult::Started);
  a.Send("D|1|0|" + p.Pid() + ",Nate\r\nHall,CB");
  ASSERT_TRUE(a.WaitHas("P|0|1|Your selection was not recorded: it held control characters."));
  a.Send("D|1|0|" + p.Pid() + ",Nate Hall,CB,9-9");  // a fourth field and another name
  ASSERT_TRUE(b.WaitHas(ZOf(1, p, "1-1")));
  ASSERT_EQ(server_->PutOnClock(2, 60, {1, 2}), DraftServer::ClockResult::Started);
  b.Send("D|2|0|" + q.Pid() + ",Sam Evans" + protocol::TimeUp(2));  // no position
  ASSERT_TRUE(a.WaitHas(ZOf(2, q, "1-2")));
  EXPECT_EQ(DraftFileText(), Rec(p.pid, Name(1), p.name, p.position, "1-1") + "\r\n" +
                                 Rec(q.pid, Name(2), q.name, q.position, "1-2") + "\r\n");

  // A line feed ends a message: what follows it is no line of the chat.
  a.Send("C|1|0|hi\r\nCommish: forged");
  ASSERT_TRUE(b.WaitHas("C|1|0|hi "));
  a.Send("P|1|2|psst\r*** " + Name(2) + "*** has left the draft. ***");
  ASSERT_TRUE(b.WaitHas("P|1|2|psst *** " + Name(2) + "*** has left the draft. ***"));
  a.Send("P|1|0|to you\x7f\x01");
  ASSERT_TRUE(WaitFor([&] { return ChatHas("Private from " + Name(1) + ": to you  "); }));
  EXPECT_TRUE(ChatHas(Name(1) + ": hi "));
  EXPECT_FALSE(ChatHas("Commish: forged"));
  for (const std::string& line : chat_)
    for (char c : line) EXPECT_FALSE(static_cast<unsigned char>(c) < 32 || c == 127) << line;
}

TEST_F(ServerTest, LabelWrapsAfterTeamCount) {
  ASSERT_TRUE(Load().Ok());
  Client& a = SignOn(4);
  ASSERT_EQ(server_->PutOnClock(4, 60, {3, 12}), DraftServer::ClockResult::Started);
  a.Send(DraftOf(4, Player(1)));
  ASSERT_TRUE(a.WaitHas(ZOf(4, Player(1), "3-12")));
  EXPECT_EQ(server_->NextLabel(), (draft::PickLabel{4, 1}));
}

TEST_F(ServerTest, ChatRelayAndPrivateLines) {
  ASSERT_TRUE(Load().Ok());
  int shown = 0;
  QObject::connect(server_.get(), &DraftServer::showChatWindow, [&] { ++shown; });
  Client& a = SignOn(1);
  Client& b = SignOn(2);
  a.Send(protocol::Chat(1, "hello, all"));
  ASSERT_TRUE(a.WaitHas("C|1|0|hello, all"));
  ASSERT_TRUE(b.WaitHas("C|1|0|hello, all"));
  EXPECT_TRUE(ChatHas(Name(1) + ": hello, all"));
  a.Send(protocol::PrivateLine(1, 2, "psst"));
  ASSERT_TRUE(b.WaitHas("P|1|2|psst"));
  a.Send(protocol::PrivateLine(1, 0, "to you"));
  ASSERT_TRUE(WaitFor([&] { return ChatHas("Private from " + Name(1) + ": to you"); }));
  EXPECT_EQ(shown, 1);
  a.Send(protocol::PrivateLine(1, 9, "nobody there"));  // dropped
  a.Send(protocol::PrivateLine(1, 40, "outside"));      // dropped

  EXPECT_TRUE(server_->CommishChat(0, "welcome|R|0|0|4"));
  ASSERT_TRUE(a.WaitHas("C|0|0|welcome"));
  ASSERT_TRUE(b.WaitHas("C|0|0|welcome"));
  EXPECT_TRUE(ChatHas("Commish: welcome"));
  EXPECT_TRUE(server_->CommishChat(2, "just you"));
  ASSERT_TRUE(b.WaitHas("P|0|2|just you"));
  EXPECT_TRUE(ChatHas("Private to " + Name(2) + ": just you"));
  EXPECT_FALSE(server_->CommishChat(7, "not on"));
  EXPECT_FALSE(server_->CommishChat(0, ""));
  ASSERT_TRUE(a.Sync(1));
  EXPECT_EQ(a.Count('P'), 0);
  EXPECT_EQ(a.Count('R'), 0);
}

TEST_F(ServerTest, ClockWarningsAndTimeout) {
  ASSERT_TRUE(Load().Ok());
  Client& a = SignOn(6);
  Client& b = SignOn(7);
  ASSERT_EQ(server_->PutOnClock(6, 75, {1, 6}), DraftServer::ClockResult::Started);
  EXPECT_EQ(server_->Clock().Seconds(), 75);
  // A second team cannot be put on the clock meanwhile.
  EXPECT_EQ(server_->PutOnClock(7, 75, {1, 6}), DraftServer::ClockResult::NotAllowed);
  for (int i = 0; i < 74; ++i) server_->Tick();
  EXPECT_EQ(server_->Clock().Seconds(), 1);
  server_->Tick();
  std::string timeout = "I|0|6|" + Name(6) + " failed to make a selection while on the clock.";
  ASSERT_TRUE(b.WaitHas(timeout));
  ASSERT_TRUE(a.WaitHas(timeout));
  std::vector<std::string> warnings;
  for (auto& m : b.got)
    if (m.code == 'C') warnings.push_back(m.body);
  std::vector<std::string> want;
  for (int s : {60, 45, 30, 15})
    want.push_back("Time remaining for " + Name(6) + " to make a selection: " + std::to_string(s) + " seconds.");
  EXPECT_EQ(warnings, want);
  EXPECT_TRUE(ChatHas(Name(6) + " failed to make a selection while on the clock."));
  EXPECT_FALSE(server_->Clock().OnClock());
  EXPECT_EQ(server_->NextLabel().Text(), "1-6");  // a timeout does not advance the pick
  server_->Tick();                                // idle clock: nothing

  EXPECT_EQ(server_->PutOnClock(7, 0, {1, 6}), DraftServer::ClockResult::BadTime);
  EXPECT_EQ(server_->PutOnClock(7, 90000, {1, 6}), DraftServer::ClockResult::BadTime);
  EXPECT_EQ(server_->PutOnClock(7, -5, {1, 6}), DraftServer::ClockResult::BadTime);
}

TEST_F(ServerTest, HaltCommishPickAndKick) {
  ASSERT_TRUE(Load().Ok());
  std::vector<std::pair<draft::Pick, bool>> recorded;
  QObject::connect(server_.get(), &DraftServer::pickRecorded,
                   [&](const draft::Pick& p, bool byCommish) { recorded.emplace_back(p, byCommish); });
  Client& a = SignOn(1);
  const PoolPick p = Player(2);
  ASSERT_EQ(server_->PutOnClock(1, 60, {1, 1}), DraftServer::ClockResult::Started);
  EXPECT_TRUE(server_->Halt());
  ASSERT_TRUE(a.WaitHas("H|0|1"));
  EXPECT_FALSE(server_->Clock().Running());
  EXPECT_FALSE(server_->Halt());

  // A team that is not connected: N all the same, the Commish picks.
  EXPECT_FALSE(server_->CommishMayPick());
  EXPECT_EQ(server_->CommishPick(p.pid, 3, {1, 1}), DraftServer::PickResult::Changed);  // nobody on the clock
  ASSERT_EQ(server_->PutOnClock(3, 60, {1, 1}), DraftServer::ClockResult::MustSelect);
  ASSERT_TRUE(a.WaitHas("N|0|3|60,1-1"));
  EXPECT_FALSE(server_->Clock().Running());
  EXPECT_TRUE(server_->CommishMayPick());
  EXPECT_EQ(server_->CommishPick(1, 3, {1, 1}), DraftServer::PickResult::NotAllowed);  // not in the pool
  // What the Commish saw when he chose must still hold.
  EXPECT_EQ(server_->CommishPick(p.pid, 4, {1, 1}), DraftServer::PickResult::Changed);
  EXPECT_EQ(server_->CommishPick(p.pid, 3, {1, 2}), DraftServer::PickResult::Changed);
  EXPECT_EQ(server_->CommishPick(p.pid, 3, {1, 1}), DraftServer::PickResult::Picked);
  ASSERT_TRUE(a.WaitHas(ZOf(3, p, "1-1")));
  EXPECT_EQ(server_->NextLabel().Text(), "1-2");
  EXPECT_EQ(DraftFileText(), Rec(p.pid, Name(3), p.name, p.position, "1-1") + "\r\n");
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0].first, (draft::Pick{p.pid, Name(3), p.name, p.position, {1, 1}}));
  EXPECT_TRUE(recorded[0].second);

  // A connected team on the clock picks for itself.
  ASSERT_EQ(server_->PutOnClock(1, 60, {1, 2}), DraftServer::ClockResult::Started);
  EXPECT_FALSE(server_->CommishMayPick());
  EXPECT_EQ(server_->CommishPick(Player(3).pid, 1, {1, 2}), DraftServer::PickResult::Changed);

  EXPECT_FALSE(server_->Kick(5));  // not connected: nothing sent
  EXPECT_TRUE(server_->Kick(1));
  ASSERT_TRUE(a.WaitHas("R|0|0|4"));
}

TEST_F(ServerTest, DeleteRewritesTheFileAndBlanksTheSlot) {
  const std::vector<draft::Pick> four = PoolRecords(4);
  WriteDraftFile(draft::DraftFileText(four));
  ASSERT_TRUE(Load().Ok());
  Client& watcher = SignOn(9);
  watcher.got.clear();

  // Not while a team is on the clock.
  ASSERT_EQ(server_->PutOnClock(1, 60, {1, 5}), DraftServer::ClockResult::MustSelect);
  EXPECT_EQ(server_->DeletePick({1, 2}), DraftServer::DeleteResult::NotAllowed);
  EXPECT_TRUE(server_->Halt());

  EXPECT_EQ(server_->DeletePick({1, 2}), DraftServer::DeleteResult::Deleted);
  ASSERT_TRUE(watcher.WaitHas("Y|0|0|1-2"));
  // The owners hear which pick went and who is available again.
  ASSERT_TRUE(watcher.WaitHas("C|0|0|The Commish deleted pick 1-2: " + four[1].position + " " + four[1].player + " (" +
                              four[1].team + ") is available again."));
  EXPECT_EQ(DraftFileText(), draft::DraftFileText({four[0], four[2], four[3]}));
  EXPECT_EQ(server_->Log().Count(), 4);
  EXPECT_EQ(server_->Log().Slot(2), nullptr);
  EXPECT_EQ(server_->Log().Picks().size(), 3u);
  EXPECT_EQ(server_->DeletePick({7, 7}), DraftServer::DeleteResult::NotFound);
}

// A client catches up slot by slot: the login brings slot 1, and after the
// answer to "V n" it asks for n + 1, skipping a pick whose PID it holds; a Y
// takes the pick of that label out. "V n" is slot n, or the next recorded
// pick after a blank slot. Whatever pick the Commish deletes at whatever
// point of the catch-up, the client ends with exactly the picks left, in
// order.
TEST_F(ServerTest, CatchUpMissesNoPickWhateverIsDeletedMeanwhile) {
  const std::vector<draft::Pick> five = PoolRecords(5);
  const std::string file = draft::DraftFileText(five);
  for (int doomed = 1; doomed <= 5; ++doomed) {
    // The delete comes at point `at`: before or after a request (the login
    // first) reaches the server; its answer is read after both.
    for (int at = 0; at <= 13; ++at) {
      SCOPED_TRACE("delete 1-" + std::to_string(doomed) + " at point " + std::to_string(at));
      server_ = std::make_unique<DraftServer>();
      test::RecordNotices(*server_, prompter_);
      server_->SetPort(0);
      WriteDraftFile(file);
      ASSERT_TRUE(Load().Ok());
      Raw c(*server_);
      int point = 0;
      bool deleted = false;
      auto request = [&](const std::string& text) {
        for (int side = 0; side < 2; ++side) {
          if (point++ == at) {
            ASSERT_EQ(server_->DeletePick({1, doomed}), DraftServer::DeleteResult::Deleted);
            deleted = true;
          }
          if (side == 0) c.Send(text);
        }
      };
      std::vector<draft::Pick> held;
      int index = 1;
      request(LoginText(2));
      for (bool answered = true; answered;) {
        answered = false;
        for (const Message& m : c.Take()) {
          if (m.code == 'Y') {
            auto it =
                std::find_if(held.begin(), held.end(), [&](const draft::Pick& p) { return p.label.Text() == m.body; });
            if (it != held.end()) held.erase(it);
          } else if (m.code == 'V') {
            answered = true;
            draft::Pick p = draft::ParsePick(m.body, ",");
            if (std::none_of(held.begin(), held.end(), [&](const draft::Pick& h) { return h.pid == p.pid; }))
              held.push_back(p);
          }
        }
        if (answered) request(protocol::PickRequest(2, ++index));
        ASSERT_LT(index, 20);
      }
      EXPECT_EQ(held, server_->Log().Picks());
      EXPECT_EQ(held.size(), deleted ? 4u : 5u);
    }
  }
}

TEST_F(ServerTest, SpoofedAndUnknownMessagesAreDropped) {
  ASSERT_TRUE(Load().Ok());
  Client& a = SignOn(1);
  Client& b = SignOn(2);
  Client& anon = Connect();  // never signs on
  anon.Send(protocol::Chat(1, "spoof"));
  anon.Send(protocol::PrivateLine(1, 2, "spoof"));
  anon.Send(protocol::PickRequest(1, 1));
  b.Send(protocol::Chat(1, "spoof"));
  b.Send("C|2|70000|overflow");
  b.Send("Q|2|0|unknown code");
  b.Send(protocol::TimeUp(2));  // T changes nothing
  ASSERT_TRUE(b.Sync(2));
  ASSERT_TRUE(a.Sync(1));
  EXPECT_FALSE(a.Has("C|1|0|spoof"));
  EXPECT_FALSE(b.Has("P|1|2|spoof"));
  EXPECT_FALSE(a.Has("C|2|0|overflow"));
  EXPECT_EQ(anon.Count('V'), 0);
  EXPECT_TRUE(server_->Team(2).signedOn);
}

// A selection that is not recorded is answered privately with the reason;
// only a team on a running clock picks, so nobody else can take it off.
TEST_F(ServerTest, RefusedSelectionsAreAnsweredAndChangeNothing) {
  ASSERT_TRUE(Load().Ok());
  Raw a(*server_), b(*server_), anon(*server_);
  a.Send(LoginText(1));
  b.Send(LoginText(2));
  ASSERT_TRUE(server_->Team(2).signedOn);
  const PoolPick p = Player(1);
  auto refusal = [&](Raw& c, const std::string& sent, int team) {
    a.Take();
    b.Take();
    c.Send(sent);
    std::vector<std::string> got = c.TakeRaw();
    EXPECT_EQ(got.size(), 1u) << sent;
    // Nothing for the others.
    EXPECT_TRUE(&c == &a || a.Take().empty()) << sent;
    EXPECT_TRUE(&c == &b || b.Take().empty()) << sent;
    std::string prefix = "P|0|" + std::to_string(team) + "|";
    if (got.empty() || got[0].rfind(prefix, 0) != 0) return "not a private line: " + (got.empty() ? "" : got[0]);
    return got[0].substr(prefix.size());
  };
  EXPECT_EQ(refusal(b, DraftOf(2, p), 2), "It is not your turn: no team is on the clock.");
  ASSERT_EQ(server_->PutOnClock(1, 60, {1, 1}), DraftServer::ClockResult::Started);
  EXPECT_EQ(refusal(b, DraftOf(2, p), 2), "It is not your turn: " + Name(1) + " is on the clock.");
  EXPECT_EQ(refusal(b, DraftOf(1, p), 2), "Your selection was not recorded: you can only select for your own team.");
  EXPECT_EQ(refusal(anon, DraftOf(1, p), 0), "You are not signed on: sign on before you make a selection.");
  EXPECT_EQ(refusal(a, protocol::Draft(1, 1, "Nobody", "QB"), 1), "Player 1 is not in this draft.");
  EXPECT_EQ(refusal(a, "D|1|0|abc,Nobody,QB", 1), "Player abc is not in this draft.");
  EXPECT_EQ(refusal(a, "D|65538|0|" + p.Pid() + ",X,QB", 1),
            "Your selection was not recorded: the message was cut short or malformed.");
  EXPECT_EQ(refusal(a, "D|1|0|" + p.Pid() + "," + std::string(1100, 'x') + ",QB", 1),
            "Your selection was not recorded: the message was cut short or malformed.");
  // Team 1 is still on the clock, its time running.
  EXPECT_EQ(server_->Clock().Team(), 1);
  EXPECT_TRUE(server_->Clock().Running());

  // The time runs out; a selection right after it is out of turn.
  for (int i = 0; i < 60; ++i) server_->Tick();
  EXPECT_EQ(refusal(a, DraftOf(1, p), 1), "It is not your turn: no team is on the clock.");
  // A team put on the clock before it signed on waits for the Commish; its
  // owner's selection is out of turn then, and the Commish's pick is taken.
  ASSERT_EQ(server_->PutOnClock(3, 60, {1, 1}), DraftServer::ClockResult::MustSelect);
  EXPECT_EQ(refusal(a, DraftOf(1, p), 1), "It is not your turn: " + Name(3) + " is on the clock.");
  EXPECT_EQ(server_->Log().Count(), 0);
  EXPECT_FALSE(fs::exists(draftFile_));
  // When its owner signs on, his own clock starts with the time it was given.
  Raw c(*server_);
  c.Send(LoginText(3));
  EXPECT_TRUE(server_->Clock().Running());
  EXPECT_EQ(server_->Clock().Seconds(), 60);
  EXPECT_FALSE(server_->CommishMayPick());
}

// A ticker on an injected clock: ticks one second apart from its start.
class ManualTicker : public Ticker {
 public:
  void Start(std::function<void()> tick) override {
    tick_ = std::move(tick);
    next_ = now + 1000;
    running_ = true;
  }
  void Stop() override { running_ = false; }
  // Moves the clock to `ms`, ticking on the way.
  void RunTo(int64_t ms) {
    while (running_ && next_ <= ms) {
      now = next_;
      next_ += 1000;
      tick_();
    }
    now = ms;
  }
  int64_t now = 0;

 private:
  std::function<void()> tick_;
  int64_t next_ = 0;
  bool running_ = false;
};

// The clock's ticks start when the team goes on the clock, so the warnings
// and the time-out come at exactly the seconds allowed after it.
TEST_F(ServerTest, TheClockTicksFromTheMomentATeamGoesOnIt) {
  ASSERT_TRUE(Load().Ok());
  ManualTicker ticker;
  server_->SetTicker(&ticker);
  Raw a(*server_);
  a.Send(LoginText(1));
  ticker.RunTo(12'345);  // any time after the start of the program
  const int64_t on = ticker.now;
  ASSERT_EQ(server_->PutOnClock(1, 60, {1, 1}), DraftServer::ClockResult::Started);
  a.Take();
  auto seen = [&](const std::string& raw) {
    std::vector<std::string> got = a.TakeRaw();
    return std::find(got.begin(), got.end(), raw) != got.end();
  };
  const std::string warn45 = "C|0|0|Time remaining for " + Name(1) + " to make a selection: 45 seconds.";
  ticker.RunTo(on + 14'999);
  EXPECT_FALSE(seen(warn45));
  ticker.RunTo(on + 15'000);
  EXPECT_TRUE(seen(warn45));
  const std::string timeout = "I|0|1|" + Name(1) + " failed to make a selection while on the clock.";
  ticker.RunTo(on + 59'999);
  EXPECT_FALSE(seen(timeout));
  EXPECT_EQ(server_->Clock().Seconds(), 1);
  ticker.RunTo(on + 60'000);
  EXPECT_TRUE(seen(timeout));
  EXPECT_FALSE(server_->Clock().OnClock());

  // A pick or a halt stops the ticks; the next team gets its full time too.
  ticker.RunTo(on + 60'500);
  ASSERT_EQ(server_->PutOnClock(1, 2, {1, 1}), DraftServer::ClockResult::Started);
  EXPECT_TRUE(server_->Halt());
  ticker.RunTo(on + 70'000);
  EXPECT_FALSE(server_->Clock().Running());
  ASSERT_EQ(server_->PutOnClock(1, 2, {1, 1}), DraftServer::ClockResult::Started);
  ticker.RunTo(on + 71'999);
  EXPECT_EQ(server_->Clock().Seconds(), 1);
  ticker.RunTo(on + 72'000);
  EXPECT_FALSE(server_->Clock().OnClock());
  server_->SetTicker(nullptr);
}

// The Commish decides in a box that lets events run: the window hands the
// engine the team and the label he saw. When the team on the clock, its
// sign-on or the pick's label changed meanwhile, nothing is recorded.
TEST_F(ServerTest, CommishPickChecksTheDraftItWasChosenFor) {
  ASSERT_TRUE(Load().Ok());
  Raw a(*server_);
  a.Send(LoginText(1));
  const PoolPick p = Player(1);
  std::unique_ptr<Raw> late;
  const std::vector<std::pair<const char*, std::function<void()>>> changes = {
      {"another team on the clock",
       [&] {
         server_->Halt();
         server_->PutOnClock(4, 60, {1, 1});
       }},
      {"another pick",
       [&] {
         server_->Halt();
         server_->PutOnClock(3, 60, {2, 1});
       }},
      {"the team signed on",
       [&] {
         late = std::make_unique<Raw>(*server_);
         late->Send(LoginText(3));
       }},
  };
  for (const auto& [what, change] : changes) {
    SCOPED_TRACE(what);
    if (server_->Clock().OnClock()) server_->Halt();
    ASSERT_EQ(server_->PutOnClock(3, 60, {1, 1}), DraftServer::ClockResult::MustSelect);
    change();
    EXPECT_EQ(server_->CommishPick(p.pid, 3, {1, 1}), DraftServer::PickResult::Changed);
    EXPECT_EQ(server_->Log().Count(), 0);
    for (const Message& m : a.Take()) EXPECT_NE(m.code, 'Z');
  }
}

// A pick is on disk before any client hears of it, a team's and the
// Commish's alike: at the moment it is filed nothing has been sent about it.
TEST_F(ServerTest, PicksAreFiledBeforeAnyClientHearsOfThem) {
  ASSERT_TRUE(Load().Ok());
  Raw a(*server_), b(*server_);
  a.Send(LoginText(1));
  b.Send(LoginText(2));
  std::string sentToA, sentToB;
  int filed = 0;
  server_->pickFiled = [&](const draft::Pick& pick) {
    ++filed;
    EXPECT_NE(DraftFileText().find(draft::PickRecord(pick) + "\r\n"), std::string::npos);
    sentToA += server_->Connections().TakeOutput(a.element);
    sentToB += server_->Connections().TakeOutput(b.element);
    EXPECT_EQ(sentToA.find("Z|"), std::string::npos);
    EXPECT_EQ(sentToB.find("Z|"), std::string::npos);
  };
  ASSERT_EQ(server_->PutOnClock(1, 60, {1, 1}), DraftServer::ClockResult::Started);
  a.Send(DraftOf(1, Player(1)));
  EXPECT_EQ(filed, 1);
  EXPECT_NE(server_->Connections().TakeOutput(b.element).find(ZOf(1, Player(1), "1-1")), std::string::npos);
  a.Take();

  ASSERT_EQ(server_->PutOnClock(3, 60, {1, 2}), DraftServer::ClockResult::MustSelect);
  sentToA.clear();
  sentToB.clear();
  const PoolPick p = Player(2);
  ASSERT_EQ(server_->CommishPick(p.pid, 3, {1, 2}), DraftServer::PickResult::Picked);
  EXPECT_EQ(filed, 2);
  EXPECT_NE(server_->Connections().TakeOutput(b.element).find(ZOf(3, p, "1-2")), std::string::npos);
}

// Whatever a peer sends, the server holds a bounded amount for it.
TEST_F(ServerTest, APeerCannotMakeTheServerHoldMuch) {
  ASSERT_TRUE(Load().Ok());
  // Before signing on a connection may send 4 KiB; one byte more closes it.
  Raw quiet(*server_), noisy(*server_);
  quiet.Send(std::string(4096, 'x'));
  noisy.Send(std::string(4097, 'x'));
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(server_->OpenConnections(), 1);
  quiet.Send(LoginText(1));
  EXPECT_TRUE(server_->Team(1).signedOn);
  for (int i = 0; i < 10; ++i) quiet.Send(protocol::Chat(1, std::string(1000, 'y')));
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(server_->OpenConnections(), 1);
  // The same through a socket.
  Client& flood = Connect();
  flood.Send(std::string(64 * 1024, 'x'));
  ASSERT_TRUE(WaitFor([&] { return flood.Closed(); }));

  // A team that stops reading is dropped once 1 MiB waits for it, with the
  // usual leave handling; it can sign on again.
  Client& watcher = SignOn(2);
  Client& stalled = SignOn(5);
  ASSERT_TRUE(stalled.Sync(5));
  const std::string text(1000, 'z');
  // Each line is handed to the system at once: its buffers fill first.
  for (int i = 0; i < 40000 && server_->CommishChat(5, text); ++i) {
  }
  ASSERT_TRUE(watcher.WaitHas("X|5|0|"));
  EXPECT_FALSE(server_->Team(5).signedOn);
  EXPECT_TRUE(ChatHas("*** " + Name(5) + "*** has left the draft. ***"));
  Client& back = SignOn(5);
  ASSERT_TRUE(back.Sync(5));
}

// A connection that has not signed on within 30 seconds is closed, so silent
// connections cannot hold the 32 elements.
TEST_F(ServerTest, SilentConnectionsAreClosedAfterThirtySeconds) {
  ASSERT_TRUE(Load().Ok());
  int64_t now = 1'000'000;
  server_->Connections().clock = [&] { return now; };
  std::vector<std::unique_ptr<Raw>> raws;
  for (int i = 0; i < 32; ++i) raws.push_back(std::make_unique<Raw>(*server_));
  for (int t = 1; t <= 3; ++t) raws[static_cast<std::size_t>(t)]->Send(LoginText(t));
  raws[4]->Send(LoginText(1));  // refused: stays, not signed on
  EXPECT_EQ(server_->OpenConnections(), 32);
  EXPECT_EQ(server_->Connections().AcceptDetached(), 0);  // full
  now += kSignOnDeadlineMs - 1;
  server_->Connections().DropSilent();
  EXPECT_EQ(server_->OpenConnections(), 32);
  now += 1;
  server_->Connections().DropSilent();
  EXPECT_EQ(server_->OpenConnections(), 3);
  for (int t = 1; t <= 3; ++t) EXPECT_TRUE(server_->Team(t).signedOn);
  Raw d(*server_);
  ASSERT_NE(d.element, 0);
  d.Send(LoginText(4));
  EXPECT_TRUE(server_->Team(4).signedOn);
  EXPECT_TRUE(chat_.empty());  // nobody who signed on left
}

// One owner's chat cannot delay the others: lines beyond a burst of
// kChatBurst are relayed at kChatPerSecond, the rest dropped with one notice
// to the sender, and a connection that keeps flooding is closed.
TEST_F(ServerTest, ChatIsRelayedAtARateAndAFloodIsCut) {
  ASSERT_TRUE(Load().Ok());
  int64_t now = 5'000'000;
  server_->Connections().clock = [&] { return now; };
  Raw flooder(*server_), other(*server_);
  flooder.Send(LoginText(1));
  other.Send(LoginText(2));
  other.Take();
  flooder.Take();
  const auto relayed = [&] {
    int n = 0;
    for (const Message& m : other.Take()) n += m.code == 'C' && m.from == 1;
    return n;
  };
  for (int i = 0; i < kChatBurst + 5; ++i) flooder.Send(protocol::Chat(1, "line " + std::to_string(i)));
  EXPECT_EQ(relayed(), kChatBurst);
  const std::vector<std::string> toFlooder = flooder.TakeRaw();
  EXPECT_EQ(std::count(toFlooder.begin(), toFlooder.end(), std::string("P|0|1|") + kChatTooFast), 1);
  now += 1'000;  // a second later the rate allows kChatPerSecond more
  for (int i = 0; i < 10; ++i) flooder.Send(protocol::PrivateLine(1, 2, "p"));
  int privates = 0;
  for (const Message& m : other.Take()) privates += m.code == 'P';
  EXPECT_EQ(privates, kChatPerSecond);
  for (int i = 0; i < kFloodLimit; ++i) flooder.Send(protocol::Chat(1, "more"));
  QCoreApplication::sendPostedEvents();
  EXPECT_FALSE(server_->Team(1).signedOn);
  EXPECT_TRUE(ChatHas("*** " + Name(1) + " was disconnected for flooding the chat. ***"));
}

TEST_F(ServerTest, ThirtyThirdConnectionIsClosed) {
  ASSERT_TRUE(Load().Ok());
  for (int i = 0; i < 32; ++i) Connect();
  ASSERT_TRUE(WaitFor([&] { return server_->OpenConnections() == 32; }));
  clients_.push_back(std::make_unique<Client>(server_->Port()));
  Client& extra = *clients_.back();
  ASSERT_TRUE(WaitFor([&] { return extra.Closed(); }));
  EXPECT_EQ(server_->OpenConnections(), 32);
  // An element freed by a close is reused.
  clients_[0]->Close();
  ASSERT_TRUE(WaitFor([&] { return server_->OpenConnections() == 31; }));
  Client& again = SignOn(1);
  ASSERT_TRUE(again.Sync(1));
  EXPECT_GE(server_->Team(1).socket, 1);
  EXPECT_LE(server_->Team(1).socket, 32);
}

TEST_F(ServerTest, PickBeyondTheThousandthIsNotStored) {
  league::SampleOptions o;
  o.name = "Test League";
  o.college = 1001;
  ASSERT_EQ(league::WriteSampleLeague(dir_.string(), o), leaguePath_);
  const std::string text = draft::DraftFileText(PoolRecords(1000, 1));  // Player(1) is free
  WriteDraftFile(text);
  ASSERT_TRUE(Load().Ok());
  EXPECT_EQ(server_->Log().Count(), 1000);
  Client& a = SignOn(1);
  ASSERT_EQ(server_->PutOnClock(1, 60, {1, 1}), DraftServer::ClockResult::Started);
  a.Send(DraftOf(1, Player(1)));
  ASSERT_TRUE(WaitFor([&] { return a.Count('P') == 1; }));
  EXPECT_NE(a.Codes('P')[0].find("was not recorded"), std::string::npos);
  EXPECT_EQ(a.Count('Z'), 0);
  EXPECT_EQ(server_->Log().Count(), 1000);
  EXPECT_EQ(DraftFileText(), text);
  EXPECT_TRUE(server_->Listening());
}

TEST_F(ServerTest, WriteFailureIsReportedAndNothingAnnounced) {
  ASSERT_TRUE(Load().Ok());
  Client& a = SignOn(1);
  fs::remove(draftFile_);
  fs::create_directory(draftFile_);  // the draft file cannot be opened now
  ASSERT_EQ(server_->PutOnClock(1, 60, {1, 1}), DraftServer::ClockResult::Started);
  a.Send(DraftOf(1, Player(1)));
  ASSERT_TRUE(WaitFor([&] { return server_->Reporter().reports == 1; }));
  ASSERT_TRUE(a.Sync(1));
  EXPECT_EQ(a.Count('Z'), 0);
  EXPECT_TRUE(a.Has("P|0|1|The server could not write your selection to the draft file; it was not recorded."));
  EXPECT_EQ(server_->Log().Count(), 0);
  fs::remove(draftFile_);
}

// A wish list is taken only from the team's own connection, part by part in
// order, at most 200 PIDs; a refused part is answered privately and stores
// nothing. The list outlives the team's sign-off and goes to nobody else.
TEST_F(ServerTest, WishListPartsAreCheckedAndKept) {
  ASSERT_TRUE(Load().Ok());
  Raw a(*server_), b(*server_), anon(*server_);
  a.Send(LoginText(1));
  b.Send(LoginText(2));
  a.Take();
  b.Take();
  auto refusal = [&](Raw& c, const std::string& sent) {
    c.Send(sent);
    std::vector<std::string> got = c.TakeRaw();
    EXPECT_TRUE(a.Take().empty() && b.Take().empty()) << sent;  // nothing for anyone else
    return got.size() == 1 ? got[0] : "(" + std::to_string(got.size()) + " messages)";
  };
  const std::string why = "Your wish list was not stored: ";
  EXPECT_EQ(refusal(anon, "K|1|0|101,102"), "P|0|0|" + why + "you are not signed on.");
  EXPECT_EQ(refusal(b, "K|1|0|101,102"), "P|0|2|" + why + "you can only send the wish list of your own team.");
  EXPECT_EQ(refusal(a, "K|1|0|101,x"), "P|0|1|" + why + "the message was cut short or malformed.");
  EXPECT_EQ(refusal(a, "K|1|70000|101"), "P|0|1|" + why + "the message was cut short or malformed.");
  EXPECT_EQ(refusal(a, "K|1|5|101"),
            "P|0|1|" + why + "the part starting at position 5 does not continue the list received so far (0 players).");
  EXPECT_TRUE(server_->WishList(1).empty());

  std::vector<int> pids;
  for (int i = 0; i < 250; ++i) pids.push_back(1000 + i);
  for (const std::string& part : protocol::WishList(1, pids)) a.Send(part);  // the first 200, in two parts
  EXPECT_TRUE(a.Take().empty());
  ASSERT_EQ(server_->WishList(1).size(), 200u);
  EXPECT_EQ(server_->WishList(1)[199], 1199);
  EXPECT_EQ(refusal(a, "K|1|200|5"), "P|0|1|" + why + "a wish list holds at most 200 players.");
  EXPECT_EQ(
      refusal(a, "K|1|100|5"),
      "P|0|1|" + why + "the part starting at position 100 does not continue the list received so far (200 players).");
  EXPECT_EQ(server_->WishList(1).size(), 200u);

  // Position 0 starts a new list; it stays when the team leaves.
  for (const std::string& part : protocol::WishList(2, {7, 8})) b.Send(part);
  a.Send("K|1|0|42");
  a.Send("K|1|1|43");
  server_->Connections().PeerClose(a.element);
  EXPECT_FALSE(server_->Team(1).signedOn);
  EXPECT_EQ(server_->WishList(1), (std::vector<int>{42, 43}));
  EXPECT_EQ(server_->WishList(2), (std::vector<int>{7, 8}));
  for (const Message& m : b.Take()) EXPECT_NE(m.code, 'K');
  // An empty list (what an owner who emptied his list sends) clears it.
  b.Send(protocol::WishList(2, {})[0]);
  EXPECT_TRUE(server_->WishList(2).empty());
}

// The clock that runs itself never picks for an owner who is there: a team
// whose owner is not signed on gets its clock too (the absent time), its
// owner may sign on during it, is told his seconds left and picks himself;
// only when the time runs out is the team picked for, the owners hearing
// how, and from then on it is picked for at once until its owner is back.
TEST_F(ServerTest, AbsentTeamsGetTheirClockAndArePickedForOnlyWhenItRunsOut) {
  ASSERT_TRUE(Load().Ok());
  ManualTicker clock, pause;
  server_->SetTicker(&clock);
  server_->SetPauseTicker(&pause);
  const auto pauseOver = [&] { pause.RunTo(pause.now + 5'000); };
  const auto seconds = [&](int n) { clock.RunTo(clock.now + n * 1'000); };
  const auto heard = [](Raw& r, const std::string& raw) {
    const std::vector<std::string> got = r.TakeRaw();
    return std::find(got.begin(), got.end(), raw) != got.end();
  };
  Raw a(*server_), c(*server_);
  a.Send(LoginText(1));
  c.Send(LoginText(3));
  server_->SetOrder(draft::DraftOrder{{3, 2, 1}, false, 3});
  server_->SetTimeAllowed(20);
  server_->SetAbsentTime(10);
  server_->SetAutoDraftRule(AutoDraftRule::BestAvailable, {true});
  int over = 0;
  QObject::connect(server_.get(), &DraftServer::draftOver, [&] { ++over; });
  server_->SetRunAutomatically(true);

  // 1-1: team 3 is there and picks.
  EXPECT_EQ(server_->Clock().Team(), 3);
  EXPECT_EQ(server_->Clock().Seconds(), 20);
  c.Send(DraftOf(3, Player(1)));
  // 1-2: team 2 is away, but gets its clock; the Commish may pick for it.
  pauseOver();
  EXPECT_EQ(server_->Clock().Team(), 2);
  EXPECT_TRUE(server_->Clock().Running());
  EXPECT_EQ(server_->Clock().Seconds(), 10);
  EXPECT_TRUE(server_->CommishMayPick());
  // Its owner signs on during his turn: his seconds left, and he picks.
  seconds(4);
  Raw b(*server_);
  b.Send(LoginText(2));
  EXPECT_TRUE(heard(b, "N|0|2|6,1-2"));
  EXPECT_FALSE(server_->CommishMayPick());
  b.Send(DraftOf(2, Player(2)));
  ASSERT_EQ(server_->Log().Count(), 2);
  EXPECT_EQ(server_->Log().Slot(2)->team, Name(2));
  // 1-3: team 1 is there but lets its time run out: picked for, and the
  // owners hear it was the server's pick.
  pauseOver();
  EXPECT_EQ(server_->Clock().Team(), 1);
  seconds(19);
  EXPECT_EQ(server_->Log().Count(), 2);
  a.Take();
  seconds(1);
  ASSERT_EQ(server_->Log().Count(), 3);
  const draft::Pick& late = *server_->Log().Slot(3);
  EXPECT_TRUE(heard(a, "C|0|0|" + Name(1) + " has selected " + late.position + " " + late.player +
                           " automatically (best available)."));

  // Round 2: team 2's owner has left; its clock runs out (it is picked for),
  // and in round 3 it is picked for at once, without a clock.
  server_->Connections().PeerClose(b.element);
  pauseOver();
  c.Send(DraftOf(3, Player(5)));
  pauseOver();
  EXPECT_EQ(server_->Clock().Team(), 2);
  EXPECT_EQ(server_->Clock().Seconds(), 10);
  seconds(10);
  ASSERT_EQ(server_->Log().Count(), 5);
  pauseOver();
  a.Send(DraftOf(1, Player(6)));
  pauseOver();
  c.Send(DraftOf(3, Player(7)));
  a.Take();
  pauseOver();
  EXPECT_EQ(server_->Log().Count(), 8);
  EXPECT_EQ(server_->Log().Slot(8)->team, Name(2));
  EXPECT_FALSE(heard(a, "N|0|2|10,3-2"));
  EXPECT_TRUE(
      ChatHas(Name(2) + " is on the clock with pick 3-2; its owner is away, so the pick is made for it at once."));
  // 3-3: team 1 picks the last pick; the draft is complete.
  pauseOver();
  a.Send(DraftOf(1, Player(8)));
  EXPECT_EQ(over, 1);
  EXPECT_TRUE(ChatHas("The draft is complete: every pick of the draft order has been made."));
  server_->SetTicker(nullptr);
}

// "Complete" means every label of the order holds a pick: a pick deleted
// during the run is made again before the draft ends. The start time holds
// the first clock back, counting down in the chat, and a draft resumed at
// the load waits for its owners.
TEST_F(ServerTest, TheRunFillsDeletedPicksAndWaitsForItsStart) {
  int64_t wall = 1'800'000'000'000;
  server_->wallClock = [&] { return wall; };
  ASSERT_TRUE(Load().Ok());
  ManualTicker clock, pause;
  server_->SetTicker(&clock);
  server_->SetPauseTicker(&pause);
  const auto pauseOver = [&] { pause.RunTo(pause.now + 5'000); };
  Raw a(*server_), c(*server_);
  a.Send(LoginText(1));
  c.Send(LoginText(3));
  server_->SetOrder(draft::DraftOrder{{1, 3}, false, 2});
  int over = 0;
  QObject::connect(server_.get(), &DraftServer::draftOver, [&] { ++over; });

  server_->SetStartTime(wall + 11 * 60'000);
  server_->SetRunAutomatically(true);
  EXPECT_FALSE(server_->Clock().OnClock());
  EXPECT_NE(server_->RunStatus().find("Waiting for the start"), std::string::npos);
  EXPECT_TRUE(std::any_of(chat_.begin(), chat_.end(), [](const std::string& l) {
    return l.starts_with("The draft starts at ") && l.ends_with(", in 11 minutes.");
  }));
  std::vector<std::string> countdown;
  QObject::connect(server_.get(), &DraftServer::pubChatAdded, [&](const QString& line) {
    if (line.startsWith(u"The draft starts in")) countdown.push_back(line.toStdString());
  });
  for (int minute = 1; minute <= 11; ++minute) {
    wall += 60'000;
    pause.RunTo(pause.now + 1'000);
  }
  EXPECT_EQ(countdown, (std::vector<std::string>{"The draft starts in 10 minutes.", "The draft starts in 5 minutes.",
                                                 "The draft starts in 1 minute."}));
  EXPECT_EQ(server_->Clock().Team(), 1);

  a.Send(DraftOf(1, Player(1)));
  ASSERT_EQ(server_->DeletePick({1, 1}), DraftServer::DeleteResult::Deleted);  // in the pause
  pauseOver();
  c.Send(DraftOf(3, Player(2)));
  pauseOver();
  a.Send(DraftOf(1, Player(3)));
  pauseOver();
  c.Send(DraftOf(3, Player(4)));
  EXPECT_EQ(over, 0);
  pauseOver();  // back to the deleted pick
  EXPECT_EQ(server_->Clock().Team(), 1);
  EXPECT_EQ(server_->Clock().Label(), (draft::PickLabel{1, 1}));
  a.Send(DraftOf(1, Player(5)));
  EXPECT_EQ(over, 1);
  EXPECT_EQ(server_->Log().Picks().size(), 4u);

  // The same draft resumed by a server started again: the first clock waits
  // until the owners had time to come back.
  server_.reset();
  server_ = std::make_unique<DraftServer>();
  test::RecordNotices(*server_, prompter_);
  server_->SetPort(0);
  server_->wallClock = [&] { return wall; };
  server_->SetPauseTicker(&pause);
  ASSERT_TRUE(Load().Ok());
  server_->SetOrder(draft::DraftOrder{{1, 3}, false, 3});
  server_->SetRunAutomatically(true);
  EXPECT_FALSE(server_->Clock().OnClock());
  wall += kResumeGraceMs - 1'000;
  pause.RunTo(pause.now + 1'000);
  EXPECT_FALSE(server_->Clock().OnClock());
  wall += 1'000;
  pause.RunTo(pause.now + 1'000);
  EXPECT_EQ(server_->Clock().Team(), 1);
  EXPECT_EQ(server_->Clock().Label(), (draft::PickLabel{3, 1}));
}

// A traded pick puts its new owner on the clock, with the time of its
// round; a client that takes the order hears it at sign-on and after each
// change, a plain client never does.
TEST_F(ServerTest, TradedPicksAndRoundTimesRunTheClockAndTheOrderIsSent) {
  ASSERT_TRUE(Load().Ok());
  ManualTicker clock, pause;
  server_->SetTicker(&clock);
  server_->SetPauseTicker(&pause);
  Raw plain(*server_), full(*server_);
  plain.Send(LoginText(1));
  full.Send(protocol::Login(2, "3.03", server_->DrafteeCount(), server_->LeagueName(), protocol::Features::All()));
  draft::DraftOrder order{{1, 2}, false, 2};
  order.traded[{2, 1}] = 2;
  order.settings.roundSeconds[2] = 30;
  server_->SetOrder(order);
  server_->SetTimeAllowed(20);
  plain.Take();
  full.Take();
  server_->SetRunAutomatically(true);
  const std::vector<std::string> sent = full.TakeRaw();
  EXPECT_NE(std::find(sent.begin(), sent.end(), "O|2|0|1,2,2,2"), sent.end());
  for (const std::string& m : plain.TakeRaw()) EXPECT_FALSE(m.starts_with("O|")) << m;

  plain.Send(DraftOf(1, Player(1)));
  pause.RunTo(pause.now + 5'000);
  full.Send(DraftOf(2, Player(2)));
  pause.RunTo(pause.now + 5'000);
  EXPECT_EQ(server_->Clock().Team(), 2);  // 2-1, traded to team 2
  EXPECT_EQ(server_->Clock().Label(), (draft::PickLabel{2, 1}));
  EXPECT_EQ(server_->Clock().Seconds(), 30);

  Raw late(*server_);
  late.Send(protocol::Login(3, "3.03", server_->DrafteeCount(), server_->LeagueName(), protocol::Features::All()));
  const std::vector<std::string> atSignOn = late.TakeRaw();
  const auto o = std::find(atSignOn.begin(), atSignOn.end(), "O|2|0|1,2,2,2");
  ASSERT_NE(o, atSignOn.end());
  EXPECT_LT(o - atSignOn.begin(), std::find_if(atSignOn.begin(), atSignOn.end(), [](const std::string& m) {
                                    return m.starts_with("N|");
                                  }) - atSignOn.begin());

  // A trade of the pick on the clock, during the draft: told in the chat,
  // the order sent again, and the clock moves to the new owner with the
  // seconds it had.
  clock.RunTo(clock.now + 10'000);
  full.Take();
  ASSERT_TRUE(server_->TradePick({2, 1}, 3));
  EXPECT_TRUE(ChatHas("Pick 2-1 now belongs to " + Name(3) + " (via " + Name(1) + ")."));
  EXPECT_EQ(server_->Clock().Team(), 3);
  EXPECT_EQ(server_->Clock().Seconds(), 20);
  const std::vector<std::string> afterTrade = full.TakeRaw();
  EXPECT_NE(std::find(afterTrade.begin(), afterTrade.end(), "O|2|0|1,2,3,2"), afterTrade.end());
  EXPECT_NE(std::find(afterTrade.begin(), afterTrade.end(), "N|0|3|20,2-1"), afterTrade.end());
  EXPECT_FALSE(server_->TradePick({9, 1}, 3));  // no such pick in the order
  server_->SetTicker(nullptr);
}

// The Commish's pause keeps the seconds of the team on the clock and refuses
// its owner's selection; quiet hours pause and resume the draft by the
// clock of the league's time zone; a server restarted during a slow pick
// gives the team the time it had left, from the clock file.
TEST_F(ServerTest, PauseQuietHoursAndARestartKeepTheTimeLeft) {
  ManualTicker clock, pause;
  clock.now = 1'796'684'340'000;  // 2026-12-07 22:59:00 UTC
  server_->wallClock = [&] { return clock.now; };
  ASSERT_TRUE(Load().Ok());
  server_->SetTicker(&clock);
  server_->SetPauseTicker(&pause);
  Raw full(*server_), plain(*server_);
  full.Send(protocol::Login(1, "3.03", server_->DrafteeCount(), server_->LeagueName(), protocol::Features::All()));
  plain.Send(LoginText(2));
  draft::DraftOrder order{{1, 2}, false, 2};
  order.settings.timeAllowed = 40'000;  // more than a plain client's clock holds
  server_->SetOrder(order);
  server_->SetRunAutomatically(true);
  EXPECT_NE(full.TakeRaw(), std::vector<std::string>{});
  EXPECT_TRUE(plain.Take().size() > 0);
  clock.RunTo(clock.now + 30'000);

  ASSERT_TRUE(server_->PauseDraft());
  EXPECT_FALSE(server_->PauseDraft());
  const std::vector<std::string> paused = full.TakeRaw();
  EXPECT_NE(std::find(paused.begin(), paused.end(), "Q|0|1|39970,1-1"), paused.end());
  for (const std::string& m : plain.TakeRaw()) EXPECT_FALSE(m.starts_with("Q|") || m.starts_with("N|")) << m;
  clock.RunTo(clock.now + 20'000);
  EXPECT_EQ(server_->Clock().SecondsLeft(), 39'970);
  full.Send(DraftOf(1, Player(1)));
  EXPECT_EQ(server_->Log().Count(), 0);
  const std::vector<std::string> refused = full.TakeRaw();
  ASSERT_FALSE(refused.empty());
  EXPECT_NE(refused.back().find("The draft is paused"), std::string::npos);
  ASSERT_TRUE(server_->ResumeDraft());
  EXPECT_NE(plain.TakeRaw(), std::vector<std::string>{});
  EXPECT_EQ(server_->Clock().Seconds(), 39'970);
  EXPECT_TRUE(ChatHas("The Commish has paused the draft."));

  // 23:00-08:00 in UTC: at 23:00 the clock stops, at 08:00 it runs on.
  server_->SetQuietHours(draft::QuietHours{23 * 60, 8 * 60}, "UTC");
  clock.RunTo(clock.now + 10'000);  // 23:00:00
  EXPECT_TRUE(server_->InQuietHours());
  EXPECT_TRUE(ChatHas("Quiet hours: the draft is paused until 08:00."));
  const int left = server_->Clock().SecondsLeft();
  clock.RunTo(clock.now + 9 * 3'600'000 - 1'000);  // 07:59:59
  EXPECT_EQ(server_->Clock().SecondsLeft(), left);
  clock.RunTo(clock.now + 2'000);
  EXPECT_FALSE(server_->Paused());
  EXPECT_EQ(server_->Clock().SecondsLeft(), left - 1);

  // The server is stopped 100 s later and started again 1,000 s after that:
  // the team gets its deadline, not a new clock.
  clock.RunTo(clock.now + 100'000);
  const int atStop = server_->Clock().SecondsLeft();
  server_.reset();
  clock.now += 1'000'000;
  server_ = std::make_unique<DraftServer>();
  test::RecordNotices(*server_, prompter_);
  server_->SetPort(0);
  server_->wallClock = [&] { return clock.now; };
  server_->SetTicker(&clock);
  server_->SetPauseTicker(&pause);
  QObject::connect(server_.get(), &DraftServer::pubChatAdded,
                   [this](const QString& l) { chat_.push_back(l.toLatin1().toStdString()); });
  ASSERT_TRUE(Load().Ok());
  server_->SetOrder(order);
  server_->SetRunAutomatically(true);
  EXPECT_EQ(server_->Clock().Team(), 1);
  EXPECT_NEAR(server_->Clock().Seconds(), atStop - 1'000, 1);
  EXPECT_TRUE(ChatHas(Name(1) + " is on the clock with pick 1-1, with the " +
                      std::to_string(server_->Clock().Seconds()) +
                      " seconds it had left before the server restarted."));
  server_->SetTicker(nullptr);
}

// An order with more labels than a draft records is cut to whole rounds,
// and the Commish is told.
TEST_F(ServerTest, AnOrderLongerThanADraftIsCutToWholeRounds) {
  ASSERT_TRUE(Load().Ok());
  std::vector<int> teams;
  for (int k = 0; k < 33; ++k) teams.push_back(k % 3 + 1);  // a team may select more than once a round
  server_->SetOrder(draft::DraftOrder{teams, false, 99});
  EXPECT_EQ(server_->Order().rounds, 30);  // 33 x 30 = 990 picks
  ASSERT_FALSE(prompter_.asked.empty());
  EXPECT_NE(prompter_.asked.back().text.find("at most 1000 picks"), std::string::npos);
}

// Without a Commish at hand (headless) a run that finds nobody to pick ends
// the draft with a clear line when the pool is empty, rather than waiting.
TEST_F(ServerTest, ARunWithNobodyLeftToPickEndsTheDraft) {
  ASSERT_TRUE(Load().Ok());
  test::InstantTicker pause;
  server_->SetPauseTicker(&pause);
  server_->SetNobodyToPick(NobodyToPick::Pass);
  server_->SetOrder(draft::DraftOrder{{1, 2}, false, 61});  // 122 picks, 120 players
  server_->SetAbsentTime(1);
  server_->SetPauseSeconds(0);
  server_->SetAutoDraftRule(AutoDraftRule::BestAvailable, {true});
  QString line;
  QObject::connect(server_.get(), &DraftServer::draftOver, [&](const QString& l) { line = l; });
  server_->SetRunAutomatically(true);
  ASSERT_TRUE(WaitFor([&] {
    if (server_->Clock().Running()) server_->Tick();  // the first turn of each absent team
    return !line.isEmpty();
  }));
  EXPECT_EQ(line.toStdString(), "No player is left to draft: the draft is over after 120 picks.");
  EXPECT_FALSE(server_->RunningAutomatically());
  EXPECT_EQ(server_->Log().Count(), 120);
}
