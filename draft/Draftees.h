// The draftee list: the fixed-width, position-filtered, sortable list of the
// players that can still be drafted.
//
// Both programs show one (the server's Draft Control window and the client's
// Draftees window). This is the part without windows: it turns the draftee
// pool, the pick list and the state of the sort boxes into the 54-column lines
// of one position, each with the PID of its player (the windows keep the PID
// with the line and never read a line back). The Qt widget DrafteeList
// (widgets/) shows what this model builds.
//
// Texts are Latin-1 byte strings, one byte per character.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "draft/PickList.h"
#include "league/FBPro.h"

namespace pm::draft {

// Position codes 0..19 exist in the player files; 0..14 are shown. The
// captions are the league module's one table.
using league::kPositionCaptions;
using league::kPositionCodes;
using league::kShownPositions;
using league::PositionCaption;
inline constexpr int kRatingBoxes = 8;
inline constexpr int kLineWidth = 54;

// Captions of the rating boxes 0..7 and of the name box.
inline constexpr std::array<const char*, kRatingBoxes> kRatingCaptions = {"&SP", "&AC", "A&G", "S&T",
                                                                          "&HA", "&EN", "&IN", "&DI"};
inline constexpr const char* kNameCaption = "&Name";

// 1-based column where the title of rating box m starts (31, 34, ..., 52).
constexpr int RatingColumn(int box) { return 31 + 3 * box; }
inline constexpr int kNameColumn = 6;
inline constexpr int kExpColumn = 27;

// What the list shows of one player.
struct Player {
  int pid = 0;
  std::string fname;
  std::string lname;
  int sp = 0, ac = 0, ag = 0, st = 0, ha = 0, en = 0, inn = 0, di = 0;
  int yr = 0;

  // The rating under box 0..7: SP, AC, AG, ST, HA, EN, IN, DI.
  int Rating(int box) const;
};

// The players of the pool grouped by position code 0..19, each group in the
// pool's natural order (college draftees in file order, then that position's
// free agents in theirs).
struct DrafteeTable {
  std::array<std::vector<Player>, kPositionCodes> positions;

  const std::vector<Player>& Of(int position) const;
  std::size_t Size() const;

  // The player with this PID and his position code; null when none has it.
  struct Found {
    const Player* player = nullptr;
    int position = -1;
  };
  Found Find(int pid) const;
};

// The 54-column line of a player:
//   1-5 PID left; 6-25 first name cut to (19 - length of last name), one
//   blank, last name, left and cut at 20; 26 blank; 27-29 YR right; 30 blank;
//   31-54 SP AC AG ST HA EN IN DI, each left in 3 columns.
std::string FormatLine(const Player& player);
// The player's name as his line shows it (columns 6-25, trailing blanks
// trimmed): the name the programs send, record and show for his picks.
std::string ShownName(const Player& player);
// The column titles over the lines (PID, Name, EXP, SP .. DI at their columns).
std::string HeaderLine();

// The PIDs of the picks of a pick list, blank (deleted) slots left out: a
// set that answers "drafted?" in constant time while a list is rebuilt.
class DraftedSet {
 public:
  DraftedSet() = default;
  // The PIDs of the picks of a list that are not blank.
  explicit DraftedSet(const PickList& picks);
  bool Contains(int pid) const;

 private:
  void Add(long long pid);

  // One bit per 16-bit PID value; PIDs outside that range are kept apart.
  std::vector<uint64_t> bits_;
  std::vector<long long> others_;
};

// The list of one program's window, without the window. It holds the state
// the sort boxes stand for and rebuilds the lines the way the window's
// handlers do:
//   SelectPosition  - a position button: unticks every box, natural order.
//   SetRating       - a rating box ticked or unticked: re-sort by the sum of
//                     the ticked ratings (none left: natural order), untick
//                     the name box; nothing at all while the list is empty.
//   SetName         - the name box: ticking sorts by last name and leaves the
//                     rating boxes alone; unticking changes nothing; nothing at
//                     all while the list is empty.
// Drafted players (those in the pick list) are left out at every rebuild.
class DrafteeListModel {
 public:
  // The pool shown and the picks tested against. The picks are read at every
  // rebuild and must outlive the model (or be replaced).
  void SetTable(DrafteeTable table);
  const DrafteeTable& Table() const { return table_; }
  void SetPicks(const PickList* picks) { picks_ = picks; }
  const PickList* Picks() const { return picks_; }

  // A position button was chosen (or the list must be refilled after a pick):
  // natural order, all boxes unticked. A code outside 0..19 empties the list.
  void SelectPosition(int position);
  // Refills the current position (after a pick or a deleted pick).
  void Rebuild() { SelectPosition(currentPosition_); }
  // Returns true when the lines were rebuilt.
  bool SetRating(int box, bool ticked);
  bool SetName(bool ticked);

  int CurrentPosition() const { return currentPosition_; }
  std::string CurrentCaption() const { return PositionCaption(currentPosition_); }
  bool RatingTicked(int box) const;
  bool NameTicked() const { return nameTicked_; }

  // The lines and, for each, the player's index within its position.
  const std::vector<std::string>& Lines() const { return lines_; }
  const std::vector<int>& Rows() const { return rows_; }
  // The PID of the player on line `row` (0 when there is no such line).
  int PidAt(int row) const;
  // The window removed a line after making a pick from it.
  void RemoveLine(int row);

  // Player orders of the current position (indexes into Table().Of(pos)),
  // before the drafted players are left out.
  std::vector<int> NaturalOrder() const;
  std::vector<int> RatingOrder() const;
  std::vector<int> NameOrder() const;

 private:
  void Fill(const std::vector<int>& order);

  DrafteeTable table_;
  const PickList* picks_ = nullptr;
  int currentPosition_ = 0;
  std::array<bool, kRatingBoxes> ratings_{};
  bool nameTicked_ = false;
  std::vector<std::string> lines_;
  std::vector<int> rows_;
};

}  // namespace pm::draft
