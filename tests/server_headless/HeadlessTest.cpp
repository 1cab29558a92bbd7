// The server without windows, as a Commish on a machine without a desktop
// runs it: the command line, the draft in progress that needs an answer
// before anything starts, an order file that does not match the league, a whole
// automatic draft to its end, and the statuses the program ends with.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QTcpServer>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/Common.h"
#include "common/Files.h"
#include "draft/DraftOrder.h"
#include "draft/Pick.h"
#include "league/FBPro.h"
#include "league/Sample.h"
#include "server/headless/HeadlessServer.h"
#include "tests/support/InstantTicker.h"
#include "tests/support/Wait.h"

namespace pm::server {
namespace {

namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

using test::InstantTicker;

QStringList Args(std::initializer_list<const char*> args) {
  QStringList out{u"PKServer"_s};
  for (const char* a : args) out << QString::fromUtf8(a);
  return out;
}

TEST(HeadlessOptions, ReadsEveryOptionAndRefusesWrongOnesWithAReason) {
  HeadlessOptions o;
  std::string error;
  ASSERT_TRUE(ParseHeadlessOptions(Args({"--headless",
                                         "L.LGE",
                                         "--free-agents",
                                         "--clear",
                                         "--time",
                                         "90",
                                         "--auto",
                                         "--order",
                                         "order.txt",
                                         "--allow-missing",
                                         "--rounds",
                                         "3",
                                         "--snake",
                                         "--ratings",
                                         "sp,di",
                                         "--port",
                                         "0",
                                         "--absent-time",
                                         "20",
                                         "--pause",
                                         "0",
                                         "--start",
                                         "2030-01-02 20:15",
                                         "--quiet",
                                         "23:00-08:00",
                                         "--time-zone",
                                         "Europe/Berlin",
                                         "--notify",
                                         "https://chat.example.org/h"}),
                                   &o, &error))
      << error;
  EXPECT_EQ(o.leagueFile, "L.LGE");
  EXPECT_TRUE(o.freeAgents && o.autoRun && o.snake && o.allowMissing);
  EXPECT_EQ(o.previous, HeadlessOptions::PreviousDraft::Clear);
  EXPECT_EQ(o.timeAllowed, 90);
  EXPECT_EQ(o.orderFile, "order.txt");
  EXPECT_EQ(o.rounds, 3);
  EXPECT_EQ(o.ratings, (std::array<bool, draft::kRatingBoxes>{true, false, false, false, false, false, false, true}));
  EXPECT_EQ(o.port, 0);
  EXPECT_EQ(o.absentTime, 20);
  EXPECT_EQ(o.pause, 0);
  EXPECT_EQ(o.quietHours, (draft::QuietHours{23 * 60, 8 * 60}));
  EXPECT_EQ(o.timeZone, "Europe/Berlin");
  EXPECT_EQ(o.notifyUrl, u"https://chat.example.org/h"_s);
  EXPECT_EQ(StartTime(o.start, 0), QDateTime(QDate(2030, 1, 2), QTime(20, 15)).toMSecsSinceEpoch());
  // A time of day is today, or tomorrow once it has passed.
  const QDateTime noon(QDate(2030, 1, 2), QTime(12, 0));
  EXPECT_EQ(StartTime(u"20:15"_s, noon.toMSecsSinceEpoch()),
            QDateTime(QDate(2030, 1, 2), QTime(20, 15)).toMSecsSinceEpoch());
  EXPECT_EQ(StartTime(u"08:00"_s, noon.toMSecsSinceEpoch()),
            QDateTime(QDate(2030, 1, 3), QTime(8, 0)).toMSecsSinceEpoch());

  const std::vector<std::pair<QStringList, std::string>> wrong = {
      {Args({"--headless"}), "league file"},
      {Args({"--headless", "L.LGE", "--resume", "--clear"}), "exclude"},
      {Args({"--headless", "L.LGE", "--time", "0"}), "--time"},
      {Args({"--headless", "L.LGE", "--auto", "--ratings", "SP,XX"}), "XX"},
      {Args({"--headless", "L.LGE", "--snake"}), "need --auto"},
      {Args({"--headless", "L.LGE", "--start", "20:00"}), "need --auto"},
      {Args({"--headless", "L.LGE", "--auto", "--start", "25:00"}), "--start"},
      {Args({"--headless", "L.LGE", "--auto", "--pause", "61"}), "--pause"},
      {Args({"--headless", "L.LGE", "--bogus"}), "bogus"},
      {Args({"--headless", "L.LGE", "--auto", "--quiet", "23:00"}), "--quiet"},
      {Args({"--headless", "L.LGE", "--auto", "--time-zone", "Nowhere/Atlantis"}), "Nowhere/Atlantis"},
      {Args({"--headless", "L.LGE", "--quiet", "23:00-08:00"}), "need --auto"},
      {Args({"--headless", "L.LGE", "--notify", "ftp://example.org/"}), "--notify"},
  };
  for (const auto& [args, reason] : wrong) {
    EXPECT_FALSE(ParseHeadlessOptions(args, &o, &error)) << args.join(u' ').toStdString();
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  }
}

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("pm-headless-" + std::to_string(QCoreApplication::applicationPid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    league::SampleOptions o;
    o.name = "Test League";
    o.teams = 4;
    o.college = 40;
    leagueFile_ = league::LeagueFileName(league::WriteSampleLeague(dir_.string(), o), ".LGE");
  }
  void TearDown() override { fs::remove_all(dir_); }

  HeadlessOptions Options(bool autoRun) const {
    HeadlessOptions o;
    o.leagueFile = leagueFile_;
    o.port = 0;
    o.autoRun = autoRun;
    o.rounds = 2;
    o.snake = true;
    return o;
  }
  std::string DraftFileText() const { return ReadWholeFile((dir_ / "Test League-DRAFT.TXT").string()).value_or(""); }

  // One server run: Start, then (when it started) until it finishes.
  struct Run {
    int started = -1;
    int finished = -1;
    std::ostringstream out, err;
  };
  void RunServer(const HeadlessOptions& options, Run& run) {
    InstantTicker clock, pause;
    DraftServer engine;
    engine.SetTicker(&clock);
    engine.SetPauseTicker(&pause);
    HeadlessServer server(engine, run.out, run.err);
    server.timestamp = [] { return std::string("stamp"); };
    QObject::connect(&server, &HeadlessServer::finished, [&run](int status) { run.finished = status; });
    run.started = server.Start(options);
    if (run.started == kHeadlessDone) {
      ASSERT_TRUE(test::WaitFor([&run] { return run.finished >= 0; }, 20000));
    }
  }

  fs::path dir_;
  std::string leagueFile_;
};

// With nobody signed on, --auto picks for every team by the ratings and the
// server ends by itself; the recorded draft then needs --resume or --clear
// before anything starts, and a resumed complete draft ends at once.
TEST_F(HeadlessTest, AnAutomaticDraftRunsToItsEndAndARecordedOneNeedsAnAnswer) {
  Run whole;
  RunServer(Options(true), whole);
  ASSERT_EQ(whole.started, kHeadlessDone) << whole.err.str();
  EXPECT_EQ(whole.finished, kHeadlessDone);
  const std::vector<draft::Pick> picks = draft::ParseDraftFile(DraftFileText());
  ASSERT_EQ(picks.size(), 8u);
  const auto teams = league::GetTeams(league::LeaguePathOf(leagueFile_)).names;
  for (std::size_t k = 0; k < picks.size(); ++k) {
    const std::size_t team = k < 4 ? k + 1 : 8 - k;  // snake: 1 2 3 4 4 3 2 1
    EXPECT_EQ(picks[k].team, teams[team]) << k;
  }
  std::istringstream lines(whole.out.str());
  for (std::string line; std::getline(lines, line);) EXPECT_EQ(line.rfind("[stamp] ", 0), 0u) << line;
  EXPECT_NE(whole.out.str().find("complete"), std::string::npos);

  const std::string recorded = DraftFileText();
  Run unanswered;
  RunServer(Options(true), unanswered);
  EXPECT_EQ(unanswered.started, kHeadlessBadArguments);
  EXPECT_NE(unanswered.err.str().find("--resume"), std::string::npos) << unanswered.err.str();
  EXPECT_EQ(DraftFileText(), recorded);

  HeadlessOptions resume = Options(true);
  resume.previous = HeadlessOptions::PreviousDraft::Resume;
  Run resumed;
  RunServer(resume, resumed);
  EXPECT_EQ(resumed.started, kHeadlessDone) << resumed.err.str();
  EXPECT_EQ(resumed.finished, kHeadlessDone);
  EXPECT_EQ(DraftFileText(), recorded);
}

// An order file is taken as written: a name that is no team, a team named
// again, a bad setting line or a team left out is reported (a long list cut
// short) and nothing starts; --allow-missing lets only the teams left out pass.
TEST_F(HeadlessTest, AnOrderFileIsTakenAsWrittenOrNothingStarts) {
  const auto teams = league::GetTeams(league::LeaguePathOf(leagueFile_)).names;
  const fs::path orderFile = dir_ / "order.txt";
  {
    std::ofstream f(orderFile);
    f << teams[2] << "\n" << teams[1] << "\n" << teams[2] << "\nRounds: 0\n" << teams[4] << "\n";
    for (int i = 0; i <= static_cast<int>(draft::kShownNames); ++i) f << "No Such Team " << i << "\n";
  }
  HeadlessOptions o = Options(true);
  o.orderFile = orderFile.string();
  o.allowMissing = true;
  Run flawed;
  RunServer(o, flawed);
  EXPECT_EQ(flawed.started, kHeadlessBadArguments);
  for (const std::string& said :
       std::vector<std::string>{"\"No Such Team 0\"", "... and 1 more.", "again: \"" + teams[2] + "\"",
                                "\"Rounds: 0\" is refused: Rounds must be"})
    EXPECT_NE(flawed.err.str().find(said), std::string::npos) << flawed.err.str();
  EXPECT_EQ(flawed.err.str().find("No Such Team 10"), std::string::npos);

  std::ofstream(orderFile) << teams[2] << "\n" << teams[1] << "\n" << teams[4] << "\n";
  o.allowMissing = false;
  Run missing;
  RunServer(o, missing);
  EXPECT_EQ(missing.started, kHeadlessBadArguments);
  EXPECT_NE(missing.err.str().find("leaves out " + teams[3]), std::string::npos) << missing.err.str();
  EXPECT_EQ(DraftFileText(), "");

  o.allowMissing = true;
  Run allowed;
  RunServer(o, allowed);
  ASSERT_EQ(allowed.started, kHeadlessDone) << allowed.err.str();
  const std::vector<draft::Pick> picks = draft::ParseDraftFile(DraftFileText());
  ASSERT_EQ(picks.size(), 6u);  // three teams, two rounds
  for (const draft::Pick& pick : picks) EXPECT_NE(pick.team, teams[3]);
}

// The program itself: a league that cannot be loaded ends with 2, a port
// that cannot be opened with 3, a league whose draft another server runs
// with 4, and SIGTERM ends a running draft with 0.
TEST_F(HeadlessTest, TheProgramEndsWithAStatusThatSaysWhy) {
  auto status = [](const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(PKSERVER_PATH), args);
    EXPECT_TRUE(p.waitForFinished(20000));
    return p.exitCode();
  };
  EXPECT_EQ(status({u"--headless"_s, QString::fromStdString((dir_ / "NONE.LGE").string()), u"--port"_s, u"0"_s}),
            kHeadlessFailed);
  QTcpServer taken;
  ASSERT_TRUE(taken.listen(QHostAddress::Any));
  EXPECT_EQ(
      status({u"--headless"_s, QString::fromStdString(leagueFile_), u"--port"_s, QString::number(taken.serverPort())}),
      kHeadlessNoPort);

  QProcess running;
  running.start(QStringLiteral(PKSERVER_PATH),
                {u"--headless"_s, QString::fromStdString(leagueFile_), u"--port"_s, u"0"_s});
  QByteArray out;
  ASSERT_TRUE(test::WaitFor(
      [&] {
        out += running.readAllStandardOutput();
        return out.contains("listening on port");
      },
      20000));
  EXPECT_EQ(status({u"--headless"_s, QString::fromStdString(leagueFile_), u"--port"_s, u"0"_s, u"--clear"_s}),
            kHeadlessLocked);
  running.terminate();  // SIGTERM
  ASSERT_TRUE(running.waitForFinished(20000));
  EXPECT_EQ(running.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(running.exitCode(), kHeadlessDone);
  EXPECT_TRUE(running.readAllStandardOutput().contains("Stopped"));
}

// A server that was killed leaves its lock behind: the next server takes it
// over, says in its transcript which records of the draft file it set aside,
// and runs the draft.
TEST_F(HeadlessTest, TheLockOfAKilledServerIsTakenOver) {
  QProcess killed;
  killed.start(QStringLiteral(PKSERVER_PATH),
               {u"--headless"_s, QString::fromStdString(leagueFile_), u"--port"_s, u"0"_s});
  QByteArray out;
  ASSERT_TRUE(test::WaitFor(
      [&] {
        out += killed.readAllStandardOutput();
        return out.contains("listening on port");
      },
      20000));
  killed.kill();  // SIGKILL: nothing is cleaned up
  ASSERT_TRUE(killed.waitForFinished(20000));
  ASSERT_TRUE(fs::exists(dir_ / "Test League-DRAFT.LOCK"));
  std::ofstream(dir_ / "Test League-DRAFT.TXT", std::ios::binary) << "4321|Dallas Stars|Joe Other|QB|1-1\r\n";

  Run after;
  RunServer(Options(true), after);
  ASSERT_EQ(after.started, kHeadlessDone) << after.err.str();
  EXPECT_NE(after.out.str().find("1 line of the draft file"), std::string::npos) << after.out.str();
  EXPECT_EQ(draft::ParseDraftFile(DraftFileText()).size(), 8u);
}

// The Commish's lines on standard input: pause and resume the draft, give a
// pick to another team and back; anything else gets an answer, not a crash.
TEST_F(HeadlessTest, ConsoleCommandsPauseResumeAndTradePicks) {
  DraftServer engine;
  std::ostringstream out, err;
  HeadlessServer server(engine, out, err);
  server.timestamp = [] { return std::string("stamp"); };
  ASSERT_EQ(server.Start(Options(true)), kHeadlessDone) << err.str();
  ASSERT_TRUE(engine.Clock().OnClock());
  server.Command("pause");
  EXPECT_TRUE(engine.PausedByCommish());
  EXPECT_TRUE(engine.Clock().Paused());
  server.Command("pause");
  server.Command("resume");
  EXPECT_FALSE(engine.Paused());
  server.Command("trade 1-2 " + engine.Team(4).name);
  EXPECT_EQ(engine.Order().OwnerOf({1, 2}), 4);
  server.Command("trade 1-2 -");
  EXPECT_EQ(engine.Order().OwnerOf({1, 2}), 2);
  server.Command("trade 9-9 1");
  server.Command("dance");
  const std::string transcript = out.str();
  for (const char* line : {"The Commish has paused the draft.", "The draft is paused already.", "The draft goes on",
                           "Pick 1-2 goes back to", "Not traded", "Unknown command \"dance\""})
    EXPECT_NE(transcript.find(line), std::string::npos) << line << "\n" << transcript;
  server.Stop("done");
}

}  // namespace
}  // namespace pm::server
