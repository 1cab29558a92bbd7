// The draft log against its draft file on disk: what is stored is what the
// file holds, before and after every change, also when a write fails.
#include <gtest/gtest.h>

#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/Files.h"
#include "draft/DraftLog.h"
#include "tests/support/TestFolder.h"

namespace fs = std::filesystem;

namespace pm::draft {
namespace {

class DraftLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test::TestFolder("pm-draftlog-" + std::to_string(::getpid()) + "-" +
                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = TextOfPath(dir_ / "League-DRAFT.TXT");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string FileText() const { return ReadWholeFile(file_).value_or("<missing>"); }
  void Write(const std::string& text) const { std::ofstream(PathOfText(file_), std::ios::binary) << text; }

  fs::path dir_;
  std::string file_;
};

// The league the test files are checked against: four teams, PIDs 100..1100.
DraftLeague TestLeague() {
  DraftLeague league{{"Lions", "Bears", "Owls", "T"}, {}, 4};
  for (int pid = 100; pid <= 1100; ++pid) league.pids.insert(pid);
  return league;
}
const DraftLeague kLeague = TestLeague();

const Pick kA{101, "Lions", "Al Adams", "QB", {1, 1}};
const Pick kB{102, "Bears", "Bo Brown", "HB", {1, 2}};
const Pick kC{103, "Lions", "Cy Cole", "K", {1, 3}};

TEST_F(DraftLogTest, AppendsReachTheFileAndLoadBackAsTheyWereStored) {
  DraftLog log;
  ASSERT_EQ(log.Load(file_, kLeague).status, DraftLog::LoadStatus::Loaded);  // missing file: empty draft
  EXPECT_EQ(log.Count(), 0);
  EXPECT_FALSE(fs::exists(PathOfText(file_)));
  for (const Pick& p : {kA, kB, kC}) ASSERT_EQ(log.Append(p), "");
  EXPECT_EQ(FileText(), "101|Lions|Al Adams|QB|1-1\r\n102|Bears|Bo Brown|HB|1-2\r\n103|Lions|Cy Cole|K|1-3\r\n");
  EXPECT_TRUE(log.IsTaken(102));
  EXPECT_FALSE(log.IsTaken(104));

  DraftLog again;
  DraftLog::LoadResult r = again.Load(file_, kLeague);
  EXPECT_EQ(r.status, DraftLog::LoadStatus::Loaded);
  EXPECT_EQ(r.records, 3u);
  EXPECT_EQ(again.Picks(), log.Picks());
  EXPECT_EQ(again.File(), file_);
}

TEST_F(DraftLogTest, DeleteRewritesTheFileFirstAndKeepsTheSlotBlank) {
  Write("101|Lions|Al Adams|QB|1-1\r\n\r\n  \r\n102|Bears|Bo Brown|HB|1-2\n103|Lions|Cy Cole|K|1-3\r\n");
  DraftLog log;
  ASSERT_EQ(log.Load(file_, kLeague).records, 3u);
  EXPECT_EQ(log.Delete({7, 7}), DraftLog::DeleteStatus::NotFound);

  ASSERT_EQ(log.Delete({1, 2}), DraftLog::DeleteStatus::Deleted);
  EXPECT_EQ(FileText(), "101|Lions|Al Adams|QB|1-1\r\n103|Lions|Cy Cole|K|1-3\r\n");
  // The count stays and no pick moves; a blank slot reads as the next pick.
  EXPECT_EQ(log.Count(), 3);
  EXPECT_EQ(log.Slot(2), nullptr);
  EXPECT_EQ(*log.SlotFrom(2), kC);
  EXPECT_EQ(*log.SlotFrom(3), kC);
  EXPECT_EQ(log.SlotFrom(4), nullptr);
  EXPECT_FALSE(log.IsTaken(102));
  EXPECT_EQ(log.Picks(), (std::vector<Pick>{kA, kC}));
  // The next pick takes the slot after the blank.
  ASSERT_EQ(log.Append(kB), "");
  EXPECT_EQ(log.Count(), 4);
  EXPECT_EQ(*log.SlotFrom(4), kB);
}

TEST_F(DraftLogTest, FailedWritesChangeNothing) {
  DraftLog log;
  ASSERT_EQ(log.Load(file_, kLeague).status, DraftLog::LoadStatus::Loaded);
  ASSERT_EQ(log.Append(kA), "");
  ASSERT_EQ(log.Append(kB), "");
  fs::remove_all(dir_);  // the folder is gone: no write can succeed

  EXPECT_NE(log.Append(kC), "");
  std::string error;
  EXPECT_EQ(log.Delete({1, 1}, &error), DraftLog::DeleteStatus::WriteFailed);
  EXPECT_FALSE(error.empty());
  EXPECT_NE(log.Clear(), "");
  EXPECT_EQ(log.Count(), 2);
  EXPECT_EQ(log.Picks(), (std::vector<Pick>{kA, kB}));
}

TEST_F(DraftLogTest, ARefusedFileLeavesTheLogAndTheFileAlone) {
  DraftLog log;
  ASSERT_EQ(log.Load(file_, kLeague).status, DraftLog::LoadStatus::Loaded);
  ASSERT_EQ(log.Append(kA), "");

  const std::string other = TextOfPath(dir_ / "Other-DRAFT.TXT");
  std::string text;
  for (int i = 0; i <= kMaxPicks; ++i) text += PickRecord(Pick{100 + i, "T", "P", "QB", {1, 1}}) + "\r\n";
  std::ofstream(PathOfText(other), std::ios::binary) << text;
  DraftLog::LoadResult r = log.Load(other, kLeague);
  EXPECT_EQ(r.status, DraftLog::LoadStatus::TooMany);
  EXPECT_EQ(r.records, 1001u);
  EXPECT_EQ(ReadWholeFile(other), text);
  EXPECT_EQ(log.File(), file_);
  EXPECT_EQ(log.Picks(), std::vector<Pick>{kA});

  fs::create_directory(dir_ / "Folder-DRAFT.TXT");  // exists, cannot be read
  EXPECT_EQ(log.Load(TextOfPath(dir_ / "Folder-DRAFT.TXT"), kLeague).status, DraftLog::LoadStatus::Unreadable);
  EXPECT_EQ(log.File(), file_);

  // Exactly the capacity loads; the log is then full.
  text.clear();
  for (int i = 0; i < kMaxPicks; ++i)
    text += PickRecord(Pick{100 + i, "T", "P", "QB", PickLabel::FromOverall(i + 1, kLeague.teamCount)}) + "\r\n";
  std::ofstream(PathOfText(other), std::ios::binary | std::ios::trunc) << text;
  ASSERT_EQ(log.Load(other, kLeague).status, DraftLog::LoadStatus::Loaded);
  EXPECT_TRUE(log.Full());
  EXPECT_NE(log.Append(kA), "");
  EXPECT_EQ(ReadWholeFile(other), text);
}

TEST_F(DraftLogTest, ClearAndReplace) {
  Write("101|Lions|Al Adams|QB|1-1\r\n102|Bears|Bo Brown|HB|1-2\r\n");
  DraftLog log;
  ASSERT_EQ(log.Load(file_, kLeague).records, 2u);
  ASSERT_EQ(log.Delete({1, 1}), DraftLog::DeleteStatus::Deleted);

  // A merge has written the file; the log takes what it kept, no blanks.
  log.Replace({kC});
  EXPECT_EQ(log.Count(), 1);
  EXPECT_EQ(*log.SlotFrom(1), kC);
  std::vector<Pick> many(static_cast<std::size_t>(kMaxPicks) + 5, kA);
  log.Replace(many);
  EXPECT_EQ(log.Count(), kMaxPicks);

  ASSERT_EQ(log.Clear(), "");
  EXPECT_EQ(FileText(), "");
  EXPECT_EQ(log.Count(), 0);
}

// A record that cannot be a pick of the league's draft is not one: another
// league's team or player, a round-selection cut short or past the draft, a
// player or a pick recorded before. Each is set aside with its line and why.
TEST(DraftRecords, RecordsThatAreNoPicksOfTheDraftAreSetAsideWithTheirReasons) {
  const std::vector<DraftRecord> records = ParseDraftRecords(
      "\xEF\xBB\xBF"
      "101|Lions|Al Adams|QB|1-1\r\n"
      "\r\n"
      "102|Packers|Bo Brown|HB|1-2\r\n"
      "5000|Bears|Bo Brown|HB|1-2\r\n"
      "103|Bears|Cy Cole|K|1-5\r\n"
      "104|Bears|Cy Cole|K|251-1\r\n"
      "101|Bears|Al Adams|QB|1-2\r\n"
      "105|Bears|Di Dee|WR|1-1\r\n"
      "102|Bears|Bo Brown|HB|1-2\n"
      "316|Owls|Dale Ad");
  const CheckedRecords checked = CheckDraftRecords(records, kLeague);
  EXPECT_EQ(checked.picks, (std::vector<Pick>{kA, kB}));
  const std::vector<SetAsideRecord> expected = {
      {3, "102|Packers|Bo Brown|HB|1-2", "\"Packers\" is not a team of this league"},
      {4, "5000|Bears|Bo Brown|HB|1-2", "player 5000 is not a draftee of this draft"},
      {5, "103|Bears|Cy Cole|K|1-5", "pick 1-5 does not fit a draft of 4 teams"},
      {6, "104|Bears|Cy Cole|K|251-1", "pick 251-1 does not fit a draft of 4 teams"},
      {7, "101|Bears|Al Adams|QB|1-2", "player 101 was recorded already on line 1"},
      {8, "105|Bears|Di Dee|WR|1-1", "pick 1-1 was recorded already on line 1"},
      {10, "316|Owls|Dale Ad", "the round-selection is missing or malformed"},
  };
  EXPECT_EQ(checked.setAside, expected);
}

// Loading writes nothing; the records set aside go to the side file, flushed,
// before the draft file is rewritten without them. A side file that cannot
// be written leaves the draft file as it was.
TEST_F(DraftLogTest, RecordsSetAsideAreKeptInTheSideFileBeforeTheDraftFileLosesThem) {
  const std::string text = "101|Lions|Al Adams|QB|1-1\r\n316|Owls|Dale Ad\r\n102|Bears|Bo Brown|HB|1-2";
  Write(text);
  DraftLog log;
  const DraftLog::LoadResult r = log.Load(file_, kLeague);
  ASSERT_EQ(r.setAside.size(), 1u);
  EXPECT_EQ(log.Picks(), (std::vector<Pick>{kA, kB}));
  EXPECT_EQ(FileText(), text);

  EXPECT_NE(log.MoveSetAside(r.setAside, TextOfPath(dir_), {}), "");  // a folder: no side file
  EXPECT_EQ(FileText(), text);

  std::tm when{};
  when.tm_year = 2024 - 1900;
  when.tm_mday = 5;
  const std::string side = SetAsideFileIn(TextOfPath(dir_), "League");
  EXPECT_EQ(side, TextOfPath(dir_ / "League-DRAFT-SETASIDE.TXT"));
  ASSERT_EQ(log.MoveSetAside(r.setAside, side, when), "");
  const std::string batch =
      "Set aside from the draft file on 2024-01-05 00:00:00:\r\n"
      "Line 2 (the round-selection is missing or malformed): 316|Owls|Dale Ad\r\n";
  EXPECT_EQ(ReadWholeFile(side), batch);
  EXPECT_EQ(FileText(), DraftFileText({kA, kB}));
  // A later batch is added, never written over an earlier one.
  ASSERT_EQ(log.MoveSetAside(r.setAside, side, when), "");
  EXPECT_EQ(ReadWholeFile(side), batch + "\r\n" + batch);
  ASSERT_EQ(log.Append(kC), "");
  EXPECT_EQ(FileText(), DraftFileText({kA, kB, kC}));
}

// Editors often save without a final line break. The next pick must start a
// line of its own: glued to the last line it would be lost with it (the
// line reads as one pick) and the label after a restart would jump.
TEST_F(DraftLogTest, APickAfterALastLineWithoutItsBreakStartsALineOfItsOwn) {
  Write("101|Lions|Al Adams|QB|1-1\r\n102|Bears|Bo Brown|HB|1-2");
  DraftLog log;
  ASSERT_EQ(log.Load(file_, kLeague).records, 2u);
  ASSERT_EQ(log.Append(kC), "");
  EXPECT_EQ(FileText(), "101|Lions|Al Adams|QB|1-1\r\n102|Bears|Bo Brown|HB|1-2\r\n103|Lions|Cy Cole|K|1-3\r\n");
  DraftLog again;
  ASSERT_EQ(again.Load(file_, kLeague).records, 3u);
  EXPECT_EQ(again.Picks(), (std::vector<Pick>{kA, kB, kC}));

  // A file whose lines end in LF alone already ends a line: nothing is added.
  Write("101|Lions|Al Adams|QB|1-1\n");
  ASSERT_EQ(log.Load(file_, kLeague).records, 1u);
  ASSERT_EQ(log.Append(kB), "");
  EXPECT_EQ(FileText(), "101|Lions|Al Adams|QB|1-1\n102|Bears|Bo Brown|HB|1-2\r\n");
}

// A draft file copied from Windows may carry its name in other letters; it is
// the league's draft all the same (compared by contents: Windows finds either).
TEST_F(DraftLogTest, TheDraftFileIsFoundWhateverTheCaseOfItsName) {
  EXPECT_EQ(DraftFileIn(TextOfPath(dir_), "League"), TextOfPath(dir_ / "League-DRAFT.TXT"));  // none yet
  std::ofstream(dir_ / "league-draft.txt", std::ios::binary) << "101|Lions|Al Adams|QB|1-1\r\n";
  DraftLog log;
  ASSERT_EQ(log.Load(DraftFileIn(TextOfPath(dir_), "League"), kLeague).records, 1u);
  EXPECT_EQ(log.Picks(), std::vector<Pick>{kA});
}

// A draft the Commish clears is kept first, beside the league, under a dated
// name that no later clearing overwrites.
TEST_F(DraftLogTest, AClearedDraftIsKeptUnderADatedName) {
  std::tm when{};
  when.tm_year = 2024 - 1900;
  when.tm_mon = 2;
  when.tm_mday = 5;
  when.tm_hour = 14;
  when.tm_min = 7;
  when.tm_sec = 9;
  const std::string kept = KeptDraftFileName(TextOfPath(dir_), "League", when);
  EXPECT_EQ(kept, TextOfPath(dir_ / "League-DRAFT-20240305-140709.TXT"));
  const std::string text = "101|Lions|Al Adams|QB|1-1\r\n102|Bears|Bo Brown|HB|1-2";
  Write(text);
  DraftLog log;
  ASSERT_EQ(log.Load(file_, kLeague).records, 2u);
  ASSERT_EQ(log.KeepCopy(kept), "");
  ASSERT_EQ(log.Clear(), "");
  EXPECT_EQ(ReadWholeFile(kept), text);
  EXPECT_EQ(FileText(), "");
  EXPECT_EQ(KeptDraftFileName(TextOfPath(dir_), "League", when),
            TextOfPath(dir_ / "League-DRAFT-20240305-140709-2.TXT"));
}

}  // namespace
}  // namespace pm::draft
