#include "draft/DraftBoard.h"

#include <algorithm>

#include "common/Common.h"

namespace pm::draft {

DraftBoard::DraftBoard(const PickList& picks, int teamCount, std::string_view ownTeam, BoardOrder order)
    : selections_(std::clamp(teamCount, 0, kMaxPicks)), order_(std::move(order)) {
  if (order_.perRound == selections_ && selections_ > 0) {
    const int picksOrdered = static_cast<int>(std::min(order_.owners.size(), static_cast<std::size_t>(kMaxPicks)));
    rounds_ = std::max(rounds_, (picksOrdered + selections_ - 1) / selections_);
  } else {
    order_ = {};  // an order of another draft's size says nothing of this grid
  }
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

const std::string* DraftBoard::OrderName(const std::vector<std::string>& names, PickLabel label) const {
  if (!label.Fits(selections_)) return nullptr;
  const auto index = static_cast<std::size_t>(label.Overall(selections_) - 1);
  return index < names.size() ? &names[index] : nullptr;
}

std::string DraftBoard::ColumnTitle(int selection) const {
  const std::string* team = OrderName(order_.originals, {1, selection});
  return team && !team->empty() ? *team : std::to_string(selection);
}

std::string DraftBoard::OwnerOf(PickLabel label) const {
  const std::string* owner = OrderName(order_.owners, label);
  return owner ? *owner : std::string();
}

std::string DraftBoard::TradedFrom(PickLabel label) const {
  const std::string* original = OrderName(order_.originals, label);
  if (!original || original->empty()) return {};
  const BoardCell* cell = At(label.round, label.selection);
  const std::string owner = cell ? cell->pick.team : OwnerOf(label);
  return owner.empty() || owner == *original ? std::string() : *original;
}

std::string DraftBoard::CellText(const Pick& pick) { return pick.player + "  " + pick.position + "\n" + pick.team; }

std::string DraftBoard::CellText(PickLabel label) const {
  const BoardCell* cell = At(label.round, label.selection);
  std::string text = cell ? CellText(cell->pick) : OwnerOf(label);
  const std::string via = TradedFrom(label);
  if (!via.empty()) text += (cell ? "\nvia " : " (via ") + via + (cell ? "" : ")");
  return text;
}

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
  std::vector<Pick> picks;
  picks.reserve(cells_.size());
  for (const auto& [label, cell] : cells_) picks.push_back(cell.pick);
  return PicksCsv(picks, selections_);
}

std::string PicksCsv(const std::vector<Pick>& picks, int perRound) {
  std::string csv = "\xEF\xBB\xBFRound,Selection,Overall,Team,PID,Player,Position\r\n";
  for (const Pick& p : picks) {
    csv += std::to_string(p.label.round) + ',' + std::to_string(p.label.selection) + ',' +
           std::to_string(p.label.Overall(perRound)) + ',' + CsvField(Latin1ToUtf8(p.team)) + ',' +
           std::to_string(p.pid) + ',' + CsvField(Latin1ToUtf8(p.player)) + ',' + CsvField(Latin1ToUtf8(p.position)) +
           "\r\n";
  }
  return csv;
}

}  // namespace pm::draft
