// Reading and writing the draft file's lines.
#include <gtest/gtest.h>

#include "draft/Pick.h"

namespace pm::draft {
namespace {

TEST(DraftFileText, LinesAsEditorsLeaveThem) {
  // CR LF and LF ends, blank lines, no final line break, and a byte-order
  // mark in front: the first PID must not read as 0.
  const std::string text =
      "\xEF\xBB\xBF"
      "644|Albany Admirals|Jose Jones|T|1-1\r\n"
      "\r\n"
      "  \n"
      "700|Boston Bulldogs|Kim Lee|DE|1-2\n"
      "701|Austin Outlaws|Al Bo|QB|1-3";
  const std::vector<Pick> picks = ParseDraftFile(text);
  ASSERT_EQ(picks.size(), 3u);
  EXPECT_EQ(picks[0], (Pick{644, "Albany Admirals", "Jose Jones", "T", "1-1"}));
  EXPECT_EQ(picks[1].pid, 700);
  EXPECT_EQ(picks[2].label, "1-3");
  EXPECT_EQ(DraftFileText(picks),
            "644|Albany Admirals|Jose Jones|T|1-1\r\n"
            "700|Boston Bulldogs|Kim Lee|DE|1-2\r\n"
            "701|Austin Outlaws|Al Bo|QB|1-3\r\n");
}

TEST(PickFields, CatchUpBodyAndShortRecords) {
  EXPECT_EQ(ParsePick("203,Boston Bulldogs,Player Three,K,1-3", ","),
            (Pick{203, "Boston Bulldogs", "Player Three", "K", "1-3"}));
  // Missing fields stay empty; fields past the fifth are ignored.
  EXPECT_EQ(ParsePick("12|Team"), (Pick{12, "Team", "", "", ""}));
  EXPECT_EQ(ParsePick("12|A|B|C|1-1|extra"), (Pick{12, "A", "B", "C", "1-1"}));
}

TEST(Pick, SelectionLineAndLabels) {
  std::string line = DraftListFill(Pick{1234, "Bears", "John Smith", "QB", "3-12"});
  EXPECT_EQ(line.size(), 60u);
  EXPECT_EQ(line, "  3-12 John Smith               QB Bears               1234 ");
  EXPECT_EQ(ReadSelectionLine(line).round, "3");
  EXPECT_EQ(ReadSelectionLine(line).selection, "12");
  EXPECT_EQ(
      DraftListFill(Pick{1, "A very long team name indeed", "A player with a long long name", "QB", "10-1"}).size(),
      60u);
  EXPECT_EQ(NextLabel("1-12", 12), "2-1");
  EXPECT_EQ(NextLabel("1-0", 12), "1-1");
  EXPECT_EQ(NextLabel("3-7", 12), "3-8");
}

}  // namespace
}  // namespace pm::draft
