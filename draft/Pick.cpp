#include "draft/Pick.h"

#include <algorithm>
#include <climits>

#include "common/Common.h"

namespace pm::draft {

namespace {

// A label's number: digits only, blanks around allowed, 1..kMaxPicks.
std::optional<int> LabelNumber(std::string_view text) {
  const std::string t = Trim(text);
  if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const long long n = LeadingNumber(t);
  if (n < 1 || n > kMaxPicks) return std::nullopt;
  return static_cast<int>(n);
}

}  // namespace

std::optional<PickLabel> PickLabel::Parse(std::string_view text) {
  const std::size_t dash = text.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const std::optional<int> round = LabelNumber(text.substr(0, dash));
  const std::optional<int> selection = LabelNumber(text.substr(dash + 1));
  if (!round || !selection) return std::nullopt;
  return PickLabel{*round, *selection};
}

PickLabel PickLabel::FromOverall(int overall, int teams) {
  if (teams < 1 || overall < 1) return {};
  return {(overall - 1) / teams + 1, (overall - 1) % teams + 1};
}

std::string PickLabel::Text() const { return Num(round) + "-" + Num(selection); }

PickLabel PickLabel::Next(int teams) const {
  if (selection >= teams) return {round + 1, 1};
  return {round, selection + 1};
}

Pick ParsePick(std::string_view text, std::string_view separator) {
  Pick p;
  p.pid = static_cast<int>(std::clamp<long long>(LeadingNumber(GetField(text, 1, separator)), INT_MIN, INT_MAX));
  p.team = GetField(text, 2, separator);
  p.player = GetField(text, 3, separator);
  p.position = GetField(text, 4, separator);
  p.label = PickLabel::Parse(GetField(text, 5, separator)).value_or(PickLabel{});
  return p;
}

std::string PickRecord(const Pick& pick) {
  return Num(pick.pid) + "|" + pick.team + "|" + pick.player + "|" + pick.position + "|" + pick.label.Text();
}

std::vector<DraftRecord> ParseDraftRecords(std::string_view text) {
  // A text editor may have put a UTF-8 byte-order mark in front.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
  std::vector<DraftRecord> records;
  std::size_t start = 0;
  for (int number = 1; start < text.size(); ++number) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    if (!Trim(line).empty()) records.push_back(DraftRecord{number, std::string(line), ParsePick(line)});
  }
  return records;
}

std::vector<Pick> ParseDraftFile(std::string_view text) {
  std::vector<Pick> picks;
  for (DraftRecord& record : ParseDraftRecords(text)) picks.push_back(std::move(record.pick));
  return picks;
}

std::string DraftFileText(const std::vector<Pick>& picks) {
  std::string text;
  for (const Pick& p : picks) text += PickRecord(p) + "\r\n";
  return text;
}

std::string DraftListFill(const Pick& pick) {
  std::string line = PadField(Num(pick.label.round), "R", 3);
  line += '-';
  line += PadField(Num(pick.label.selection), "L", 3);
  line += PadField(pick.player, "L", 25);
  line += PadField(pick.position, "L", 3);
  line += PadField(pick.team, "L", 20);
  line += PadField(Num(pick.pid), "L", 5);
  return line;
}

}  // namespace pm::draft
