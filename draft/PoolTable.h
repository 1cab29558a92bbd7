// The draftee list's table made from the pool the league loaders build.
#pragma once

#include "draft/Draftees.h"
#include "league/FBPro.h"

namespace pm::draft {

// Each position's players in the order of the pool's position index (the
// list's natural order). Element numbers outside the pool are skipped.
DrafteeTable TableFromPool(const league::DrafteePool& pool);

// One player of the pool as the list shows it.
Player FromFbpro(const league::Player& player);

}  // namespace pm::draft
