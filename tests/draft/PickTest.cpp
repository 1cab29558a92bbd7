// The Selections line of a pick and the labels read back from it.
#include <gtest/gtest.h>

#include "draft/Pick.h"

namespace pm::draft {
namespace {

TEST(Pick, SelectionLineAndLabels) {
  std::string line = DraftListFill(Pick{1234, "Bears", "John Smith", "QB", "3-12"});
  EXPECT_EQ(line.size(), 60u);
  EXPECT_EQ(line, "  3-12 John Smith               QB Bears               1234 ");
  EXPECT_EQ(ReadSelectionLine(line).round, "3");
  EXPECT_EQ(ReadSelectionLine(line).selection, "12");
  EXPECT_EQ(DraftListFill(Pick{1, "A very long team name indeed", "A player with a long long name", "QB", "10-1"}).size(),
            60u);
  EXPECT_EQ(NextLabel("1-12", 12), "2-1");
  EXPECT_EQ(NextLabel("1-0", 12), "1-1");
  EXPECT_EQ(NextLabel("3-7", 12), "3-8");
}

}  // namespace
}  // namespace pm::draft
