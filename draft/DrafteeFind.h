// Finding draftees by name across every shown position, for the Find box
// over the draftee list.
//
// A query is blank-separated parts; a player matches when each part occurs
// in his first or his last name. Letter case and accents are ignored: both
// sides are folded (FoldForFind), so "e" finds "é" and "MULLER" finds
// "Müller". Drafted players never match. Texts are Latin-1.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "draft/Draftees.h"

namespace pm::draft {

// Latin-1 text in small letters with the accents taken off: "Ä" and "ä"
// become "a", "Ç" "c", "Ñ" "n", "Ø" "o"; "Æ" becomes "ae", "ß" "ss",
// "Þ" "th". Other bytes stay.
std::string FoldForFind(std::string_view latin1);

// A player found: his position code, his index in that position's players
// (DrafteeTable::Of) and his PID.
struct Found {
  int position = 0;
  int index = 0;
  int pid = 0;

  bool operator==(const Found&) const = default;
};

// The available players of positions 0..kShownPositions-1 that match
// `query`, by position and within it in natural order. A query without any
// part finds nothing.
std::vector<Found> FindDraftees(const DrafteeTable& table, const DraftedSet& drafted, std::string_view query);

// A result's line: the position caption left in 3 columns, a blank, then
// the player's line (FormatLine) without its trailing blanks.
std::string FoundLine(const DrafteeTable& table, const Found& found);
// The column titles over FoundLine's lines: "Pos ", then HeaderLine().
std::string FoundHeader();

}  // namespace pm::draft
