// The draftee list without its window: line layout, read-back, the drafted
// test and the three orders with the rules for the sort boxes.
#include <gtest/gtest.h>

#include "draft/Draftees.h"
#include "tests/support/ShownLine.h"

namespace pm::draft {
namespace {

Player P(int pid, std::string fname, std::string lname, std::array<int, 8> ratings = {}, int yr = 0) {
  Player p;
  p.pid = pid;
  p.fname = std::move(fname);
  p.lname = std::move(lname);
  p.sp = ratings[0];
  p.ac = ratings[1];
  p.ag = ratings[2];
  p.st = ratings[3];
  p.ha = ratings[4];
  p.en = ratings[5];
  p.inn = ratings[6];
  p.di = ratings[7];
  p.yr = yr;
  return p;
}

std::vector<std::string> Pids(const DrafteeListModel& m) {
  std::vector<std::string> out;
  for (const auto& line : m.Lines()) out.push_back(ReadLine(line).pidText);
  return out;
}

TEST(DrafteeLine, LayoutOfTheDocumentedExample) {
  std::string line = FormatLine(P(1234, "John", "Smith", {80, 75, 70, 65, 60, 55, 50, 45}, 2));
  EXPECT_EQ(line, "1234 John Smith             2 80 75 70 65 60 55 50 45 ");
  EXPECT_EQ(line.size(), 54u);
  EXPECT_EQ(line.substr(26, 3), "  2");
}

TEST(DrafteeLine, FiveDigitPidAndLongLastNameAreReadBack) {
  // 13-letter last name leaves 6 letters of the first name.
  std::string line = FormatLine(P(32767, "Christopher", "Abercrombieee", {1, 2, 3, 4, 5, 6, 7, 8}, 12));
  ASSERT_EQ(line.size(), 54u);
  EXPECT_EQ(line.substr(0, 25), "32767Christ Abercrombieee");
  LineSelection s = ReadLine(line);
  EXPECT_EQ(s.pidText, "32767");
  EXPECT_EQ(s.name, "Christ Abercrombieee");
  // Three-digit ratings fill their columns; YR right-aligned.
  line = FormatLine(P(101, "A", "B", {255, 100, 0, 0, 0, 0, 0, 199}, 3));
  EXPECT_EQ(line, "101  A B                    3 2551000  0  0  0  0  199");
  EXPECT_EQ(ReadLine(line).name, "A B");
  // A last name longer than the name columns does not break the layout.
  line = FormatLine(P(7, "Jo", std::string(25, 'X')));
  EXPECT_EQ(line.size(), 54u);
  EXPECT_EQ(ReadLine(line).name, " " + std::string(19, 'X'));
}

TEST(DrafteeLine, HeaderTitlesAtTheirColumns) {
  std::string h = HeaderLine();
  EXPECT_EQ(h.find("PID"), 0u);
  EXPECT_EQ(h.find("Name"), 5u);
  EXPECT_EQ(h.find("EXP"), 26u);
  const char* titles[] = {"SP", "AC", "AG", "ST", "HA", "EN", "IN", "DI"};
  for (int m = 0; m < 8; ++m) EXPECT_EQ(h.find(titles[m]), static_cast<std::size_t>(30 + 3 * m)) << m;
}

TEST(DraftedSet, PidsOfThePicksThatAreNotBlank) {
  PickList picks(10);
  picks.Append(ParsePick("100|Bears|A B|QB|1-1"));
  picks.Append(ParsePick("70000|Bears|C D|QB|1-2"));
  picks.Append(ParsePick("205|Lions|E F|QB|1-3"));
  picks.BlankLabel({1, 3});  // deleted
  DraftedSet set(picks);
  EXPECT_TRUE(set.Contains(100));
  EXPECT_TRUE(set.Contains(70000));
  EXPECT_FALSE(set.Contains(205));
  EXPECT_FALSE(set.Contains(0));
  EXPECT_FALSE(DraftedSet(PickList(10)).Contains(5));
}

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DrafteeTable t;
    // Position 0: ratings chosen for ties and non-positive scores.
    //              SP  AC  AG
    t.positions[0] = {P(101, "A", "smith", {10, 5, 0}), P(102, "B", "Adams", {0, 0, 0}),
                      P(103, "C", "Smith", {5, 10, 0}), P(104, "D", "baker", {20, 0, 0}),
                      P(105, "E", "Zed", {0, 0, 0}),    P(106, "F", "adams", {-5, 3, 0})};
    t.positions[13] = {P(201, "K", "Kicker")};
    model.SetTable(std::move(t));
    model.SetPicks(&picks);
  }
  // Replaces the picks the model reads with these records.
  void Picked(std::initializer_list<const char*> records) {
    picks.Assign({});
    for (const char* r : records) picks.Append(ParsePick(r));
  }
  PickList picks{kMaxPicks};
  DrafteeListModel model;
};

TEST_F(ModelTest, NaturalOrderLeavesOutDraftedAndBringsBackDeletedPicks) {
  model.SelectPosition(0);
  EXPECT_EQ(Pids(model), (std::vector<std::string>{"101", "102", "103", "104", "105", "106"}));
  Picked({"103|T|C Smith|QB|1-1", "201|T|K Kicker|K|1-2"});
  model.Rebuild();
  EXPECT_EQ(Pids(model), (std::vector<std::string>{"101", "102", "104", "105", "106"}));
  picks.BlankLabel({1, 1});  // the pick was deleted
  model.Rebuild();
  EXPECT_EQ(Pids(model).size(), 6u);
  model.SelectPosition(13);
  EXPECT_TRUE(model.Lines().empty());  // its only player is drafted
  EXPECT_EQ(model.CurrentCaption(), "K");
}

TEST_F(ModelTest, RatingSortTiesAndNonPositiveScores) {
  model.SelectPosition(0);
  ASSERT_TRUE(model.SetRating(0, true));  // SP
  EXPECT_EQ(Pids(model), (std::vector<std::string>{"104", "101", "103", "102", "105", "106"}));
  ASSERT_TRUE(model.SetRating(1, true));  // SP + AC: 101 and 103 tie at 15
  EXPECT_EQ(Pids(model), (std::vector<std::string>{"104", "101", "103", "102", "105", "106"}));
  // 106 scores -2: it follows all others with 102 and 105 in natural order.
  ASSERT_TRUE(model.SetRating(0, false));  // AC only
  EXPECT_EQ(Pids(model), (std::vector<std::string>{"103", "101", "106", "102", "104", "105"}));
  // Drafted players are scored but left out.
  Picked({"103|T|C Smith|QB|1-1"});
  ASSERT_TRUE(model.SetRating(1, true));
  EXPECT_EQ(Pids(model), (std::vector<std::string>{"101", "106", "102", "104", "105"}));
}

TEST_F(ModelTest, NameSortIsCaseAndAccentBlindAndStable) {
  model.SelectPosition(0);
  ASSERT_TRUE(model.SetName(true));
  // adams / Adams keep natural order (102 before 106), smith / Smith too.
  EXPECT_EQ(Pids(model), (std::vector<std::string>{"102", "106", "104", "101", "103", "105"}));
  // Unticking changes nothing.
  EXPECT_FALSE(model.SetName(false));
  EXPECT_EQ(Pids(model).front(), "102");
  EXPECT_FALSE(model.NameTicked());

  // "M\xFCller" sorts with "Muller", not after "Mz".
  DrafteeListModel accents;
  DrafteeTable t;
  t.positions[0] = {P(1, "A", "Mz"), P(2, "A", "M\xFCller"), P(3, "A", "Ma"), P(4, "A", "Muller")};
  accents.SetTable(t);
  accents.SelectPosition(0);
  ASSERT_TRUE(accents.SetName(true));
  EXPECT_EQ(Pids(accents), (std::vector<std::string>{"3", "2", "4", "1"}));
}

TEST_F(ModelTest, UntickingRules) {
  model.SelectPosition(0);
  model.SetRating(0, true);
  model.SetName(true);
  // Name sort leaves the rating boxes ticked.
  EXPECT_TRUE(model.RatingTicked(0));
  EXPECT_TRUE(model.NameTicked());
  // A rating re-sort unticks the name box.
  model.SetRating(2, true);
  EXPECT_FALSE(model.NameTicked());
  EXPECT_EQ(Pids(model).front(), "104");
  // Unticking the last rating box returns to natural order.
  model.SetRating(0, false);
  model.SetName(true);
  model.SetRating(2, false);
  EXPECT_FALSE(model.NameTicked());
  EXPECT_EQ(Pids(model), (std::vector<std::string>{"101", "102", "103", "104", "105", "106"}));
  // A position change unticks everything.
  model.SetRating(3, true);
  model.SelectPosition(0);
  for (int m = 0; m < 8; ++m) EXPECT_FALSE(model.RatingTicked(m));
}

TEST_F(ModelTest, EmptyPositionIgnoresTheSortBoxes) {
  model.SelectPosition(5);  // no centres in this pool
  EXPECT_TRUE(model.Lines().empty());
  EXPECT_FALSE(model.SetRating(0, true));
  EXPECT_TRUE(model.RatingTicked(0));  // the box shows ticked, nothing else
  EXPECT_FALSE(model.SetName(true));
  EXPECT_TRUE(model.Lines().empty());
  // Codes beyond the table give an empty list, never a fault.
  model.SelectPosition(42);
  EXPECT_TRUE(model.Lines().empty());
  model.SelectPosition(-1);
  EXPECT_TRUE(model.Lines().empty());
}

TEST_F(ModelTest, RemovedLineStaysAlignedWithItsPlayer) {
  model.SelectPosition(0);
  model.RemoveLine(1);
  model.RemoveLine(99);
  ASSERT_EQ(model.Lines().size(), 5u);
  EXPECT_EQ(model.Rows()[1], 2);
  EXPECT_EQ(ReadLine(model.Lines()[1]).pidText, "103");
  // The list is no longer empty-checked against the removed line.
  while (!model.Lines().empty()) model.RemoveLine(0);
  EXPECT_FALSE(model.SetRating(0, true));
}

}  // namespace
}  // namespace pm::draft
