// The wish lists the owners sent (K), kept with the draft: a team's list
// outlives its connection, so an absent team is still picked for from it.
//
// A list arrives in parts; position 0 starts a new list (an empty part 0
// clears it) and each further part must continue the list received so far.
// A list holds at most protocol::kMaxWishList PIDs.
#pragma once

#include <string>
#include <vector>

namespace pm::server {

class WishLists {
 public:
  // Forgets every list; teams 1..teamCount may send one.
  void Reset(int teamCount);
  // Stores a part of team `team`'s list. Empty text when stored, else why
  // not (the list is unchanged then).
  std::string Receive(int team, int first, const std::vector<int>& pids);
  // Team `team`'s list, best first; empty when none.
  const std::vector<int>& Of(int team) const;

 private:
  std::vector<std::vector<int>> lists_;  // team k at k - 1
};

}  // namespace pm::server
