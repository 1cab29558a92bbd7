#include "draft/Pick.h"

#include <algorithm>
#include <climits>

#include "common/Common.h"

namespace pm::draft {

Pick ParsePick(std::string_view text, std::string_view separator) {
  Pick p;
  p.pid = static_cast<int>(std::clamp<long long>(LeadingNumber(GetField(text, 1, separator)), INT_MIN, INT_MAX));
  p.team = GetField(text, 2, separator);
  p.player = GetField(text, 3, separator);
  p.position = GetField(text, 4, separator);
  p.label = GetField(text, 5, separator);
  return p;
}

std::string PickRecord(const Pick& pick) {
  return Num(pick.pid) + "|" + pick.team + "|" + pick.player + "|" + pick.position + "|" + pick.label;
}

std::vector<Pick> ParseDraftFile(std::string_view text) {
  // A text editor may have put a UTF-8 byte-order mark in front.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
  std::vector<Pick> picks;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    if (!Trim(line).empty()) picks.push_back(ParsePick(line));
  }
  return picks;
}

std::string DraftFileText(const std::vector<Pick>& picks) {
  std::string text;
  for (const Pick& p : picks) text += PickRecord(p) + "\r\n";
  return text;
}

std::string DraftListFill(const Pick& pick) {
  std::string line = PadField(GetField(pick.label, 1, "-"), "R", 3);
  line += '-';
  line += PadField(GetField(pick.label, 2, "-"), "L", 3);
  line += PadField(pick.player, "L", 25);
  line += PadField(pick.position, "L", 3);
  line += PadField(pick.team, "L", 20);
  line += PadField(Num(pick.pid), "L", 5);
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
  return NextLabel(LeadingNumber(GetField(roundSel, 1, "-")), LeadingNumber(GetField(roundSel, 2, "-")), teamCount);
}

}  // namespace pm::draft
