#include "draft/ClockFile.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "common/Common.h"
#include "common/Files.h"
#include "common/platform/Platform.h"
#include "draft/DraftOrder.h"

namespace fs = std::filesystem;

namespace pm::draft {

namespace {

constexpr std::size_t kMaxClockFileBytes = 4096;

std::optional<int64_t> Number(std::string_view text) {
  int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || value < 0) return std::nullopt;
  return value;
}

}  // namespace

std::string ClockText(const SavedClock& clock) {
  return "Team: " + clock.team + "\r\nPick: " + clock.label.Text() + "\r\nSeconds left: " + Num(clock.secondsLeft) +
         "\r\nDeadline: " + Num(static_cast<long long>(clock.deadline)) +
         "\r\nPaused: " + (clock.paused ? "Yes" : "No") + "\r\n";
}

std::optional<SavedClock> ReadClockText(std::string_view text) {
  SavedClock clock;
  std::optional<PickLabel> label;
  std::optional<int64_t> seconds, deadline;
  std::optional<bool> paused;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t colon = line.find(": ");
    if (colon == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, colon), value = line.substr(colon + 2);
    if (key == "Team") clock.team = std::string(value);
    if (key == "Pick") label = PickLabel::Parse(value);
    if (key == "Seconds left") seconds = Number(value);
    if (key == "Deadline") deadline = Number(value);
    if (key == "Paused" && (value == "Yes" || value == "No")) paused = value == "Yes";
  }
  if (clock.team.empty() || !label || !seconds || !deadline || !paused || *seconds < 1 || *seconds > kMaxPickSeconds)
    return std::nullopt;
  clock.label = *label;
  clock.secondsLeft = static_cast<int>(*seconds);
  clock.deadline = *deadline;
  clock.paused = *paused;
  return clock;
}

std::string ClockFileIn(const std::string& folder, const std::string& leagueName) {
  return FindCaseInsensitive(fs::path(folder), FileNamePart(leagueName) + kClockFileSuffix).string();
}

std::string WriteClockFile(const std::string& file, const SavedClock& clock) {
  return WriteFileAtomic(fs::path(file), ClockText(clock));
}

std::optional<SavedClock> ReadClockFile(const std::string& file) {
  std::ifstream in(fs::path(file), std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes(kMaxClockFileBytes + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (bytes.size() > kMaxClockFileBytes) return std::nullopt;
  return ReadClockText(bytes);
}

void RemoveClockFile(const std::string& file) {
  std::error_code ec;
  fs::remove(fs::path(file), ec);
}

}  // namespace pm::draft
