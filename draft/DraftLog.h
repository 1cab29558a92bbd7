// The draft's record of picks and its draft file.
//
// The log holds every pick made so far, in the order made, and keeps the
// draft file (one PickRecord line per pick, CR LF ended) in step with it:
//  - a new pick is appended to the file and flushed to disk before it is
//    stored, so no one hears of a pick the file does not hold; it always
//    starts a line of its own, also after a last line an editor saved
//    without its line break;
//  - a deleted pick is taken out of the file first (the file is rewritten
//    atomically); only then is its slot blanked. A blank slot keeps its place:
//    the count of slots does not go down and later picks do not move, so a
//    client catching up slot by slot ("V n") misses no pick whatever is
//    deleted meanwhile;
//  - after a merge the log takes the picks the merge left in the file.
// It holds at most kMaxPicks slots.
//
// Plain C++; texts are Latin-1 byte strings.
#pragma once

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "draft/Pick.h"
#include "draft/PickList.h"

namespace pm::draft {

// The draft file's name: the league's name (from inside the league file)
// followed by this.
inline constexpr const char* kDraftFileSuffix = "-DRAFT.TXT";

// The draft file of league `leagueName` in `folder`, found whatever the letter
// case of its name (a copy from Windows may come as "...-draft.txt"); the
// exact name when there is none yet.
std::string DraftFileIn(const std::string& folder, const std::string& leagueName);

// The name a cleared draft file is kept under in `folder`:
// "<League name>-DRAFT-<YYYYMMDD-HHMMSS>.TXT", with "-2", "-3", ... before
// ".TXT" when that name is taken.
std::string KeptDraftFileName(const std::string& folder, const std::string& leagueName, const std::tm& when);

class DraftLog {
 public:
  // ---- the draft file on its own ---------------------------------------
  // The picks of a draft file: every line that is not blank. A missing file
  // is an empty draft; nothing when the file exists but cannot be read.
  static std::optional<std::vector<Pick>> ReadFile(const std::string& file);
  // Writes `picks` as the whole draft file, atomically. Returns an empty text
  // on success, else the reason.
  static std::string WriteFile(const std::string& file, const std::vector<Pick>& picks);

  // ---- loading ----------------------------------------------------------
  enum class LoadStatus {
    Loaded,      // the file's picks are the log's (none for a missing file)
    Unreadable,  // the file exists but cannot be read
    TooMany,     // the file holds more than kMaxPicks picks
  };
  struct LoadResult {
    LoadStatus status = LoadStatus::Loaded;
    std::size_t records = 0;  // picks in the file (also when too many)
  };
  // Reads `file` and makes it the log's draft file. On Unreadable and
  // TooMany the log is left as it was and the file is not touched.
  LoadResult Load(const std::string& file);

  // Empties the draft file (first) and the log. Returns an empty text on
  // success, else the reason; the log is unchanged then.
  std::string Clear();

  // Copies the draft file as it is on disk to `copy` (a new file, flushed to
  // disk). Returns an empty text on success, else the reason.
  std::string KeepCopy(const std::string& copy) const;

  // ---- changes ----------------------------------------------------------
  // Appends the pick's line to the draft file (flushed to disk), then stores
  // the pick as that line reads back. Returns an empty text on success, else
  // the reason; nothing is stored then. Refused when the log is full.
  std::string Append(const Pick& pick);

  enum class DeleteStatus { Deleted, NotFound, WriteFailed };
  // Deletes the first pick of round-selection `label`: the file is rewritten
  // without it, then its slot is blanked. On WriteFailed `error` holds the
  // reason and nothing changed.
  DeleteStatus Delete(PickLabel label, std::string* error = nullptr);

  // After a merge, which has written the file itself: the log holds `picks`
  // (at most kMaxPicks of them) and no blank slot.
  void Replace(std::vector<Pick> picks);

  // Rewrites the draft file from the picks that are not blank.
  std::string Rewrite() const;

  // ---- reading ----------------------------------------------------------
  const std::string& File() const { return file_; }
  // The picks, blank slots included.
  const PickList& List() const { return picks_; }
  // Slots used, blanks included (the number of picks made and not merged).
  int Count() const { return picks_.Count(); }
  bool Full() const { return picks_.Full(); }
  // The pick in slot 1..Count(); nullptr for a blank slot or out of range.
  const Pick* Slot(int n) const { return picks_.At(n); }
  // The pick in slot n or, when that slot is blank, in the first slot after
  // it that is not; nullptr when there is none.
  const Pick* SlotFrom(int n) const;
  // The picks that are not blank, in order.
  std::vector<Pick> Picks() const { return picks_.Picks(); }
  // True when a pick that is not blank has this PID.
  bool IsTaken(int pid) const { return picks_.HasPid(pid); }
  const std::vector<std::optional<Pick>>& Slots() const { return picks_.Slots(); }

 private:
  std::string file_;
  PickList picks_{kMaxPicks};
  bool lastLineOpen_ = false;  // the file as loaded ends without a line break
};

}  // namespace pm::draft
