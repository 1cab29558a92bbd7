// A whole draft the clock runs itself: twelve teams, three rounds in a snake
// order read from the order file beside the league, owners on loopback
// sockets who select as soon as they are on the clock, one team that lets
// its time run out every round, and two absent teams -- one left after
// sending its wish list, one never came. After the Commish ticks the box
// nothing more is done by hand: the server picks for the absent and late
// teams and tells everyone when the draft is complete.
//
// The pause between picks runs on a zero-delay timer and the draft clock is
// ticked by the test; the only waiting is for socket events.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QJsonObject>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/Common.h"
#include "draft/DraftLog.h"
#include "draft/DraftOrder.h"
#include "draft/PoolTable.h"
#include "league/FBPro.h"
#include "league/Sample.h"
#include "protocol/Protocol.h"
#include "server/engine/DraftServer.h"
#include "tests/support/HttpReceiver.h"
#include "tests/support/InstantTicker.h"
#include "tests/support/Notices.h"
#include "tests/support/RawClient.h"
#include "tests/support/Wait.h"

namespace pm {
namespace {

namespace fs = std::filesystem;
using protocol::Message;
using server::DraftServer;
using namespace Qt::StringLiterals;

constexpr int kTeams = 12;
constexpr int kRounds = 3;
constexpr int kLate = 4;      // signed on, never selects
constexpr int kLeft = 7;      // sent a wish list, then left
constexpr int kNeverOn = 10;  // never signed on, no wish list

using test::InstantTicker;

// A team owner's program reduced to its socket: it selects the first player
// of its preference list not yet taken as soon as it goes on the clock.
class Owner {
 public:
  Owner(int team, quint16 port, std::vector<int> preference)
      : team_(team), preference_(std::move(preference)), client_(port) {
    client_.onMessage = [this](const Message& m) { Take(m); };
    connected = client_.connected;
  }
  void Send(const std::string& s) { client_.Send(s); }
  void Close() { client_.Close(); }

  bool connected = false;
  bool selects = true;
  std::vector<std::pair<int, std::string>> heard;  // Z: PID and label, in order
  std::vector<std::string> chat;                   // C from the server

 private:
  void Take(const Message& m) {
    if (m.code == protocol::kPicked)
      heard.emplace_back(static_cast<int>(LeadingNumber(protocol::BodyField(m, 1))), protocol::BodyField(m, 4));
    if (m.code == protocol::kChatRelay && m.from == 0) chat.push_back(m.body);
    if (m.code == protocol::kOnClock && m.to == team_ && selects) Select();
  }
  void Select() {
    for (int pid : preference_) {
      if (std::none_of(heard.begin(), heard.end(), [pid](const auto& h) { return h.first == pid; })) {
        Send(protocol::Draft(team_, pid, "x", "QB"));
        return;
      }
    }
  }

  int team_;
  std::vector<int> preference_;
  test::RawClient client_;
};

template <class Pred>
bool WaitFor(Pred pred) {
  return test::WaitFor(pred, 10000);
}

TEST(AutoDraft, AWholeSnakeDraftRunsItselfWithAbsentAndLateTeams) {
  const fs::path dir =
      fs::temp_directory_path() / ("pm-autodraft-" + std::to_string(QCoreApplication::applicationPid()));
  fs::remove_all(dir);
  league::SampleOptions o;
  o.name = "Auto League";
  o.teams = kTeams;
  o.college = 150;
  o.freeAgents = 0;
  const std::string leaguePath = league::WriteSampleLeague(dir.string(), o);

  // The order file, as a Commish would write it: names in a mixed order.
  const league::TeamList teams = league::GetTeams(leaguePath);
  std::vector<std::string> names(teams.names.begin() + 1, teams.names.begin() + 1 + kTeams);
  {
    std::ofstream f(dir / "auto league-order.txt", std::ios::binary);
    f << "Order: Snake\r\nRounds: 3\r\n";
    for (int t : {5, 10, 1, 12, 7, 3, 4, 8, 2, 11, 6, 9}) f << names[Index(t - 1)] << "\r\n";
  }
  DraftServer server;
  ScriptedPrompter prompter;
  InstantTicker pause;
  test::RecordNotices(server, prompter);
  server.SetPort(0);
  server.Reporter().showMessage = [](const std::string&) {};
  server.SetPauseTicker(&pause);
  ASSERT_EQ(server.LoadLeague(leaguePath + ".LGE", false).status, server::LoadResult::Status::Loaded);
  ASSERT_TRUE(prompter.asked.empty());
  ASSERT_EQ(server.Order().Labels(), kTeams * kRounds);
  ASSERT_TRUE(server.Order().snake);

  // The players the owners want, in the pool's order.
  std::vector<int> pool;
  for (int i = 1; i <= server.Pool().Count(); ++i) {
    const league::Player& p = server.Pool().draftees[Index(i)].player;
    if (p.position <= 14) pool.push_back(p.pid);
  }
  const std::vector<int> wishes = {pool[0], pool[60], pool[61], pool[62], pool[63]};

  std::map<int, std::unique_ptr<Owner>> owners;
  for (int t = 1; t <= kTeams; ++t) {
    if (t == kNeverOn) continue;
    owners[t] = std::make_unique<Owner>(t, server.Port(), pool);
    ASSERT_TRUE(owners[t]->connected);
    owners[t]->Send(protocol::Login(t, "3.03", server.DrafteeCount(), server.LeagueName()));
  }
  const auto signedOn = [&] {
    int n = 0;
    for (int t = 1; t <= kTeams; ++t) n += server.Team(t).signedOn;
    return n;
  };
  ASSERT_TRUE(WaitFor([&] { return signedOn() == kTeams - 1; }));
  owners[kLate]->selects = false;
  for (const std::string& part : protocol::WishList(kLeft, wishes)) owners[kLeft]->Send(part);
  ASSERT_TRUE(WaitFor([&] { return server.WishList(kLeft).size() == wishes.size(); }));
  owners[kLeft]->Close();
  ASSERT_TRUE(WaitFor([&] { return !server.Team(kLeft).signedOn; }));
  owners.erase(kLeft);

  // The Commish's only actions: the rule, the time, the box.
  server.SetAutoDraftRule(server::AutoDraftRule::BestAvailable, {true, false, false, true});
  server.SetTimeAllowed(30);
  int completed = 0;
  QObject::connect(&server, &DraftServer::draftOver, [&] { ++completed; });
  server.SetRunAutomatically(true);
  // Absent teams get their clock as everyone does; only when it runs out
  // are they picked for, and from then on at once. The late team is there,
  // so it gets its clock every round.
  std::map<int, int> timeOuts;
  const auto silent = [](int team) { return team == kLate || team == kLeft || team == kNeverOn; };
  while (completed == 0) {
    ASSERT_TRUE(WaitFor([&] { return completed > 0 || (server.Clock().Running() && silent(server.Clock().Team())); }))
        << server.Log().Count() << " picks made";
    if (completed > 0) break;
    const int team = server.Clock().Team();
    for (int s = 0; s < 30; ++s) server.Tick();
    ++timeOuts[team];
  }
  EXPECT_EQ(completed, 1);
  EXPECT_EQ(timeOuts, (std::map<int, int>{{kLate, kRounds}, {kLeft, 1}, {kNeverOn, 1}}));
  EXPECT_FALSE(server.RunningAutomatically());
  EXPECT_FALSE(server.Clock().OnClock());
  EXPECT_TRUE(prompter.asked.empty());

  // Every pick on disk, each label's team as the snake order has it.
  const std::vector<draft::Pick> picks = server.Log().Picks();
  ASSERT_EQ(picks.size(), static_cast<std::size_t>(kTeams * kRounds));
  EXPECT_EQ(draft::DraftLog::ReadFile(server.DraftFile()).value_or(std::vector<draft::Pick>{}), picks);
  const draft::DraftOrder& order = server.Order();
  for (int k = 0; k < order.Labels(); ++k) {
    EXPECT_EQ(picks[Index(k)].label.Text(), order.Label(k));
    EXPECT_EQ(picks[Index(k)].team, names[Index(order.TeamAt(order.RoundOf(k), order.SelectionOf(k)) - 1)]) << k;
  }
  // The absent and late teams' picks: the wish list's first player still
  // there, else the best by SP + ST of those left.
  std::set<int> taken;
  for (const draft::Pick& p : picks) {
    const int team = server.TeamIndexOf(p.team);
    if (team == kLeft) {
      auto wish = std::find_if(wishes.begin(), wishes.end(), [&](int pid) { return taken.count(pid) == 0; });
      EXPECT_EQ(p.pid, *wish) << p.label.Text();
    } else if (team == kNeverOn || team == kLate) {
      int best = 0, bestSum = -1;
      for (int i = 1; i <= server.Pool().Count(); ++i) {
        const league::Player& lp = server.Pool().draftees[Index(i)].player;
        if (lp.position > 14 || taken.count(lp.pid)) continue;
        const draft::Player shown = draft::FromFbpro(lp);
        if (shown.Rating(0) + shown.Rating(3) > bestSum) {
          bestSum = shown.Rating(0) + shown.Rating(3);
          best = lp.pid;
        }
      }
      EXPECT_EQ(p.pid, best) << p.label.Text();
    }
    taken.insert(p.pid);
  }
  EXPECT_EQ(taken.size(), picks.size());

  // Every connected owner heard every pick and the end of the draft.
  for (auto& [team, owner] : owners) {
    Owner& w = *owner;
    ASSERT_TRUE(WaitFor([&] { return w.heard.size() >= picks.size() && !w.chat.empty(); })) << team;
    for (std::size_t i = 0; i < picks.size(); ++i) {
      EXPECT_EQ(w.heard[i].first, picks[i].pid) << team;
      EXPECT_EQ(w.heard[i].second, picks[i].label.Text()) << team;
    }
    EXPECT_TRUE(WaitFor([&] {
      return std::count(w.chat.begin(), w.chat.end(),
                        "The draft is complete: every pick of the draft order has been made.") == 1;
    })) << team;
  }
  owners.clear();
  fs::remove_all(dir);
}

// A slow draft as a league runs it over days: two traded picks, rounds with
// their own time, the Commish's pause during a pick, quiet hours crossed by
// the (injected) clock, a server restarted during a pick that gives the team
// the time it had left, and every event posted to the league's webhook in
// order. Owners select when the test says; the clock is ticked by the test.
TEST(AutoDraft, ASlowDraftWithTradesPausesQuietHoursARestartAndItsWebhook) {
  const fs::path dir =
      fs::temp_directory_path() / ("pm-slowdraft-" + std::to_string(QCoreApplication::applicationPid()));
  fs::remove_all(dir);
  league::SampleOptions o;
  o.name = "Slow League";
  o.teams = 4;
  o.college = 60;
  o.freeAgents = 0;
  const std::string leaguePath = league::WriteSampleLeague(dir.string(), o);
  const league::TeamList teams = league::GetTeams(leaguePath);
  const auto name = [&](int t) { return teams.names[Index(t)]; };
  {
    std::ofstream f(dir / "Slow League-ORDER.TXT", std::ios::binary);
    f << "Rounds: 2\r\nTime: 600\r\nTime in round 1: 100\r\nQuiet hours: 23:00-08:00\r\nTime zone: UTC\r\n"
      << "Automatic: Yes\r\n";
    for (int t = 1; t <= 4; ++t) f << name(t) << "\r\n";
    f << "1-2: " << name(4) << "\r\n2-3: " << name(1) << "\r\n";
  }
  test::Receiver hook;
  int64_t now = 1'796'680'800'000;  // 2026-12-07 22:00:00 UTC
  InstantTicker pause;
  ScriptedPrompter prompter;
  std::unique_ptr<DraftServer> server;
  std::map<int, std::unique_ptr<Owner>> owners;
  std::vector<std::string> chat;
  std::vector<int> pool;  // the players of drafted positions
  const auto start = [&] {
    owners.clear();
    server = std::make_unique<DraftServer>();
    test::RecordNotices(*server, prompter);
    server->SetPort(0);
    server->wallClock = [&] { return now; };
    server->SetPauseTicker(&pause);
    server->SetResumeWait(0);
    server->Notifications().SetBackoff(std::chrono::milliseconds(0));
    QObject::connect(server.get(), &DraftServer::pubChatAdded,
                     [&](const QString& line) { chat.push_back(line.toLatin1().toStdString()); });
    ASSERT_TRUE(server->LoadLeague(leaguePath + ".LGE", false, server::PreviousDraft::Resume).Ok());
    ASSERT_TRUE(server->SetNotifyUrl(hook.Url()));
    pool.clear();
    for (int i = 1; i <= server->Pool().Count(); ++i)
      if (server->Pool().draftees[Index(i)].player.position <= 14)
        pool.push_back(server->Pool().draftees[Index(i)].player.pid);
    for (int t = 1; t <= 4; ++t) {
      owners[t] = std::make_unique<Owner>(t, server->Port(), pool);
      owners[t]->selects = false;
      owners[t]->Send(protocol::Login(t, "3.03", server->DrafteeCount(), server->LeagueName()));
    }
    ASSERT_TRUE(WaitFor([&] {
      for (int t = 1; t <= 4; ++t)
        if (!server->Team(t).signedOn) return false;
      return true;
    }));
    server->SetRunAutomatically(server->Order().settings.automatic);
  };
  const auto onClock = [&](int team, draft::PickLabel label) {
    return WaitFor([&] { return server->Clock().Team() == team && server->Clock().Label() == label; });
  };
  const auto tick = [&](int seconds) {
    for (int s = 0; s < seconds; ++s) {
      now += 1000;
      server->Tick();
    }
  };
  // The owner on the clock selects the first player not taken.
  const auto pick = [&] {
    const int team = server->Clock().Team();
    for (int pid : pool)
      if (!server->Log().IsTaken(pid)) return owners[team]->Send(protocol::Draft(team, pid, "x", "QB"));
  };

  start();
  ASSERT_TRUE(onClock(1, {1, 1}));
  EXPECT_EQ(server->Clock().Seconds(), 100);  // round 1's time
  pick();
  ASSERT_TRUE(onClock(4, {1, 2}));  // traded to team 4
  tick(30);
  ASSERT_TRUE(server->PauseDraft());
  tick(10);
  EXPECT_EQ(server->Clock().SecondsLeft(), 70);
  ASSERT_TRUE(server->ResumeDraft());
  EXPECT_EQ(server->Clock().Seconds(), 70);
  pick();
  ASSERT_TRUE(onClock(3, {1, 3}));
  pick();
  ASSERT_TRUE(onClock(4, {1, 4}));
  now = 1'796'684'380'000;  // 22:59:40
  pick();
  ASSERT_TRUE(onClock(1, {2, 1}));
  EXPECT_EQ(server->Clock().Seconds(), 600);  // round 2's time
  tick(20);                                   // 23:00:00: quiet hours
  EXPECT_TRUE(server->InQuietHours());
  const int left = server->Clock().SecondsLeft();
  now += 9 * 3'600'000 - 2'000;  // 07:59:58
  tick(2);                       // 08:00:00: the clock runs on from where it stopped
  EXPECT_FALSE(server->Paused());
  EXPECT_EQ(server->Clock().Seconds(), left);
  pick();
  ASSERT_TRUE(onClock(2, {2, 2}));
  tick(10);
  ASSERT_TRUE(WaitFor([&] { return server->Notifications().Pending() == 0; }));

  // The machine restarts: 15 s later the team has 575 of its 590 seconds.
  server.reset();
  now += 15'000;
  start();
  ASSERT_TRUE(onClock(2, {2, 2}));
  EXPECT_EQ(server->Clock().Seconds(), 575);
  pick();
  ASSERT_TRUE(onClock(1, {2, 3}));  // traded to team 1
  pick();
  ASSERT_TRUE(onClock(4, {2, 4}));
  pick();
  ASSERT_TRUE(WaitFor([&] { return !hook.events.empty() && hook.events.back() == u"complete"; }));

  // The draft file: each pick made by the team owning it.
  const std::vector<draft::Pick> picks =
      draft::DraftLog::ReadFile(server->DraftFile()).value_or(std::vector<draft::Pick>{});
  std::vector<std::string> made;
  for (const draft::Pick& p : picks) made.push_back(p.label.Text() + " " + p.team);
  EXPECT_EQ(made, (std::vector<std::string>{"1-1 " + name(1), "1-2 " + name(4), "1-3 " + name(3), "1-4 " + name(4),
                                            "2-1 " + name(1), "2-2 " + name(2), "2-3 " + name(1), "2-4 " + name(4)}));
  // The webhook heard every event once, in order.
  std::vector<std::string> posted;
  for (const QJsonObject& body : hook.bodies)
    posted.push_back((body.value(u"event"_s).toString() + u' ' + body.value(u"label"_s).toString()).toStdString());
  EXPECT_EQ(posted,
            (std::vector<std::string>{"on_the_clock 1-1", "pick 1-1",         "on_the_clock 1-2", "paused 1-2",
                                      "on_the_clock 1-2", "pick 1-2",         "on_the_clock 1-3", "pick 1-3",
                                      "on_the_clock 1-4", "pick 1-4",         "on_the_clock 2-1", "paused 2-1",
                                      "on_the_clock 2-1", "pick 2-1",         "on_the_clock 2-2", "on_the_clock 2-2",
                                      "pick 2-2",         "on_the_clock 2-3", "pick 2-3",         "on_the_clock 2-4",
                                      "pick 2-4",         "complete "}));
  EXPECT_NE(
      std::find_if(chat.begin(), chat.end(),
                   [](const std::string& l) { return l.find("before the server restarted") != std::string::npos; }),
      chat.end());
  owners.clear();
  server.reset();
  fs::remove_all(dir);
}

}  // namespace
}  // namespace pm
