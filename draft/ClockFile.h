// The clock of the team on the clock, kept on disk beside the league as
// "<League name>-CLOCK.TXT", so that a server restarted during a slow draft
// gives that team the time it had left, not a new clock:
//   Team: Boston Bulldogs
//   Pick: 2-5
//   Seconds left: 3600
//   Deadline: 1796679600        (seconds since 1970-01-01 UTC; 0 while paused)
//   Paused: No
// Written (atomically) whenever a clock starts, pauses or resumes; removed
// when nobody is on the clock.
//
// Plain C++; the team's name is Latin-1.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "draft/Pick.h"

namespace pm::draft {

inline constexpr const char* kClockFileSuffix = "-CLOCK.TXT";

struct SavedClock {
  std::string team;
  PickLabel label;
  int secondsLeft = 0;
  int64_t deadline = 0;  // seconds since the epoch; 0 while paused
  bool paused = false;
  bool operator==(const SavedClock&) const = default;
};

std::string ClockText(const SavedClock& clock);
// Nothing when the text is not a whole clock.
std::optional<SavedClock> ReadClockText(std::string_view text);

// The clock file of league `leagueName` in `folder`, found whatever the
// letter case of its name; the exact name when there is none yet.
std::string ClockFileIn(const std::string& folder, const std::string& leagueName);
// Empty on success, else why not.
std::string WriteClockFile(const std::string& file, const SavedClock& clock);
// Nothing when there is no such file or it is no clock (a file over 4 KB is
// not read).
std::optional<SavedClock> ReadClockFile(const std::string& file);
void RemoveClockFile(const std::string& file);

}  // namespace pm::draft
