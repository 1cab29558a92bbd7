#include <gtest/gtest.h>

#include <filesystem>
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
// neither a team nor a setting, and every team not named, are reported.
TEST(DraftOrder, ReaderReportsUnknownAndMissingNames) {
  OrderRead r =
      ReadOrderText("  rams \r\n\r\nLIONS\nOrder: snake\nLoins\nRounds: 3\nRounds: many\nOrder: zigzag", kTeams);
  EXPECT_EQ(r.order.teams, (std::vector<int>{3, 1}));
  EXPECT_TRUE(r.order.snake);
  EXPECT_EQ(r.order.rounds, 3);
  EXPECT_EQ(r.unknown, (std::vector<std::string>{"Loins", "Rounds: many", "Order: zigzag"}));
  EXPECT_EQ(r.missing, (std::vector<std::string>{"Bears", "Jets"}));
  // A plain list of names is a whole order; a team called like a setting is a team.
  OrderRead plain = ReadOrderText("Jets\nBears\nRams\nLions\n", kTeams);
  EXPECT_EQ(plain.order, (DraftOrder{{4, 2, 3, 1}, false, kDefaultRounds}));
  EXPECT_TRUE(plain.unknown.empty() && plain.missing.empty());
  EXPECT_EQ(ReadOrderText("Rounds: 2\n", {"Rounds: 2"}).order.teams, std::vector<int>{1});
}

TEST(DraftOrder, FileRoundTripFoundWhateverTheCase) {
  const fs::path dir = fs::temp_directory_path() / "pm-order-test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  EXPECT_EQ(OrderFileIn(dir.string(), "Big League"), (dir / "Big League-ORDER.TXT").string());
  EXPECT_FALSE(ReadOrderFile(OrderFileIn(dir.string(), "Big League"), kTeams));
  const DraftOrder o{{2, 4, 1, 3}, true, 5};
  ASSERT_EQ(WriteOrderFile((dir / "big league-order.txt").string(), o, kTeams), "");
  EXPECT_EQ(ReadWholeFile(dir / "big league-order.txt").value_or(""),
            "Rounds: 5\r\nOrder: Snake\r\nBears\r\nJets\r\nLions\r\nRams\r\n");
  const std::string found = OrderFileIn(dir.string(), "Big League");
  EXPECT_TRUE(fs::equivalent(found, dir / "big league-order.txt"));  // the same file on any file system
  auto back = ReadOrderFile(found, kTeams);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->order, o);
  EXPECT_TRUE(back->unknown.empty() && back->missing.empty());
  fs::remove_all(dir);
}

}  // namespace
}  // namespace pm::draft
