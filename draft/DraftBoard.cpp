#include "draft/DraftBoard.h"

#include <algorithm>

#include "common/Common.h"

namespace pm::draft {

namespace {

// Round and selection of a label "r-s"; {0, 0} when it has no dash.
std::pair<long long, long long> ReadLabel(std::string_view label) {
  const std::size_t dash = label.find('-');
  if (dash == std::string_view::npos) return {0, 0};
  return {LeadingNumber(label.substr(0, dash)), LeadingNumber(label.substr(dash + 1))};
}

bool OnBoard(long long n) { return n >= 1 && n <= kMaxPicks; }

}  // namespace

DraftBoard::DraftBoard(const PickList& picks, int teamCount, std::string_view ownTeam)
    : selections_(std::clamp(teamCount, 0, kMaxPicks)) {
  for (const std::optional<Pick>& pick : picks.Slots()) {
    if (!pick) continue;
    const auto [round, selection] = ReadLabel(pick->label);
    if (!OnBoard(round) || !OnBoard(selection)) continue;
    const int r = static_cast<int>(round);
    const int s = static_cast<int>(selection);
    rounds_ = std::max(rounds_, r);
    selections_ = std::max(selections_, s);
    cells_[{r, s}] = BoardCell{*pick, !ownTeam.empty() && pick->team == ownTeam};
  }
}

const BoardCell* DraftBoard::At(int round, int selection) const {
  auto it = cells_.find({round, selection});
  return it == cells_.end() ? nullptr : &it->second;
}

std::string DraftBoard::CellText(const Pick& pick) { return pick.player + "  " + pick.position + "\n" + pick.team; }

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

std::string DraftBoard::Csv() const {
  std::string csv = "Round";
  for (int s = 1; s <= selections_; ++s) csv += "," + std::to_string(s);
  csv += "\r\n";
  for (int r = 1; r <= rounds_; ++r) {
    csv += std::to_string(r);
    for (int s = 1; s <= selections_; ++s) {
      csv += ',';
      if (const BoardCell* cell = At(r, s))
        csv += CsvField(cell->pick.player + ", " + cell->pick.position + ", " + cell->pick.team);
    }
    csv += "\r\n";
  }
  return Latin1ToUtf8(csv);
}

}  // namespace pm::draft
