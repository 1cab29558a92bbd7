// The league-file module: reads and updates the files of an FBPro league.
//
// A league is a set of files sharing one base path, the LeaguePath (the
// league file's folder, "/", and the league file's name without its last four
// characters): ".LGE" (league: chunks with the version, name, stage, team
// names and team roster blocks), ".PYR" (scrambled player records), ".PYC"
// (ids of the college draftees) and ".PYF" (ids of the free agents). Every
// file is found whatever the letter case of its name.
//
// Each reader loads its file into memory once and decodes it from there.
// Failures (a missing file, a read past the end, a team number out of range,
// a bad position code) are thrown as LeagueError carrying the context name
// and the error number the programs report; callers catch it and pass
// it to their ErrorReporter. The id-list readers never fail: they follow the
// quiet rules described at ReadIdList.
//
// All texts are std::string holding Latin-1 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/Common.h"
#include "common/ErrorReport.h"

namespace pm::league {

// ---------------------------------------------------------------------------
// Constants of the game's file format.

inline constexpr int TeamNameSeed = 53;
inline constexpr int TeamNameStep = 105;
inline constexpr int RosterSeedLimit = 151;
inline constexpr int RosterSeedUp = 105;
inline constexpr int RosterSeedDown = 151;
inline constexpr int RosterKeyFactor = 1;

// Version codes (LeagueVersionCode).
inline constexpr int16_t kVersion95 = 95;
inline constexpr int16_t kVersion9697 = 9697;
inline constexpr int16_t kVersion98 = 98;

// Highest team number a league file may use. Teams are numbered 1..TeamCount
// in the files (the team number is the TeamIndex everywhere else, and it keys
// the roster mask), so a league of 32 teams uses the numbers 1..32.
inline constexpr int kMaxTeamNumber = 32;

inline constexpr int kPositionCodes = 20;  // position codes 0..19
inline constexpr int kRosterPlaces = 63;   // places in a roster block
inline constexpr int kRosterBlockSize = 189;
inline constexpr int kLineupSlots = 34;  // group 0
inline constexpr std::array<int, 4> kGroupSize = {34, 12, 7, 10};
inline constexpr std::array<int, 4> kGroupFirstPlace = {1, 35, 47, 54};
inline constexpr int kMaxJersey = 100;  // Jerseys holds 0..100
// Player ids are 16-bit: an id list or a roster holds at most kMaxPlayerId;
// ids below kMinPlayerId in an id list mark removed entries.
inline constexpr int kMinPlayerId = 100;
inline constexpr int kMaxPlayerId = 32767;

// ---------------------------------------------------------------------------
// Failures.

// context: "GetVersion", "GetTeams", "GetFA", "GetCollege", ...; number: 53
// file not found, 62 input past end, 9 subscript ...
struct LeagueError : NumberedError {
  using NumberedError::NumberedError;
};

// The description of an error number ("File not found", ...).
using pm::ErrorDescription;

// ---------------------------------------------------------------------------
// Paths. Paths are path text (common/Files.h): the file system's bytes on
// POSIX, UTF-8 on Windows.

// LeaguePath of a league file: its folder, "/", and its name without the last
// four characters.
std::string LeaguePathOf(const std::string& leagueFile);

// LeaguePath + extension (".LGE", ".PYR", ".PYC", ".PYF"), found case-blind.
std::string LeagueFileName(const std::string& leaguePath, std::string_view extension);

// ---------------------------------------------------------------------------
// Position captions and general position codes.

// Position codes 0..14 are the ones drafted and shown; each has a caption
// (messages, pick records and the position buttons carry these).
inline constexpr int kShownPositions = 15;
inline constexpr std::array<const char*, kShownPositions> kPositionCaptions = {
    "QB", "FB", "HB", "TE", "WR", "C", "G", "T", "DE", "DT", "LB", "CB", "S", "K", "P"};

// The jersey numbers a player of a general position is given, as ranges in
// the order they are tried (no range for a general position without one).
struct JerseyRange {
  int first = 0;
  int last = -1;
};
std::vector<JerseyRange> JerseyRanges(int genpos);

// The caption of codes 0..14; empty text for any other code.
std::string PositionCaption(int code);
// The code of a caption (exact, upper case); -1 when unknown.
int PositionCode(std::string_view caption);
// The general position code the game gives a position code 0..14
// (QB 0, FB/HB 15, TE/WR 16, C/G/T 17, DE/DT 18, LB 10, CB/S 19, K 13, P 14);
// -1 for any other code.
int GenposOf(int positionCode);

// ---------------------------------------------------------------------------
// League file (chunks, version, name, stage, teams).

// Scans `bytes` from `from` (0-based) for the next tag of `type`: the type
// letter, "0", any character, ":". Returns the 0-based offset just after the
// ":", or nothing when the end is reached first. Bytes consumed by a failed
// match are not examined again.
std::optional<std::size_t> FindChunk(std::string_view bytes, char type, std::size_t from = 0);

struct VersionInfo {
  int16_t version = 0;  // 95, 9697, 98; 0 when not recognised
  std::string name;     // LeagueName, at most 25 characters
};
VersionInfo GetVersion(const std::string& leaguePath);
VersionInfo DecodeVersion(std::string_view lgeBytes);  // throws LeagueError "GetVersion"

struct TeamList {
  // names[n] is the name of team number n (0..kMaxTeamNumber); empty when the
  // file has no chunk for n. The rest of the system addresses 1..teamCount.
  std::array<std::string, kMaxTeamNumber + 1> names;
  int teamCount = 0;  // number of team chunks found (at most kMaxTeamNumber)
};
// Team numbers above kMaxTeamNumber, and more than kMaxTeamNumber team chunks,
// are LeagueError("GetTeams", 9), so names[1..teamCount] always exist.
TeamList GetTeams(const std::string& leaguePath);
TeamList DecodeTeams(std::string_view lgeBytes);  // throws LeagueError "GetTeams"

// Appends the character of an unscrambled team-name value when accepted;
// returns true when the value ends the name (below 32).
bool NameChar(int value, std::string& name);

// A name as the league files give it to the programs: "," and "|" (the
// separators of the messages, the draft file's records and the board's
// cells) and the control characters become blanks, so that no name shifts
// the fields of anything the programs write or send. Team names (DecodeTeams)
// and players' first and last names (DecodePlayer) are read through it; both
// programs read the league with them, so their names match.
std::string FieldSafeName(std::string_view name);

// The LeagueStage byte of the first league chunk. Throws LeagueError
// "GetLeagueStage".
int GetLeagueStage(const std::string& leaguePath);

// ---------------------------------------------------------------------------
// Player file.

// Record size: 60 bytes for version 98, 51 for every other version.
int RecordSize(int16_t version);

// The byte tables built from the header bytes A (start) and B (step).
struct ByteTables {
  std::array<int, 256> place{};        // placement table T
  std::array<uint8_t, 256> inverse{};  // F, the inverse of T
  std::array<uint8_t, 256> decode{};   // F(F(F(s))): stored byte -> value
  std::array<uint8_t, 256> encode{};   // T(T(T(v))): value -> stored byte
};
ByteTables MakeRecordTables(int a, int b);

struct Player {
  int pid = 0;        // 0..65535 as stored
  std::string fname;  // record offsets 2..14, up to the first zero byte
  std::string lname;  // record offsets 15..27, up to the first zero byte
  int position = 0;   // position code (offset 41)
  int AC = 0, AG = 0, DI = 0, EN = 0, HA = 0, INN = 0, SP = 0, ST = 0, YR = 0;
  std::array<uint8_t, 8> extra{};  // offsets 28..35
  int genpos = 0;                  // offset 40
  int value23 = 0;                 // offsets 36..37

  bool operator==(const Player&) const = default;
};

// Decodes one record (RecordSize bytes, stored form).
Player DecodePlayer(const uint8_t* record, const ByteTables& tables);
// Encodes a player as one stored record of `recordSize` bytes (names cut to
// 13 bytes; unused bytes 0 before scrambling).
std::string EncodePlayer(const Player& player, const ByteTables& tables, int recordSize);

// An open player file held in memory.
class PlayerFile {
 public:
  // Throws LeagueError(context, 53) when the file is missing and
  // LeagueError(context, 62) when the header record is incomplete.
  PlayerFile(const std::string& leaguePath, int16_t version, const std::string& context);
  // The same from the file's bytes.
  static PlayerFile FromBytes(std::string bytes, int16_t version, const std::string& context);
  // The record of player `id`; nothing when id is below 100 or the record
  // is not complete in the file.
  std::optional<Player> Read(int id) const;
  int RecordCount() const;  // player records after the header
 private:
  PlayerFile() = default;
  void Load(std::string bytes, int16_t version, const std::string& context);
  std::string bytes_;
  int recordSize_ = 60;
  ByteTables tables_;
};

// ---------------------------------------------------------------------------
// Id lists (Rookies, FAList): element 0 the count, elements 1..n the ids,
// 0 a removed entry.

using IdList = std::vector<int16_t>;

// Decodes an id-list file. Quiet rules: a file too short for its header gives
// {0}; fewer ids than the header count gives the ids present with element 0
// their number; more ids than the count, an odd trailing byte, or an id above
// kMaxPlayerId stops the reading, and the list is cut to (or padded with zeros
// up to) the header count, element 0 = count (at most kMaxPlayerId).
IdList DecodeIdList(std::string_view bytes);
IdList ReadIdList(const std::string& file);             // a missing file gives {0}
IdList ReadCollegeList(const std::string& leaguePath);  // ".PYC"
IdList ReadFAList(const std::string& leaguePath);       // ".PYF"

// The bytes of an id-list file: "PPD:", 2 + 2c, 0, 0, c, the c non-zero ids.
std::string EncodeIdList(const IdList& list);
// Rewrite ".PYC" / ".PYF" atomically. On return the list holds only its
// non-zero ids, element 0 their count. Throws LeagueError "FileCollegeList" /
// "FileFAList" when the file cannot be written (the list is then unchanged).
void FileCollegeList(const std::string& leaguePath, IdList& rookies);
void FileFAList(const std::string& leaguePath, IdList& fa);

// ---------------------------------------------------------------------------
// The draftee pool.

struct Draftee {
  Player player;
  int source = 0;  // 0 college draftee, 1 free agent
  bool operator==(const Draftee&) const = default;
};

struct DrafteePool {
  std::vector<Draftee> draftees;  // 1-based: element 0 is unused
  int collegeCount = 0;           // college draftees (elements 1..collegeCount)
  // positionIndex[p] lists, in list order, the element numbers in
  // `draftees` of the players of position code p (0..19).
  std::array<std::vector<int>, kPositionCodes> positionIndex;

  DrafteePool() : draftees(1) {}
  int Count() const { return static_cast<int>(draftees.size()) - 1; }  // DrafteeCount
};

// Loads the college draftees / free agents. Ids below 100 (removed entries)
// and ids whose record is not in the player file are left out. A position
// code above 19 is a LeagueError (context "GetCollege" / "GetFA", number 9);
// a missing player file is LeagueError 53 under the same context. An empty
// id list gives an empty pool without opening the player file.
DrafteePool GetCollege(const std::string& leaguePath, int16_t version);
DrafteePool GetFA(const std::string& leaguePath, int16_t version);
// Same from ids and an open player file.
DrafteePool BuildPool(const IdList& ids, const PlayerFile& file, int source, const std::string& context);

// Appends the free agents to a college pool position by position (codes
// 0..19, each in the free agents' index order), extending the index.
void AppendFreeAgents(DrafteePool& pool, const DrafteePool& freeAgents);

// The league window's load of the pool: GetCollege, then (when asked)
// GetFA appended with AppendFreeAgents. `beforeFreeAgents`, when given, is
// called between the two loads (a window shows its progress with it).
DrafteePool LoadPool(const std::string& leaguePath, int16_t version, bool includeFreeAgents,
                     const std::function<void()>& beforeFreeAgents = {});

// A league as both programs' league windows read it: the version; then,
// unless `versionRead` stops the read there (it is called before anything
// else is read, for the server's lock), the teams (at most kMaxTeamNumber)
// and the pool (LoadPool). `step` is called before each step. A league file
// that cannot be read throws the step's LeagueError.
enum class ReadStep { Version, Teams, College, FreeAgents };
struct LeagueRead {
  enum class Outcome { Read, NotRecognised, NoTeams, NoPlayers, Stopped };
  Outcome outcome = Outcome::Stopped;
  VersionInfo version;
  std::vector<std::string> teams;  // team 1 first
  DrafteePool pool;
};
struct LeagueReadHooks {
  std::function<void(ReadStep)> step;
  std::function<bool(const VersionInfo&)> versionRead;
};
LeagueRead ReadLeague(const std::string& leaguePath, bool includeFreeAgents, const LeagueReadHooks& hooks = {});

// ---------------------------------------------------------------------------
// Team rosters.

// Roster place k (1..63) belongs to group 0 (1..34, the lineup; the place is
// the slot), 1 (35..46), 2 (47..53) or 3 (54..63).
int RosterGroupOf(int place);

struct RosterEntry {
  int pid = 0;        // 0 for an empty lineup slot
  int jersey = 0;     // as stored (0..255)
  int position = -1;  // position code from the player record; -1 unknown
  int genpos = -1;    // general position code from the record; -1 unknown
  bool Empty() const { return pid == 0; }
  bool operator==(const RosterEntry&) const = default;
};

struct TeamRoster {
  // groups[0] always holds the 34 lineup slots (groups[0][s - 1] is slot s),
  // empty ones included; groups[1..3] hold only the occupied places, packed
  // in place order (groups[g][i - 1] is slot i; size() is the count).
  std::array<std::vector<RosterEntry>, 4> groups;
  TeamRoster();
  int Count(int group) const { return static_cast<int>(groups[Index(group)].size()); }
};

// Jerseys[j] is the PID wearing number j (0..100), 0 when the number is free.
using Jerseys = std::array<int, kMaxJersey + 1>;
using RosterBlock = std::array<uint8_t, kRosterBlockSize>;

struct TeamRosterRead {
  bool found = false;  // false: the league file has no roster chunk for the team
  TeamRoster roster;
  RosterBlock block{};  // the unmasked block (bytes 1..189 at [0..188])
  Jerseys jerseys{};
};

// RosterSeed(n) and the mask (its own inverse).
int RosterSeed(int n);
void MaskRoster(int team, RosterBlock& values);

// low = value mod 256, high = value div 256 (as an unsigned 16-bit value).
void SplitWord(int value, int& low, int& high);

// Offset (0-based, in the league file) of the 189-byte roster block of a
// team: the first "R" chunk carrying that team number. Nothing when none.
std::optional<std::size_t> FindRosterBlock(std::string_view lgeBytes, int team);
// All roster chunks: team number and block offset, first chunk per team,
// in file order. Throws LeagueError(context, 62) for a chunk cut short.
struct RosterChunk {
  int team;
  std::size_t offset;
};
std::vector<RosterChunk> ListRosterChunks(std::string_view lgeBytes, const std::string& context);

// Builds a TeamRoster and the Jerseys from an unmasked block, taking position
// and genpos from the player file. A PID below 100 is an empty place. A
// jersey above 100 stays in the entry (and is written back unchanged) but is
// not entered in Jerseys. A PID whose record is not in the player file keeps
// position and genpos -1.
TeamRosterRead DecodeRoster(const RosterBlock& block, const PlayerFile& players);

// Reads team `team`'s roster. Throws LeagueError "GetTeamRoster" (53 file
// missing, 62 block cut short).
TeamRosterRead GetTeamRoster(const std::string& leaguePath, int team, int16_t version);

// The unmasked block of a roster: each group written at its own places
// (group g from place kGroupFirstPlace[g]), PID low/high byte and jersey;
// empty entries and unused places 0. Throws LeagueError("FileTeamRoster", 9)
// when a group holds more entries than its places or a PID/jersey does not
// fit its bytes.
RosterBlock EncodeRoster(const TeamRoster& roster);

// Writes team `team`'s roster block in place (only those 189 bytes change)
// and flushes the file. Returns false, writing nothing, when the team has no
// roster chunk. Throws LeagueError "FileTeamRoster".
bool FileTeamRoster(const std::string& leaguePath, int team, const TeamRoster& roster);

// Moves ids between the lists and writes the stage byte:
// stage 0 does nothing; otherwise the stage byte of the league chunk is
// written first (LeagueError "SetLeagueStage" when the league file or its
// chunk is missing or the stage is outside 0..255; the lists stay as they
// were), then stage 1 moves every non-zero FAList id to the end of Rookies and
// stages 3..7 every non-zero Rookies id to the end of FAList, leaving zeros
// behind. Element 0 of the receiving list is raised by one per id.
void SetLeagueStage(const std::string& leaguePath, IdList& fa, IdList& rookies, int stage);

}  // namespace pm::league
