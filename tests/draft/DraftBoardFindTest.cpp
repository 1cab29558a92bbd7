// Finding draftees by name, and the draft board's grid and CSV text.
#include <gtest/gtest.h>

#include "draft/DraftBoard.h"
#include "draft/DrafteeFind.h"

namespace pm::draft {
namespace {

Player P(int pid, std::string fname, std::string lname) {
  Player p;
  p.pid = pid;
  p.fname = std::move(fname);
  p.lname = std::move(lname);
  return p;
}

std::vector<int> Pids(const std::vector<Found>& found) {
  std::vector<int> out;
  for (const Found& f : found) out.push_back(f.pid);
  return out;
}

TEST(DrafteeFind, MatchesNamePartsOfEveryPositionIgnoringCaseAndAccents) {
  DrafteeTable t;
  t.positions[0] = {P(1, "Hans", "M\xFCller"), P(2, "Ren\xE9", "Dubois")};
  t.positions[7] = {P(3, "Eric", "Muller")};
  t.positions[14] = {P(4, "\xC9milie", "Smith"), P(5, "John", "SMITHERS")};
  t.positions[16] = {P(6, "Not", "Shown")};  // no position button: never found
  PickList picks(kMaxPicks);
  const DraftedSet none(picks);

  EXPECT_EQ(Pids(FindDraftees(t, none, "MULLER")), (std::vector<int>{1, 3}));
  EXPECT_EQ(Pids(FindDraftees(t, none, "m\xDCll")), (std::vector<int>{1, 3}));
  EXPECT_EQ(Pids(FindDraftees(t, none, "rene")), (std::vector<int>{2}));
  EXPECT_EQ(Pids(FindDraftees(t, none, "emil")), (std::vector<int>{4}));
  EXPECT_EQ(Pids(FindDraftees(t, none, "smith")), (std::vector<int>{4, 5}));
  // Parts may come from the first and the last name, in either order.
  EXPECT_EQ(Pids(FindDraftees(t, none, " smith  jo ")), (std::vector<int>{5}));
  EXPECT_TRUE(FindDraftees(t, none, "john dubois").empty());
  EXPECT_TRUE(FindDraftees(t, none, "   ").empty());
  EXPECT_TRUE(FindDraftees(t, none, "shown").empty());
  EXPECT_EQ(FindDraftees(t, none, "smithers")[0], (Found{14, 1, 5}));

  picks.Append(Pick{3, "Bears", "Eric Muller", "T", {1, 1}});
  EXPECT_EQ(Pids(FindDraftees(t, DraftedSet(picks), "muller")), (std::vector<int>{1}));

  EXPECT_EQ(FoldForFind("\xC6sir \xDF\xDE\xD7"), "aesir ssth\xD7");
  EXPECT_EQ(FoundLine(t, {7, 0, 3}), "T   3    Eric Muller            0 0  0  0  0  0  0  0  0");
}

PickList Picks(std::initializer_list<Pick> picks) {
  PickList list(kMaxPicks);
  for (const Pick& p : picks) list.Append(p);
  return list;
}

TEST(DraftBoard, CellsFollowLabelsDeletesAndGrowTheGrid) {
  PickList picks = Picks({{11, "Bears", "Joe Smith", "QB", {1, 1}},
                          {12, "Lions", "Al Jones", "WR", {1, 2}},
                          {13, "Bears", "Ed Brown", "CB", {2, 1}}});
  DraftBoard empty(PickList(kMaxPicks), 3);
  EXPECT_EQ(empty.Rounds(), 1);
  EXPECT_EQ(empty.Selections(), 3);
  EXPECT_EQ(empty.At(1, 1), nullptr);

  DraftBoard board(picks, 3, "Bears");
  EXPECT_EQ(board.Rounds(), 2);
  ASSERT_NE(board.At(1, 2), nullptr);
  EXPECT_EQ(board.At(1, 2)->pick.player, "Al Jones");
  EXPECT_FALSE(board.At(1, 2)->own);
  EXPECT_TRUE(board.At(2, 1)->own);
  EXPECT_EQ(board.At(1, 3), nullptr);
  EXPECT_EQ(DraftBoard::CellText(board.At(1, 1)->pick), "Joe Smith  QB\nBears");

  picks.BlankLabel({1, 2});
  picks.Append({14, "Colts", "Bo Lee", "K", {5, 3}});  // a later round: the grid grows
  // Labels no pick of this draft can have are left off, never stretching the grid.
  picks.Append({15, "Colts", "No Label", "K", {}});
  picks.Append({16, "Colts", "No Such Pick", "K", {5, 4}});
  picks.Append({17, "Colts", "Too Far", "K", {400, 1}});
  DraftBoard after(picks, 3);
  EXPECT_EQ(after.At(1, 2), nullptr);
  EXPECT_FALSE(after.At(2, 1)->own);
  EXPECT_EQ(after.Rounds(), 5);
  EXPECT_EQ(after.Selections(), 3);
  EXPECT_EQ(after.At(5, 3)->pick.pid, 14);

  // A later pick with the label of a deleted one takes its cell.
  picks.Append({18, "Lions", "New Guy", "TE", {1, 2}});
  EXPECT_EQ(DraftBoard(picks, 3).At(1, 2)->pick.pid, 18);
}

TEST(DraftBoard, CsvIsOneRowPerPickInLabelOrderUtf8WithAMark) {
  EXPECT_EQ(CsvField("plain"), "plain");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
  PickList picks = Picks({{2, "The \"Aces\"", "Al Jones", "K", {2, 1}}, {1, "Bears", "Hans M\xFCller", "QB", {1, 2}}});
  EXPECT_EQ(DraftBoard(picks, 2).Csv(),
            "\xEF\xBB\xBFRound,Selection,Overall,Team,PID,Player,Position\r\n"
            "1,2,2,Bears,1,Hans M\xC3\xBCller,QB\r\n"
            "2,1,3,\"The \"\"Aces\"\"\",2,Al Jones,K\r\n");
}

// Columns are headed by the first round's teams; a traded pick says whose it
// was, made or not; a pick not made names its owner.
TEST(DraftBoard, HeadsColumnsByTeamAndNamesTradedPicks) {
  PickList picks = Picks({{1, "Bears", "Joe Doe", "QB", {1, 1}}, {2, "Bears", "Al Roe", "K", {1, 2}}});
  BoardOrder order{2, {"Bears", "Bears", "Lions", "Bears"}, {"Bears", "Lions", "Lions", "Bears"}};
  const DraftBoard board(picks, 2, "Bears", order);
  EXPECT_EQ(board.Rounds(), 2);
  EXPECT_EQ(board.ColumnTitle(1), "Bears");
  EXPECT_EQ(board.ColumnTitle(2), "Lions");
  EXPECT_EQ(board.CellText({1, 1}), "Joe Doe  QB\nBears");
  EXPECT_EQ(board.CellText({1, 2}), "Al Roe  K\nBears\nvia Lions");
  EXPECT_EQ(board.CellText({2, 1}), "Lions");
  EXPECT_EQ(board.OwnerOf({2, 2}), "Bears");
  // Without an order, or with one of another size, columns are numbered.
  EXPECT_EQ(DraftBoard(picks, 2).ColumnTitle(2), "2");
  EXPECT_EQ(DraftBoard(picks, 3, "", order).ColumnTitle(2), "2");
}

}  // namespace
}  // namespace pm::draft
