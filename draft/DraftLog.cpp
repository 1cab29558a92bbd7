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
  slots_.assign(picks->begin(), picks->end());
  return r;
}

std::string DraftLog::Clear() {
  std::string err = WriteFileAtomic(file_, "");
  if (err.empty()) slots_.clear();
  return err;
}

std::string DraftLog::Append(const Pick& pick) {
  if (Full()) return "the draft holds " + std::to_string(kMaxPicks) + " picks";
  const std::string line = PickRecord(pick);
  std::string err = AppendDurable(file_, line + "\r\n");
  if (!err.empty()) return err;
  // Stored as the file holds it, so that a later load reads the same pick.
  slots_.emplace_back(ParsePick(line));
  return {};
}

DraftLog::DeleteStatus DraftLog::Delete(std::string_view label, std::string* error) {
  auto found = std::find_if(slots_.begin(), slots_.end(),
                            [&](const std::optional<Pick>& s) { return s && s->label == label; });
  if (found == slots_.end()) return DeleteStatus::NotFound;
  std::vector<Pick> rest;
  for (auto it = slots_.begin(); it != slots_.end(); ++it)
    if (*it && it != found) rest.push_back(**it);
  std::string err = WriteFile(file_, rest);
  if (!err.empty()) {
    if (error) *error = err;
    return DeleteStatus::WriteFailed;
  }
  found->reset();
  return DeleteStatus::Deleted;
}

void DraftLog::Replace(std::vector<Pick> picks) {
  if (picks.size() > static_cast<std::size_t>(kMaxPicks)) picks.resize(static_cast<std::size_t>(kMaxPicks));
  slots_.assign(std::make_move_iterator(picks.begin()), std::make_move_iterator(picks.end()));
}

std::string DraftLog::Rewrite() const { return WriteFile(file_, Picks()); }

const Pick* DraftLog::Slot(int n) const {
  if (n < 1 || n > Count()) return nullptr;
  const std::optional<Pick>& s = slots_[static_cast<std::size_t>(n - 1)];
  return s ? &*s : nullptr;
}

const Pick* DraftLog::SlotFrom(int n) const {
  for (int i = std::max(n, 1); i <= Count(); ++i)
    if (const Pick* p = Slot(i)) return p;
  return nullptr;
}

std::vector<Pick> DraftLog::Picks() const {
  std::vector<Pick> out;
  for (const std::optional<Pick>& s : slots_)
    if (s) out.push_back(*s);
  return out;
}

bool DraftLog::IsTaken(int pid) const {
  return std::any_of(slots_.begin(), slots_.end(), [pid](const std::optional<Pick>& s) { return s && s->pid == pid; });
}

}  // namespace pm::draft
