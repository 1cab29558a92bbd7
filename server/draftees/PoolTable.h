// The draftee list's table made from the pool the league loaders build.
#pragma once

#include "Draftees.h"
#include "FBPro.h"

namespace pm::draftees {

// Each position's players in the order of the pool's position index (the
// list's natural order). Element numbers outside the pool are skipped.
DrafteeTable TableFromPool(const fbpro::DrafteePool& pool);

// One player of the pool as the list shows it.
Player FromFbpro(const fbpro::Player& player);

}  // namespace pm::draftees
