#include "draft/Draftees.h"

#include <algorithm>
#include <charconv>

#include "common/Common.h"
#include "draft/DrafteeFind.h"

namespace pm::draft {

int Player::Rating(int box) const {
  switch (box) {
    case 0: return sp;
    case 1: return ac;
    case 2: return ag;
    case 3: return st;
    case 4: return ha;
    case 5: return en;
    case 6: return inn;
    case 7: return di;
    default: return 0;
  }
}

const std::vector<Player>& DrafteeTable::Of(int position) const {
  static const std::vector<Player> none;
  if (position < 0 || position >= kPositionCodes) return none;
  return positions[static_cast<std::size_t>(position)];
}

std::size_t DrafteeTable::Size() const {
  std::size_t n = 0;
  for (const auto& p : positions) n += p.size();
  return n;
}

DrafteeTable::Found DrafteeTable::Find(int pid) const {
  for (int position = 0; position < kPositionCodes; ++position)
    for (const Player& p : Of(position))
      if (p.pid == pid) return {&p, position};
  return {};
}

namespace {

// Writes `value` in plain decimal into line[at, at + width), left- or
// right-aligned, blank-padded and cut on the right as PadField does.
void PutNumber(std::string& line, std::size_t at, int width, int value, bool right) {
  char digits[16];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  std::size_t n = static_cast<std::size_t>(result.ptr - digits);
  std::size_t w = static_cast<std::size_t>(width);
  if (n >= w) {
    line.replace(at, w, digits, w);
  } else if (right) {
    line.replace(at + w - n, n, digits, n);
  } else {
    line.replace(at, n, digits, n);
  }
}

}  // namespace

std::string ShownName(const Player& player) {
  // The first name gives way to the last name: the two with one blank
  // between them fit the 20 name columns whenever the last name allows.
  const std::size_t room = player.lname.size() < 19 ? 19 - player.lname.size() : 0;
  const std::size_t first = std::min(room, player.fname.size());
  std::string name = player.fname.substr(0, first) + ' ';
  name += player.lname.substr(0, std::min<std::size_t>(player.lname.size(), 20 - name.size()));
  return TrimRight(name);
}

std::string FormatLine(const Player& player) {
  std::string line(kLineWidth, ' ');
  PutNumber(line, 0, 5, player.pid, false);
  const std::string name = ShownName(player);
  line.replace(5, name.size(), name);
  PutNumber(line, 26, 3, player.yr, true);
  for (int box = 0; box < kRatingBoxes; ++box)
    PutNumber(line, static_cast<std::size_t>(RatingColumn(box) - 1), 3, player.Rating(box), false);
  return line;
}

std::string HeaderLine() {
  std::string header(kLineWidth, ' ');
  auto put = [&header](int column, std::string_view title) {
    header.replace(static_cast<std::size_t>(column - 1), title.size(), title);
  };
  put(1, "PID");
  put(kNameColumn, "Name");
  put(kExpColumn, "EXP");
  static constexpr std::array<const char*, kRatingBoxes> titles = {"SP", "AC", "AG", "ST", "HA", "EN", "IN", "DI"};
  for (int box = 0; box < kRatingBoxes; ++box) put(RatingColumn(box), titles[static_cast<std::size_t>(box)]);
  return TrimRight(header);
}

DraftedSet::DraftedSet(const PickList& picks) {
  if (picks.Count() == 0) return;
  bits_.assign(65536 / 64, 0);
  for (const std::optional<Pick>& pick : picks.Slots())
    if (pick) Add(pick->pid);
}

void DraftedSet::Add(long long pid) {
  if (pid >= 0 && pid < 65536)
    bits_[static_cast<std::size_t>(pid) / 64] |= uint64_t{1} << (pid % 64);
  else
    others_.push_back(pid);
}

bool DraftedSet::Contains(int pid) const {
  if (bits_.empty()) return false;
  if (pid >= 0 && pid < 65536) return (bits_[static_cast<std::size_t>(pid) / 64] >> (pid % 64)) & 1U;
  return std::find(others_.begin(), others_.end(), pid) != others_.end();
}

void DrafteeListModel::SetTable(DrafteeTable table) {
  table_ = std::move(table);
  lines_.clear();
  rows_.clear();
}

bool DrafteeListModel::RatingTicked(int box) const {
  return box >= 0 && box < kRatingBoxes && ratings_[static_cast<std::size_t>(box)];
}

void DrafteeListModel::SelectPosition(int position) {
  currentPosition_ = position;
  lines_.clear();
  rows_.clear();
  ratings_.fill(false);
  nameTicked_ = false;
  Fill(NaturalOrder());
}

bool DrafteeListModel::SetRating(int box, bool ticked) {
  if (box >= 0 && box < kRatingBoxes) ratings_[static_cast<std::size_t>(box)] = ticked;
  if (lines_.empty()) return false;
  nameTicked_ = false;
  lines_.clear();
  rows_.clear();
  bool any = std::any_of(ratings_.begin(), ratings_.end(), [](bool b) { return b; });
  Fill(any ? RatingOrder() : NaturalOrder());
  return true;
}

bool DrafteeListModel::SetName(bool ticked) {
  nameTicked_ = ticked;
  if (lines_.empty() || !ticked) return false;
  lines_.clear();
  rows_.clear();
  Fill(NameOrder());
  return true;
}

int DrafteeListModel::PidAt(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return 0;
  return table_.Of(currentPosition_)[Index(rows_[Index(row)])].pid;
}

void DrafteeListModel::RemoveLine(int row) {
  if (row < 0 || row >= static_cast<int>(lines_.size())) return;
  lines_.erase(lines_.begin() + row);
  rows_.erase(rows_.begin() + row);
}

std::vector<int> DrafteeListModel::NaturalOrder() const {
  std::vector<int> order(table_.Of(currentPosition_).size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  return order;
}

std::vector<int> DrafteeListModel::RatingOrder() const {
  // Descending sum of the ticked ratings; equal sums keep natural order.
  // Players whose sum is 0 or less follow all others, in natural order.
  const auto& players = table_.Of(currentPosition_);
  std::vector<int> scored, rest;
  std::vector<long long> score(players.size(), 0);
  for (std::size_t i = 0; i < players.size(); ++i) {
    for (int box = 0; box < kRatingBoxes; ++box)
      if (ratings_[static_cast<std::size_t>(box)]) score[i] += players[i].Rating(box);
    (score[i] > 0 ? scored : rest).push_back(static_cast<int>(i));
  }
  std::stable_sort(scored.begin(), scored.end(), [&score](int a, int b) {
    return score[static_cast<std::size_t>(a)] > score[static_cast<std::size_t>(b)];
  });
  scored.insert(scored.end(), rest.begin(), rest.end());
  return scored;
}

std::vector<int> DrafteeListModel::NameOrder() const {
  // Ascending last name in the reader's alphabet: letter case and accents
  // are ignored ("M\xFCller" sorts with "Muller", not after "Mz"); equal
  // names keep natural order.
  const auto& players = table_.Of(currentPosition_);
  std::vector<int> order = NaturalOrder();
  std::vector<std::string> keys(players.size());
  for (std::size_t i = 0; i < players.size(); ++i) keys[i] = FoldForFind(players[i].lname);
  std::stable_sort(order.begin(), order.end(), [&keys](int a, int b) {
    return keys[static_cast<std::size_t>(a)] < keys[static_cast<std::size_t>(b)];
  });
  return order;
}

void DrafteeListModel::Fill(const std::vector<int>& order) {
  const auto& players = table_.Of(currentPosition_);
  const DraftedSet drafted = picks_ ? DraftedSet(*picks_) : DraftedSet();
  lines_.reserve(order.size());
  rows_.reserve(order.size());
  for (int i : order) {
    const Player& p = players[static_cast<std::size_t>(i)];
    if (drafted.Contains(p.pid)) continue;
    lines_.push_back(FormatLine(p));
    rows_.push_back(i);
  }
}

}  // namespace pm::draft
