#include "draft/DraftOrder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/Common.h"
#include "common/Files.h"
#include "draft/Pick.h"

namespace pm::draft {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kRoundsKey = "ROUNDS:";
constexpr std::string_view kOrderKey = "ORDER:";

// The text after `key` when the line (in capitals) starts with it.
std::optional<std::string> Setting(const std::string& upper, std::string_view key) {
  if (upper.rfind(key, 0) != 0) return std::nullopt;
  return Trim(std::string_view(upper).substr(key.size()));
}

bool AllDigits(const std::string& t) {
  return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

int DraftOrder::Labels() const { return Empty() ? 0 : static_cast<int>(teams.size()) * rounds; }

int DraftOrder::TeamAt(int round, int selection) const {
  const int n = static_cast<int>(teams.size());
  if (round < 1 || round > rounds || selection < 1 || selection > n) return 0;
  const int i = snake && round % 2 == 0 ? n - selection : selection - 1;
  return teams[Index(i)];
}

int DraftOrder::RoundOf(int k) const { return teams.empty() ? 0 : k / static_cast<int>(teams.size()) + 1; }
int DraftOrder::SelectionOf(int k) const { return teams.empty() ? 0 : k % static_cast<int>(teams.size()) + 1; }
std::string DraftOrder::Label(int k) const { return Num(RoundOf(k)) + "-" + Num(SelectionOf(k)); }

DraftOrder DraftOrder::Default(int teamCount) {
  DraftOrder o;
  for (int t = 1; t <= teamCount; ++t) o.teams.push_back(t);
  o.rounds = teamCount > 0 ? std::clamp(kMaxPicks / teamCount, 1, kDefaultRounds) : kDefaultRounds;
  return o;
}

OrderRead ReadOrderText(std::string_view text, const std::vector<std::string>& teamNames) {
  OrderRead r;
  r.order.rounds = kDefaultRounds;
  std::vector<std::string> upperNames;
  for (const std::string& n : teamNames) upperNames.push_back(UpperLatin1(Trim(n)));
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string line = Trim(ReplaceChar(text.substr(start, end - start), '\r', ""));
    start = end + 1;
    if (line.empty()) continue;
    const std::string upper = UpperLatin1(line);
    auto team = std::find(upperNames.begin(), upperNames.end(), upper);
    if (team != upperNames.end()) {
      r.order.teams.push_back(static_cast<int>(team - upperNames.begin()) + 1);
    } else if (auto rounds = Setting(upper, kRoundsKey);
               rounds && AllDigits(*rounds) && LeadingNumber(*rounds) >= 1 && LeadingNumber(*rounds) <= kMaxRounds) {
      r.order.rounds = static_cast<int>(LeadingNumber(*rounds));
    } else if (auto kind = Setting(upper, kOrderKey); kind && (*kind == "SNAKE" || *kind == "LINEAR")) {
      r.order.snake = *kind == "SNAKE";
    } else {
      r.unknown.push_back(line);
    }
  }
  for (std::size_t i = 0; i < teamNames.size(); ++i) {
    const int t = static_cast<int>(i) + 1;
    if (std::find(r.order.teams.begin(), r.order.teams.end(), t) == r.order.teams.end())
      r.missing.push_back(teamNames[i]);
  }
  return r;
}

std::string OrderText(const DraftOrder& order, const std::vector<std::string>& teamNames) {
  std::string out = "Rounds: " + Num(order.rounds) + "\r\nOrder: " + (order.snake ? "Snake" : "Linear") + "\r\n";
  for (int t : order.teams)
    if (t >= 1 && t <= static_cast<int>(teamNames.size())) out += teamNames[Index(t - 1)] + "\r\n";
  return out;
}

std::string OrderFileIn(const std::string& folder, const std::string& leagueName) {
  return FindCaseInsensitive(fs::path(folder), FileNamePart(leagueName) + kOrderFileSuffix).string();
}

std::optional<OrderRead> ReadOrderFile(const std::string& file, const std::vector<std::string>& teamNames) {
  std::error_code ec;
  if (file.empty() || !fs::exists(file, ec)) return std::nullopt;
  std::optional<std::string> bytes = ReadWholeFile(file);
  if (!bytes) return std::nullopt;
  return ReadOrderText(*bytes, teamNames);
}

std::string WriteOrderFile(const std::string& file, const DraftOrder& order,
                           const std::vector<std::string>& teamNames) {
  return WriteFileAtomic(file, OrderText(order, teamNames));
}

}  // namespace pm::draft
