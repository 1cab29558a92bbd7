#include "draft/DraftLog.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/Files.h"

namespace pm::draft {

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
  std::optional<std::vector<Pick>> picks = ReadFile(file);
  if (!picks) {
    r.status = LoadStatus::Unreadable;
    return r;
  }
  r.records = picks->size();
  if (picks->size() > static_cast<std::size_t>(kMaxPicks)) {
    r.status = LoadStatus::TooMany;
    return r;
  }
  file_ = file;
  picks_.Assign(std::move(*picks));
  return r;
}

std::string DraftLog::Clear() {
  std::string err = WriteFileAtomic(file_, "");
  if (err.empty()) picks_.Assign({});
  return err;
}

std::string DraftLog::Append(const Pick& pick) {
  if (Full()) return "the draft holds " + std::to_string(kMaxPicks) + " picks";
  const std::string line = PickRecord(pick);
  std::string err = AppendDurable(file_, line + "\r\n");
  if (!err.empty()) return err;
  // Stored as the file holds it, so that a later load reads the same pick.
  picks_.Append(ParsePick(line));
  return {};
}

DraftLog::DeleteStatus DraftLog::Delete(std::string_view label, std::string* error) {
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
