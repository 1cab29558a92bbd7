#include "draft/PickList.h"

#include <utility>

namespace pm::draft {

const Pick* PickList::At(int n) const {
  if (n < 1 || n > Count()) return nullptr;
  const std::optional<Pick>& slot = slots_[static_cast<std::size_t>(n - 1)];
  return slot ? &*slot : nullptr;
}

bool PickList::Append(Pick pick) {
  if (Full()) return false;
  slots_.emplace_back(std::move(pick));
  return true;
}

bool PickList::BlankLabel(std::string_view label) {
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
