// The draft board: the picks laid out as a grid of a row per round and a
// column per selection, with the draft order's teams when it is known, and
// the picks as CSV text.
//
// A pick goes to the cell of its label. The grid has at least one round and
// a column for every team; a label that does not fit the draft (a selection
// past the teams, a pick past kMaxPicks) is left off. Blank (deleted) slots leave their cell
// empty; when two picks carry the same label, the later one is shown.
// Texts are Latin-1, except the CSV text, which is UTF-8.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "draft/PickList.h"

namespace pm::draft {

// What the board knows of the draft order, a name per pick in draft order
// (`perRound` picks a round): the team that owns the pick now, and the team
// the order gave it (the two differ for a traded pick). Empty: no order.
struct BoardOrder {
  int perRound = 0;
  std::vector<std::string> owners;
  std::vector<std::string> originals;
};

struct BoardCell {
  Pick pick;
  bool own = false;  // a pick of the team the board is shown to

  bool operator==(const BoardCell&) const = default;
};

class DraftBoard {
 public:
  DraftBoard() = default;
  // `ownTeam` names the team whose picks are marked own (empty: none). With
  // an order, the grid has at least the order's rounds.
  DraftBoard(const PickList& picks, int teamCount, std::string_view ownTeam = {}, BoardOrder order = {});

  int Rounds() const { return rounds_; }
  int Selections() const { return selections_; }
  // The cell of round r, selection s (both from 1); null when empty.
  const BoardCell* At(int round, int selection) const;
  // The title of column s: the team the order gives the first round's pick
  // s, else the selection's number.
  std::string ColumnTitle(int selection) const;
  // The team owning the pick at `label` now; empty when the order is unknown.
  std::string OwnerOf(PickLabel label) const;
  // The team the order gave the pick at `label` when the pick was traded
  // away from it (its owner or the team that made it differs); else empty.
  std::string TradedFrom(PickLabel label) const;
  // The grid's text of the cell at `label`: "First Last  POS" over the
  // team's name, "via" the order's team when the pick was traded; an empty
  // cell shows its owner (empty when unknown).
  std::string CellText(PickLabel label) const;
  // The cell's text of a pick without an order.
  static std::string CellText(const Pick& pick);
  // The picks, in label order, as CSV (PicksCsv).
  std::string Csv() const;

 private:
  const std::string* OrderName(const std::vector<std::string>& names, PickLabel label) const;

  int rounds_ = 1;
  int selections_ = 0;
  std::map<std::pair<int, int>, BoardCell> cells_;
  BoardOrder order_;
};

// One row per pick, UTF-8 with a byte-order mark (so that spreadsheet
// programs read accented names right), CR LF line ends: the title row
// "Round,Selection,Overall,Team,PID,Player,Position", then each pick of
// `picks` in the order given; `perRound` numbers the overall pick.
std::string PicksCsv(const std::vector<Pick>& picks, int perRound);

// A CSV field as RFC 4180 writes it: quoted, with its quotes doubled, when
// it holds a comma, a quote, CR or LF; else as it is.
std::string CsvField(std::string_view text);

}  // namespace pm::draft
