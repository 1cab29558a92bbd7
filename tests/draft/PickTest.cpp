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
  EXPECT_EQ(picks[0], (Pick{644, "Albany Admirals", "Jose Jones", "T", {1, 1}}));
  EXPECT_EQ(picks[1].pid, 700);
  EXPECT_EQ(picks[2].label, (PickLabel{1, 3}));
  EXPECT_EQ(DraftFileText(picks),
            "644|Albany Admirals|Jose Jones|T|1-1\r\n"
            "700|Boston Bulldogs|Kim Lee|DE|1-2\r\n"
            "701|Austin Outlaws|Al Bo|QB|1-3\r\n");
}

TEST(PickFields, CatchUpBodyAndShortRecords) {
  EXPECT_EQ(ParsePick("203,Boston Bulldogs,Player Three,K,1-3", ","),
            (Pick{203, "Boston Bulldogs", "Player Three", "K", {1, 3}}));
  // Missing fields stay empty; fields past the fifth are ignored.
  EXPECT_EQ(ParsePick("12|Team"), (Pick{12, "Team", "", "", {}}));
  EXPECT_EQ(ParsePick("12|A|B|C|1-1|extra"), (Pick{12, "A", "B", "C", {1, 1}}));
}

TEST(Pick, SelectionLineAndLabels) {
  std::string line = DraftListFill(Pick{1234, "Bears", "John Smith", "QB", {3, 12}});
  EXPECT_EQ(line.size(), 60u);
  EXPECT_EQ(line, "  3-12 John Smith               QB Bears               1234 ");
  EXPECT_EQ(
      DraftListFill(Pick{1, "A very long team name indeed", "A player with a long long name", "QB", {10, 1}}).size(),
      60u);
}

// Labels are numbers: read one way ("01-1" is 1-1), written one way, and a
// text that is no label (a sign, a missing part, a number past the draft) is
// none, so it can never reach a board or a file as a label of its own.
TEST(PickLabel, ReadOneWayWrittenOneWay) {
  EXPECT_EQ(PickLabel::Parse("01-1"), (PickLabel{1, 1}));
  EXPECT_EQ(PickLabel::Parse(" 3 - 12 ")->Text(), "3-12");
  for (const char* bad : {"", "1", "1-", "-1", "1--1", "+1-1", "1-1x", "0-1", "1-0", "1001-1", "a-b", "99999999999-1"})
    EXPECT_FALSE(PickLabel::Parse(bad)) << bad;
  EXPECT_EQ((PickLabel{1, 12}).Next(12), (PickLabel{2, 1}));
  EXPECT_EQ((PickLabel{3, 7}).Next(12), (PickLabel{3, 8}));
  EXPECT_EQ(PickLabel::FromOverall(13, 12), (PickLabel{2, 1}));
  EXPECT_EQ((PickLabel{2, 1}).Overall(12), 13);
  EXPECT_TRUE((PickLabel{84, 4}).Fits(12));
  EXPECT_FALSE((PickLabel{1, 13}).Fits(12));  // no such selection
  EXPECT_FALSE((PickLabel{84, 5}).Fits(12));  // past the picks a draft records
  EXPECT_LT((PickLabel{1, 12}), (PickLabel{2, 1}));
}

}  // namespace
}  // namespace pm::draft
