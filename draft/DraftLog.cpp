#include "draft/DraftLog.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>
#include <unordered_map>

#include "common/Common.h"
#include "common/Files.h"

namespace pm::draft {

namespace fs = std::filesystem;

namespace {

// Why a pick read from a record cannot be a pick of the league's draft,
// whatever else the file holds; empty when it can.
std::string Misfit(const Pick& pick, const DraftLeague& league) {
  if (!pick.label.Valid()) return "the round-selection is missing or malformed";
  if (!pick.label.Fits(league.teamCount))
    return "pick " + pick.label.Text() + " does not fit a draft of " + Num(league.teamCount) + " teams";
  if (std::find(league.teams.begin(), league.teams.end(), pick.team) == league.teams.end())
    return "\"" + pick.team + "\" is not a team of this league";
  if (!league.pids.contains(pick.pid)) return "player " + Num(pick.pid) + " is not a draftee of this draft";
  return {};
}

}  // namespace

std::string DraftFileIn(const std::string& folder, const std::string& leagueName) {
  return TextOfPath(FindCaseInsensitive(PathOfText(folder), FileNamePart(leagueName) + kDraftFileSuffix));
}

std::string SetAsideFileIn(const std::string& folder, const std::string& leagueName) {
  return TextOfPath(FindCaseInsensitive(PathOfText(folder), FileNamePart(leagueName) + kSetAsideFileSuffix));
}

CheckedRecords CheckDraftRecords(const std::vector<DraftRecord>& records, const DraftLeague& league) {
  CheckedRecords checked;
  std::unordered_map<int, int> pidLines;  // PID of a pick -> its line
  std::map<PickLabel, int> labelLines;    // label of a pick -> its line
  for (const DraftRecord& record : records) {
    const Pick& pick = record.pick;
    std::string why = Misfit(pick, league);
    if (const auto pid = pidLines.find(pick.pid); why.empty() && pid != pidLines.end())
      why = "player " + Num(pick.pid) + " was recorded already on line " + Num(pid->second);
    if (const auto label = labelLines.find(pick.label); why.empty() && label != labelLines.end())
      why = "pick " + pick.label.Text() + " was recorded already on line " + Num(label->second);
    if (!why.empty()) {
      checked.setAside.push_back(SetAsideRecord{record.line, record.text, why});
      continue;
    }
    pidLines.emplace(pick.pid, record.line);
    labelLines.emplace(pick.label, record.line);
    checked.picks.push_back(pick);
  }
  return checked;
}

std::string KeptDraftFileName(const std::string& folder, const std::string& leagueName, const std::tm& when) {
  char stamp[80];  // room for any int the fields may hold
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", when.tm_year + 1900, when.tm_mon + 1, when.tm_mday,
                when.tm_hour, when.tm_min, when.tm_sec);
  const std::string base = FileNamePart(leagueName) + "-DRAFT-" + stamp;
  std::error_code ec;
  for (int i = 1;; ++i) {
    const fs::path name = PathOfText(folder) / PathOfText(i == 1 ? base + ".TXT" : base + "-" + Num(i) + ".TXT");
    if (!fs::exists(name, ec)) return TextOfPath(name);
  }
}

std::optional<std::vector<Pick>> DraftLog::ReadFile(const std::string& file) {
  std::error_code ec;
  if (file.empty() || !fs::exists(PathOfText(file), ec)) return std::vector<Pick>{};
  std::optional<std::string> bytes = ReadWholeFile(file);
  if (!bytes) return std::nullopt;
  return ParseDraftFile(*bytes);
}

std::string DraftLog::WriteFile(const std::string& file, const std::vector<Pick>& picks) {
  return WriteFileAtomic(file, DraftFileText(picks));
}

DraftLog::LoadResult DraftLog::Load(const std::string& file, const DraftLeague& league) {
  LoadResult r;
  std::error_code ec;
  std::optional<std::string> bytes =
      file.empty() || !fs::exists(PathOfText(file), ec) ? std::optional<std::string>("") : ReadWholeFile(file);
  if (!bytes) {
    r.status = LoadStatus::Unreadable;
    return r;
  }
  const std::vector<DraftRecord> records = ParseDraftRecords(*bytes);
  r.records = records.size();
  if (records.size() > static_cast<std::size_t>(kMaxPicks)) {
    r.status = LoadStatus::TooMany;
    return r;
  }
  CheckedRecords checked = CheckDraftRecords(records, league);
  r.setAside = std::move(checked.setAside);
  file_ = file;
  picks_.Assign(std::move(checked.picks));
  // The file may have been edited and saved without a final line break: the
  // next pick must not be glued to the last line, where it would be read as
  // part of that pick and lost. Every line the log writes ends in one.
  lastLineOpen_ = !bytes->empty() && bytes->back() != '\n';
  return r;
}

std::string DraftLog::Clear() {
  std::string err = WriteFileAtomic(file_, "");
  if (err.empty()) {
    picks_.Assign({});
    lastLineOpen_ = false;
  }
  return err;
}

std::string DraftLog::MoveSetAside(const std::vector<SetAsideRecord>& records, const std::string& sideFile,
                                   const std::tm& when) {
  char date[80];
  std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", &when);
  std::error_code ec;
  const bool earlier = fs::file_size(PathOfText(sideFile), ec) > 0 && !ec;
  // A blank line parts this batch from an earlier one (and ends a last line
  // an editor left open).
  std::string text = earlier ? "\r\n" : "";
  text += "Set aside from the draft file on " + std::string(date) + ":\r\n";
  for (const SetAsideRecord& r : records) text += "Line " + Num(r.line) + " (" + r.reason + "): " + r.text + "\r\n";
  std::string err = AppendDurable(sideFile, text);
  if (err.empty()) err = WriteFile(file_, Picks());
  if (err.empty()) lastLineOpen_ = false;
  return err;
}

std::string DraftLog::KeepCopy(const std::string& copy) const {
  std::optional<std::string> bytes = ReadWholeFile(file_);
  if (!bytes) return "cannot read " + ShownPath(file_);
  return WriteFileAtomic(copy, *bytes);
}

std::string DraftLog::Append(const Pick& pick) {
  if (Full()) return "the draft holds " + std::to_string(kMaxPicks) + " picks";
  const std::string text = (lastLineOpen_ ? "\r\n" : "") + PickRecord(pick) + "\r\n";
  std::string err = AppendDurable(file_, text);
  if (!err.empty()) return err;
  lastLineOpen_ = false;
  picks_.Append(pick);
  return {};
}

DraftLog::DeleteStatus DraftLog::Delete(PickLabel label, std::string* error) {
  std::vector<Pick> rest = Picks();
  auto found = std::find_if(rest.begin(), rest.end(), [&](const Pick& p) { return p.label == label; });
  if (found == rest.end()) return DeleteStatus::NotFound;
  rest.erase(found);
  std::string err = WriteFile(file_, rest);
  if (!err.empty()) {
    if (error) *error = err;
    return DeleteStatus::WriteFailed;
  }
  picks_.BlankLabel(label);
  lastLineOpen_ = false;
  return DeleteStatus::Deleted;
}

void DraftLog::Replace(std::vector<Pick> picks) { picks_.Assign(std::move(picks)); }

std::string DraftLog::Rewrite() const { return WriteFile(file_, Picks()); }

const Pick* DraftLog::SlotFrom(int n) const {
  for (int i = std::max(n, 1); i <= Count(); ++i)
    if (const Pick* p = Slot(i)) return p;
  return nullptr;
}

}  // namespace pm::draft
