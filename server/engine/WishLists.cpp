#include "server/engine/WishLists.h"

#include "common/Common.h"
#include "protocol/Protocol.h"

namespace pm::server {

void WishLists::Reset(int teamCount) { lists_.assign(Index(teamCount > 0 ? teamCount : 0), {}); }

std::string WishLists::Receive(int team, int first, const std::vector<int>& pids) {
  if (team < 1 || team > static_cast<int>(lists_.size())) return "the team is not in this league.";
  std::vector<int>& list = lists_[Index(team - 1)];
  const auto held = static_cast<int>(list.size());
  if (first != 0 && first != held)
    return "the part starting at position " + Num(first) + " does not continue the list received so far (" + Num(held) +
           " players).";
  if (first + static_cast<int>(pids.size()) > protocol::kMaxWishList)
    return "a wish list holds at most " + Num(protocol::kMaxWishList) + " players.";
  if (first == 0) list.clear();
  list.insert(list.end(), pids.begin(), pids.end());
  return {};
}

const std::vector<int>& WishLists::Of(int team) const {
  static const std::vector<int> none;
  return team >= 1 && team <= static_cast<int>(lists_.size()) ? lists_[Index(team - 1)] : none;
}

}  // namespace pm::server
