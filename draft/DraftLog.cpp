#include "draft/DraftLog.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/Files.h"

namespace pm::draft {

namespace fs = std::filesystem;

std::string DraftFileIn(const std::string& folder, const std::string& leagueName) {
  return FindCaseInsensitive(fs::path(folder), FileNamePart(leagueName) + kDraftFileSuffix).string();
}

std::string KeptDraftFileName(const std::string& folder, const std::string& leagueName, const std::tm& when) {
  char stamp[80];  // room for any int the fields may hold
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", when.tm_year + 1900, when.tm_mon + 1, when.tm_mday,
                when.tm_hour, when.tm_min, when.tm_sec);
  const std::string base = FileNamePart(leagueName) + "-DRAFT-" + stamp;
  std::error_code ec;
  for (int i = 1;; ++i) {
    const fs::path name = fs::path(folder) / (i == 1 ? base + ".TXT" : base + "-" + std::to_string(i) + ".TXT");
    if (!fs::exists(name, ec)) return name.string();
  }
}

std::optional<std::vector<Pick>> DraftLog::ReadFile(const std::string& file) {
  std::error_code ec;
  if (file.empty() || !std::filesystem::exists(file, ec)) return std::vector<Pick>{};
  std::optional<std::string> bytes = ReadWholeFile(file);
  if (!bytes) return std::nullopt;
  return ParseDraftFile(*bytes);
}

std::string DraftLog::WriteFile(const std::string& file, const std::vector<Pick>& picks) {
  return WriteFileAtomic(file, DraftFileText(picks));
}

DraftLog::LoadResult DraftLog::Load(const std::string& file) {
  LoadResult r;
  std::error_code ec;
  std::optional<std::string> bytes =
      file.empty() || !fs::exists(file, ec) ? std::optional<std::string>("") : ReadWholeFile(file);
  if (!bytes) {
    r.status = LoadStatus::Unreadable;
    return r;
  }
  std::vector<Pick> picks = ParseDraftFile(*bytes);
  r.records = picks.size();
  if (picks.size() > static_cast<std::size_t>(kMaxPicks)) {
    r.status = LoadStatus::TooMany;
    return r;
  }
  file_ = file;
  picks_.Assign(std::move(picks));
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

std::string DraftLog::KeepCopy(const std::string& copy) const {
  std::optional<std::string> bytes = ReadWholeFile(file_);
  if (!bytes) return "cannot read " + ShownPath(file_);
  return WriteFileAtomic(copy, *bytes);
}

std::string DraftLog::Append(const Pick& pick) {
  if (Full()) return "the draft holds " + std::to_string(kMaxPicks) + " picks";
  const std::string line = PickRecord(pick);
  const std::string text = (lastLineOpen_ ? "\r\n" : "") + line + "\r\n";
  std::string err = AppendDurable(file_, text);
  if (!err.empty()) return err;
  lastLineOpen_ = false;
  // Stored as the file holds it, so that a later load reads the same pick.
  picks_.Append(ParsePick(line));
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
