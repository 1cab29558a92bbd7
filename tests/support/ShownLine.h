// A draftee line read back, for tests that check what a list shows. The
// programs themselves never read a shown line: their list items carry the
// player's id.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "common/Common.h"

namespace pm::draft {

// PID text = columns 1-5 trimmed; name = columns 6-25 with trailing blanks
// trimmed.
struct LineSelection {
  std::string pidText;
  std::string name;
};

inline LineSelection ReadLine(std::string_view line) {
  LineSelection s;
  s.pidText = Trim(line.substr(0, std::min<std::size_t>(5, line.size())));
  if (line.size() > 5) s.name = TrimRight(line.substr(5, 20));
  return s;
}

}  // namespace pm::draft
