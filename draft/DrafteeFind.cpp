#include "draft/DrafteeFind.h"

#include <array>

#include "common/Common.h"

namespace pm::draft {

namespace {

// The folded text of the Latin-1 letters 0xC0..0xFF, capitals and small
// letters alike ("×" and "÷" stay as they are).
constexpr std::array<const char*, 64> kFoldedHigh = {
    "a", "a", "a", "a", "a", "a", "ae", "c",     "e", "e", "e", "e", "i", "i", "i",  "i",   // C0-CF
    "d", "n", "o", "o", "o", "o", "o",  nullptr, "o", "u", "u", "u", "u", "y", "th", "ss",  // D0-DF
    "a", "a", "a", "a", "a", "a", "ae", "c",     "e", "e", "e", "e", "i", "i", "i",  "i",   // E0-EF
    "d", "n", "o", "o", "o", "o", "o",  nullptr, "o", "u", "u", "u", "u", "y", "th", "y",   // F0-FF
};

std::vector<std::string> Parts(const std::string& folded) {
  std::vector<std::string> parts;
  std::size_t at = 0;
  while (at < folded.size()) {
    std::size_t end = folded.find(' ', at);
    if (end == std::string::npos) end = folded.size();
    if (end > at) parts.push_back(folded.substr(at, end - at));
    at = end + 1;
  }
  return parts;
}

bool Matches(const Player& player, const std::vector<std::string>& parts) {
  const std::string first = FoldForFind(player.fname);
  const std::string last = FoldForFind(player.lname);
  for (const std::string& part : parts)
    if (first.find(part) == std::string::npos && last.find(part) == std::string::npos) return false;
  return true;
}

}  // namespace

std::string FoldForFind(std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size());
  for (char c : latin1) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 'A' && byte <= 'Z') {
      out += static_cast<char>(byte - 'A' + 'a');
    } else if (byte >= 0xC0 && kFoldedHigh[byte - 0xC0] != nullptr) {
      out += kFoldedHigh[byte - 0xC0];
    } else {
      out += c;
    }
  }
  return out;
}

std::vector<Found> FindDraftees(const DrafteeTable& table, const DraftedSet& drafted, std::string_view query) {
  std::string folded = FoldForFind(query);
  for (char& c : folded)
    if (c == '\t') c = ' ';
  const std::vector<std::string> parts = Parts(folded);
  std::vector<Found> found;
  if (parts.empty()) return found;
  for (int position = 0; position < kShownPositions; ++position) {
    const std::vector<Player>& players = table.Of(position);
    for (std::size_t i = 0; i < players.size(); ++i) {
      const Player& p = players[i];
      if (!drafted.Contains(p.pid) && Matches(p, parts)) found.push_back({position, static_cast<int>(i), p.pid});
    }
  }
  return found;
}

std::string FoundLine(const DrafteeTable& table, const Found& found) {
  std::string line = PositionCaption(found.position);
  line.resize(4, ' ');
  const std::vector<Player>& players = table.Of(found.position);
  if (found.index >= 0 && static_cast<std::size_t>(found.index) < players.size())
    line += TrimRight(FormatLine(players[static_cast<std::size_t>(found.index)]));
  return line;
}

std::string FoundHeader() { return "Pos " + HeaderLine(); }

}  // namespace pm::draft
