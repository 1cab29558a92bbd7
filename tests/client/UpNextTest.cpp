// What the owner's room computes from the order, the picks and the clock:
// the picks up next, the own team's next pick and the banner.
#include <gtest/gtest.h>

#include "client/UpNext.h"

using namespace Qt::StringLiterals;

namespace pm::client {
namespace {

std::vector<std::string> Labels(const UpNext& next) {
  std::vector<std::string> out;
  for (const UpcomingPick& p : next.picks) out.push_back(p.label.Text() + (p.own ? "*" : ""));
  return out;
}

// Three teams, snake, three rounds: 1 2 3 | 3 2 1 | 1 2 3; pick 2-3 (team
// 1's) was traded to team 2.
TEST(UpNext, FollowsTheSnakeTurnAndATradedPick) {
  const std::vector<int> owners = {1, 2, 3, 3, 2, 2, 1, 2, 3};
  draft::PickList made(draft::kMaxPicks);
  made.Append({10, "A", "P", "QB", {1, 1}});
  made.Append({11, "B", "P", "QB", {1, 2}});

  // Team 3 on the clock at 1-3: it picks again at once, after the turn.
  UpNext next = ComputeUpNext(owners, 3, made, draft::PickLabel{1, 3}, 3, 4);
  EXPECT_EQ(Labels(next), (std::vector<std::string>{"1-3*", "2-1*", "2-2", "2-3"}));
  EXPECT_TRUE(next.OnTheClock());
  EXPECT_EQ(OwnNextText(next), u"You are on the clock \u2014 pick 1-3"_s);
  EXPECT_EQ(OwnNextText(ComputeUpNext(owners, 3, made, draft::PickLabel{1, 3}, 2, 4)),
            u"Your next pick: 2-2, in 2 picks"_s);

  // Team 1 lost 2-3 to the trade: its next pick is 3-1, four picks on.
  next = ComputeUpNext(owners, 3, made, draft::PickLabel{1, 3}, 1, 4);
  EXPECT_EQ(next.ownNext, (draft::PickLabel{3, 1}));
  EXPECT_EQ(next.picksBefore, 4);
  EXPECT_EQ(OwnNextText(next), u"Your next pick: 3-1, in 4 picks"_s);

  // Nobody on the clock: the first pick not made leads; a pick made again
  // out of turn (2-1) is left out.
  made.Append({12, "C", "P", "QB", {2, 1}});
  next = ComputeUpNext(owners, 3, made, std::nullopt, 3, 3);
  EXPECT_EQ(Labels(next), (std::vector<std::string>{"1-3*", "2-2", "2-3"}));
  EXPECT_EQ(OwnNextText(next), u"You are up next \u2014 pick 1-3"_s);
  next = ComputeUpNext(owners, 3, made, draft::PickLabel{1, 3}, 2, 3);
  EXPECT_TRUE(next.OnDeck());
  EXPECT_EQ(OwnNextText(next), u"You are on deck \u2014 pick 2-2"_s);
  EXPECT_TRUE(ComputeUpNext({}, 0, made, std::nullopt, 1, 3).picks.empty());
}

TEST(UpNext, BannerTellsWhoIsOnTheClockAndTheTimeLeft) {
  EXPECT_EQ(BannerText({true, true, "Austin Outlaws", draft::PickLabel{2, 5}, 42, false}),
            u"You are on the clock \u2014 pick 2-5 \u2014 0:42"_s);
  EXPECT_EQ(BannerText({true, false, "M\xFCnchen Bulls", draft::PickLabel{2, 6}, 125, false}),
            u"M\u00fcnchen Bulls is on the clock \u2014 pick 2-6 \u2014 2:05"_s);
  EXPECT_EQ(BannerText({true, true, "A", draft::PickLabel{2, 5}, 42, true}),
            u"You are on the clock \u2014 pick 2-5 \u2014 Paused"_s);
  EXPECT_EQ(BannerText({}), QString());
  EXPECT_EQ(ClockText(3 * 3600 + 61), u"3:01:01"_s);
}

// The teams the order gave each pick, told from the owners: a snake's even
// rounds run the other way; a traded pick keeps its place's team.
TEST(UpNext, OrderedTeamsSeeTheSnakeThroughATrade) {
  EXPECT_EQ(OrderedTeams({1, 2, 3, 3, 2, 2, 1, 2, 3}, 3), (std::vector<int>{1, 2, 3, 3, 2, 1, 1, 2, 3}));
  EXPECT_EQ(OrderedTeams({1, 2, 3, 1, 3, 3}, 3), (std::vector<int>{1, 2, 3, 1, 2, 3}));
}

}  // namespace
}  // namespace pm::client
