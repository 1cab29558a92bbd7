// The server's league load against league folders as the Commish keeps them:
// a draft file named in other letters, the question that may clear it, a
// merge that was killed part-way, a folder whose name is not ASCII, a second
// server on the same league, a draft file that holds what is no pick of the
// league's draft, and a league whose name is no file name.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/Files.h"
#include "league/FBPro.h"
#include "league/Sample.h"
#include "merge/Merge.h"
#include "server/engine/DraftServer.h"
#include "server/ui/LeagueSelect.h"
#include "tests/support/Notices.h"
#include "widgets/Widgets.h"

namespace fs = std::filesystem;
using namespace pm;
using namespace pm::server;
using namespace Qt::StringLiterals;

namespace {

class LeagueLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("pm-load-" + std::to_string(QCoreApplication::applicationPid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    league::SampleOptions o;
    o.name = "Test League";
    o.teams = 12;
    o.college = 60;
    leaguePath_ = league::WriteSampleLeague(dir_.string(), o);
    test::RecordNotices(server_, prompter_);
    server_.SetPort(0);
    server_.Reporter().showMessage = [](const std::string&) {};
    server_.Reporter().endProgram = [] {};
  }
  void TearDown() override { fs::remove_all(dir_); }

  LoadResult Load(PreviousDraft previous = PreviousDraft::Unanswered) { return LoadIn(server_, previous); }
  LoadResult LoadIn(DraftServer& engine, PreviousDraft previous = PreviousDraft::Unanswered) const {
    return engine.LoadLeague(league::LeagueFileName(leaguePath_, ".LGE"), false, previous);
  }
  std::size_t FilesInFolder() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }
  std::string DraftFile() const { return (dir_ / "Test League-DRAFT.TXT").string(); }
  // The record of college draftee n (1-based) drafted by `team` at `label`.
  std::string Record(int n, int team, const std::string& label) const {
    const int pid = league::ReadCollegeList(leaguePath_)[Index(n)];
    const auto player = league::PlayerFile(leaguePath_, league::kVersion98, "test").Read(pid);
    return Num(pid) + "|" + league::GetTeams(leaguePath_).names[Index(team)] + "|" + player->fname + " " +
           player->lname + "|" + league::PositionCaption(player->position) + "|" + label;
  }
  std::map<std::string, std::optional<std::string>> Snapshot() const {
    std::map<std::string, std::optional<std::string>> s;
    for (const char* ext : {".LGE", ".PYC", ".PYF"}) s[ext] = ReadWholeFile(league::LeagueFileName(leaguePath_, ext));
    s["draft"] = ReadWholeFile(DraftFile());
    return s;
  }

  fs::path dir_;
  std::string leaguePath_;
  ScriptedPrompter prompter_;
  DraftServer server_;
};

// A draft in progress stops the load until the Commish answers, with
// nothing written and no port open; clearing it keeps the old file beside
// the league under a dated name before the draft file is emptied.
TEST_F(LeagueLoadTest, ADraftInProgressWaitsForTheAnswerAndClearingKeepsTheOldFile) {
  const std::string text = Record(1, 1, "1-1") + "\r\n" + Record(2, 2, "1-2") + "\r\n";
  ASSERT_EQ(WriteFileAtomic(DraftFile(), text), "");
  const LoadResult waiting = Load();
  ASSERT_EQ(waiting.status, LoadResult::Status::DraftInProgress);
  EXPECT_EQ(waiting.records, 2u);
  EXPECT_FALSE(server_.Listening() || server_.LeagueLoaded());
  EXPECT_EQ(ReadWholeFile(DraftFile()), text);
  ASSERT_TRUE(server_.ContinueLoad(PreviousDraft::Clear).Ok());
  EXPECT_TRUE(prompter_.asked.empty());
  EXPECT_EQ(ReadWholeFile(DraftFile()), "");
  EXPECT_EQ(server_.NextLabel().Text(), "1-1");
  std::vector<fs::path> kept;
  // "Test League-DRAFT-YYYYMMDD-HHMMSS.TXT"
  const auto isKeptName = [](const std::string& name) {
    const std::string lead = "Test League-DRAFT-";
    if (name.size() != lead.size() + 19 || name.rfind(lead, 0) != 0 || !name.ends_with(".TXT")) return false;
    const std::string stamp = name.substr(lead.size(), 15);
    return stamp[8] == '-' &&
           std::count_if(stamp.begin(), stamp.end(), [](char c) { return c >= '0' && c <= '9'; }) == 14;
  };
  for (const auto& entry : fs::directory_iterator(dir_))
    if (isKeptName(entry.path().filename().string())) kept.push_back(entry.path());
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(ReadWholeFile(kept[0]), text);
}

// A draft file copied from Windows as "...-draft.txt" is the league's draft:
// it is resumed, not ignored for a fresh draft at 1-1 beside it.
TEST_F(LeagueLoadTest, ADraftFileNamedInOtherLettersIsResumed) {
  const std::string lower = (dir_ / "test league-draft.txt").string();
  ASSERT_EQ(WriteFileAtomic(lower, Record(1, 11, "1-11") + "\r\n" + Record(2, 12, "1-12") + "\r\n"), "");
  ASSERT_EQ(Load().status, LoadResult::Status::DraftInProgress);
  EXPECT_NE(server_.ResumeQuestion().find("opening file " + lower + " with"), std::string::npos);
  ASSERT_TRUE(server_.ContinueLoad(PreviousDraft::Resume).Ok());
  EXPECT_EQ(server_.DraftFile(), lower);
  EXPECT_EQ(server_.Log().Count(), 2);
  EXPECT_EQ(server_.NextLabel().Text(), "2-1");
  EXPECT_FALSE(fs::exists(DraftFile()));
}

// A merge killed after writing the rosters left the league half merged. The
// next league load puts it back from the backup, says so, and only then
// reads the league and the draft file.
TEST_F(LeagueLoadTest, AnInterruptedMergeIsPutBackBeforeTheLeagueLoads) {
  const std::vector<std::string> records = {Record(1, 1, "1-1"), Record(2, 2, "1-2")};
  ASSERT_EQ(WriteFileAtomic(DraftFile(), records[0] + "\r\n" + records[1] + "\r\n"), "");
  const auto before = Snapshot();
  merge::MergeInput in;
  in.leaguePath = leaguePath_;
  in.version = league::kVersion98;
  in.leagueName = "Test League";
  in.draftFile = DraftFile();
  for (const std::string& r : records) in.picks.push_back(draft::ParsePick(r));
  const league::TeamList teams = league::GetTeams(leaguePath_);
  for (int i = 1; i <= teams.teamCount; ++i) in.teams.push_back(teams.names[Index(i)]);
  in.rookies = league::ReadCollegeList(leaguePath_);
  in.faList = league::ReadFAList(leaguePath_);
  merge::MergeOptions killed;
  killed.restoreOnFailure = false;
  killed.beforeWrite = [](int, const std::string& what) {
    return what == "free-agent list" ? "killed" : std::string();
  };
  const merge::MergeResult stopped = merge::RunMerge(in, killed);
  ASSERT_FALSE(stopped.ok);
  ASSERT_NE(Snapshot(), before);

  ASSERT_EQ(Load().status, LoadResult::Status::DraftInProgress);
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.asked[0].title, "Info");
  EXPECT_EQ(prompter_.asked[0].coding, TextCoding::Utf8);
  EXPECT_EQ(prompter_.asked[0].text,
            "A merge into the Test League league was interrupted before it finished.\r\n\r\n"
            "The league files and the draft file have been put back as they were before that merge, from the "
            "backup in " +
                stopped.backupFolder.string() + ".");
  EXPECT_NE(server_.ResumeQuestion().find("There have been 2 players drafted so far."), std::string::npos);
  ASSERT_TRUE(server_.ContinueLoad(PreviousDraft::Resume).Ok());
  EXPECT_EQ(Snapshot(), before);
  EXPECT_FALSE(fs::exists(merge::MergeJournalOf(leaguePath_, "Test League")));
  EXPECT_EQ(server_.DrafteeCount(), 60);  // both drafted players back in the college list
  EXPECT_EQ(server_.Log().Count(), 2);
}

// The Commish's pick for a team that is not signed on, as Draft Control makes it.
void PickForAbsentTeam(DraftServer& engine, int team, int pool) {
  const league::Player& p = engine.Pool().draftees[Index(pool)].player;
  ASSERT_EQ(engine.PutOnClock(team, 60, engine.NextLabel()), DraftServer::ClockResult::MustSelect);
  ASSERT_EQ(engine.CommishPick(p.pid, team, engine.NextLabel()), DraftServer::PickResult::Picked);
}

// One server at a time runs a league's draft. A second one on the same
// folder, even one told to start anew, is refused before it asks or writes
// anything; the first goes on recording into its file. Once the first
// unloads, the league is free.
TEST_F(LeagueLoadTest, ASecondServerOnTheLeagueIsRefusedAndWritesNothing) {
  const std::string text = Record(1, 1, "1-1") + "\r\n" + Record(2, 2, "1-2") + "\r\n" + Record(3, 3, "1-3") + "\r\n";
  ASSERT_EQ(WriteFileAtomic(DraftFile(), text), "");
  ASSERT_EQ(Load(PreviousDraft::Resume).status, LoadResult::Status::Loaded);
  const fs::path lock = dir_ / "Test League-DRAFT.LOCK";
  ASSERT_TRUE(fs::exists(lock));
  const std::size_t files = FilesInFolder();

  DraftServer second;
  second.SetPort(0);
  const LoadResult refused = LoadIn(second, PreviousDraft::Clear);
  EXPECT_EQ(refused.status, LoadResult::Status::InUse);
  const LoadMessage message = LoadMessageOf(refused);
  EXPECT_NE(message.text.find("league in " + dir_.string() + " is in use by another PKServer (process "),
            std::string::npos)
      << message.text;
  EXPECT_FALSE(second.LeagueLoaded() || second.Listening());
  EXPECT_EQ(ReadWholeFile(DraftFile()), text);
  EXPECT_EQ(FilesInFolder(), files);

  PickForAbsentTeam(server_, 4, 4);
  EXPECT_EQ(draft::ParseDraftFile(ReadWholeFile(DraftFile()).value_or("")).size(), 4u);

  server_.Unload();
  EXPECT_FALSE(fs::exists(lock));
  ASSERT_EQ(LoadIn(second, PreviousDraft::Clear).status, LoadResult::Status::Loaded);
  EXPECT_EQ(ReadWholeFile(DraftFile()), "");
}

// A draft file is checked against the league. Another league's record, a
// player recorded twice and a last line cut short are no picks: the Commish
// is told before anything is written, and they go to the side file beside
// the league, each with its line and why, before the draft file is
// rewritten without them.
TEST_F(LeagueLoadTest, RecordsThatAreNoPicksOfThisDraftAreMovedToTheSideFile) {
  const std::string first = Record(1, 1, "1-1"), second = Record(2, 2, "1-2");
  const std::string other = "4321|Dallas Stars|Joe Other|QB|1-3", twice = Record(1, 3, "1-3");
  const std::string cut = "316|Austin Outlaws|Dale Ad";
  ASSERT_EQ(WriteFileAtomic(DraftFile(), first + "\r\n" + other + "\r\n" + second + "\r\n" + twice + "\r\n" + cut), "");
  const LoadResult waiting = Load();
  ASSERT_EQ(waiting.status, LoadResult::Status::DraftInProgress);
  EXPECT_EQ(waiting.setAside.size(), 3u);
  const std::string side = (dir_ / "Test League-DRAFT-SETASIDE.TXT").string();
  const std::string question = server_.ResumeQuestion();
  EXPECT_NE(question.find("There have been 2 players drafted so far."), std::string::npos);
  EXPECT_NE(question.find("3 lines of this file cannot be picks of this draft (line 2: \"Dallas "
                          "Stars\" is not a team of this league). If you continue this draft, they "
                          "are moved to the file " +
                          side),
            std::string::npos)
      << question;
  ASSERT_TRUE(server_.ContinueLoad(PreviousDraft::Resume).Ok());
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.asked[0].title, "Draft File");
  EXPECT_NE(prompter_.asked[0].text.find("moved to the file " + side), std::string::npos) << prompter_.asked[0].text;
  EXPECT_EQ(server_.Log().Count(), 2);
  EXPECT_EQ(server_.NextLabel().Text(), "1-3");
  EXPECT_EQ(ReadWholeFile(DraftFile()), first + "\r\n" + second + "\r\n");
  const std::string kept = ReadWholeFile(side).value_or("");
  for (const std::string& line :
       {"Line 2 (\"Dallas Stars\" is not a team of this league): " + other,
        "Line 4 (player " + GetField(twice, 1, "|") + " was recorded already on line 1): " + twice,
        "Line 5 (the round-selection is missing or malformed): " + cut})
    EXPECT_NE(kept.find(line + "\r\n"), std::string::npos) << kept;
}

// A league named "NFL/AFL League": its files take "NFL_AFL League" and lie
// beside the league, so the lock is taken, picks are recorded and the merge
// backs the league up.
TEST(LeagueLoadNames, ALeagueWhoseNameIsNoFileNameKeepsItsFilesBesideIt) {
  QTemporaryDir base;
  league::SampleOptions o;
  o.name = "NFL/AFL League";
  o.teams = 4;
  o.college = 20;
  const std::string leaguePath = league::WriteSampleLeague(base.path().toStdString(), o);
  const fs::path folder = fs::path(leaguePath).parent_path();
  DraftServer engine;
  engine.SetPort(0);
  ASSERT_EQ(engine.LoadLeague(league::LeagueFileName(leaguePath, ".LGE"), false).status, LoadResult::Status::Loaded);
  EXPECT_TRUE(fs::exists(folder / "NFL_AFL League-DRAFT.LOCK"));
  PickForAbsentTeam(engine, 1, 1);
  EXPECT_EQ(engine.DraftFile(), (folder / "NFL_AFL League-DRAFT.TXT").string());
  EXPECT_EQ(draft::ParseDraftFile(ReadWholeFile(engine.DraftFile()).value_or("")), engine.Log().Picks());

  merge::MergeInput in;
  in.leaguePath = leaguePath;
  in.version = engine.LeagueVersion();
  in.leagueName = engine.LeagueName();
  in.draftFile = engine.DraftFile();
  in.picks = engine.Log().Picks();
  in.teams = engine.TeamNames();
  in.rookies = league::ReadCollegeList(leaguePath);
  in.faList = league::ReadFAList(leaguePath);
  const merge::MergeResult merged = merge::RunMerge(in);
  ASSERT_TRUE(merged.ok) << merged.failure;
  EXPECT_EQ(merged.backupFolder.parent_path(), folder);
  EXPECT_EQ(merged.backupFolder.filename().string().rfind("NFL_AFL League-BACKUP-", 0), 0u);
  EXPECT_TRUE(fs::exists(merged.backupFolder / "NFL_AFL League-DRAFT.TXT"));
}

// A journal whose backup is gone: the league is not loaded, and the window
// says what to do.
TEST_F(LeagueLoadTest, AMergeThatCannotBePutBackStopsTheLoad) {
  const fs::path journal = merge::MergeJournalOf(leaguePath_, "Test League");
  ASSERT_EQ(merge::WriteMergeJournal(journal, dir_ / "Test League-BACKUP-20240305-140709"), "");
  const LoadResult r = Load();
  EXPECT_EQ(r.status, LoadResult::Status::MergeNotRestored);
  EXPECT_FALSE(server_.LeagueLoaded());
  EXPECT_FALSE(server_.Listening());
  const LoadMessage m = LoadMessageOf(r);
  EXPECT_EQ(m.title, "ERROR");
  EXPECT_EQ(m.text, r.message);
  EXPECT_NE(m.text.find("could not be put back"), std::string::npos) << m.text;
  EXPECT_NE(m.text.find("then remove " + journal.string() + "."), std::string::npos) << m.text;
  EXPECT_TRUE(fs::exists(journal));
}

// A league in "Müller Liga": the league window hands the path over in the
// file-name encoding, so the league loads and the error file lies beside it,
// and every message names the folder as it is.
TEST(LeagueLoadFolders, ALeagueInAFolderWithAnAccentedNameLoadsAndIsNamedRightly) {
  QTemporaryDir base;
  const QString folder = base.filePath(u"Müller Liga"_s);
  ASSERT_TRUE(QDir().mkpath(folder));
  league::SampleOptions o;
  o.name = "Test League";
  o.teams = 4;
  o.college = 20;
  const std::string leaguePath = league::WriteSampleLeague(widgets::NativePath(folder), o);
  const QString leagueFile = widgets::ShownPath(league::LeagueFileName(leaguePath, ".LGE"));
  ASSERT_TRUE(QFile::exists(leagueFile));
  const QString draftFile = folder + u"/Test League-DRAFT.TXT"_s;
  const std::string record =
      Num(league::ReadCollegeList(leaguePath)[1]) + "|" + league::GetTeams(leaguePath).names[1] + "|B C|QB|1-1\r\n";
  ASSERT_EQ(WriteFileAtomic(widgets::NativePath(draftFile), record), "");

  DraftServer engine;
  ScriptedPrompter prompter;
  prompter.answers = {PromptAnswer::No};
  engine.SetPort(0);
  std::string shown;
  engine.Reporter().showMessage = [&](const std::string& m) { shown = m; };
  engine.Reporter().endProgram = [] {};
  // A league file the server does not recognise, in that folder: the
  // message names its path as it is.
  {
    QFile bad(folder + u"/BAD.LGE"_s);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray("L04:") + QByteArray(19, '\0') + QByteArray("Bad") + QByteArray(30, '\0'));
  }
  LeagueSelect window(engine, prompter, folder);
  window.SetFolder(folder);
  ASSERT_TRUE(window.SelectFile(u"BAD.LGE"_s));
  window.LoadSelectedFile();
  ASSERT_EQ(prompter.asked.size(), 1u);
  EXPECT_EQ(widgets::Shown(prompter.asked[0].text, prompter.asked[0].coding),
            u"Unable to determine version of the "_s + folder + u"/BAD league file. Select another league."_s);

  ASSERT_TRUE(window.SelectFile(QFileInfo(leagueFile).fileName()));
  window.LoadSelectedFile();
  ASSERT_TRUE(engine.LeagueLoaded());
  EXPECT_EQ(engine.TeamCount(), 4);
  EXPECT_EQ(engine.Log().Count(), 1);

  // The resume question names the draft file as it is.
  ASSERT_EQ(prompter.asked.size(), 2u);
  const QString question = widgets::Shown(prompter.asked[1].text, prompter.asked[1].coding);
  EXPECT_TRUE(question.contains(u"by opening file "_s + draftFile + u" with"_s)) << question.toStdString();

  // The error file is written in the league's folder, and the message names it.
  EXPECT_EQ(engine.Reporter().errorFilePath, widgets::NativePath(folder + u"/PK-ERROR.TXT"_s));
  engine.Reporter().Report("Server_Socket1_Read", kErrDeviceIO, "Device I/O error");
  EXPECT_FALSE(engine.Reporter().lastFileWriteFailed);
  EXPECT_TRUE(QFile::exists(folder + u"/PK-ERROR.TXT"_s));
  EXPECT_TRUE(QString::fromUtf8(shown).contains(u"Also, attach file "_s + folder + u"/PK-ERROR.TXT to"_s));

  // So is a draft file too long to keep.
  LoadResult refused;
  refused.status = LoadResult::Status::DraftFileRefused;
  refused.draftFile = widgets::NativePath(draftFile);
  EXPECT_TRUE(
      QString::fromUtf8(LoadMessageOf(refused).text).startsWith(u"The draft file "_s + draftFile + u" holds"_s));
}

}  // namespace
