#include "draft/PoolTable.h"

namespace pm::draft {

Player FromFbpro(const league::Player& p) {
  Player out;
  out.pid = p.pid;
  out.fname = p.fname;
  out.lname = p.lname;
  out.sp = p.SP;
  out.ac = p.AC;
  out.ag = p.AG;
  out.st = p.ST;
  out.ha = p.HA;
  out.en = p.EN;
  out.inn = p.INN;
  out.di = p.DI;
  out.yr = p.YR;
  return out;
}

DrafteeTable TableFromPool(const league::DrafteePool& pool) {
  DrafteeTable table;
  for (int p = 0; p < kPositionCodes && p < league::kPositionCodes; ++p) {
    auto& players = table.positions[static_cast<std::size_t>(p)];
    const auto& index = pool.positionIndex[static_cast<std::size_t>(p)];
    players.reserve(index.size());
    for (int element : index) {
      if (element < 1 || element > pool.Count()) continue;
      players.push_back(FromFbpro(pool.draftees[static_cast<std::size_t>(element)].player));
    }
  }
  return table;
}

}  // namespace pm::draft
