// The picks a program has recorded, in the order they reached it, with room
// for a fixed number of them.
//
// A deleted pick leaves a blank slot: the slots keep their numbers and the
// count never goes down, so a blank slot still takes room.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "draft/Pick.h"

namespace pm::draft {

class PickList {
 public:
  explicit PickList(int capacity) : capacity_(capacity < 0 ? 0 : capacity) {}

  int Capacity() const { return capacity_; }
  // Slots used so far, blank ones included.
  int Count() const { return static_cast<int>(slots_.size()); }
  bool Full() const { return Count() >= capacity_; }

  // Pick number n (1..Count()); null for a blank slot and for any other n.
  const Pick* At(int n) const;
  // Every slot in order (slot n at index n - 1); blank ones are empty.
  const std::vector<std::optional<Pick>>& Slots() const { return slots_; }

  // The picks that are not blank, in order.
  std::vector<Pick> Picks() const;

  // Records a pick in the next slot. False, recording nothing, when full.
  bool Append(Pick pick);
  // Records a pick in slot n (1..Count() + 1); the slots from n on move one
  // place up. False, recording nothing, when full or n is out of range.
  bool Insert(int n, Pick pick);
  // Holds `picks` (as many as there is room for) and no blank slot.
  void Assign(std::vector<Pick> picks);
  // Blanks the first pick whose round-selection label is `label`. False when
  // no pick has it.
  bool BlankLabel(PickLabel label);
  // True when a pick that is not blank has this PID.
  bool HasPid(int pid) const;

 private:
  int capacity_;
  std::vector<std::optional<Pick>> slots_;
};

}  // namespace pm::draft
