// The draft board: the picks laid out as a grid of a row per round and a
// column per selection, and that grid as CSV text.
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

#include "draft/PickList.h"

namespace pm::draft {

struct BoardCell {
  Pick pick;
  bool own = false;  // a pick of the team the board is shown to

  bool operator==(const BoardCell&) const = default;
};

class DraftBoard {
 public:
  DraftBoard() = default;
  // `ownTeam` names the team whose picks are marked own (empty: none).
  DraftBoard(const PickList& picks, int teamCount, std::string_view ownTeam = {});

  int Rounds() const { return rounds_; }
  int Selections() const { return selections_; }
  // The cell of round r, selection s (both from 1); null when empty.
  const BoardCell* At(int round, int selection) const;

  // The grid's text of a cell: "First Last  POS" over the team's name.
  static std::string CellText(const Pick& pick);
  // The CSV of the grid (RFC 4180, CR LF line ends) in UTF-8: a title row
  // "Round,1,2,...", then per round its number and its cells, each
  // "First Last, POS, Team" or empty.
  std::string Csv() const;

 private:
  int rounds_ = 1;
  int selections_ = 0;
  std::map<std::pair<int, int>, BoardCell> cells_;
};

// A CSV field as RFC 4180 writes it: quoted, with its quotes doubled, when
// it holds a comma, a quote, CR or LF; else as it is.
std::string CsvField(std::string_view text);

}  // namespace pm::draft
