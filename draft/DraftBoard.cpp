#include "draft/DraftBoard.h"

#include <algorithm>

#include "common/Common.h"

namespace pm::draft {

DraftBoard::DraftBoard(const PickList& picks, int teamCount, std::string_view ownTeam)
    : selections_(std::clamp(teamCount, 0, kMaxPicks)) {
  for (const std::optional<Pick>& pick : picks.Slots()) {
    if (!pick) continue;
    // A label no pick of this draft can have (a hand-edited draft file)
    // would stretch the grid: it is left off.
    if (!pick->label.Fits(selections_)) continue;
    const auto [r, s] = pick->label;
    rounds_ = std::max(rounds_, r);
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
