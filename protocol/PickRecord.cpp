#include "PickRecord.h"

#include "Common.h"

namespace pm::proto {

std::string DraftListFill(std::string_view pickRecord) {
  std::string label = GetField(pickRecord, 5, "|");
  std::string line = PadField(GetField(label, 1, "-"), "R", 3);
  line += '-';
  line += PadField(GetField(label, 2, "-"), "L", 3);
  line += PadField(GetField(pickRecord, 3, "|"), "L", 25);
  line += PadField(GetField(pickRecord, 4, "|"), "L", 3);
  line += PadField(GetField(pickRecord, 2, "|"), "L", 20);
  line += PadField(GetField(pickRecord, 1, "|"), "L", 5);
  return line;
}

LineLabel ReadSelectionLine(std::string_view line) {
  auto cols = [&](std::size_t from, std::size_t width) {
    return from < line.size() ? Trim(line.substr(from, width)) : std::string();
  };
  return {cols(0, 3), cols(4, 3)};
}

std::string NextLabel(long long round, long long selection, int teamCount) {
  selection += 1;
  if (selection > teamCount) {
    selection = 1;
    round += 1;
  }
  return Num(round) + "-" + Num(selection);
}

std::string NextLabel(std::string_view roundSel, int teamCount) {
  return NextLabel(LeadingNumber(GetField(roundSel, 1, "-")), LeadingNumber(GetField(roundSel, 2, "-")),
                   teamCount);
}

}  // namespace pm::proto
