// The league the client loaded, as the league window leaves it.
#pragma once

#include <cstdint>
#include <string>

#include "draft/Draftees.h"

namespace pm::client {

struct ClientLeague {
  // Folder of the league file + "/" + its name without the extension.
  std::string leaguePath;
  int versionCode = 0;
  std::string leagueName;
  bool includeFreeAgents = false;
  // Players in the pool (college draftees plus free agents when included);
  // sent at login.
  int drafteeCount = 0;
  // The pool grouped by position, as the Draftees window shows it.
  draft::DrafteeTable table;
};

}  // namespace pm::client
