#include "draft/PickList.h"

#include <iterator>
#include <utility>

namespace pm::draft {

const Pick* PickList::At(int n) const {
  if (n < 1 || n > Count()) return nullptr;
  const std::optional<Pick>& slot = slots_[static_cast<std::size_t>(n - 1)];
  return slot ? &*slot : nullptr;
}

std::vector<Pick> PickList::Picks() const {
  std::vector<Pick> out;
  for (const std::optional<Pick>& slot : slots_)
    if (slot) out.push_back(*slot);
  return out;
}

void PickList::Assign(std::vector<Pick> picks) {
  if (picks.size() > static_cast<std::size_t>(capacity_)) picks.resize(static_cast<std::size_t>(capacity_));
  slots_.assign(std::make_move_iterator(picks.begin()), std::make_move_iterator(picks.end()));
}

bool PickList::Append(Pick pick) {
  if (Full()) return false;
  slots_.emplace_back(std::move(pick));
  return true;
}

bool PickList::Insert(int n, Pick pick) {
  if (Full() || n < 1 || n > Count() + 1) return false;
  slots_.emplace(slots_.begin() + (n - 1), std::move(pick));
  return true;
}

bool PickList::BlankLabel(PickLabel label) {
  for (std::optional<Pick>& slot : slots_) {
    if (slot && slot->label == label) {
      slot.reset();
      return true;
    }
  }
  return false;
}

bool PickList::HasPid(int pid) const {
  for (const std::optional<Pick>& slot : slots_)
    if (slot && slot->pid == pid) return true;
  return false;
}

}  // namespace pm::draft
