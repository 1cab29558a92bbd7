// The typed pick list: room, blank slots for deleted picks, and the drafted
// test of the draftee list over it.
#include <gtest/gtest.h>

#include <utility>

#include "draft/Draftees.h"
#include "draft/PickList.h"
#include "tests/support/ShownLine.h"

namespace pm::draft {
namespace {

TEST(PickListTest, BlankSlotsKeepTheirPlaceAndTakeRoom) {
  PickList picks(3);
  EXPECT_EQ(picks.Count(), 0);
  EXPECT_EQ(picks.At(1), nullptr);
  ASSERT_TRUE(picks.Append({101, "Bears", "A B", "QB", {1, 1}}));
  ASSERT_TRUE(picks.Append({102, "Lions", "C D", "K", {1, 2}}));
  ASSERT_TRUE(picks.Append({103, "Bears", "E F", "P", {1, 2}}));  // a repeated label
  EXPECT_TRUE(picks.Full());
  EXPECT_FALSE(picks.Append({104, "Lions", "G H", "QB", {2, 1}}));
  EXPECT_EQ(picks.Count(), 3);

  // Only the first pick with the label goes; its slot stays, blank.
  EXPECT_TRUE(picks.BlankLabel({1, 2}));
  EXPECT_EQ(picks.Count(), 3);
  EXPECT_EQ(picks.At(2), nullptr);
  ASSERT_NE(picks.At(3), nullptr);
  EXPECT_EQ(picks.At(3)->pid, 103);
  EXPECT_FALSE(picks.BlankLabel({9, 9}));
  EXPECT_FALSE(picks.HasPid(102));
  EXPECT_TRUE(picks.HasPid(103));
  EXPECT_TRUE(picks.Full());  // a blank slot still takes room
  EXPECT_EQ(picks.At(0), nullptr);
  EXPECT_EQ(picks.At(4), nullptr);

  const DraftedSet drafted(picks);
  EXPECT_TRUE(drafted.Contains(101));
  EXPECT_FALSE(drafted.Contains(102));
  EXPECT_TRUE(drafted.Contains(103));
  EXPECT_FALSE(DraftedSet(PickList(5)).Contains(0));
}

TEST(PickListTest, TheDrafteeListLeavesOutTypedPicks) {
  DrafteeTable table;
  Player a;
  a.pid = 7;
  a.lname = "Seven";
  Player b;
  b.pid = 8;
  b.lname = "Eight";
  table.positions[0] = {a, b};
  DrafteeListModel model;
  model.SetTable(std::move(table));
  PickList picks(10);
  model.SetPicks(&picks);
  model.SelectPosition(0);
  EXPECT_EQ(model.Lines().size(), 2u);
  picks.Append({8, "Bears", "x Eight", "QB", {1, 1}});
  model.Rebuild();
  ASSERT_EQ(model.Lines().size(), 1u);
  EXPECT_EQ(ReadLine(model.Lines()[0]).pidText, "7");
  picks.BlankLabel({1, 1});
  model.Rebuild();
  EXPECT_EQ(model.Lines().size(), 2u);
}

}  // namespace
}  // namespace pm::draft
