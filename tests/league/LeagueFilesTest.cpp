#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>

#include "league/FBPro.h"
#include "league/Sample.h"
#include "tests/league/LeagueTestUtil.h"

namespace fs = std::filesystem;
using namespace pm::league;
using pm::Index;
using pm::PathOfText;
using namespace pm::league::test;

namespace {

Player MakePlayer(int pid, const std::string& f, const std::string& l, int position) {
  Player p;
  p.pid = pid;
  p.fname = f;
  p.lname = l;
  p.position = position;
  p.genpos = GenposOf(position) < 0 ? 0 : GenposOf(position);
  p.AC = 11;
  p.AG = 12;
  p.DI = 13;
  p.EN = 14;
  p.HA = 15;
  p.INN = 16;
  p.SP = 17;
  p.ST = 18;
  p.YR = 3;
  p.extra = {1, 2, 3, 4, 5, 6, 7, 255};
  p.value23 = 0x1234;
  return p;
}

// A player file with the given players at their PIDs (gaps left zero).
std::string PlayerFileBytes(int16_t version, const std::vector<Player>& players, int a = 77, int b = 13) {
  const int r = RecordSize(version);
  ByteTables t = MakeRecordTables(a, b);
  int maxPid = 99;
  for (const auto& p : players) maxPid = std::max(maxPid, p.pid);
  std::string bytes(static_cast<std::size_t>((maxPid - 98) * r), '\0');
  bytes[0] = static_cast<char>(a);
  bytes[1] = static_cast<char>(b);
  for (const auto& p : players) bytes.replace(Index((p.pid - 99) * r), Index(r), EncodePlayer(p, t, r));
  return bytes;
}

}  // namespace

// ---------------------------------------------------------------------------

TEST(LeagueUtil, PathsAndCaptions) {
  EXPECT_EQ(LeaguePathOf("/data/lg/BIG.LGE"), "/data/lg/BIG");
  EXPECT_EQ(LeaguePathOf("big.lge"), "big");
  TempDir dir;
  WriteFile(dir / "Name.Pyr", "x");
  EXPECT_EQ(ReadFile(LeagueFileName(dir / "NAME", ".PYR")), "x");
  // Compared as paths: the separators may differ on Windows.
  EXPECT_EQ(PathOfText(LeagueFileName(dir / "name", ".pyc")), PathOfText(dir / "name.pyc"));  // missing: as given

  for (int i = 0; i < kShownPositions; ++i) EXPECT_EQ(PositionCode(PositionCaption(i)), i);
  EXPECT_EQ(PositionCaption(15), "");
  EXPECT_EQ(PositionCaption(-1), "");
  EXPECT_EQ(PositionCode("qb"), -1);
  EXPECT_EQ(GenposOf(0), 0);
  EXPECT_EQ(GenposOf(1), 15);
  EXPECT_EQ(GenposOf(3), 16);
  EXPECT_EQ(GenposOf(7), 17);
  EXPECT_EQ(GenposOf(9), 18);
  EXPECT_EQ(GenposOf(10), 10);
  EXPECT_EQ(GenposOf(12), 19);
  EXPECT_EQ(GenposOf(14), 14);
  EXPECT_EQ(GenposOf(15), -1);
}

TEST(LeagueChunks, FindChunkSkipsFalseStartsAndConsumedBytes) {
  EXPECT_EQ(FindChunk("xxT01:yy", 'T'), 6u);
  EXPECT_EQ(FindChunk("T0", 'T'), std::nullopt);  // cut before the tag ends
  EXPECT_EQ(FindChunk("T0a", 'T'), std::nullopt);
  EXPECT_EQ(FindChunk("T0ab T0c:", 'T'), 9u);         // fourth byte not ":"
  EXPECT_EQ(FindChunk("TT0x:", 'T'), std::nullopt);   // second T consumed by the failed match
  EXPECT_EQ(FindChunk("T0T0x:", 'T'), std::nullopt);  // "T0" then "T0" consumed as the two bytes
  EXPECT_EQ(FindChunk("R01:abR02:", 'R', 4), 10u);    // scanning on from a position
  EXPECT_EQ(FindChunk("", 'L'), std::nullopt);
}

TEST(LeagueHeader, VersionCodesAndName) {
  EXPECT_EQ(DecodeVersion(LeagueChunk('3', "Big League")).version, 98);
  EXPECT_EQ(DecodeVersion(LeagueChunk('1', "Big League")).version, 95);
  EXPECT_EQ(DecodeVersion(LeagueChunk('2', "Big League")).version, 9697);
  VersionInfo v = DecodeVersion(LeagueChunk('9', "Big League"));
  EXPECT_EQ(v.version, 0);
  EXPECT_EQ(v.name, "Big League");

  // Stray "L" and "L0" and a tag whose fourth byte is wrong come first.
  v = DecodeVersion("xL L0 L03x" + LeagueChunk('3', "Found"));
  EXPECT_EQ(v.version, 98);
  EXPECT_EQ(v.name, "Found");

  // 25 characters without a zero byte; the 26th is not read.
  std::string name25 = "ABCDEFGHIJKLMNOPQRSTUVWXY";
  v = DecodeVersion(LeagueChunk('3', name25 + "Z") + "tail");
  EXPECT_EQ(v.name, name25);
}

TEST(LeagueHeader, VersionFailures) {
  try {
    DecodeVersion("no league tag here at all, long enough to skip nineteen bytes");
    FAIL() << "expected a failure";
  } catch (const LeagueError& e) {
    EXPECT_EQ(e.context, "GetVersion");
    EXPECT_EQ(e.number, 62);
  }
  // A name running into the end of the file without its zero byte.
  EXPECT_THROW(DecodeVersion(LeagueChunk('3', "Name").substr(0, 26)), LeagueError);
  TempDir dir;
  try {
    GetVersion(dir / "MISSING");
    FAIL();
  } catch (const LeagueError& e) {
    EXPECT_EQ(e.number, 53);
    EXPECT_EQ(e.context, "GetVersion");
    EXPECT_STREQ(e.what(), "File not found");
  }
}

TEST(LeagueHeader, TeamsAndStage) {
  std::string lge = LeagueChunk('3', "L", 5) + TeamChunk(1, 2, "Boston Bulldogs") +
                    TeamChunk(2, 1, std::string("Ri#o") + "\x01" + "Hidden") + TeamChunk(3, 32, "Sixteen letters.");
  TeamList t = DecodeTeams(lge);
  EXPECT_EQ(t.teamCount, 3);
  EXPECT_EQ(t.names[2], "Boston Bulldogs");
  EXPECT_EQ(t.names[1], "Rio");  // "#" dropped, value 1 ends the name
  EXPECT_EQ(t.names[32], "Sixteen letters.");
  EXPECT_EQ(t.names[3], "");

  TempDir dir;
  WriteFile(dir / "lg.lge", lge);
  EXPECT_EQ(GetTeams(dir / "LG").teamCount, 3);
  EXPECT_EQ(GetLeagueStage(dir / "LG"), 5);

  EXPECT_EQ(DecodeTeams(LeagueChunk('3', "none")).teamCount, 0);
  try {
    DecodeTeams(LeagueChunk('3', "x") + TeamChunk(1, 33, "Too High"));
    FAIL();
  } catch (const LeagueError& e) {
    EXPECT_EQ(e.context, "GetTeams");
    EXPECT_EQ(e.number, 9);
  }
  std::string many = LeagueChunk('3', "x");
  for (int i = 1; i <= 33; ++i) many += TeamChunk(i, 1 + i % 5, "Same Numbers");
  EXPECT_THROW(DecodeTeams(many), LeagueError);  // 33 chunks cannot be addressed 1..33
  try {
    DecodeTeams(TeamChunk(1, 1, "Cut Short Name").substr(0, 70));
    FAIL();
  } catch (const LeagueError& e) {
    EXPECT_EQ(e.number, 62);
  }
}

// ---------------------------------------------------------------------------

TEST(PlayerRecords, ByteTables) {
  ByteTables t = MakeRecordTables(5, 2);
  EXPECT_EQ(t.place[0], 5);
  EXPECT_EQ(t.place[2], 6);
  EXPECT_EQ(t.place[254], 132);
  EXPECT_EQ(t.place[1], 133);  // the walk wraps onto the first free entry
  EXPECT_EQ(t.place[255], 4);  // the 256th placement
  for (int a : {0, 1, 128, 255}) {
    for (int b : {0, 1, 2, 7, 128, 255}) {
      ByteTables x = MakeRecordTables(a, b);  // A = 0 must finish too
      std::set<int> values(x.place.begin(), x.place.end());
      ASSERT_EQ(values.size(), 256u) << a << "," << b;
      EXPECT_EQ(*values.begin(), 0);
      for (int s = 0; s < 256; ++s) {
        EXPECT_EQ(x.inverse[Index(x.place[Index(s)])], s);
        EXPECT_EQ(x.decode[Index(x.encode[Index(s)])], s);
      }
    }
  }
  ByteTables id = MakeRecordTables(0, 0);
  for (int s = 0; s < 256; ++s) EXPECT_EQ(id.decode[Index(s)], s);
}

TEST(PlayerRecords, BothSizesAndNameOffsets) {
  for (int16_t version : {kVersion95, kVersion9697, kVersion98}) {
    Player a = MakePlayer(100, "Abcdefghijklm", "White", 4);  // 13 letters, no zero byte
    Player b = MakePlayer(102, "Stan", "Longlastnamex", 19);
    b.pid = 102;
    std::string bytes = PlayerFileBytes(version, {a, b});
    EXPECT_EQ(bytes.size(), static_cast<std::size_t>(4 * RecordSize(version)));
    PlayerFile file = PlayerFile::FromBytes(bytes, version, "test");
    EXPECT_EQ(file.Read(100), a);
    EXPECT_EQ(file.Read(102), b);
    EXPECT_EQ(file.Read(103), std::nullopt);  // past the end
    EXPECT_EQ(file.Read(0), std::nullopt);
    EXPECT_EQ(file.Read(99), std::nullopt);
    // Read with the other record size the data comes out wrong.
    int16_t other = version == kVersion98 ? kVersion95 : kVersion98;
    EXPECT_NE(PlayerFile::FromBytes(bytes, other, "test").Read(102), b);
  }
  EXPECT_EQ(RecordSize(98), 60);
  EXPECT_EQ(RecordSize(95), 51);
  EXPECT_EQ(RecordSize(9697), 51);

  // The plain layout: PID at 0..1, first name from byte 2, last name from 15.
  ByteTables id = MakeRecordTables(0, 0);
  uint8_t raw[51] = {};
  raw[0] = 0x39;
  raw[1] = 0x30;  // 12345
  std::memcpy(raw + 2, "Stan", 4);
  std::memcpy(raw + 15, "White\0xx", 8);
  raw[28] = 9;
  raw[35] = 8;
  raw[36] = 1;
  raw[37] = 1;
  raw[40] = 17;
  raw[41] = 6;
  for (int i = 42; i <= 50; ++i) raw[i] = static_cast<uint8_t>(i);
  Player p = DecodePlayer(raw, id);
  EXPECT_EQ(p.pid, 12345);
  EXPECT_EQ(p.fname, "Stan");
  EXPECT_EQ(p.lname, "White");
  EXPECT_EQ(p.position, 6);
  EXPECT_EQ((std::array{p.AC, p.AG, p.DI, p.EN, p.HA, p.INN, p.SP, p.ST, p.YR}),
            (std::array{42, 43, 44, 45, 46, 47, 48, 49, 50}));
  EXPECT_EQ(p.extra, (std::array<uint8_t, 8>{9, 0, 0, 0, 0, 0, 0, 8}));
  EXPECT_EQ(p.genpos, 17);
  EXPECT_EQ(p.value23, 257);
}

TEST(PlayerRecords, IncompleteHeaderFails) {
  try {
    PlayerFile::FromBytes(std::string(59, '\0'), kVersion98, "GetFA");
    FAIL();
  } catch (const LeagueError& e) {
    EXPECT_EQ(e.context, "GetFA");
    EXPECT_EQ(e.number, 62);
  }
  EXPECT_NO_THROW(PlayerFile::FromBytes(std::string(51, '\0'), kVersion95, "GetFA"));
}

// ---------------------------------------------------------------------------

TEST(IdLists, QuietReadingRules) {
  EXPECT_EQ(DecodeIdList(""), IdList{0});
  EXPECT_EQ(DecodeIdList("PPD:\x02\0\0\0\x01"), IdList{0});  // header cut short
  EXPECT_EQ(DecodeIdList(IdFile(2, {101, 102})), (IdList{2, 101, 102}));

  std::vector<unsigned> many;
  for (unsigned i = 0; i < 300; ++i) many.push_back(1000 + i);
  std::string longFile = IdFile(300, many);
  EXPECT_EQ(longFile[8], 44);
  EXPECT_EQ(longFile[9], 1);
  IdList l = DecodeIdList(longFile);
  ASSERT_EQ(l.size(), 301u);
  EXPECT_EQ(l[0], 300);
  EXPECT_EQ(l[300], 1299);

  // Count larger than the ids present: only the ids present.
  EXPECT_EQ(DecodeIdList(IdFile(10, {101, 102, 103})), (IdList{3, 101, 102, 103}));
  // More ids than the count: cut to the count.
  EXPECT_EQ(DecodeIdList(IdFile(2, {101, 102, 103})), (IdList{2, 101, 102}));
  // An odd trailing byte: padded up to the count with removed entries.
  EXPECT_EQ(DecodeIdList(IdFile(5, {101, 102, 103}, true)), (IdList{5, 101, 102, 103, 0, 0}));
  EXPECT_EQ(DecodeIdList(IdFile(3, {101, 102, 103}, true)), (IdList{3, 101, 102, 103}));
  // An id above 32767 stops the reading.
  EXPECT_EQ(DecodeIdList(IdFile(4, {101, 40000, 103})), (IdList{4, 101, 0, 0, 0}));

  TempDir dir;
  EXPECT_EQ(ReadCollegeList(dir / "NONE"), IdList{0});
  WriteFile(dir / "lg.pyf", IdFile(1, {555}));
  EXPECT_EQ(ReadFAList(dir / "LG"), (IdList{1, 555}));
}

TEST(IdLists, WritersDropRemovedEntries) {
  TempDir dir;
  WriteFile(dir / "LG.PYC", "old contents");
  IdList rookies{5, 101, 0, 300, 0, 32767};
  FileCollegeList(dir / "LG", rookies);
  std::string bytes = ReadFile(dir / "LG.PYC");
  ASSERT_EQ(bytes.size(), 16u);
  EXPECT_EQ(bytes, std::string("PPD:") + Word(8) + Word(0) + Word(3) + Word(101) + Word(300) + Word(32767));
  EXPECT_EQ(rookies, (IdList{3, 101, 300, 32767}));
  EXPECT_EQ(ReadCollegeList(dir / "LG"), rookies);
  EXPECT_FALSE(fs::exists(PathOfText(dir / "LG.PYC.pm-new")));

  IdList fa{2, 0, 0};
  FileFAList(dir / "LG", fa);
  EXPECT_EQ(ReadFile(dir / "LG.PYF"), std::string("PPD:") + Word(2) + Word(0) + Word(0));
  EXPECT_EQ(fa, IdList{0});
}

TEST(IdLists, WriterFailureKeepsListAndOldFile) {
  TempDir dir;
  WriteFile(dir / "LG.PYC", IdFile(1, {101}));
  // The new file cannot be created beside the old one (a folder is in the way).
  fs::create_directory(PathOfText(dir / "LG.PYC.pm-new"));
  IdList rookies{2, 0, 102};
  try {
    FileCollegeList(dir / "LG", rookies);
    ADD_FAILURE() << "expected a failure";
  } catch (const LeagueError& e) {
    EXPECT_EQ(e.context, "FileCollegeList");
    EXPECT_EQ(e.number, 75);
  }
  EXPECT_EQ(rookies, (IdList{2, 0, 102}));
  EXPECT_EQ(ReadCollegeList(dir / "LG"), (IdList{1, 101}));
}

// ---------------------------------------------------------------------------

TEST(DrafteePoolTest, FreeAgentsFollowEachPositionInIndexOrder) {
  TempDir dir;
  std::vector<Player> players = {MakePlayer(100, "Q", "One", 0),   MakePlayer(101, "W", "Two", 4),
                                 MakePlayer(102, "Q", "Three", 0), MakePlayer(103, "F", "Four", 4),
                                 MakePlayer(104, "F", "Five", 0),  MakePlayer(105, "F", "Six", 19),
                                 MakePlayer(106, "F", "Seven", 4)};
  WriteFile(dir / "LG.PYR", PlayerFileBytes(kVersion9697, players));
  WriteFile(dir / "LG.PYC", IdFile(4, {102, 101, 0, 100}));         // a removed entry is left out
  WriteFile(dir / "LG.PYF", IdFile(5, {106, 105, 104, 103, 900}));  // 900 has no record

  DrafteePool college = GetCollege(dir / "LG", kVersion9697);
  EXPECT_EQ(college.Count(), 3);
  EXPECT_EQ(college.positionIndex[0], (std::vector<int>{1, 3}));

  DrafteePool pool = LoadPool(dir / "LG", kVersion9697, true);
  EXPECT_EQ(pool.collegeCount, 3);
  ASSERT_EQ(pool.Count(), 7);
  std::vector<int> order;
  for (int i = 1; i <= pool.Count(); ++i) order.push_back(pool.draftees[Index(i)].player.pid);
  // College in list order, then free agents by position code: 0, 4, 19.
  EXPECT_EQ(order, (std::vector<int>{102, 101, 100, 104, 106, 103, 105}));
  EXPECT_EQ(pool.positionIndex[0], (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(pool.positionIndex[4], (std::vector<int>{2, 5, 6}));
  EXPECT_EQ(pool.positionIndex[19], (std::vector<int>{7}));
  EXPECT_EQ(pool.draftees[1], (Draftee{players[2], 0}));
  EXPECT_EQ(pool.draftees[7], (Draftee{players[5], 1}));

  DrafteePool noFa = LoadPool(dir / "LG", kVersion9697, false);
  EXPECT_EQ(noFa.Count(), 3);
}

TEST(DrafteePoolTest, BadPositionCodesAndMissingFiles) {
  TempDir dir;
  WriteFile(dir / "LG.PYR", PlayerFileBytes(kVersion98, {MakePlayer(100, "A", "B", 20)}));
  WriteFile(dir / "LG.PYF", IdFile(1, {100}));
  WriteFile(dir / "LG.PYC", IdFile(1, {100}));
  for (auto [context, load] : {std::pair{"GetFA", &GetFA}, std::pair{"GetCollege", &GetCollege}}) {
    try {
      load(dir / "LG", kVersion98);
      ADD_FAILURE() << context;
    } catch (const LeagueError& e) {
      EXPECT_EQ(e.context, context);
      EXPECT_EQ(e.number, 9);
    }
  }
  fs::remove(PathOfText(dir / "LG.PYR"));
  try {
    GetFA(dir / "LG", kVersion98);
    ADD_FAILURE();
  } catch (const LeagueError& e) {
    EXPECT_EQ(e.number, 53);
  }
  // Empty lists never open the player file.
  WriteFile(dir / "LG.PYF", IdFile(0, {}));
  fs::remove(PathOfText(dir / "LG.PYC"));
  EXPECT_EQ(LoadPool(dir / "LG", kVersion98, true).Count(), 0);
}

// ---------------------------------------------------------------------------

TEST(Rosters, MaskIsItsOwnInverseAndKeyedByTeam) {
  for (int n = 0; n <= 40; ++n) EXPECT_EQ(RosterSeed(n), (105 * n) % 256) << n;
  RosterBlock values;
  for (int i = 0; i < kRosterBlockSize; ++i) values[Index(i)] = static_cast<uint8_t>(i * 37 + 11);
  for (int team : {0, 1, 7, 31, 32}) {
    RosterBlock v = values;
    MaskRoster(team, v);
    if (team != 0) {
      EXPECT_NE(v, values);
    }
    MaskRoster(team, v);
    EXPECT_EQ(v, values);
  }
  RosterBlock zero{};
  MaskRoster(3, zero);
  EXPECT_EQ(zero[0], 59);
  EXPECT_EQ(zero[1], 60);
  EXPECT_EQ(zero[188], static_cast<uint8_t>((59 + 188) % 256));
  int lo, hi;
  SplitWord(12345, lo, hi);
  EXPECT_EQ(lo, 57);
  EXPECT_EQ(hi, 48);
}

class RosterFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    players = {MakePlayer(100, "Q", "B", 0), MakePlayer(101, "H", "B", 2), MakePlayer(102, "W", "R", 4),
               MakePlayer(103, "K", "K", 13), MakePlayer(104, "L", "B", 10)};
    WriteFile(dir / "LG.PYR", PlayerFileBytes(kVersion98, players));
    block = RosterBlock{};
    SetPlace(block, 1, 100, 12);
    SetPlace(block, 2, 101, 22);
    SetPlace(block, 3, 50, 0);      // a PID below 100 is an empty place
    SetPlace(block, 8, 102, 150);   // a jersey above 100
    SetPlace(block, 37, 103, 3);    // group 1 with a hole in front
    SetPlace(block, 47, 104, 55);   // group 2
    SetPlace(block, 60, 40000, 9);  // group 3, a PID beyond the player file
    other = RosterBlock{};
    SetPlace(other, 5, 104, 77);
    lge = LeagueChunk('3', "Lg") + TeamChunk(1, 1, "One") + TeamChunk(2, 2, "Two") + MakeRosterChunk(2, other) +
          MakeRosterChunk(1, block) + "trailer";
    WriteFile(dir / "LG.LGE", lge);
  }
  TempDir dir;
  std::vector<Player> players;
  RosterBlock block, other;
  std::string lge;
};

TEST_F(RosterFileTest, ReadsGroupsAndJerseys) {
  TeamRosterRead r = GetTeamRoster(dir / "LG", 1, kVersion98);
  ASSERT_TRUE(r.found);
  EXPECT_EQ(r.block, block);
  const auto& g = r.roster.groups;
  ASSERT_EQ(g[0].size(), 34u);
  EXPECT_EQ(g[0][0], (RosterEntry{100, 12, 0, 0}));
  EXPECT_EQ(g[0][1], (RosterEntry{101, 22, 2, 15}));
  EXPECT_EQ(g[0][2], RosterEntry{});
  EXPECT_EQ(g[0][7].jersey, 150);
  ASSERT_EQ(g[1].size(), 1u);  // packed
  EXPECT_EQ(g[1][0].pid, 103);
  ASSERT_EQ(g[2].size(), 1u);
  EXPECT_EQ(g[2][0].genpos, 10);
  ASSERT_EQ(g[3].size(), 1u);
  EXPECT_EQ(g[3][0].pid, 40000);
  EXPECT_EQ(g[3][0].position, -1);
  EXPECT_EQ(g[3][0], (RosterEntry{40000, 9}));
  EXPECT_EQ(r.jerseys[12], 100);
  EXPECT_EQ(r.jerseys[22], 101);
  EXPECT_EQ(r.jerseys[3], 103);
  EXPECT_EQ(r.jerseys[9], 40000);
  EXPECT_EQ(r.jerseys[0], 0);  // the empty place's jersey 0 is not taken

  TeamRosterRead two = GetTeamRoster(dir / "LG", 2, kVersion98);
  ASSERT_TRUE(two.found);
  EXPECT_EQ(two.roster.groups[0][4].pid, 104);
  EXPECT_FALSE(GetTeamRoster(dir / "LG", 3, kVersion98).found);
}

TEST_F(RosterFileTest, WriteChangesOnlyTheBlock) {
  TeamRosterRead r = GetTeamRoster(dir / "LG", 1, kVersion98);
  r.roster.groups[0][2] = RosterEntry{104, 51};  // added by the merge: two fields
  r.roster.groups[0][0] = RosterEntry{};         // emptied
  ASSERT_TRUE(FileTeamRoster(dir / "LG", 1, r.roster));
  std::string after = ReadFile(dir / "LG.LGE");
  ASSERT_EQ(after.size(), lge.size());
  std::size_t offset = *FindRosterBlock(lge, 1);
  for (std::size_t i = 0; i < lge.size(); ++i)
    if (i < offset || i >= offset + kRosterBlockSize) {
      ASSERT_EQ(after[i], lge[i]) << i;
    }

  TeamRosterRead again = GetTeamRoster(dir / "LG", 1, kVersion98);
  EXPECT_TRUE(again.roster.groups[0][0].Empty());
  EXPECT_EQ(again.block[0], 0);  // zero PID and jersey in the emptied slot
  EXPECT_EQ(again.block[126], 0);
  EXPECT_EQ(again.roster.groups[0][2], (RosterEntry{104, 51, 10, 10}));
  EXPECT_EQ(again.roster.groups[0][7].jersey, 150);  // kept as stored
  EXPECT_EQ(again.roster.groups[3][0].pid, 40000);
  // Group 1 was packed on reading: its player now sits on place 35.
  EXPECT_EQ(again.block[2 * 35 - 2], 103);
  EXPECT_EQ(GetTeamRoster(dir / "LG", 2, kVersion98).block, other);

  EXPECT_FALSE(FileTeamRoster(dir / "LG", 9, r.roster));
  EXPECT_EQ(ReadFile(dir / "LG.LGE"), after);
}

TEST_F(RosterFileTest, LineupHolesRoundTripAndOverfullGroupsRefused) {
  RosterBlock holes{};
  for (int k = 1; k <= 34; ++k)
    if (k != 3 && k != 7) SetPlace(holes, k, 100 + (k % 5), k);
  for (int k = 35; k <= 46; ++k) SetPlace(holes, k, 101, k);
  WriteFile(dir / "LG.LGE", LeagueChunk('3', "Lg") + MakeRosterChunk(4, holes));
  TeamRosterRead r = GetTeamRoster(dir / "LG", 4, kVersion98);
  EXPECT_EQ(r.roster.Count(0), 34);
  EXPECT_TRUE(r.roster.groups[0][2].Empty());
  EXPECT_TRUE(r.roster.groups[0][6].Empty());
  EXPECT_EQ(r.roster.Count(1), 12);
  EXPECT_EQ(EncodeRoster(r.roster), holes);

  r.roster.groups[1].push_back(RosterEntry{102, 1});  // 13 in group 1
  try {
    FileTeamRoster(dir / "LG", 4, r.roster);
    ADD_FAILURE();
  } catch (const LeagueError& e) {
    EXPECT_EQ(e.context, "FileTeamRoster");
  }
  EXPECT_EQ(GetTeamRoster(dir / "LG", 4, kVersion98).block, holes);
}

TEST_F(RosterFileTest, CutShortBlockFails) {
  WriteFile(dir / "LG.LGE", (LeagueChunk('3', "Lg") + MakeRosterChunk(1, block)).substr(0, 100));
  EXPECT_THROW(GetTeamRoster(dir / "LG", 1, kVersion98), LeagueError);
  EXPECT_THROW(FileTeamRoster(dir / "LG", 1, TeamRoster{}), LeagueError);
}

// ---------------------------------------------------------------------------

TEST(LeagueStage, MovesListsAndWritesTheByte) {
  TempDir dir;
  std::string lge = LeagueChunk('3', "Lg", 0) + TeamChunk(1, 1, "One");
  WriteFile(dir / "LG.LGE", lge);
  IdList fa{3, 201, 0, 203};
  IdList rookies{2, 101, 102};

  SetLeagueStage(dir / "LG", fa, rookies, 0);
  EXPECT_EQ(ReadFile(dir / "LG.LGE"), lge);
  EXPECT_EQ(fa, (IdList{3, 201, 0, 203}));

  SetLeagueStage(dir / "LG", fa, rookies, 1);
  EXPECT_EQ(GetLeagueStage(dir / "LG"), 1);
  EXPECT_EQ(rookies, (IdList{4, 101, 102, 201, 203}));
  EXPECT_EQ(fa, (IdList{3, 0, 0, 0}));
  FileFAList(dir / "LG", fa);
  FileCollegeList(dir / "LG", rookies);
  EXPECT_EQ(ReadFile(dir / "LG.PYF"), std::string("PPD:") + Word(2) + Word(0) + Word(0));
  EXPECT_EQ(ReadCollegeList(dir / "LG"), (IdList{4, 101, 102, 201, 203}));

  SetLeagueStage(dir / "LG", fa, rookies, 4);
  EXPECT_EQ(GetLeagueStage(dir / "LG"), 4);
  EXPECT_EQ(fa, (IdList{4, 101, 102, 201, 203}));
  SetLeagueStage(dir / "LG", fa, rookies, 2);  // only the byte
  EXPECT_EQ(GetLeagueStage(dir / "LG"), 2);
  EXPECT_EQ(fa.size(), 5u);
  std::string after = ReadFile(dir / "LG.LGE");
  ASSERT_EQ(after.size(), lge.size());
  EXPECT_EQ(after.substr(0, 11), lge.substr(0, 11));
  EXPECT_EQ(after.substr(12), lge.substr(12));

  // No league chunk: a failure, the lists stay as they were.
  WriteFile(dir / "LG.LGE", TeamChunk(1, 1, "One"));
  IdList before = fa;
  EXPECT_THROW(SetLeagueStage(dir / "LG", fa, rookies, 3), LeagueError);
  EXPECT_EQ(fa, before);
}

// ---------------------------------------------------------------------------

TEST(SampleLeague, ReadsBackWhatItWrote) {
  TempDir dir;
  SampleOptions opt;
  opt.teams = 32;
  opt.college = 120;
  opt.freeAgents = 40;
  opt.version = 95;
  opt.seed = 7;
  opt.name = "A league with a long name beyond 25";
  std::string lp = WriteSampleLeague(dir.path(), opt);
  EXPECT_EQ(lp, dir / "ALEAGUEW");
  VersionInfo v = GetVersion(lp);
  EXPECT_EQ(v.version, 95);
  EXPECT_EQ(v.name, opt.name.substr(0, 25));
  TeamList teams = GetTeams(lp);
  EXPECT_EQ(teams.teamCount, 32);
  std::set<std::string> names(teams.names.begin() + 1, teams.names.end());
  EXPECT_EQ(names.size(), 32u);
  EXPECT_EQ(GetLeagueStage(lp), 0);

  DrafteePool pool = LoadPool(lp, v.version, true);
  EXPECT_EQ(pool.collegeCount, 120);
  EXPECT_EQ(pool.Count(), 160);
  for (int p = 0; p < 15; ++p) EXPECT_FALSE(pool.positionIndex[Index(p)].empty()) << p;
  for (int i = 1; i <= pool.Count(); ++i) {
    const Player& pl = pool.draftees[Index(i)].player;
    EXPECT_EQ(pl.genpos, GenposOf(pl.position));
    EXPECT_FALSE(pl.fname.empty());
  }

  int holes = 0, fullGroups = 0, jerseys = 0;
  for (int t = 1; t <= 32; ++t) {
    TeamRosterRead r = GetTeamRoster(lp, t, v.version);
    ASSERT_TRUE(r.found);
    for (const auto& e : r.roster.groups[0]) holes += e.Empty();
    fullGroups += r.roster.Count(1) == 12;
    for (int j = 1; j <= 100; ++j) jerseys += r.jerseys[Index(j)] != 0;
    for (int g = 0; g < 4; ++g)
      for (const auto& e : r.roster.groups[Index(g)])
        if (!e.Empty()) {
          EXPECT_EQ(e.genpos, GenposOf(e.position));
        }
    // Read and written back, the block is unchanged.
    EXPECT_EQ(EncodeRoster(r.roster), r.block) << t;
  }
  EXPECT_GT(holes, 0);
  EXPECT_GT(fullGroups, 0);
  EXPECT_GT(jerseys, 32 * 30);
}

// Every team count and version: a chunk's last byte must never hide the tag
// of the chunk after it (5 teams once failed for every seed).
TEST(SampleLeague, EveryTeamCountAndVersionReadsBack) {
  TempDir dir;
  for (int version : {95, 9697, 98}) {
    for (int teams = 1; teams <= 32; ++teams) {
      SampleOptions opt;
      opt.teams = teams;
      opt.version = version;
      opt.college = 20;
      opt.freeAgents = 5;
      opt.name = "League " + std::to_string(teams);
      std::string lp;
      ASSERT_NO_THROW(lp = WriteSampleLeague(dir.path(), opt)) << version << " " << teams;
      ASSERT_EQ(GetTeams(lp).teamCount, teams) << version << " " << teams;
      ASSERT_EQ(ListRosterChunks(ReadFile(lp + ".LGE"), "test").size(), static_cast<std::size_t>(teams));
    }
  }
}

TEST(SampleLeague, DeterministicPerSeed) {
  TempDir a, b, c;
  SampleOptions opt;
  WriteSampleLeague(a.path(), opt);
  WriteSampleLeague(b.path(), opt);
  opt.seed = 2;
  WriteSampleLeague(c.path(), opt);
  for (const char* ext : {".LGE", ".PYR", ".PYC", ".PYF"}) {
    EXPECT_EQ(ReadFile(a / (std::string("SAMPLELE") + ext)), ReadFile(b / (std::string("SAMPLELE") + ext)));
    EXPECT_NE(ReadFile(a / (std::string("SAMPLELE") + ext)), ReadFile(c / (std::string("SAMPLELE") + ext)));
  }
  EXPECT_EQ(ReadFile(a / "SAMPLELE.PYR").size() % 60, 0u);
  EXPECT_THROW(WriteSampleLeague(a.path(), SampleOptions{.teams = 33}), std::invalid_argument);
}

// ---------------------------------------------------------------------------

TEST(DamagedFiles, RandomBytesGiveResultsOrLeagueErrorsOnly) {
  std::mt19937 rng(12345);
  const std::string seeds[] = {LeagueChunk('3', "Seed"), TeamChunk(1, 1, "Seed Team"),
                               MakeRosterChunk(1, RosterBlock{}), IdFile(3, {101, 102, 103})};
  for (int round = 0; round < 3000; ++round) {
    // Mostly-valid pieces with random damage and random cuts.
    std::string bytes;
    for (int piece = 0; piece < 3; ++piece) bytes += seeds[rng() % 4];
    for (int hits = rng() % 8; hits > 0; --hits) bytes[rng() % bytes.size()] = static_cast<char>(rng());
    bytes.resize(rng() % (bytes.size() + 1));
    try {
      DecodeVersion(bytes);
    } catch (const LeagueError&) {
    }
    try {
      DecodeTeams(bytes);
    } catch (const LeagueError&) {
    }
    try {
      ListRosterChunks(bytes, "x");
    } catch (const LeagueError&) {
    }
    IdList list = DecodeIdList(bytes);
    ASSERT_FALSE(list.empty());
    ASSERT_EQ(list[0], static_cast<int>(list.size()) - 1);
    for (int team = 0; team < 3; ++team) (void)FindRosterBlock(bytes, team);
    try {
      PlayerFile f = PlayerFile::FromBytes(bytes, round % 2 ? kVersion98 : kVersion95, "x");
      for (int id : {0, 99, 100, 101, 32767}) (void)f.Read(id);
    } catch (const LeagueError&) {
    }
  }
}
