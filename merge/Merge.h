// The merge of a finished draft into the league files.
//
// Every drafted player is placed on his team's roster (lineup slot of his
// general position first, then the reserve groups 1 and 2), given a jersey
// number from the ranges of his position, and removed from the college-draftee
// or free-agent list; the team's roster block, both id lists and, when chosen,
// the league stage byte are written back. Players who cannot be placed stay in
// the draft file for a later merge.
//
// Before its first write the merge copies the league's .LGE, .PYC, .PYF and
// the draft file into a new backup folder beside the league, and writes a
// journal naming that folder beside the league; the journal goes only after
// the last write. When a write fails the merge stops and copies the backup
// back. When the merge is killed (a power cut, a crash, the process ended)
// the journal stays, and whoever opens the league next for a merge or a
// draft (RunMerge, pkleague merge, PKServer's league load) puts the backup
// back first. So the league is either fully merged or exactly as it was.
// On top of that a merge never places a player who is already on a roster.
//
// Plain C++: the Merge window (MergeWindow.h) and `pkleague merge` both drive
// RunMerge and only present its progress and result.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "draft/Pick.h"
#include "league/FBPro.h"

namespace pm::merge {

using league::IdList;
using league::Jerseys;
using league::TeamRoster;

// A general position that is not known: such a player has no lineup range and
// no jersey range.
inline constexpr int kNoGenpos = -1;

// Reserve group limits used by the merge (groups 1 and 2; the merge never
// places into group 3).
inline constexpr int kGroup1Limit = 12;
inline constexpr int kGroup2Limit = 7;

// ---------------------------------------------------------------------------
// Positions and ranges.

// Lineup slot ranges of group 0 by genpos 0..19 ("1-2", "3-5", ...); empty
// text for a genpos without a range.
using SlotRanges = std::array<std::string, 20>;
SlotRanges MakeSlotRanges();

struct Range {
  int first = 0;
  int last = -1;
  bool Valid() const { return first >= 1 && last >= first; }
};
// The range "a-b" of a SlotRanges text; invalid for empty text.
Range ParseRange(std::string_view text);
// The lineup range of a genpos (invalid when it has none or is out of 0..19).
Range SlotRange(const SlotRanges& xref, int genpos);

// Jersey ranges of a genpos, in the order they are tried (0, 1 or 2 ranges).
using league::JerseyRanges;

// ---------------------------------------------------------------------------
// Roster procedures (all on the in-memory TeamRoster).

// Lineup slots held by a player of another genpos are cleared: the player
// moves to the next slot of group 1 (fewer than 12) or else group 2 (fewer
// than 7); with both full he stays. A player whose genpos is unknown (no
// record in the player file) belongs to no lineup range and moves too.
void RosterFix(TeamRoster& roster, const SlotRanges& xref);

// Fills empty lineup slots with the first reserve of the slot's genpos
// (PosnUpdate), packs groups 1 and 2, and then moves group 2's last entries
// into group 1's free slots while group 2 has any.
void SortTeamRoster(TeamRoster& roster, const SlotRanges& xref);

// Moves the first entry of genpos `posn` found in group 1, then group 2, into
// lineup slot `locat` (1..34) and leaves its old slot empty (packed later by
// SortTeamRoster). Returns false when no such reserve exists.
bool PosnUpdate(TeamRoster& roster, int posn, int locat);

// The smallest number start..ending whose Jerseys entry is free, 0 when none.
int JerseyRange(const Jerseys& jerseys, int start, int ending);

// The jersey of a new player: the first free number of his genpos's first
// range, else of the second; the number found is taken in `jerseys`. 0 when
// none is free (or the genpos has no range).
int JerseyProc(int genpos, int pid, Jerseys& jerseys);

// Sets to 0 the first element equal to `pid` in `rookies`, failing that in
// `fa`. Counts do not change. Returns false when neither list holds it.
bool DrafteeDelete(IdList& rookies, IdList& fa, int pid);

// True when `pid` is an element 1..n of the list.
bool ListHolds(const IdList& list, int pid);

// Where a drafted player was put.
struct Placement {
  bool placed = false;
  int group = 0;   // 0 lineup, 1 or 2 reserves
  int slot = 0;    // 1-based slot in the group
  int jersey = 0;  // 0: no free number in his ranges
};

// Places one drafted player: the first empty lineup slot of his range, else
// the next slot of group 1 (fewer than 12), else of group 2 (fewer than 7);
// the player gets his jersey from JerseyProc. Not placed when all are full.
Placement PlacePlayer(TeamRoster& roster, Jerseys& jerseys, const SlotRanges& xref, int pid, int genpos);

// ---------------------------------------------------------------------------
// Progress.

// The status line text of Update: the first 32 characters of `stg`, trimmed,
// preceded by (32 - length) / 2 blanks rounded to the nearest whole number,
// halves to the even one.
std::string CentreStatus(std::string_view stg);

// Update(stg, val1, val2, cl): status text, and the bar: cl 1 sets 100, cl 2
// sets 0, otherwise the bar advances by val1 / val2 (whole-number division,
// nothing for val2 0), held within 0..100. Each call hands the text and the
// bar value to the sink.
class Progress {
 public:
  using Sink = std::function<void(const std::string& text, int bar)>;
  explicit Progress(Sink sink = {}) : sink_(std::move(sink)) {}
  void Update(std::string_view stg, int val1, int val2, int cl);
  int Bar() const { return bar_; }
  const std::string& Text() const { return text_; }

 private:
  Sink sink_;
  int bar_ = 0;
  std::string text_;
};

// ---------------------------------------------------------------------------
// Picks grouped by team.

struct PickItem {
  int index = 0;  // 1-based place in the list of picks
  int pid = 0;
  int genpos = kNoGenpos;
  bool operator==(const PickItem&) const = default;
};

struct PickTeam {
  std::string team;  // team name as in the pick records
  std::vector<PickItem> items;
  bool operator==(const PickTeam&) const = default;
};

// Groups the picks by team name, in order of first appearance. A position
// caption that is not known (league::PositionCode) keeps the genpos of the
// previous pick; before any pick it is kNoGenpos. Picks whose PID is not a
// player id (league::kMinPlayerId..kMaxPlayerId) are not taken (they stay in the draft file) and their
// indexes are added to `rejected` when given. Calls `each` with the team name
// of every pick handled (for the progress line).
std::vector<PickTeam> PickTeams(const std::vector<draft::Pick>& picks, std::vector<int>* rejected = nullptr,
                                const std::function<void(const std::string&)>& each = {});

// ---------------------------------------------------------------------------
// League stage.

enum class StageChoice { NoChange = 0, CollegeDraft = 1, Supplemental = 3, TrainingCamp = 5 };

// The stage byte an option writes: 1, 4, 7; 0 for "No Change" (writes nothing).
int StageValue(StageChoice choice);
// The option preselected for a league stage: 0 -> college draft; 1..3 ->
// supplemental; 4..6 -> training camp; any other -> no change.
StageChoice PreselectedStage(int leagueStage);
// "no-change", "college-draft", "supplemental", "training-camp".
bool ParseStageChoice(std::string_view text, StageChoice& choice);

// ---------------------------------------------------------------------------
// Draft file.

// The picks of a draft file (draft::DraftLog::ReadFile); a file that is
// missing or cannot be read gives none.
std::vector<draft::Pick> ReadDraftFile(const std::filesystem::path& file);
// The draft file of a league: LeagueName + "-DRAFT.TXT" in the folder of the
// LeaguePath, found case-blind.
std::filesystem::path DraftFileOf(const std::string& leaguePath, const std::string& leagueName);

// ---------------------------------------------------------------------------
// Backup.

// Copies the league's .LGE, .PYC, .PYF and the draft file into a new folder
// beside the league named "<league name>-BACKUP-YYYYMMDD-HHMMSS" (the name
// through FileNamePart; "-2", "-3", ... added when it exists), with a list of what it holds
// ("BACKUP.TXT"): each file's original path, or that it did not exist. Every
// copy is flushed to disk. Returns the folder; throws std::runtime_error with
// the reason when the backup cannot be made complete (the partial folder is
// removed then).
std::filesystem::path MakeBackup(const std::string& leaguePath, const std::string& leagueName,
                                 const std::filesystem::path& draftFile, const std::tm& now);

// Puts every file of a backup folder back where it came from, atomically
// file by file, and removes a file the backup records as not existing.
// Returns an empty text on success, else the reason.
std::string RestoreBackup(const std::filesystem::path& backupFolder);

// ---------------------------------------------------------------------------
// Journal of a running merge.

// The journal of a league's merge: "<league name>-MERGE.TXT" beside the
// league, found case-blind (the exact name when there is none). It exists
// only while a merge writes, and names the merge's backup folder.
std::filesystem::path MergeJournalOf(const std::string& leaguePath, const std::string& leagueName);

// Writes the journal of a merge whose backup is `backupFolder` (flushed, and
// its folder synced). Returns an empty text on success, else the reason.
std::string WriteMergeJournal(const std::filesystem::path& journal, const std::filesystem::path& backupFolder);

// The backup folder a journal names (resolved beside the journal); empty
// when the journal cannot be read or names none.
std::filesystem::path JournalBackup(const std::filesystem::path& journal);

// What was found of an interrupted merge, and done about it.
struct Recovery {
  bool found = false;     // a journal was there: a merge did not finish
  bool restored = false;  // its backup was put back and the journal removed
  std::filesystem::path journal;
  std::filesystem::path backupFolder;
  std::string error;  // why it could not be put back (found, not restored)
  // What to tell the user, as UTF-8 text; empty when nothing was found.
  std::string message;
};

// Looks for the journal of an interrupted merge of the league; when there is
// one, puts its backup back (the league files and the draft file as they
// were before that merge) and removes the journal. Nothing else may read or
// write the league before this.
Recovery RecoverInterruptedMerge(const std::string& leaguePath, const std::string& leagueName);

// The players on the rosters of a league file: PID -> team number (the first
// roster holding him). Throws league::LeagueError("GetTeamRoster", ...) when
// the league file cannot be read.
std::map<int, int> RosteredPlayers(const std::string& leaguePath);

// ---------------------------------------------------------------------------
// The merge.

struct MergeInput {
  std::string leaguePath;          // LeaguePath (no extension)
  int16_t version = 0;             // LeagueVersionCode
  std::string leagueName;          // LeagueName (names the backup folder)
  std::string draftFile;           // DraftFile path, as shown in messages
  std::vector<draft::Pick> picks;  // the picks made, in order (no deleted ones)
  // The league's team names; element i is team number i + 1.
  std::vector<std::string> teams;
  IdList rookies{0};  // read when the Merge window loads
  IdList faList{0};
  StageChoice stage = StageChoice::NoChange;
};

struct MergeOptions {
  // Called with the centred status text and the bar value 0..100.
  Progress::Sink progress;
  // Called before each write of the merge, numbered from 1 in the order they
  // happen ("journal", "roster <team>", "stage", "college list",
  // "free-agent list", "draft file", "journal removal"). A non-empty answer
  // makes that write fail with it as the reason (tests use it to stop a
  // merge at any write).
  std::function<std::string(int n, const std::string& what)> beforeWrite;
  // When a write fails: copy the backup back (true), or stop where it is as a
  // killed process would (false; tests then call RestoreBackup).
  bool restoreOnFailure = true;
  // Local time, for the backup folder's name.
  std::function<std::tm()> now;
  // Told where the backup is as soon as it is made (before the first write).
  std::function<void(const std::filesystem::path& folder)> backupMade;
};

// Why a pick was not placed (its record stays in the draft file).
enum class KeptReason {
  None,             // placed
  NotAPlayerId,     // the record's PID is not a player id
  NoSuchTeam,       // no team of the record's name in the league
  NoRosterChunk,    // the team has no roster in the league file
  NotInLists,       // in neither the college draftee nor the free agent list
  AlreadyOnRoster,  // the player is on a roster already
  RosterFull,       // no free lineup slot of his range, groups 1 and 2 full
};

// What became of one pick.
struct PickOutcome {
  int index = 0;  // 1-based place in MergeInput::picks
  draft::Pick pick;
  Placement placement;  // placed or not
  KeptReason kept = KeptReason::None;
  std::string reason;  // why a record was kept, in words; empty when placed
};

struct MergeResult {
  bool ok = false;
  std::filesystem::path backupFolder;  // empty when no backup was made
  std::vector<PickOutcome> outcomes;   // in the order of the picks
  // The picks left in the draft file.
  std::vector<draft::Pick> kept;
  // The closing message (title "Info").
  std::string closingMessage;
  // On failure: where (the error report's context name), the error number and the
  // description; whether the backup was copied back.
  std::string failureContext;
  int errorNumber = 0;
  std::string failure;
  bool restored = false;
  // An interrupted earlier merge found (and put back) before this one.
  Recovery recovery;
};

// The closing message (UTF-8: it names the draft file). With every pick
// placed: "All players were merged successfully. ..."; with picks kept only
// because their rosters are full: "Some players could not be put on teams
// since their roster is full. ..."; otherwise each reason with the number of
// players it kept. Either way the draft file that still holds them is named.
std::string ClosingMessage(const std::vector<PickOutcome>& outcomes, const std::string& draftFile);

// Runs the merge. An interrupted earlier merge is put back first
// (RecoverInterruptedMerge; the id lists are then read again from the
// league); when that fails nothing is written. Never throws for a league or
// file problem: a failure comes back in the result (ok false, `failure` in
// UTF-8) after the backup was copied back (when restoreOnFailure).
MergeResult RunMerge(MergeInput input, const MergeOptions& options = {});

}  // namespace pm::merge
