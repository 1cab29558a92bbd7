// The merge of drafted players into the league files: the roster procedures
// on in-memory rosters, and whole merges on sample leagues read back through
// the league-file module.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "common/Common.h"
#include "common/ErrorReport.h"
#include "common/Files.h"
#include "draft/DraftBoard.h"
#include "league/FBPro.h"
#include "league/Sample.h"
#include "merge/Merge.h"
#include "merge/MergeCommand.h"
#include "protocol/Protocol.h"
#include "tests/league/LeagueTestUtil.h"
#include "tests/support/TestFolder.h"

namespace fs = std::filesystem;
using namespace pm;
using namespace pm::merge;
using league::RosterEntry;

namespace {

RosterEntry E(int pid, int jersey, int genpos) { return RosterEntry{pid, jersey, 0, genpos}; }

// A draft file's text of record lines.
std::string Lines(const std::vector<std::string>& records) {
  std::string text;
  for (const std::string& r : records) text += r + "\r\n";
  return text;
}

Jerseys JerseysOf(const TeamRoster& r) {
  Jerseys j{};
  for (const auto& g : r.groups)
    for (const auto& e : g)
      if (!e.Empty() && e.jersey <= 100) j[static_cast<std::size_t>(e.jersey)] = e.pid;
  return j;
}

// ---------------------------------------------------------------------------
// Status line and bar.

TEST(MergeProgress, StatusIsCentredWithHalvesToEven) {
  // 14 characters: 18 / 2 = 9 blanks.
  EXPECT_EQ(CentreStatus("Merge Complete"), std::string(9, ' ') + "Merge Complete");
  // 21 characters: 5.5 -> 6; 19: 6.5 -> 6; 17: 7.5 -> 8; 23: 4.5 -> 4.
  EXPECT_EQ(CentreStatus("Building team data..."), std::string(6, ' ') + "Building team data...");
  EXPECT_EQ(CentreStatus("Updating rosters..."), std::string(6, ' ') + "Updating rosters...");
  EXPECT_EQ(CentreStatus(std::string(17, 'x')), std::string(8, ' ') + std::string(17, 'x'));
  EXPECT_EQ(CentreStatus(std::string(23, 'x')), std::string(4, ' ') + std::string(23, 'x'));
  // Only the first 32 characters count, trimmed afterwards.
  EXPECT_EQ(CentreStatus("Updating rosters - Springfield Isotopes"), "Updating rosters - Springfield I");
  EXPECT_EQ(CentreStatus("  Done  "), std::string(14, ' ') + "Done");
}

TEST(MergeProgress, BarSetsClearsAndAdvancesByWholeSteps) {
  std::vector<std::pair<std::string, int>> seen;
  Progress p([&](const std::string& t, int bar) { seen.emplace_back(t, bar); });
  p.Update("a", 0, 0, 1);
  EXPECT_EQ(p.Bar(), 100);
  p.Update("a", 0, 0, 2);
  EXPECT_EQ(p.Bar(), 0);
  for (int i = 0; i < 3; ++i) p.Update("a", 100, 3, 0);
  EXPECT_EQ(p.Bar(), 99);
  p.Update("a", 100, 0, 0);  // no division by zero, no change
  EXPECT_EQ(p.Bar(), 99);
  p.Update("a", 100, 1, 0);
  EXPECT_EQ(p.Bar(), 100);  // held at the top
  EXPECT_EQ(seen.size(), 7u);
}

// ---------------------------------------------------------------------------
// Picks grouped by team.

TEST(MergePickTeams, GroupsByTeamAndCarriesGenposOfUnknownPositions) {
  std::vector<draft::Pick> picks = draft::ParseDraftFile(
      "101|Lions|A B|XX|1-1\r\n"  // unknown first: no genpos
      "102|Bears|C D|QB|1-2\r\n"
      "103|Lions|E F|WR|2-1\r\n"
      "104|Lions|G H|??|2-2\r\n"  // keeps WR's 16
      "abc|Bears|bad|K|3-1\r\n"   // not a player id
      "105|Bears|I J|K|3-2\r\n"
      "99|Ghost|too low|P|3-3\r\n");  // not a player id either
  std::vector<int> rejected;
  std::vector<std::string> named;
  auto teams = PickTeams(picks, &rejected, [&](const std::string& t) { named.push_back(t); });
  ASSERT_EQ(teams.size(), 2u);
  EXPECT_EQ(teams[0], (PickTeam{"Lions", {{1, 101, -1}, {3, 103, 16}, {4, 104, 16}}}));
  EXPECT_EQ(teams[1], (PickTeam{"Bears", {{2, 102, 0}, {6, 105, 13}}}));
  EXPECT_EQ(teams[1].items[1].index, 6);
  EXPECT_EQ(rejected, (std::vector<int>{5, 7}));
  EXPECT_EQ(named.size(), 7u);
}

TEST(MergeStage, ValuesPreselectionAndNames) {
  EXPECT_EQ(StageValue(StageChoice::NoChange), 0);
  EXPECT_EQ(StageValue(StageChoice::CollegeDraft), 1);
  EXPECT_EQ(StageValue(StageChoice::Supplemental), 4);
  EXPECT_EQ(StageValue(StageChoice::TrainingCamp), 7);
  EXPECT_EQ(PreselectedStage(0), StageChoice::CollegeDraft);
  for (int s : {1, 2, 3}) EXPECT_EQ(PreselectedStage(s), StageChoice::Supplemental);
  for (int s : {4, 5, 6}) EXPECT_EQ(PreselectedStage(s), StageChoice::TrainingCamp);
  for (int s : {7, 8, 255, -1}) EXPECT_EQ(PreselectedStage(s), StageChoice::NoChange);
  StageChoice c;
  EXPECT_TRUE(ParseStageChoice("training-camp", c));
  EXPECT_EQ(c, StageChoice::TrainingCamp);
  EXPECT_FALSE(ParseStageChoice("Training-Camp", c));
}

// ---------------------------------------------------------------------------
// Placing players on in-memory rosters.

TEST(MergePlace, QuarterbackTakesSlotTwoWithLowestFreeNumber) {
  TeamRoster r;
  r.groups[0][0] = E(200, 1, 0);
  r.groups[0][2] = E(201, 2, 15);
  r.groups[1].push_back(E(202, 4, 17));
  Jerseys j = JerseysOf(r);
  Placement p = PlacePlayer(r, j, MakeSlotRanges(), 500, 0);
  EXPECT_TRUE(p.placed);
  EXPECT_EQ(p.group, 0);
  EXPECT_EQ(p.slot, 2);
  EXPECT_EQ(p.jersey, 3);
  EXPECT_EQ(r.groups[0][1], (RosterEntry{500, 3}));
  EXPECT_EQ(j[3], 500);
  // The next quarterback finds the lineup full and goes to group 1 with 5.
  p = PlacePlayer(r, j, MakeSlotRanges(), 501, 0);
  EXPECT_EQ(p.group, 1);
  EXPECT_EQ(p.slot, 2);
  EXPECT_EQ(p.jersey, 5);
}

TEST(MergePlace, ReceiverFallsBackToElevenToNineteen) {
  TeamRoster r;
  for (int s = 6; s <= 10; ++s) r.groups[0][static_cast<std::size_t>(s - 1)] = E(300 + s, 80 + s - 6, 16);
  for (int k = 0; k < 5; ++k) r.groups[1].push_back(E(320 + k, 85 + k, 16));
  r.groups[1].push_back(E(330, 11, 0));
  Jerseys j = JerseysOf(r);
  Placement p = PlacePlayer(r, j, MakeSlotRanges(), 600, 16);
  EXPECT_EQ(p.group, 1);
  EXPECT_EQ(p.slot, 7);
  EXPECT_EQ(p.jersey, 12);
}

TEST(MergePlace, JerseyRangesAndExhaustion) {
  Jerseys j{};
  for (int n = 50; n <= 59; ++n) j[static_cast<std::size_t>(n)] = 1000 + n;
  EXPECT_EQ(JerseyProc(10, 700, j), 90);  // linebacker: second range
  EXPECT_EQ(j[90], 700);
  for (int n = 1; n <= 19; ++n) j[static_cast<std::size_t>(n)] = 2000 + n;
  EXPECT_EQ(JerseyProc(13, 701, j), 0);  // kicker: no free number
  EXPECT_EQ(JerseyProc(kNoGenpos, 702, j), 0);
  EXPECT_EQ(JerseyRange(j, 95, 120), 95);  // never beyond the table
  j[100] = 5;
  EXPECT_EQ(JerseyRange(j, 100, 140), 0);
}

TEST(MergePlace, FullTeamPlacesNobodyAndUnknownPositionGoesToReserves) {
  TeamRoster r;
  for (int s = 1; s <= 34; ++s) r.groups[0][static_cast<std::size_t>(s - 1)] = E(100 + s, 0, 0);
  Jerseys j = JerseysOf(r);
  // An unknown general position has no lineup range: reserves, jersey 0.
  Placement p = PlacePlayer(r, j, MakeSlotRanges(), 900, kNoGenpos);
  EXPECT_TRUE(p.placed);
  EXPECT_EQ(p.group, 1);
  EXPECT_EQ(p.jersey, 0);
  while (r.Count(1) < 12) r.groups[1].push_back(E(400 + r.Count(1), 0, 17));
  for (int k = 0; k < 7; ++k) r.groups[2].push_back(E(450 + k, 0, 17));
  p = PlacePlayer(r, j, MakeSlotRanges(), 901, 0);
  EXPECT_FALSE(p.placed);
  EXPECT_EQ(r.Count(1), 12);
  EXPECT_EQ(r.Count(2), 7);
}

TEST(MergeRoster, RosterFixThenSortRefillsSlotOneWithFirstQuarterback) {
  TeamRoster r;
  r.groups[0][0] = E(210, 20, 15);  // a back in the quarterback slot
  r.groups[0][1] = E(211, 7, 0);
  r.groups[0][2] = E(212, 21, 15);
  r.groups[0][3] = E(213, 22, 15);
  r.groups[0][20] = E(214, 50, league::RosterEntry{}.genpos);  // no player record: genpos unknown
  r.groups[1] = {E(220, 60, 5), E(221, 3, 0), E(222, 61, 5)};  // genpos 5: no lineup range
  r.groups[2] = {E(230, 4, 0)};
  const SlotRanges x = MakeSlotRanges();
  RosterFix(r, x);
  EXPECT_TRUE(r.groups[0][0].Empty());
  // A player of unknown genpos belongs to no lineup range: he goes to the
  // reserves like any other player out of place.
  EXPECT_TRUE(r.groups[0][20].Empty());
  ASSERT_EQ(r.Count(1), 5);
  EXPECT_EQ(r.groups[1][3].pid, 210);
  EXPECT_EQ(r.groups[1][4].pid, 214);
  SortTeamRoster(r, x);
  EXPECT_EQ(r.groups[0][0].pid, 221);    // first quarterback of group 1
  EXPECT_EQ(r.groups[0][4].pid, 210);    // the back fills his own empty slot 5
  EXPECT_TRUE(r.groups[0][20].Empty());  // no linebacker in reserve
  std::vector<int> g1;
  for (auto& e : r.groups[1]) g1.push_back(e.pid);
  // Group 1 packed, then group 2's last entry moved up.
  EXPECT_EQ(g1, (std::vector<int>{220, 222, 214, 230}));
  EXPECT_TRUE(r.groups[2].empty());
}

TEST(MergeRoster, RosterFixLeavesPlayerWhenReservesAreFull) {
  TeamRoster r;
  r.groups[0][33] = E(240, 9, 13);  // a kicker in the punter slot
  for (int k = 0; k < 12; ++k) r.groups[1].push_back(E(300 + k, 0, 17));
  for (int k = 0; k < 7; ++k) r.groups[2].push_back(E(400 + k, 0, 17));
  RosterFix(r, MakeSlotRanges());
  EXPECT_EQ(r.groups[0][33].pid, 240);
}

TEST(MergeRoster, TenPlusThreePacksToTwelvePlusOne) {
  TeamRoster r;
  for (int k = 0; k < 10; ++k) r.groups[1].push_back(E(500 + k, 0, 17));
  r.groups[2] = {E(601, 0, 17), E(602, 0, 17), E(603, 0, 17)};
  for (int s = 1; s <= 34; ++s) r.groups[0][static_cast<std::size_t>(s - 1)] = E(700 + s, 0, 99);  // nothing to fill
  SortTeamRoster(r, MakeSlotRanges());
  ASSERT_EQ(r.Count(1), 12);
  ASSERT_EQ(r.Count(2), 1);
  EXPECT_EQ(r.groups[1][10].pid, 603);
  EXPECT_EQ(r.groups[1][11].pid, 602);
  EXPECT_EQ(r.groups[2][0].pid, 601);
}

TEST(MergeLists, DrafteeDeleteTakesCollegeListFirstAndKeepsCounts) {
  IdList rookies{3, 101, 102, 101};
  IdList fa{2, 102, 103};
  EXPECT_TRUE(DrafteeDelete(rookies, fa, 102));
  EXPECT_EQ(rookies, (IdList{3, 101, 0, 101}));
  EXPECT_EQ(fa, (IdList{2, 102, 103}));
  EXPECT_TRUE(DrafteeDelete(rookies, fa, 103));
  EXPECT_EQ(fa, (IdList{2, 102, 0}));
  EXPECT_TRUE(DrafteeDelete(rookies, fa, 101));
  EXPECT_EQ(rookies, (IdList{3, 0, 0, 101}));
  EXPECT_FALSE(DrafteeDelete(rookies, fa, 999));
  // A count larger than the list is bounded.
  IdList shortList{9, 104};
  EXPECT_TRUE(ListHolds(shortList, 104));
  EXPECT_FALSE(DrafteeDelete(shortList, fa, 105));
}

// ---------------------------------------------------------------------------
// Whole merges on sample leagues.

struct SampleLeague {
  fs::path dir;
  std::string leaguePath;
  league::VersionInfo version;
  league::TeamList teams;
  std::string draftFile;

  explicit SampleLeague(const std::string& testName, int teamCount = 6) {
    dir = test::TestFolder("pkmerge-" + testName + "-" + std::to_string(std::random_device{}()));
    fs::remove_all(dir);
    league::SampleOptions o;
    o.name = "Merge League";
    o.teams = teamCount;
    o.college = 120;
    o.freeAgents = 60;
    leaguePath = league::WriteSampleLeague(TextOfPath(dir), o);
    version = league::GetVersion(leaguePath);
    teams = league::GetTeams(leaguePath);
    draftFile = TextOfPath(dir / PathOfText(version.name + "-DRAFT.TXT"));
  }
  ~SampleLeague() { fs::remove_all(dir); }

  std::string File(const char* ext) const { return league::LeagueFileName(leaguePath, ext); }
  std::string Bytes(const char* ext) const { return ReadWholeFile(File(ext)).value_or("<missing>"); }

  std::vector<std::string> TeamNames() const {
    std::vector<std::string> t;
    for (int i = 1; i <= teams.teamCount; ++i) t.push_back(teams.names[static_cast<std::size_t>(i)]);
    return t;
  }

  std::string Record(int pid, int team, const std::string& round) const {
    league::PlayerFile players(leaguePath, version.version, "test");
    auto p = players.Read(pid);
    return Num(pid) + "|" + teams.names[static_cast<std::size_t>(team)] + "|" + p->fname + " " + p->lname + "|" +
           league::PositionCaption(p->position) + "|" + round;
  }

  MergeInput Input(const std::vector<std::string>& records, StageChoice stage) const {
    std::vector<draft::Pick> picks;
    for (const std::string& r : records) picks.push_back(draft::ParsePick(r));
    return Input(picks, stage);
  }
  MergeInput Input(const std::vector<draft::Pick>& picks, StageChoice stage) const {
    MergeInput in;
    in.leaguePath = leaguePath;
    in.version = version.version;
    in.leagueName = version.name;
    in.draftFile = draftFile;
    in.picks = picks;
    in.teams = TeamNames();
    in.rookies = league::ReadCollegeList(leaguePath);
    in.faList = league::ReadFAList(leaguePath);
    in.stage = stage;
    return in;
  }

  void WriteDraftFile(const std::vector<std::string>& records) const {
    ASSERT_EQ(WriteFileAtomic(draftFile, Lines(records)), "");
  }

  // Fills every lineup and reserve place of groups 0..2 of a team.
  void FillTeam(int team) const {
    auto read = league::GetTeamRoster(leaguePath, team, version.version);
    int filler = read.roster.groups[1].empty() ? 100 : read.roster.groups[1][0].pid;
    for (auto& e : read.roster.groups[0])
      if (e.Empty()) e = RosterEntry{filler, 0, -1, -1};
    while (read.roster.Count(1) < 12) read.roster.groups[1].push_back(RosterEntry{filler, 0, -1, -1});
    while (read.roster.Count(2) < 7) read.roster.groups[2].push_back(RosterEntry{filler, 0, -1, -1});
    ASSERT_TRUE(league::FileTeamRoster(leaguePath, team, read.roster));
  }
};

std::tm FixedTime() {
  std::tm t{};
  t.tm_year = 2024 - 1900;
  t.tm_mon = 2;
  t.tm_mday = 5;
  t.tm_hour = 14;
  t.tm_min = 7;
  t.tm_sec = 9;
  return t;
}

int Occurrences(const TeamRoster& r, int pid) {
  int n = 0;
  for (const auto& g : r.groups)
    for (const auto& e : g) n += e.pid == pid;
  return n;
}

bool JerseyFits(int genpos, int jersey) {
  if (jersey == 0) return true;
  for (const league::JerseyRange& r : JerseyRanges(genpos))
    if (jersey >= r.first && jersey <= r.last) return true;
  return false;
}

int PositionOf(const SampleLeague& L, int pid) {
  league::PlayerFile players(L.leaguePath, L.version.version, "test");
  return players.Read(pid)->position;
}

TEST(MergeLeague, WholeMergePlacesKeepsAndLeavesOtherTeamsAlone) {
  SampleLeague L("whole");
  // Team 1 is full: its picks stay. Team 4 gets no pick at all.
  L.FillTeam(1);
  const std::string lgeBefore = L.Bytes(".LGE");
  const auto rookies = league::ReadCollegeList(L.leaguePath);
  const auto fa = league::ReadFAList(L.leaguePath);

  std::vector<std::string> records;
  std::map<int, int> teamOf;  // placed candidates: pid -> team
  int round = 1;
  auto add = [&](int pid, int team) {
    records.push_back(L.Record(pid, team, Num(round) + "-" + Num(team)));
    teamOf[pid] = team;
  };
  // College draftees and free agents for teams 1, 2, 3, 5, 6.
  std::vector<int> teamsPicking = {1, 2, 3, 5, 6};
  std::size_t r = 1, f = 1;
  for (; round <= 4; ++round) {
    for (int t : teamsPicking) {
      if (round == 4)
        add(fa[f++], t);
      else
        add(rookies[r++], t);
    }
  }
  records.push_back(Num(rookies[r]) + "|Nobody|X Y|QB|5-1");  // no such team
  const int ghost = rookies[r++];
  records.push_back(L.Record(rookies[2], 3, "5-2"));  // team 2's player again

  MergeInput in = L.Input(records, StageChoice::NoChange);
  MergeOptions opt;
  opt.now = FixedTime;
  std::vector<std::string> statuses;
  opt.progress = [&](const std::string& t, int) { statuses.push_back(t); };
  MergeResult res = RunMerge(in, opt);
  ASSERT_TRUE(res.ok) << res.failure;
  EXPECT_EQ(res.backupFolder.filename().string(), "Merge League-BACKUP-20240305-140709");
  EXPECT_EQ(statuses.front(), CentreStatus("Building team data..."));
  EXPECT_EQ(statuses.back(), CentreStatus("Merge Complete"));

  const auto rookiesAfter = league::ReadCollegeList(L.leaguePath);
  const auto faAfter = league::ReadFAList(L.leaguePath);
  std::set<int> listed(rookiesAfter.begin() + 1, rookiesAfter.end());
  listed.insert(faAfter.begin() + 1, faAfter.end());
  const std::vector<draft::Pick> inFile = ReadDraftFile(PathOfText(L.draftFile));
  std::set<std::string> kept;
  for (const draft::Pick& p : inFile) kept.insert(draft::PickRecord(p));
  EXPECT_EQ(res.kept, inFile);

  std::set<int> changedTeams;
  int placed = 0;
  for (const PickOutcome& o : res.outcomes) {
    if (!o.placement.placed) {
      EXPECT_TRUE(kept.count(draft::PickRecord(o.pick))) << draft::PickRecord(o.pick);
      continue;
    }
    ++placed;
    const int team = teamOf.at(o.pick.pid);
    changedTeams.insert(team);
    EXPECT_NE(team, 1);
    auto read = league::GetTeamRoster(L.leaguePath, team, L.version.version);
    EXPECT_EQ(Occurrences(read.roster, o.pick.pid), 1) << draft::PickRecord(o.pick);
    int genpos = league::GenposOf(PositionOf(L, o.pick.pid));
    EXPECT_TRUE(JerseyFits(genpos, o.placement.jersey))
        << draft::PickRecord(o.pick) << " jersey " << o.placement.jersey;
    EXPECT_FALSE(listed.count(o.pick.pid));
    EXPECT_FALSE(kept.count(draft::PickRecord(o.pick)));
  }
  // Team 1's four picks stay, and so do the unknown team's pick and the
  // repeated pick; a pick of another team stays only when his roster is full.
  int keptFull = 0;
  for (const PickOutcome& o : res.outcomes) {
    if (o.placement.placed || o.reason != "roster full") continue;
    ++keptFull;
    auto read = league::GetTeamRoster(L.leaguePath, teamOf.at(o.pick.pid), L.version.version);
    EXPECT_EQ(read.roster.Count(1), 12);
    EXPECT_EQ(read.roster.Count(2), 7);
  }
  EXPECT_GE(keptFull, 4);
  EXPECT_EQ(placed + keptFull, 20);
  EXPECT_GE(placed, 12);
  EXPECT_EQ(inFile.size(), static_cast<std::size_t>(keptFull) + 2u);
  EXPECT_TRUE(kept.count(Num(ghost) + "|Nobody|X Y|QB|5-1"));
  EXPECT_TRUE(listed.count(ghost));
  EXPECT_EQ(res.outcomes.back().reason, "not in the college draftee or free agent list");
  EXPECT_EQ(res.outcomes.back().kept, KeptReason::NotInLists);
  // The closing message gives each real reason, not "roster is full" for all.
  EXPECT_EQ(res.closingMessage,
            "Some players could not be put on teams:\r\n" + Num(keptFull) +
                " players since their roster is full.\r\n"
                "1 player since they are in neither the college draftee nor the free agent list.\r\n"
                "1 player since the league has no team of their team's name.\r\n\r\n"
                "These players still exist in file " +
                L.draftFile + ".Cut lists will be needed to enable the merging.");

  // Every byte outside the changed teams' blocks is as it was (no stage change).
  const std::string lgeAfter = L.Bytes(".LGE");
  ASSERT_EQ(lgeAfter.size(), lgeBefore.size());
  std::vector<bool> mayChange(lgeAfter.size(), false);
  for (int t : changedTeams) {
    auto off = league::FindRosterBlock(lgeAfter, t);
    ASSERT_TRUE(off);
    for (std::size_t i = 0; i < league::kRosterBlockSize; ++i) mayChange[*off + i] = true;
  }
  for (std::size_t i = 0; i < lgeAfter.size(); ++i)
    if (!mayChange[i]) {
      ASSERT_EQ(lgeAfter[i], lgeBefore[i]) << "byte " << i;
    }
  EXPECT_EQ(league::GetLeagueStage(L.leaguePath), 0);
  // No change: the lists keep their other members in order.
  std::vector<int> expectRookies;
  for (std::size_t i = 1; i < rookies.size(); ++i)
    if (!teamOf.count(rookies[i]) || !std::count_if(res.outcomes.begin(), res.outcomes.end(), [&](auto& o) {
          return o.pick.pid == rookies[i] && o.placement.placed;
        }))
      expectRookies.push_back(rookies[i]);
  EXPECT_EQ(std::vector<int>(rookiesAfter.begin() + 1, rookiesAfter.end()), expectRookies);

  // A second merge places nobody and keeps the same records.
  MergeResult again = RunMerge(L.Input(inFile, StageChoice::NoChange), opt);
  ASSERT_TRUE(again.ok);
  EXPECT_EQ(again.kept, inFile);
  EXPECT_EQ(again.backupFolder.filename().string(), "Merge League-BACKUP-20240305-140709-2");
}

// Names are made safe where they are read: players renamed "Al Smith,Jr" and
// "Bo|Bo Dee<TAB>X" and a team named "Austin, Outlaws" shift no field of a
// catch-up message, the draft list, the draft file or the board, and the
// merge puts each player on his team.
TEST(MergeLeague, NamesHoldingSeparatorsShiftNoFieldAndMerge) {
  SampleLeague L("names");
  const auto rookies = league::ReadCollegeList(L.leaguePath);
  league::test::RenamePlayer(L.leaguePath, L.version.version, rookies[1], "Al", "Smith,Jr");
  league::test::RenamePlayer(L.leaguePath, L.version.version, rookies[2], "Bo|Bo", "Dee\tX");
  league::test::RenameTeam(L.leaguePath, 2, "Austin, Outlaws");
  const std::string team = league::GetTeams(L.leaguePath).names[2];
  EXPECT_EQ(team, "Austin Outlaws");
  const league::PlayerFile players(L.leaguePath, L.version.version, "test");
  std::vector<draft::Pick> picks;
  draft::PickList list(2);
  for (int i : {1, 2}) {
    const league::Player p = *players.Read(rookies[Index(i)]);
    picks.push_back({p.pid, team, p.fname + " " + p.lname, league::PositionCaption(p.position), {1, i}});
    list.Append(picks.back());
  }
  EXPECT_EQ(picks[0].player, "Al Smith Jr");
  EXPECT_EQ(picks[1].player, "Bo Bo Dee X");
  for (const draft::Pick& pick : picks) {
    const std::string record = draft::PickRecord(pick);
    EXPECT_EQ(draft::ParsePick(record), pick) << record;
    const protocol::Message caughtUp = protocol::ParseMessage(protocol::PickRecordMessage(1, pick));
    EXPECT_EQ(draft::ParsePick(caughtUp.body, ","), pick) << caughtUp.raw;
    EXPECT_EQ(draft::DraftListFill(draft::ParsePick(caughtUp.body, ",")), draft::DraftListFill(pick));
  }
  EXPECT_EQ(draft::DraftBoard(list, 6).Csv(),
            "\xEF\xBB\xBFRound,Selection,Overall,Team,PID,Player,Position\r\n"
            "1,1,1,Austin Outlaws," +
                std::to_string(picks[0].pid) + ",Al Smith Jr," + picks[0].position + "\r\n1,2,2,Austin Outlaws," +
                std::to_string(picks[1].pid) + ",Bo Bo Dee X," + picks[1].position + "\r\n");

  L.WriteDraftFile({draft::PickRecord(picks[0]), draft::PickRecord(picks[1])});
  ASSERT_EQ(ReadDraftFile(PathOfText(L.draftFile)), picks);
  const MergeResult res = RunMerge(L.Input(picks, StageChoice::NoChange));
  ASSERT_TRUE(res.ok) << res.failure;
  const std::map<int, int> rostered = RosteredPlayers(L.leaguePath);
  for (const draft::Pick& pick : picks) EXPECT_EQ(rostered.at(pick.pid), 2) << pick.player;
}

TEST(MergeLeague, StageChoicesMoveListsAndWriteTheStageByte) {
  struct Case {
    StageChoice choice;
    int byte;
    bool intoCollege;  // free agents move to the college list
  };
  for (Case c : {Case{StageChoice::CollegeDraft, 1, true}, Case{StageChoice::Supplemental, 4, false},
                 Case{StageChoice::TrainingCamp, 7, false}, Case{StageChoice::NoChange, 0, false}}) {
    SampleLeague L("stage" + std::to_string(c.byte));
    const auto rookies = league::ReadCollegeList(L.leaguePath);
    const auto fa = league::ReadFAList(L.leaguePath);
    const int drafted = rookies[1];
    MergeOptions opt;
    opt.now = FixedTime;
    MergeResult res = RunMerge(L.Input({L.Record(drafted, 2, "1-1")}, c.choice), opt);
    ASSERT_TRUE(res.ok) << res.failure;
    EXPECT_EQ(
        res.closingMessage,
        "All players were merged successfully.\r\n\r\nRun FBPro later to ensure files are in good working order.");
    EXPECT_EQ(L.Bytes(".PYF") == "<missing>", false);
    const auto r2 = league::ReadCollegeList(L.leaguePath);
    const auto f2 = league::ReadFAList(L.leaguePath);
    std::vector<int> expectR(rookies.begin() + 2, rookies.end());
    std::vector<int> expectF(fa.begin() + 1, fa.end());
    if (c.choice == StageChoice::CollegeDraft) {
      expectR.insert(expectR.end(), expectF.begin(), expectF.end());
      expectF.clear();
    } else if (c.choice != StageChoice::NoChange) {
      expectF.insert(expectF.end(), expectR.begin(), expectR.end());
      expectR.clear();
    }
    EXPECT_EQ(std::vector<int>(r2.begin() + 1, r2.end()), expectR);
    EXPECT_EQ(std::vector<int>(f2.begin() + 1, f2.end()), expectF);
    EXPECT_EQ(league::GetLeagueStage(L.leaguePath), c.byte);
    EXPECT_TRUE(ReadDraftFile(PathOfText(L.draftFile)).empty());
  }
}

TEST(MergeLeague, StoredJerseyAboveHundredIsKeptAndNotReused) {
  SampleLeague L("jersey");
  auto read = league::GetTeamRoster(L.leaguePath, 2, L.version.version);
  // Slot 1: a quarterback wearing 200; slot 2 free; no quarterback in reserve.
  int qb1 = 0;
  for (std::size_t s : {0u, 1u})
    if (read.roster.groups[0][s].genpos == 0) qb1 = read.roster.groups[0][s].pid;
  ASSERT_NE(qb1, 0);
  read.roster.groups[0][0] = RosterEntry{qb1, 200, 0, 0};
  read.roster.groups[0][1] = RosterEntry{};
  for (std::size_t g = 1; g <= 3; ++g)
    std::erase_if(read.roster.groups[g], [](const RosterEntry& e) { return e.genpos == 0; });
  ASSERT_TRUE(league::FileTeamRoster(L.leaguePath, 2, read.roster));
  const auto rookies = league::ReadCollegeList(L.leaguePath);
  int qb = 0;
  for (std::size_t i = 1; i < rookies.size() && !qb; ++i)
    if (PositionOf(L, rookies[i]) == 0) qb = rookies[i];
  ASSERT_NE(qb, 0);
  MergeResult res = RunMerge(L.Input({L.Record(qb, 2, "1-1")}, StageChoice::NoChange), {});
  ASSERT_TRUE(res.ok) << res.failure;
  auto after = league::GetTeamRoster(L.leaguePath, 2, L.version.version);
  EXPECT_EQ(after.roster.groups[0][0].jersey, 200);
  EXPECT_EQ(after.roster.groups[0][1].pid, qb);
  EXPECT_GE(res.outcomes[0].placement.jersey, 1);
  EXPECT_LE(res.outcomes[0].placement.jersey, 19);
  fs::remove_all(res.backupFolder);
}

// Every file of the league as bytes, or absent.
std::map<std::string, std::optional<std::string>> Snapshot(const SampleLeague& L) {
  std::map<std::string, std::optional<std::string>> s;
  for (const char* ext : {".LGE", ".PYC", ".PYF", ".PYR"}) s[ext] = ReadWholeFile(L.File(ext));
  s["draft"] = ReadWholeFile(L.draftFile);
  return s;
}

TEST(MergeSafety, KilledAtEachWriteTheBackupRestoresTheLeagueExactly) {
  // Count the writes of a full merge first.
  std::vector<std::string> writes;
  std::vector<std::string> records;
  {
    SampleLeague L("count");
    auto rookies = league::ReadCollegeList(L.leaguePath);
    auto fa = league::ReadFAList(L.leaguePath);
    records = {L.Record(rookies[1], 2, "1-1"), L.Record(fa[1], 3, "1-2"), L.Record(rookies[2], 5, "1-3")};
    L.FillTeam(1);
    records.push_back(L.Record(rookies[3], 1, "1-4"));  // kept
    MergeOptions opt;
    opt.beforeWrite = [&](int, const std::string& what) {
      writes.push_back(what);
      return std::string();
    };
    ASSERT_TRUE(RunMerge(L.Input(records, StageChoice::TrainingCamp), opt).ok);
  }
  // Journal, 3 rosters, stage, 2 lists, draft file, journal removal.
  ASSERT_EQ(writes.size(), 9u);
  EXPECT_EQ(writes[0], "journal");
  EXPECT_EQ(writes[4], "stage");
  EXPECT_EQ(writes[7], "draft file");
  EXPECT_EQ(writes[8], "journal removal");

  for (int n = 1; n <= static_cast<int>(writes.size()); ++n) {
    for (bool restoreItself : {false, true}) {
      SampleLeague L("kill" + std::to_string(n) + (restoreItself ? "r" : "k"));
      L.FillTeam(1);
      L.WriteDraftFile(records);
      const auto before = Snapshot(L);
      MergeOptions opt;
      opt.restoreOnFailure = restoreItself;
      opt.beforeWrite = [n](int i, const std::string&) { return i == n ? std::string("disk full") : std::string(); };
      MergeResult res = RunMerge(L.Input(records, StageChoice::TrainingCamp), opt);
      ASSERT_FALSE(res.ok);
      EXPECT_EQ(res.errorNumber, kErrDeviceIO);
      EXPECT_NE(res.failure.find("disk full"), std::string::npos);
      EXPECT_NE(res.failure.find(ShownPath(res.backupFolder)), std::string::npos);
      // Write 1 is the journal; the league's own files change from write 3 on.
      if (n > 2 && !restoreItself) {
        EXPECT_NE(Snapshot(L), before) << "write " << n;
      }
      // Only a stop that looks like a kill leaves the journal for the next run.
      EXPECT_EQ(fs::exists(MergeJournalOf(L.leaguePath, L.version.name)), n >= 2 && !restoreItself) << n;
      if (restoreItself) {
        EXPECT_TRUE(res.restored);
      } else {
        ASSERT_EQ(RestoreBackup(res.backupFolder), "");
      }
      EXPECT_EQ(Snapshot(L), before) << "write " << n;
    }
  }
}

TEST(MergeSafety, BackupRecordsMissingFilesAndRestoreRemovesThem) {
  SampleLeague L("absent");
  fs::remove(PathOfText(L.File(".PYF")));
  const auto before = Snapshot(L);  // no draft file, no free-agent list
  auto rookies = league::ReadCollegeList(L.leaguePath);
  MergeOptions opt;
  opt.restoreOnFailure = false;
  opt.beforeWrite = [](int, const std::string& what) {
    return what == "draft file" ? std::string("stop") : std::string();
  };
  MergeResult res = RunMerge(L.Input({L.Record(rookies[1], 2, "1-1")}, StageChoice::CollegeDraft), opt);
  ASSERT_FALSE(res.ok);
  EXPECT_TRUE(fs::exists(PathOfText(L.File(".PYF"))));  // written before the stop
  ASSERT_EQ(RestoreBackup(res.backupFolder), "");
  EXPECT_EQ(Snapshot(L), before);
  EXPECT_FALSE(fs::exists(PathOfText(L.draftFile)));
  EXPECT_NE(RestoreBackup(L.dir / "no-such-backup"), "");
}

TEST(MergeSafety, MissingLeagueFileFailsBeforeWritingAnything) {
  SampleLeague L("missing");
  auto rookies = league::ReadCollegeList(L.leaguePath);
  MergeInput in = L.Input({L.Record(rookies[1], 2, "1-1")}, StageChoice::NoChange);
  fs::remove(PathOfText(L.File(".PYR")));
  MergeResult res = RunMerge(in, {});
  EXPECT_FALSE(res.ok);
  EXPECT_EQ(res.failureContext, "GetTeamRoster");
  EXPECT_EQ(res.errorNumber, kErrFileNotFound);
  EXPECT_TRUE(res.restored);
}

// Every PID on the rosters of a league, with how many places hold it.
std::map<int, int> RosterPlaces(const SampleLeague& L) {
  std::map<int, int> places;
  const std::string lge = L.Bytes(".LGE");
  for (const league::RosterChunk& chunk : league::ListRosterChunks(lge, "test")) {
    league::RosterBlock block;
    std::copy_n(lge.begin() + static_cast<std::ptrdiff_t>(chunk.offset), block.size(), block.begin());
    league::MaskRoster(chunk.team, block);
    for (int k = 1; k <= league::kRosterPlaces; ++k) {
      const int pid = block[Index(2 * k - 2)] + 256 * block[Index(2 * k - 1)];
      if (pid >= 100) ++places[pid];
    }
  }
  return places;
}

// Fill-ins aside (FillTeam repeats one player), nobody holds two places.
void ExpectEveryDrafteeOnceAtMost(const SampleLeague& L, const std::vector<std::string>& records) {
  const std::map<int, int> places = RosterPlaces(L);
  for (const std::string& r : records) {
    const int pid = draft::ParsePick(r).pid;
    auto it = places.find(pid);
    EXPECT_LE(it == places.end() ? 0 : it->second, 1) << r;
  }
}

// A merge killed at any of its writes (a power cut, a crash, the Commish
// ending it) is recognised by the next merge, which puts the league back
// from the backup first and then merges exactly once: the league ends as one
// clean merge leaves it, with no player placed twice. The next merge is
// pkleague merge, or RunMerge given the id lists read before it put the
// league back (the Merge window reads them when it opens).
TEST(MergeSafety, KilledAtAnyWriteTheNextMergePutsTheLeagueBackAndMergesOnce) {
  std::vector<std::string> records;
  std::map<std::string, std::optional<std::string>> clean;
  {
    SampleLeague L("clean");
    auto rookies = league::ReadCollegeList(L.leaguePath);
    auto fa = league::ReadFAList(L.leaguePath);
    for (int k = 1; k <= 6; ++k) records.push_back(L.Record(rookies[Index(k)], 2 + k % 4, "1-" + Num(k)));
    records.push_back(L.Record(fa[1], 3, "2-1"));
    L.FillTeam(1);
    records.push_back(L.Record(rookies[7], 1, "2-2"));  // kept: roster full
    L.WriteDraftFile(records);
    std::ostringstream out, err;
    ASSERT_EQ(MergeCommand({"--stage", "training-camp", L.File(".LGE")}, out, err), 0) << err.str();
    clean = Snapshot(L);
  }
  // Stop at write 1, 2, ... until a merge runs past its last write.
  bool pastTheLast = false;
  int n = 0;
  while (!pastTheLast) {
    ++n;
    for (bool byCommand : {true, false}) {
      SampleLeague L("rerun" + std::to_string(n) + (byCommand ? "c" : "m"));
      L.FillTeam(1);
      L.WriteDraftFile(records);
      MergeOptions opt;
      opt.restoreOnFailure = false;  // killed: nothing is put back
      bool stopped = false;
      opt.beforeWrite = [&](int i, const std::string&) {
        stopped = stopped || i == n;
        return i == n ? std::string("killed") : std::string();
      };
      const bool ok = RunMerge(L.Input(records, StageChoice::TrainingCamp), opt).ok;
      ASSERT_EQ(ok, !stopped) << n;
      if (!stopped) {
        pastTheLast = true;
        EXPECT_EQ(Snapshot(L), clean);
        continue;
      }
      const bool journal = n >= 2;
      ASSERT_EQ(fs::exists(MergeJournalOf(L.leaguePath, L.version.name)), journal);

      if (byCommand) {
        std::ostringstream out, err;
        ASSERT_EQ(MergeCommand({"--stage", "training-camp", L.File(".LGE")}, out, err), 0) << err.str();
        EXPECT_EQ(out.str().find("A merge into the Merge League league was interrupted before it finished.") == 0,
                  journal)
            << out.str();
      } else {
        MergeInput stale = L.Input(records, StageChoice::TrainingCamp);  // lists of the half-merged league
        MergeResult res = RunMerge(stale, {});
        ASSERT_TRUE(res.ok) << res.failure;
        EXPECT_EQ(res.recovery.found, journal);
        EXPECT_EQ(res.recovery.restored, journal);
        if (journal) {
          EXPECT_NE(res.recovery.message.find("put back as they were before that merge, from the backup in " +
                                              ShownPath(res.recovery.backupFolder)),
                    std::string::npos);
        }
      }
      EXPECT_EQ(Snapshot(L), clean) << "killed at write " << n << (byCommand ? " (pkleague)" : " (RunMerge)");
      EXPECT_FALSE(fs::exists(MergeJournalOf(L.leaguePath, L.version.name)));
      ExpectEveryDrafteeOnceAtMost(L, records);
    }
  }
  EXPECT_EQ(n, 11);  // journal, 4 rosters, stage, 2 lists, draft file, journal removal
}

// Should a league come with players on rosters who are still in an id list
// (a merge stopped between the rosters and the lists, its journal gone), the
// merge places none of them again: each stays in the draft file, saying why.
TEST(MergeSafety, APlayerAlreadyOnARosterIsNeverPlacedAgain) {
  SampleLeague L("guard");
  auto rookies = league::ReadCollegeList(L.leaguePath);
  std::vector<std::string> records;
  for (int k = 1; k <= 5; ++k) records.push_back(L.Record(rookies[Index(k)], k % 2 == 0 ? 2 : 3, "1-" + Num(k)));
  L.WriteDraftFile(records);
  MergeOptions opt;
  opt.restoreOnFailure = false;
  // Stop at the college list: both rosters are written, the lists are not.
  opt.beforeWrite = [](int, const std::string& what) { return what == "college list" ? "killed" : std::string(); };
  ASSERT_FALSE(RunMerge(L.Input(records, StageChoice::NoChange), opt).ok);
  fs::remove(MergeJournalOf(L.leaguePath, L.version.name));

  MergeResult again = RunMerge(L.Input(records, StageChoice::NoChange), {});
  ASSERT_TRUE(again.ok) << again.failure;
  EXPECT_FALSE(again.recovery.found);
  ASSERT_EQ(again.outcomes.size(), records.size());
  for (const PickOutcome& o : again.outcomes) {
    EXPECT_FALSE(o.placement.placed) << draft::PickRecord(o.pick);
    EXPECT_EQ(o.kept, KeptReason::AlreadyOnRoster);
    EXPECT_EQ(o.reason, "already on a roster (" + o.pick.team + ")");
  }
  ExpectEveryDrafteeOnceAtMost(L, records);
  EXPECT_EQ(ReadDraftFile(PathOfText(L.draftFile)).size(), records.size());
  EXPECT_EQ(again.closingMessage,
            "Some players could not be put on teams:\r\n"
            "5 players since they are already on a team's roster.\r\n\r\n"
            "These players still exist in file " +
                L.draftFile + ".");
}

// A journal whose backup cannot be put back stops every merge before it
// writes anything, and says what to do.
TEST(MergeSafety, AJournalWithoutItsBackupStopsTheMerge) {
  SampleLeague L("nobackup");
  auto rookies = league::ReadCollegeList(L.leaguePath);
  const std::vector<std::string> records = {L.Record(rookies[1], 2, "1-1")};
  L.WriteDraftFile(records);
  const fs::path journal = MergeJournalOf(L.leaguePath, L.version.name);
  ASSERT_EQ(WriteMergeJournal(journal, L.dir / "Merge League-BACKUP-20240305-140709"), "");
  const auto before = Snapshot(L);

  MergeResult res = RunMerge(L.Input(records, StageChoice::CollegeDraft), {});
  EXPECT_FALSE(res.ok);
  EXPECT_EQ(res.failureContext, "Merge_Recover");
  EXPECT_TRUE(res.backupFolder.empty());
  EXPECT_NE(res.failure.find("could not be put back"), std::string::npos) << res.failure;
  EXPECT_NE(res.failure.find("then remove " + ShownPath(journal)), std::string::npos) << res.failure;
  std::ostringstream out, err;
  EXPECT_EQ(MergeCommand({"--stage", "no-change", L.File(".LGE")}, out, err), 2);
  EXPECT_NE(err.str().find("could not be put back"), std::string::npos) << err.str();
  EXPECT_EQ(Snapshot(L), before);
  EXPECT_TRUE(fs::exists(journal));
}

// ---------------------------------------------------------------------------
// pkleague merge.

TEST(MergeCommandLine, MergesFromTheDraftFileAndPrintsEachPick) {
  SampleLeague L("cmd");
  auto rookies = league::ReadCollegeList(L.leaguePath);
  L.FillTeam(1);
  std::vector<std::string> records = {L.Record(rookies[1], 2, "1-1"), L.Record(rookies[2], 1, "1-2")};
  // The draft file is found whatever the case of its name.
  std::string upper = TextOfPath(L.dir / AsciiLower(L.version.name + "-DRAFT.TXT"));
  ASSERT_EQ(WriteFileAtomic(upper, Lines(records)), "");
  std::ostringstream out, err;
  int rc = MergeCommand({"--stage", "supplemental", L.File(".LGE")}, out, err);
  ASSERT_EQ(rc, 0) << err.str();
  const std::string text = out.str();
  EXPECT_NE(text.find("1-1 " + L.teams.names[2] + ": " + Num(rookies[1])), std::string::npos) << text;
  EXPECT_NE(text.find("placed in"), std::string::npos);
  EXPECT_NE(text.find("kept in the draft file (roster full)"), std::string::npos);
  EXPECT_NE(text.find("Backup of the league files: "), std::string::npos);
  EXPECT_NE(text.find("Some players could not be put on teams since their roster is full.\n\n"), std::string::npos);
  EXPECT_EQ(league::GetLeagueStage(L.leaguePath), 4);
  EXPECT_EQ(ReadDraftFile(PathOfText(upper)), std::vector<draft::Pick>{draft::ParsePick(records[1])});

  std::ostringstream o2, e2;
  EXPECT_EQ(MergeCommand({"--stage", "later", L.File(".LGE")}, o2, e2), 2);
  EXPECT_EQ(MergeCommand({L.File(".LGE")}, o2, e2), 2);
  EXPECT_EQ(MergeCommand({"--stage", "no-change", TextOfPath(L.dir / "NONE.LGE")}, o2, e2), 2);
}

}  // namespace
