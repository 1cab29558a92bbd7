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
// A draft file is checked against the league when it is loaded: a record
// that cannot be a pick of this draft (another league's team or player, a
// round-selection cut short or past the draft, a player or a pick recorded
// before) is not taken as a pick but set aside, to be moved to a side file
// beside the league, so that nothing the file held is lost.
//
// Plain C++; texts are Latin-1 byte strings.
#pragma once

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "draft/Pick.h"
#include "draft/PickList.h"

namespace pm::draft {

// The draft file's name: the league's name (from inside the league file)
// followed by this.
inline constexpr const char* kDraftFileSuffix = "-DRAFT.TXT";

// Folders and files here are path text (common/Files.h).

// The draft file of league `leagueName` in `folder`, found whatever the letter
// case of its name (a copy from Windows may come as "...-draft.txt"); the
// exact name when there is none yet.
std::string DraftFileIn(const std::string& folder, const std::string& leagueName);

// The name a cleared draft file is kept under in `folder`:
// "<League name>-DRAFT-<YYYYMMDD-HHMMSS>.TXT", with "-2", "-3", ... before
// ".TXT" when that name is taken.
std::string KeptDraftFileName(const std::string& folder, const std::string& leagueName, const std::tm& when);

// The side file that keeps the records set aside from the draft file:
// "<League name>-DRAFT-SETASIDE.TXT" in `folder`, found case-blind (the exact
// name when there is none yet).
inline constexpr const char* kSetAsideFileSuffix = "-DRAFT-SETASIDE.TXT";
std::string SetAsideFileIn(const std::string& folder, const std::string& leagueName);

// What a draft file's records are checked against.
struct DraftLeague {
  std::vector<std::string> teams;  // the league's team names, team 1 first
  std::unordered_set<int> pids;    // the PIDs of the drafted pool
  int teamCount = 0;               // the selections of a round
};

// A record of the draft file that is not a pick of the draft.
struct SetAsideRecord {
  int line = 0;        // its line number in the file
  std::string text;    // the line as the file held it
  std::string reason;  // why it is no pick, in words (Latin-1)
  bool operator==(const SetAsideRecord&) const = default;
};

struct CheckedRecords {
  std::vector<Pick> picks;               // the records that are picks, in file order
  std::vector<SetAsideRecord> setAside;  // the others, in file order
};

// Sorts a draft file's records into picks and records set aside. A record
// is set aside when its round-selection is missing or malformed or does not
// fit a draft of league.teamCount teams, its team is none of league.teams,
// its PID is not in league.pids, or a pick taken before it in the file has
// its PID or its round-selection.
CheckedRecords CheckDraftRecords(const std::vector<DraftRecord>& records, const DraftLeague& league);

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
    std::size_t records = 0;  // records in the file (also when too many)
    // Loaded: the records that are no picks of `league` (CheckDraftRecords).
    std::vector<SetAsideRecord> setAside;
  };
  // Reads `file` and makes it the log's draft file; the log takes the
  // records that are picks of `league`. The file is never written here. On
  // Unreadable and TooMany the log is left as it was.
  LoadResult Load(const std::string& file, const DraftLeague& league);

  // Moves the records set aside at the load out of the draft file: appends
  // them to `sideFile` under a line dated `when`, each with its line number
  // and reason (flushed to disk), and only then rewrites the draft file with
  // the log's picks (atomically). Returns an empty text on success, else the
  // reason; when the side file could not be written the draft file is as it was.
  std::string MoveSetAside(const std::vector<SetAsideRecord>& records, const std::string& sideFile,
                           const std::tm& when);

  // Empties the draft file (first) and the log. Returns an empty text on
  // success, else the reason; the log is unchanged then.
  std::string Clear();

  // Copies the draft file as it is on disk to `copy` (a new file, flushed to
  // disk). Returns an empty text on success, else the reason.
  std::string KeepCopy(const std::string& copy) const;

  // ---- changes ----------------------------------------------------------
  // Appends the pick's line to the draft file (flushed to disk), then stores
  // the pick as given (its names hold no "|": the pool's and the league's
  // names are read with blanks in its place). Returns an empty text on success, else
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
