#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/Files.h"
#include "draft/DraftOrder.h"

namespace pm::draft {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kTeams = {"Lions", "Bears", "Rams", "Jets"};

TEST(DraftOrder, LinearAndSnakeLabels) {
  DraftOrder o{{3, 1, 4, 2}, false, 2};
  EXPECT_EQ(o.Labels(), 8);
  EXPECT_EQ(o.TeamAt(1, 1), 3);
  EXPECT_EQ(o.TeamAt(2, 1), 3);
  EXPECT_EQ(o.TeamAt(2, 4), 2);
  o.snake = true;
  EXPECT_EQ(o.TeamAt(1, 4), 2);
  EXPECT_EQ(o.TeamAt(2, 1), 2);  // even rounds run back
  EXPECT_EQ(o.TeamAt(2, 4), 3);
  EXPECT_EQ(o.TeamAt(3, 1), 0);  // beyond the last round
  EXPECT_EQ(o.TeamAt(1, 5), 0);
  EXPECT_EQ(o.TeamAt(0, 1), 0);
  EXPECT_EQ(o.Label(5), "2-2");
  EXPECT_TRUE(DraftOrder{}.Empty());
  const DraftOrder d = DraftOrder::Default(12);
  EXPECT_EQ(d.teams.size(), 12u);
  EXPECT_EQ(d.teams.front(), 1);
  EXPECT_FALSE(d.snake);
  EXPECT_EQ(d.rounds, kDefaultRounds);
  EXPECT_EQ(DraftOrder::Default(200).rounds, 5);  // never more labels than the draft can record
}

// Names are matched case-blind; nothing else is guessed: a line that is
// neither a team nor a setting, a team named again, a setting with a value
// not allowed, and every team not named, are reported.
TEST(DraftOrder, ReaderReportsEveryLineNotUsedAndEveryTeamLeftOut) {
  OrderRead r = ReadOrderText(
      "\xEF\xBB\xBF  rams \r\n\r\nLIONS\nOrder: snake\nLoins\nRounds: 3\nRounds: 0\nOrder: zigzag\nrams\n"
      " pause : 61\nRatings: SP,XX\nSize: 3",
      kTeams);
  EXPECT_EQ(r.order.teams, (std::vector<int>{3, 1}));
  EXPECT_TRUE(r.order.snake && r.kindSet && r.roundsSet);
  EXPECT_EQ(r.order.rounds, 3);  // a bad line after a good one changes nothing
  EXPECT_EQ(r.order.settings, AutoDraftSettings{});
  EXPECT_EQ(r.unknown, (std::vector<std::string>{"Loins", "Size: 3"}));
  EXPECT_EQ(r.duplicates, std::vector<std::string>{"rams"});
  EXPECT_EQ(r.badSettings, (std::vector<std::string>{"Rounds: 0", "Order: zigzag", "pause : 61", "Ratings: SP,XX"}));
  EXPECT_EQ(SettingRule("Rounds: 0"), "Rounds must be a whole number from 1 to 99");
  EXPECT_EQ(r.missing, (std::vector<std::string>{"Bears", "Jets"}));
  EXPECT_TRUE(r.Flawed());
  // A plain list of names is a whole order; a team called like a setting is a team.
  OrderRead plain = ReadOrderText("Jets\nBears\nRams\nLions\n", kTeams);
  EXPECT_EQ(plain.order, (DraftOrder{{4, 2, 3, 1}, false, kDefaultRounds}));
  EXPECT_FALSE(plain.Flawed() || plain.roundsSet || plain.kindSet);
  EXPECT_EQ(ReadOrderText("Rounds: 2\n", {"Rounds: 2"}).order.teams, std::vector<int>{1});
}

// Every setting survives a write and a read; at their defaults only Rounds
// and Order are written, so a file from before the settings reads and
// writes back byte for byte.
TEST(DraftOrder, SettingsRoundTripAndDefaultsLeaveTheFileAsItWas) {
  const std::string before = "Rounds: 5\r\nOrder: Snake\r\nBears\r\nJets\r\nLions\r\nRams\r\n";
  const OrderRead old = ReadOrderText(before, kTeams);
  EXPECT_EQ(OrderText(old.order, kTeams), before);

  DraftOrder o{{2, 1}, false, 3};
  o.settings = {AutoPickRule::BestAvailable, {true, false, false, false, false, false, false, true}, 0, 45, 90, true};
  o.settings.quietHours = QuietHours{23 * 60, 8 * 60};
  o.settings.timeZone = "Europe/Berlin";
  const std::string text = OrderText(o, kTeams);
  EXPECT_EQ(text,
            "Rounds: 3\r\nOrder: Linear\r\nRule: Best available\r\nRatings: SP,DI\r\nPause: 0\r\n"
            "Absent time: 45\r\nTime: 90\r\nQuiet hours: 23:00-08:00\r\nTime zone: Europe/Berlin\r\n"
            "Automatic: Yes\r\nBears\r\nLions\r\n");
  EXPECT_TRUE(o.settings.quietHours->Holds(23 * 60) && o.settings.quietHours->Holds(7 * 60 + 59));
  EXPECT_FALSE(o.settings.quietHours->Holds(8 * 60) || o.settings.quietHours->Holds(22 * 60 + 59));
  EXPECT_EQ(ReadOrderText(text, kTeams).order, o);
  const OrderRead blind = ReadOrderText("  AUTOMATIC :yes\nrule: wait for the commish\nabsent TIME: 7\n", kTeams);
  EXPECT_TRUE(blind.order.settings.automatic);
  EXPECT_EQ(blind.order.settings.absentSeconds, 7);
  EXPECT_TRUE(blind.badSettings.empty());
  for (const char* bad : {"Time: 0", "Time: 86401", "Absent time: -1", "Pause: 5s", "Automatic: maybe", "Ratings: ,",
                          "Time: 99999999999999999999", "Quiet hours: 23:00", "Quiet hours: 8:00-08:00",
                          "Quiet hours: 24:00-08:00", "Time zone: Europe Berlin"})
    EXPECT_EQ(ReadOrderText(bad, kTeams).badSettings, std::vector<std::string>{bad}) << bad;
  EXPECT_EQ(ReadRatings(" di , Sp,,"), (Ratings{true, false, false, false, false, false, false, true}));
}

// Traded picks and rounds with their own time are written after the names,
// read back whatever the case, and refused when outside the order.
TEST(DraftOrder, TradesAndRoundTimesRoundTripAndStayInsideTheOrder) {
  DraftOrder o{{1, 2, 3, 4}, true, 3};
  o.traded[{2, 1}] = 1;
  o.settings.roundSeconds = {{1, 120}, {2, 120}, {3, 30}};
  EXPECT_EQ(o.OwnerOf({2, 1}), 1);
  EXPECT_EQ(o.OwnerOf({2, 2}), 3);  // snake: round 2 runs backwards
  EXPECT_EQ(o.OwnerOf({4, 1}), 0);
  EXPECT_EQ(o.settings.TimeFor(3), 30);
  const std::string text = OrderText(o, kTeams);
  EXPECT_NE(text.find("Time in rounds 1-2: 120\r\nTime in round 3: 30\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Jets\r\n2-1: Lions\r\n"), std::string::npos) << text;
  EXPECT_EQ(ReadOrderText(text, kTeams).order, o);

  const OrderRead r = ReadOrderText(
      "Rounds: 2\nBears\nJets\nLions\nRams\n2-4 : rams\n3-1: Bears\n1-1: Nobody\n"
      "time in ROUND 2: 15\nTime in round 3: 15\nTime in rounds 2-1: 5\n",
      kTeams);
  EXPECT_EQ(r.order.traded, (std::map<pm::draft::PickLabel, int>{{{2, 4}, 3}}));
  EXPECT_EQ(r.order.settings.roundSeconds, (std::map<int, int>{{2, 15}}));
  EXPECT_EQ(r.badSettings, (std::vector<std::string>{"1-1: Nobody", "3-1: Bears", "Time in round 3: 15"}));
  EXPECT_EQ(r.unknown, std::vector<std::string>{"Time in rounds 2-1: 5"});
  EXPECT_FALSE(SettingRule("3-1: Bears").empty());
}

// A message shows at most kShownNames lines of a list, each cut short.
TEST(DraftOrder, ShownNamesAreBounded) {
  std::vector<std::string> many(25, std::string(500, 'x'));
  const ShownList shown = ShownNames(many);
  EXPECT_EQ(shown.names.size(), kShownNames);
  EXPECT_EQ(shown.more, 15);
  EXPECT_EQ(shown.names.front(), std::string(kShownLength, 'x') + "...");
}

TEST(DraftOrder, FileRoundTripFoundWhateverTheCase) {
  const fs::path dir = fs::temp_directory_path() / "pm-order-test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  EXPECT_EQ(OrderFileIn(dir.string(), "Big League"), (dir / "Big League-ORDER.TXT").string());
  OrderFileStatus status = OrderFileStatus::Read;
  EXPECT_FALSE(ReadOrderFile(OrderFileIn(dir.string(), "Big League"), kTeams, &status));
  EXPECT_EQ(status, OrderFileStatus::Missing);
  const DraftOrder o{{2, 4, 1, 3}, true, 5};
  ASSERT_EQ(WriteOrderFile((dir / "big league-order.txt").string(), o, kTeams), "");
  EXPECT_EQ(ReadWholeFile(dir / "big league-order.txt").value_or(""),
            "Rounds: 5\r\nOrder: Snake\r\nBears\r\nJets\r\nLions\r\nRams\r\n");
  const std::string found = OrderFileIn(dir.string(), "Big League");
  EXPECT_TRUE(fs::equivalent(found, dir / "big league-order.txt"));  // the same file on any file system
  auto back = ReadOrderFile(found, kTeams, &status);
  ASSERT_TRUE(back);
  EXPECT_EQ(status, OrderFileStatus::Read);
  EXPECT_EQ(back->order, o);
  EXPECT_FALSE(back->Flawed());
  fs::remove_all(dir);
}

// A file larger than kMaxOrderFileBytes is refused, not read; a folder
// cannot be read.
TEST(DraftOrder, FileTooLargeOrUnreadableIsRefusedWithItsReason) {
  const fs::path dir = fs::temp_directory_path() / "pm-order-large";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path file = dir / "order.txt";
  std::string text = "Jets\n";
  text.resize(kMaxOrderFileBytes, ' ');
  ASSERT_EQ(WriteFileAtomic(file, text), "");
  OrderFileStatus status = OrderFileStatus::Missing;
  EXPECT_TRUE(ReadOrderFile(file.string(), kTeams, &status));  // exactly the limit
  ASSERT_EQ(WriteFileAtomic(file, text + "\n"), "");
  EXPECT_FALSE(ReadOrderFile(file.string(), kTeams, &status));
  EXPECT_EQ(status, OrderFileStatus::TooLarge);
  EXPECT_NE(OrderFileProblem(status).find("64 KB"), std::string::npos);
  EXPECT_FALSE(ReadOrderFile(dir.string(), kTeams, &status));
  EXPECT_EQ(status, OrderFileStatus::Unreadable);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace pm::draft
