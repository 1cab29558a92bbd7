#include "merge/Merge.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "common/Common.h"
#include "common/ErrorContexts.h"
#include "common/ErrorReport.h"
#include "common/Files.h"
#include "draft/DraftLog.h"

namespace fs = std::filesystem;

namespace pm::merge {

using league::RosterEntry;

// ---------------------------------------------------------------------------
// Positions and ranges.

SlotRanges MakeSlotRanges() {
  SlotRanges x;
  x[0] = "1-2";
  x[15] = "3-5";
  x[16] = "6-10";
  x[17] = "11-16";
  x[18] = "17-20";
  x[10] = "21-25";
  x[19] = "26-32";
  x[13] = "33-33";
  x[14] = "34-34";
  return x;
}

Range ParseRange(std::string_view text) {
  if (text.empty()) return {};
  std::string s(text);
  Range r;
  r.first = static_cast<int>(LeadingNumber(GetField(s, 1, "-")));
  r.last = static_cast<int>(LeadingNumber(GetField(s, 2, "-")));
  return r;
}

Range SlotRange(const SlotRanges& xref, int genpos) {
  if (genpos < 0 || genpos >= static_cast<int>(xref.size())) return {};
  Range r = ParseRange(xref[static_cast<std::size_t>(genpos)]);
  // Only lineup slots exist.
  if (!r.Valid() || r.last > league::kLineupSlots) return {};
  return r;
}

// ---------------------------------------------------------------------------
// Roster procedures.

namespace {

// Lineup slot `slot` (1-based) and reserve group `group` of a roster.
RosterEntry& LineupSlot(TeamRoster& roster, int slot) { return roster.groups[0][static_cast<std::size_t>(slot - 1)]; }
std::vector<RosterEntry>& Group(TeamRoster& roster, int group) {
  return roster.groups[static_cast<std::size_t>(group)];
}

bool MoveToReserves(TeamRoster& roster, const RosterEntry& entry) {
  if (roster.Count(1) < kGroup1Limit) {
    roster.groups[1].push_back(entry);
    return true;
  }
  if (roster.Count(2) < kGroup2Limit) {
    roster.groups[2].push_back(entry);
    return true;
  }
  return false;
}

void Pack(std::vector<RosterEntry>& group) {
  group.erase(std::remove_if(group.begin(), group.end(), [](const RosterEntry& e) { return e.Empty(); }), group.end());
}

}  // namespace

void RosterFix(TeamRoster& roster, const SlotRanges& xref) {
  for (int p = 0; p < static_cast<int>(xref.size()); ++p) {
    Range r = SlotRange(xref, p);
    if (!r.Valid()) continue;
    for (int s = r.first; s <= r.last; ++s) {
      RosterEntry& slot = LineupSlot(roster, s);
      // Field 4 of the entry is its genpos; an unknown one is never p.
      if (slot.Empty() || slot.genpos == p) continue;
      if (MoveToReserves(roster, slot)) slot = RosterEntry{};
    }
  }
}

bool PosnUpdate(TeamRoster& roster, int posn, int locat) {
  if (locat < 1 || locat > league::kLineupSlots) return false;
  for (int g = 1; g <= 2; ++g) {
    for (RosterEntry& e : Group(roster, g)) {
      if (!e.Empty() && e.genpos == posn) {
        LineupSlot(roster, locat) = e;
        e = RosterEntry{};
        return true;
      }
    }
  }
  return false;
}

void SortTeamRoster(TeamRoster& roster, const SlotRanges& xref) {
  for (int p = 0; p < static_cast<int>(xref.size()); ++p) {
    Range r = SlotRange(xref, p);
    if (!r.Valid()) continue;
    for (int s = r.first; s <= r.last; ++s)
      if (LineupSlot(roster, s).Empty()) PosnUpdate(roster, p, s);
  }
  Pack(roster.groups[1]);
  Pack(roster.groups[2]);
  // Group 2's last entries fill group 1's free slots, so that group 1 is full
  // whenever group 2 holds anyone.
  while (!roster.groups[2].empty() && roster.Count(1) < kGroup1Limit) {
    roster.groups[1].push_back(roster.groups[2].back());
    roster.groups[2].pop_back();
  }
}

int JerseyRange(const Jerseys& jerseys, int start, int ending) {
  for (int j = std::max(start, 0); j <= ending && j < static_cast<int>(jerseys.size()); ++j)
    if (jerseys[static_cast<std::size_t>(j)] == 0) return j;
  return 0;
}

int JerseyProc(int genpos, int pid, Jerseys& jerseys) {
  int number = 0;
  for (const league::JerseyRange& r : JerseyRanges(genpos)) {
    number = JerseyRange(jerseys, r.first, r.last);
    if (number != 0) break;
  }
  if (number != 0) jerseys[static_cast<std::size_t>(number)] = pid;
  return number;
}

namespace {
std::size_t ListEnd(const IdList& list) {
  if (list.empty() || list[0] <= 0) return 0;
  return std::min<std::size_t>(static_cast<std::size_t>(list[0]), list.size() - 1);
}
bool ZeroFirst(IdList& list, int pid) {
  for (std::size_t i = 1; i <= ListEnd(list); ++i) {
    if (list[i] == pid) {
      list[i] = 0;
      return true;
    }
  }
  return false;
}
}  // namespace

bool DrafteeDelete(IdList& rookies, IdList& fa, int pid) {
  if (pid == 0) return false;
  return ZeroFirst(rookies, pid) || ZeroFirst(fa, pid);
}

bool ListHolds(const IdList& list, int pid) {
  if (pid == 0) return false;
  for (std::size_t i = 1; i <= ListEnd(list); ++i)
    if (list[i] == pid) return true;
  return false;
}

Placement PlacePlayer(TeamRoster& roster, Jerseys& jerseys, const SlotRanges& xref, int pid, int genpos) {
  Placement p;
  RosterEntry entry;
  entry.pid = pid;
  Range r = SlotRange(xref, genpos);
  if (r.Valid()) {
    for (int s = r.first; s <= r.last; ++s) {
      if (LineupSlot(roster, s).Empty()) {
        entry.jersey = JerseyProc(genpos, pid, jerseys);
        LineupSlot(roster, s) = entry;
        return {true, 0, s, entry.jersey};
      }
    }
  }
  for (int g = 1; g <= 2; ++g) {
    int limit = g == 1 ? kGroup1Limit : kGroup2Limit;
    if (roster.Count(g) < limit) {
      entry.jersey = JerseyProc(genpos, pid, jerseys);
      Group(roster, g).push_back(entry);
      return {true, g, roster.Count(g), entry.jersey};
    }
  }
  return p;
}

// ---------------------------------------------------------------------------
// Progress.

std::string CentreStatus(std::string_view stg) {
  std::string text = Trim(stg.substr(0, std::min<std::size_t>(stg.size(), 32)));
  int room = 32 - static_cast<int>(text.size());
  int blanks = room / 2;
  if (room % 2 != 0 && blanks % 2 != 0) ++blanks;  // x.5 rounds to the even neighbour
  return std::string(static_cast<std::size_t>(blanks), ' ') + text;
}

void Progress::Update(std::string_view stg, int val1, int val2, int cl) {
  text_ = CentreStatus(stg);
  if (cl == 1)
    bar_ = 100;
  else if (cl == 2)
    bar_ = 0;
  else if (val2 != 0)
    bar_ = std::clamp(bar_ + val1 / val2, 0, 100);
  if (sink_) sink_(text_, bar_);
}

// ---------------------------------------------------------------------------
// Picks grouped by team.

std::vector<PickTeam> PickTeams(const std::vector<draft::Pick>& picks, std::vector<int>* rejected,
                                const std::function<void(const std::string&)>& each) {
  std::vector<PickTeam> teams;
  int genpos = kNoGenpos;
  int v = 0;
  for (const draft::Pick& pick : picks) {
    ++v;
    int g = league::GenposOf(league::PositionCode(pick.position));
    if (g != kNoGenpos) genpos = g;
    if (each) each(pick.team);
    if (pick.pid < league::kMinPlayerId || pick.pid > league::kMaxPlayerId) {
      if (rejected) rejected->push_back(v);
      continue;
    }
    auto it = std::find_if(teams.begin(), teams.end(), [&](const PickTeam& t) { return t.team == pick.team; });
    if (it == teams.end()) {
      teams.push_back(PickTeam{pick.team, {}});
      it = teams.end() - 1;
    }
    it->items.push_back(PickItem{v, pick.pid, genpos});
  }
  return teams;
}

// ---------------------------------------------------------------------------
// League stage.

int StageValue(StageChoice choice) {
  switch (choice) {
    case StageChoice::CollegeDraft: return 1;
    case StageChoice::Supplemental: return 4;
    case StageChoice::TrainingCamp: return 7;
    default: return 0;
  }
}

StageChoice PreselectedStage(int stage) {
  if (stage == 0) return StageChoice::CollegeDraft;
  if (stage >= 1 && stage <= 3) return StageChoice::Supplemental;
  if (stage >= 4 && stage <= 6) return StageChoice::TrainingCamp;
  return StageChoice::NoChange;
}

bool ParseStageChoice(std::string_view text, StageChoice& choice) {
  if (text == "no-change")
    choice = StageChoice::NoChange;
  else if (text == "college-draft")
    choice = StageChoice::CollegeDraft;
  else if (text == "supplemental")
    choice = StageChoice::Supplemental;
  else if (text == "training-camp")
    choice = StageChoice::TrainingCamp;
  else
    return false;
  return true;
}

// ---------------------------------------------------------------------------
// Draft file.

std::vector<draft::Pick> ReadDraftFile(const fs::path& file) {
  return draft::DraftLog::ReadFile(TextOfPath(file)).value_or(std::vector<draft::Pick>{});
}

fs::path DraftFileOf(const std::string& leaguePath, const std::string& leagueName) {
  return PathOfText(draft::DraftFileIn(TextOfPath(PathOfText(leaguePath).parent_path()), leagueName));
}

// ---------------------------------------------------------------------------
// Backup.

namespace {

constexpr const char* kManifest = "BACKUP.TXT";

std::string Stamp(const std::tm& t) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d-%02d%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                t.tm_min, t.tm_sec);
  return buf;
}

}  // namespace

fs::path MakeBackup(const std::string& leaguePath, const std::string& leagueName, const fs::path& draftFile,
                    const std::tm& now) {
  fs::path leagueFolder = PathOfText(leaguePath).parent_path();
  if (leagueFolder.empty()) leagueFolder = ".";
  const std::string base = FileNamePart(leagueName) + "-BACKUP-" + Stamp(now);
  fs::path folder;
  std::error_code ec;
  for (int i = 1; i < 1000; ++i) {
    fs::path candidate = leagueFolder / PathOfText(i == 1 ? base : base + "-" + std::to_string(i));
    if (fs::create_directory(candidate, ec)) {
      folder = candidate;
      break;
    }
    if (ec) throw std::runtime_error("cannot create backup folder " + ShownPath(candidate) + ": " + ec.message());
  }
  if (folder.empty()) throw std::runtime_error("no free backup folder name for " + base);

  std::vector<fs::path> sources = {PathOfText(league::LeagueFileName(leaguePath, ".LGE")),
                                   PathOfText(league::LeagueFileName(leaguePath, ".PYC")),
                                   PathOfText(league::LeagueFileName(leaguePath, ".PYF")), draftFile};
  std::string manifest;
  try {
    for (std::size_t i = 0; i < sources.size(); ++i) {
      const fs::path& src = sources[i];
      if (src.empty()) continue;
      if (!fs::exists(src, ec)) {
        // The merge may create it; a restore removes it again.
        manifest += "NONE\t\t" + TextOfPath(src) + "\n";
        continue;
      }
      auto bytes = ReadWholeFile(src);
      if (!bytes) throw std::runtime_error("cannot read " + ShownPath(src));
      const fs::path copyName = src.filename();
      std::string err = WriteFileAtomic(folder / copyName, *bytes);
      if (!err.empty()) throw std::runtime_error("cannot write backup copy of " + ShownPath(src) + ": " + err);
      auto check = ReadWholeFile(folder / copyName);
      if (!check || *check != *bytes) throw std::runtime_error("backup copy of " + ShownPath(src) + " differs");
      manifest += "FILE\t" + TextOfPath(copyName) + "\t" + TextOfPath(src) + "\n";
    }
    std::string err = WriteFileAtomic(folder / kManifest, manifest);
    if (!err.empty()) throw std::runtime_error("cannot write backup list: " + err);
  } catch (...) {
    fs::remove_all(folder, ec);
    throw;
  }
  SyncFolder(leagueFolder);
  return folder;
}

std::string RestoreBackup(const fs::path& backupFolder) {
  auto manifest = ReadWholeFile(backupFolder / kManifest);
  if (!manifest) return "no backup list in " + ShownPath(backupFolder);
  std::string problems;
  std::size_t pos = 0;
  while (pos < manifest->size()) {
    std::size_t end = manifest->find('\n', pos);
    if (end == std::string::npos) end = manifest->size();
    std::string line = manifest->substr(pos, end - pos);
    pos = end + 1;
    std::size_t t1 = line.find('\t');
    std::size_t t2 = t1 == std::string::npos ? std::string::npos : line.find('\t', t1 + 1);
    if (t2 == std::string::npos) continue;
    std::string kind = line.substr(0, t1);
    std::string copyName = line.substr(t1 + 1, t2 - t1 - 1);
    const fs::path original = PathOfText(line.substr(t2 + 1));
    if (kind == "FILE") {
      auto bytes = ReadWholeFile(backupFolder / PathOfText(copyName));
      std::string err = bytes ? WriteFileAtomic(original, *bytes) : "cannot read backup copy " + copyName;
      if (!err.empty()) problems += (problems.empty() ? "" : "; ") + err;
    } else if (kind == "NONE") {
      std::error_code ec;
      fs::remove(original, ec);
      if (ec) problems += (problems.empty() ? "" : "; ") + ("cannot remove " + ShownPath(original));
    }
  }
  return problems;
}

// ---------------------------------------------------------------------------
// The merge.

// ---------------------------------------------------------------------------
// Journal of a running merge.

namespace {

constexpr const char* kJournalSuffix = "-MERGE.TXT";
constexpr std::string_view kJournalBackupTag = "BACKUP\t";

}  // namespace

fs::path MergeJournalOf(const std::string& leaguePath, const std::string& leagueName) {
  return FindCaseInsensitive(PathOfText(leaguePath).parent_path(), FileNamePart(leagueName) + kJournalSuffix);
}

std::string WriteMergeJournal(const fs::path& journal, const fs::path& backupFolder) {
  // The folder is named as it lies beside the journal, so that a league
  // folder moved or renamed since still finds it.
  const std::string text =
      "A merge into this league started and has not finished. Before the league is used again, its files\r\n"
      "are put back from the backup named below (the next merge or PKServer's league load does it).\r\n" +
      std::string(kJournalBackupTag) + TextOfPath(backupFolder.filename()) + "\r\n";
  return WriteFileAtomic(journal, text);
}

fs::path JournalBackup(const fs::path& journal) {
  std::optional<std::string> text = ReadWholeFile(journal);
  if (!text) return {};
  std::size_t pos = 0;
  while (pos < text->size()) {
    std::size_t end = text->find('\n', pos);
    if (end == std::string::npos) end = text->size();
    std::string_view line(text->data() + pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.substr(0, kJournalBackupTag.size()) != kJournalBackupTag) continue;
    const fs::path folder = PathOfText(line.substr(kJournalBackupTag.size()));
    if (folder.empty()) return {};
    return folder.is_absolute() ? folder : journal.parent_path() / folder;
  }
  return {};
}

Recovery RecoverInterruptedMerge(const std::string& leaguePath, const std::string& leagueName) {
  Recovery r;
  r.journal = MergeJournalOf(leaguePath, leagueName);
  std::error_code ec;
  if (!fs::exists(r.journal, ec)) return r;
  r.found = true;
  r.backupFolder = JournalBackup(r.journal);
  const std::string league = Latin1ToUtf8(leagueName);
  r.error = r.backupFolder.empty() ? "the journal " + ShownPath(r.journal) + " names no backup folder"
                                   : RestoreBackup(r.backupFolder);
  if (r.error.empty()) {
    fs::remove(r.journal, ec);
    if (ec) r.error = "cannot remove " + ShownPath(r.journal) + ": " + ec.message();
    SyncFolder(r.journal.parent_path().empty() ? fs::path(".") : r.journal.parent_path());
  }
  if (r.error.empty()) {
    r.restored = true;
    r.message = "A merge into the " + league +
                " league was interrupted before it finished.\r\n\r\n"
                "The league files and the draft file have been put back as they were before that merge, "
                "from the backup in " +
                ShownPath(r.backupFolder) + ".";
  } else {
    r.message = "A merge into the " + league +
                " league was interrupted before it finished, and the league files could not be put back (" + r.error +
                ").\r\n\r\nCopy the files of the backup folder " +
                (r.backupFolder.empty() ? std::string("of that merge") : ShownPath(r.backupFolder)) +
                " back beside the league by hand, then remove " + ShownPath(r.journal) + ".";
  }
  return r;
}

std::map<int, int> RosteredPlayers(const std::string& leaguePath) {
  const std::optional<std::string> bytes = ReadWholeFile(league::LeagueFileName(leaguePath, ".LGE"));
  if (!bytes) throw league::LeagueError(context::kGetTeamRoster, kErrFileNotFound, ErrorDescription(kErrFileNotFound));
  std::map<int, int> players;
  for (const league::RosterChunk& chunk : league::ListRosterChunks(*bytes, context::kGetTeamRoster)) {
    league::RosterBlock block;
    std::copy_n(bytes->begin() + static_cast<std::ptrdiff_t>(chunk.offset), block.size(), block.begin());
    league::MaskRoster(chunk.team, block);
    for (int k = 1; k <= league::kRosterPlaces; ++k) {
      const int pid = block[Index(2 * k - 2)] + 256 * block[Index(2 * k - 1)];
      if (pid >= 100) players.emplace(pid, chunk.team);
    }
  }
  return players;
}

// ---------------------------------------------------------------------------
// The merge.

namespace {

// The words for each reason a record is kept, in the order the closing
// message lists them.
struct ReasonWords {
  KeptReason reason;
  const char* outcome;  // a pick's line in pkleague merge
  const char* closing;  // "<n> since ..." in the closing message
};
constexpr ReasonWords kReasonWords[] = {
    {KeptReason::RosterFull, "roster full", "their roster is full"},
    {KeptReason::NotInLists, "not in the college draftee or free agent list",
     "they are in neither the college draftee nor the free agent list"},
    {KeptReason::AlreadyOnRoster, "already on a roster", "they are already on a team's roster"},
    {KeptReason::NoRosterChunk, "the team has no roster in the league file",
     "their team has no roster in the league file"},
    {KeptReason::NoSuchTeam, "no team of that name in the league", "the league has no team of their team's name"},
    {KeptReason::NotAPlayerId, "not a player id", "their pick record holds no player id"},
};

const ReasonWords& WordsOf(KeptReason reason) {
  for (const ReasonWords& w : kReasonWords)
    if (w.reason == reason) return w;
  return kReasonWords[0];
}

void Keep(PickOutcome& o, KeptReason reason, const std::string& detail = {}) {
  o.kept = reason;
  o.reason = WordsOf(reason).outcome + detail;
}

}  // namespace

std::string ClosingMessage(const std::vector<PickOutcome>& outcomes, const std::string& draftFile) {
  std::map<KeptReason, int> counts;
  int kept = 0;
  for (const PickOutcome& o : outcomes) {
    if (o.placement.placed) continue;
    ++kept;
    ++counts[o.kept == KeptReason::None ? KeptReason::RosterFull : o.kept];
  }
  if (kept == 0)
    return "All players were merged successfully.\r\n\r\n"
           "Run FBPro later to ensure files are in good working order.";
  const bool full = counts.count(KeptReason::RosterFull) > 0;
  std::string text;
  if (full && counts.size() == 1) {
    text = "Some players could not be put on teams since their roster is full.";
  } else {
    text = "Some players could not be put on teams:";
    for (const ReasonWords& w : kReasonWords) {
      auto it = counts.find(w.reason);
      if (it == counts.end()) continue;
      text += "\r\n" + Num(it->second) + (it->second == 1 ? " player" : " players") + " since " + w.closing + ".";
    }
  }
  text += "\r\n\r\nThese players still exist in file " + ShownPath(draftFile) + ".";
  if (full) text += "Cut lists will be needed to enable the merging.";
  return text;
}

namespace {

// A write refused by the injected hook, or a draft file that cannot be written.
struct WriteFailure {
  std::string context;
  int number;
  std::string description;
};

// The team number of a team name (1-based), 0 when the league has none.
int FindTeam(const std::vector<std::string>& teams, const std::string& team) {
  auto it = std::find(teams.begin(), teams.end(), team);
  return it == teams.end() ? 0 : static_cast<int>(it - teams.begin()) + 1;
}

std::tm LocalNow() { return LocalTime(std::time(nullptr)); }

}  // namespace

MergeResult RunMerge(MergeInput in, const MergeOptions& options) {
  MergeResult result;
  Progress progress(options.progress);
  const std::vector<draft::Pick>& picks = in.picks;
  const int count = static_cast<int>(picks.size());

  // A merge that was killed part-way left the league half merged: put it back
  // before anything is read from it.
  result.recovery = RecoverInterruptedMerge(in.leaguePath, in.leagueName);
  if (result.recovery.found) {
    if (!result.recovery.restored) {
      result.failureContext = context::kMergeRecover;
      result.errorNumber = kErrPathFileAccess;
      result.failure = result.recovery.message + " Nothing was written.";
      return result;
    }
    // The lists the caller read came from the half-merged league.
    in.rookies = league::ReadCollegeList(in.leaguePath);
    in.faList = league::ReadFAList(in.leaguePath);
  }

  // One outcome per pick, in order; outcome(v) is that of pick v (1-based).
  for (int v = 1; v <= count; ++v) result.outcomes.push_back(PickOutcome{v, picks[Index(v - 1)], {}, {}, {}});
  auto outcome = [&](int v) -> PickOutcome& { return result.outcomes[Index(v - 1)]; };

  progress.Update("Building team data...", 0, 0, 2);
  std::vector<int> rejected;
  std::vector<PickTeam> teams = PickTeams(
      picks, &rejected, [&](const std::string& team) { progress.Update("Building " + team + "...", 100, count, 0); });
  for (int v : rejected) Keep(outcome(v), KeptReason::NotAPlayerId);
  progress.Update("Build Complete", 0, 0, 1);
  progress.Update("Updating rosters...", 0, 0, 2);

  try {
    result.backupFolder =
        MakeBackup(in.leaguePath, in.leagueName, PathOfText(in.draftFile), options.now ? options.now() : LocalNow());
  } catch (const std::exception& e) {
    result.failureContext = context::kMergeBackup;
    result.errorNumber = kErrPathFileAccess;
    result.failure = std::string("The league files could not be backed up (") + e.what() + "); nothing was written.";
    return result;
  }
  if (options.backupMade) options.backupMade(result.backupFolder);

  int writes = 0;
  auto write = [&](const std::string& what, const std::string& context, const std::function<void()>& action) {
    ++writes;
    if (options.beforeWrite) {
      std::string refused = options.beforeWrite(writes, what);
      if (!refused.empty()) throw WriteFailure{context, kErrDeviceIO, refused};
    }
    action();
  };

  const fs::path journal = MergeJournalOf(in.leaguePath, in.leagueName);
  bool journalWritten = false;
  try {
    // Who is on a roster already: such a player is never placed again.
    std::map<int, int> rostered = RosteredPlayers(in.leaguePath);
    write("journal", "Merge_Journal", [&] {
      std::string err = WriteMergeJournal(journal, result.backupFolder);
      if (!err.empty()) throw WriteFailure{"Merge_Journal", kErrPathFileAccess, err};
      journalWritten = true;
    });

    const SlotRanges xref = MakeSlotRanges();
    const int entries = static_cast<int>(teams.size());
    for (const PickTeam& pt : teams) {
      const int t = FindTeam(in.teams, pt.team);
      if (t == 0) {
        for (const PickItem& item : pt.items) Keep(outcome(item.index), KeptReason::NoSuchTeam);
        continue;
      }
      progress.Update("Updating rosters - " + pt.team, 100, entries, 0);
      league::TeamRosterRead read = league::GetTeamRoster(in.leaguePath, t, in.version);
      if (!read.found) {
        for (const PickItem& item : pt.items) Keep(outcome(item.index), KeptReason::NoRosterChunk);
        continue;
      }
      RosterFix(read.roster, xref);
      SortTeamRoster(read.roster, xref);
      bool changed = false;
      for (const PickItem& item : pt.items) {
        PickOutcome& o = outcome(item.index);
        // A player who is in neither list is already on a team (a repeated
        // pick, or a merge already done): placing him again would put him on
        // two rosters.
        if (!ListHolds(in.rookies, item.pid) && !ListHolds(in.faList, item.pid)) {
          Keep(o, KeptReason::NotInLists);
          continue;
        }
        // Still listed but on a roster all the same (lists and rosters out of
        // step, as a merge stopped between them leaves them).
        if (auto on = rostered.find(item.pid); on != rostered.end()) {
          const std::size_t team = Index(on->second - 1);
          Keep(o, KeptReason::AlreadyOnRoster, team < in.teams.size() ? " (" + in.teams[team] + ")" : "");
          continue;
        }
        Placement pl = PlacePlayer(read.roster, read.jerseys, xref, item.pid, item.genpos);
        if (!pl.placed) {
          Keep(o, KeptReason::RosterFull);
          continue;
        }
        changed = true;
        rostered.emplace(item.pid, t);
        DrafteeDelete(in.rookies, in.faList, item.pid);
        o.placement = pl;
      }
      if (changed) {
        write("roster " + pt.team, context::kFileTeamRoster, [&] {
          if (!league::FileTeamRoster(in.leaguePath, t, read.roster))
            throw league::LeagueError(context::kFileTeamRoster, kErrInputPastEnd, "The team's roster block is gone");
        });
      }
    }

    progress.Update("Updating Rookies/Free Agents...", 0, 0, 1);
    if (in.stage != StageChoice::NoChange)
      write("stage", context::kSetLeagueStage,
            [&] { league::SetLeagueStage(in.leaguePath, in.faList, in.rookies, StageValue(in.stage)); });
    write("college list", context::kFileCollegeList, [&] { league::FileCollegeList(in.leaguePath, in.rookies); });
    write("free-agent list", context::kFileFAList, [&] { league::FileFAList(in.leaguePath, in.faList); });
    progress.Update("Merge Complete", 0, 0, 1);

    std::vector<draft::Pick> kept;
    for (const PickOutcome& o : result.outcomes)
      if (!o.placement.placed) kept.push_back(o.pick);
    write("draft file", "Merge_DraftFile", [&] {
      std::string err = draft::DraftLog::WriteFile(in.draftFile, kept);
      if (!err.empty()) throw WriteFailure{"Merge_DraftFile", kErrPathFileAccess, err};
    });
    // Every file is written: the merge is done once its journal is gone.
    write("journal removal", "Merge_Journal", [&] {
      std::error_code ec;
      fs::remove(journal, ec);
      if (ec)
        throw WriteFailure{"Merge_Journal", kErrPathFileAccess,
                           "cannot remove " + ShownPath(journal) + ": " + ec.message()};
      journalWritten = false;
      SyncFolder(journal.parent_path().empty() ? fs::path(".") : journal.parent_path());
    });
    result.closingMessage = ClosingMessage(result.outcomes, in.draftFile);
    result.kept = std::move(kept);
    result.ok = true;
    return result;
  } catch (const league::LeagueError& e) {
    result.failureContext = e.context;
    result.errorNumber = e.number;
    result.failure = e.what();
  } catch (const WriteFailure& e) {
    result.failureContext = e.context;
    result.errorNumber = e.number;
    result.failure = e.description;
  } catch (const std::exception& e) {
    const ErrorInfo error = ErrorOf(e);
    result.failureContext = context::kMergeCommand;
    result.errorNumber = error.number;
    result.failure = error.description;
  }

  // Stopped part way: put the league back as it was before the merge.
  for (PickOutcome& o : result.outcomes) o.placement = Placement{};
  const std::string backup = ShownPath(result.backupFolder);
  if (options.restoreOnFailure) {
    std::string err = RestoreBackup(result.backupFolder);
    result.restored = err.empty();
    if (result.restored && journalWritten) {
      // Put back: nothing is left for the next run to do.
      std::error_code ec;
      fs::remove(journal, ec);
      SyncFolder(journal.parent_path().empty() ? fs::path(".") : journal.parent_path());
    }
    result.failure += result.restored ? " - the league files were restored from the backup in " + backup
                                      : " - restoring the backup failed (" + err + "); the backup is in " + backup;
  } else {
    result.failure += " - the backup is in " + backup;
  }
  return result;
}

}  // namespace pm::merge
