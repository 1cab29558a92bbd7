#include "draft/DraftOrder.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "common/Common.h"
#include "common/Files.h"
#include "draft/Pick.h"

namespace pm::draft {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The parts of `text` between the `separator`s (empty parts too).
std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

bool SameWords(std::string_view a, std::string_view b) { return UpperLatin1(a) == UpperLatin1(b); }

// A whole number of plain digits from `low` to `high`.
std::optional<int> WholeNumber(std::string_view text, int low, int high) {
  unsigned value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || value < static_cast<unsigned>(low) || value > static_cast<unsigned>(high))
    return std::nullopt;
  return static_cast<int>(value);
}

// `value` as one of two words: false for `no`, true for `yes`.
std::optional<bool> Choice(std::string_view value, std::string_view no, std::string_view yes) {
  if (SameWords(value, no)) return false;
  if (SameWords(value, yes)) return true;
  return std::nullopt;
}

// Stores a read value; false when there is none.
template <class T, class V>
bool Take(const std::optional<V>& read, T& into) {
  if (read) into = *read;
  return read.has_value();
}

// One setting line of the order file.
struct SettingKey {
  std::string name;  // as written, before ": "
  std::string rule;  // what its value must be
  bool alwaysWritten = false;
  std::string (*write)(const DraftOrder&);
  // Takes a value (trimmed); false when it is not allowed.
  bool (*read)(std::string_view value, OrderRead&);
};

// A time zone's name as written ("Europe/Berlin", "UTC", "Etc/GMT+5");
// whether the system knows it is the server's to check.
std::optional<std::string> ZoneName(std::string_view v) {
  constexpr std::size_t kLongestZoneName = 64;
  const bool plain = !v.empty() && v.size() <= kLongestZoneName && std::all_of(v.begin(), v.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '_' || c == '-' || c == '+';
  });
  return plain ? std::optional<std::string>(v) : std::nullopt;
}

std::string Seconds(int low, int high) { return "a whole number of seconds from " + Num(low) + " to " + Num(high); }

const std::vector<SettingKey>& SettingKeys() {
  static const std::vector<SettingKey> keys = {
      {"Rounds", "Rounds must be a whole number from 1 to " + Num(kMaxRounds), true,
       [](const DraftOrder& o) { return Num(o.rounds); },
       [](std::string_view v, OrderRead& r) {
         const bool taken = Take(WholeNumber(v, 1, kMaxRounds), r.order.rounds);
         r.roundsSet = r.roundsSet || taken;
         return taken;
       }},
      {"Order", "Order must be Linear or Snake", true,
       [](const DraftOrder& o) { return std::string(o.snake ? "Snake" : "Linear"); },
       [](std::string_view v, OrderRead& r) {
         const bool taken = Take(Choice(v, "Linear", "Snake"), r.order.snake);
         r.kindSet = r.kindSet || taken;
         return taken;
       }},
      {"Rule", "Rule must be Best available or Wait for the Commish", false,
       [](const DraftOrder& o) {
         return std::string(o.settings.rule == AutoPickRule::BestAvailable ? "Best available" : "Wait for the Commish");
       },
       [](std::string_view v, OrderRead& r) {
         const std::optional<bool> best = Choice(v, "Wait for the Commish", "Best available");
         if (best) r.order.settings.rule = *best ? AutoPickRule::BestAvailable : AutoPickRule::WaitForCommish;
         return best.has_value();
       }},
      {"Ratings", "Ratings must name one or more of " + RatingsText(kAllRatings), false,
       [](const DraftOrder& o) { return RatingsText(o.settings.ratings); },
       [](std::string_view v, OrderRead& r) { return Take(ReadRatings(v), r.order.settings.ratings); }},
      {"Pause", "Pause must be " + Seconds(0, kMaxPauseSeconds), false,
       [](const DraftOrder& o) { return Num(o.settings.pauseSeconds); },
       [](std::string_view v, OrderRead& r) {
         return Take(WholeNumber(v, 0, kMaxPauseSeconds), r.order.settings.pauseSeconds);
       }},
      {"Absent time", "Absent time must be " + Seconds(1, kMaxPickSeconds), false,
       [](const DraftOrder& o) { return o.settings.absentSeconds ? Num(*o.settings.absentSeconds) : std::string(); },
       [](std::string_view v, OrderRead& r) {
         return Take(WholeNumber(v, 1, kMaxPickSeconds), r.order.settings.absentSeconds);
       }},
      {"Time", "Time must be " + Seconds(1, kMaxPickSeconds), false,
       [](const DraftOrder& o) { return Num(o.settings.timeAllowed); },
       [](std::string_view v, OrderRead& r) {
         return Take(WholeNumber(v, 1, kMaxPickSeconds), r.order.settings.timeAllowed);
       }},
      {"Quiet hours", "Quiet hours must be two times of day (\"23:00-08:00\")", false,
       [](const DraftOrder& o) { return o.settings.quietHours ? o.settings.quietHours->Text() : std::string(); },
       [](std::string_view v, OrderRead& r) { return Take(QuietHours::Parse(v), r.order.settings.quietHours); }},
      {"Time zone", "Time zone must be a zone name such as Europe/Berlin", false,
       [](const DraftOrder& o) { return o.settings.timeZone; },
       [](std::string_view v, OrderRead& r) { return Take(ZoneName(v), r.order.settings.timeZone); }},
      {"Automatic", "Automatic must be Yes or No", false,
       [](const DraftOrder& o) { return std::string(o.settings.automatic ? "Yes" : "No"); },
       [](std::string_view v, OrderRead& r) { return Take(Choice(v, "No", "Yes"), r.order.settings.automatic); }},
  };
  return keys;
}

// The text before and after the first ':' of a line, trimmed; false when
// there is no ':'.
bool KeyAndValue(std::string_view line, std::string* key, std::string* value) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return false;
  *key = Trim(line.substr(0, colon));
  *value = Trim(line.substr(colon + 1));
  return true;
}

// "Time in round 3" or "Time in rounds 1-2": the first and last round.
std::optional<std::pair<int, int>> RoundTimeKey(const std::string& key) {
  const std::string upper = UpperLatin1(key);
  std::string_view rest;
  for (std::string_view lead : {"TIME IN ROUNDS ", "TIME IN ROUND "})
    if (upper.starts_with(lead)) rest = std::string_view(key).substr(lead.size());
  if (rest.empty()) return std::nullopt;
  const std::size_t dash = rest.find('-');
  const auto first = WholeNumber(Trim(rest.substr(0, dash)), 1, kMaxRounds);
  const auto last = dash == std::string_view::npos ? first : WholeNumber(Trim(rest.substr(dash + 1)), 1, kMaxRounds);
  if (!first || !last || *last < *first) return std::nullopt;
  return std::pair{*first, *last};
}

constexpr std::string_view kTradeRule =
    "a traded pick names a round and selection of the order (\"3-5: Team\") and a team of the league";
constexpr std::string_view kRoundTimeRule =
    "a round's time names rounds of the order (\"Time in rounds 1-2: 120\") and a whole number of seconds";

// The setting `line` is a line of, with its value (trimmed); nothing when
// its text before the first ':' is no setting's key.
const SettingKey* KeyOf(std::string_view line, std::string* value) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return nullptr;
  const std::string key = Trim(line.substr(0, colon));
  for (const SettingKey& k : SettingKeys()) {
    if (!SameWords(key, k.name)) continue;
    *value = Trim(line.substr(colon + 1));
    return &k;
  }
  return nullptr;
}

std::string RatingName(std::size_t box) { return ReplaceChar(kRatingCaptions[box], '&', ""); }

// The file's bytes when it holds at most kMaxOrderFileBytes; never reads
// more than one byte beyond that.
std::optional<std::string> ReadSmallFile(const std::string& file, OrderFileStatus* status) {
  const fs::path path = PathOfText(file);
  std::error_code ec;
  const bool exists = !file.empty() && fs::exists(path, ec);
  if (!exists && !ec) {
    *status = OrderFileStatus::Missing;
    return std::nullopt;
  }
  if (ec || !fs::is_regular_file(path, ec)) {
    *status = OrderFileStatus::Unreadable;
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  std::string bytes(kMaxOrderFileBytes + 1, '\0');
  if (in) in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!in && !in.eof()) {
    *status = OrderFileStatus::Unreadable;
    return std::nullopt;
  }
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  *status = bytes.size() > kMaxOrderFileBytes ? OrderFileStatus::TooLarge : OrderFileStatus::Read;
  if (*status != OrderFileStatus::Read) return std::nullopt;
  return bytes;
}

// One indented line for each of the first names (each setting line with
// what its value must be), then how many more there are.
std::string Listed(const std::vector<std::string>& names, bool settingLines) {
  const draft::ShownList shown = ShownNames(names);
  std::string out;
  for (const std::string& n : shown.names) out += "\r\n    " + n + (settingLines ? " (" + SettingRule(n) + ")" : "");
  if (shown.more > 0) out += "\r\n    and " + Num(shown.more) + " more";
  return out;
}

std::string Section(const std::string& title, const std::vector<std::string>& names, bool settingLines = false) {
  return names.empty() ? std::string() : "\r\n\r\n" + title + Listed(names, settingLines);
}

}  // namespace

bool QuietHours::Holds(int minute) const {
  return start < end ? minute >= start && minute < end : minute >= start || minute < end;
}

std::string QuietHours::Text() const {
  const auto hhmm = [](int m) {
    const std::string h = Num(m / 60), mm = Num(m % 60);
    return (h.size() < 2 ? "0" + h : h) + ":" + (mm.size() < 2 ? "0" + mm : mm);
  };
  return hhmm(start) + "-" + hhmm(end);
}

std::optional<QuietHours> QuietHours::Parse(std::string_view text) {
  const auto minuteOf = [](std::string_view t) -> std::optional<int> {
    const std::string s = Trim(t);
    const std::size_t colon = s.find(':');
    if (colon == std::string::npos) return std::nullopt;
    const auto h = WholeNumber(std::string_view(s).substr(0, colon), 0, 23);
    const auto m = WholeNumber(std::string_view(s).substr(colon + 1), 0, 59);
    if (!h || !m) return std::nullopt;
    return *h * 60 + *m;
  };
  const std::size_t dash = text.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const auto start = minuteOf(text.substr(0, dash)), end = minuteOf(text.substr(dash + 1));
  if (!start || !end || *start == *end) return std::nullopt;
  return QuietHours{*start, *end};
}

int DraftOrder::Labels() const { return Empty() ? 0 : static_cast<int>(teams.size()) * rounds; }

bool DraftOrder::Has(PickLabel label) const { return TeamAt(label.round, label.selection) != 0; }

int DraftOrder::OwnerOf(PickLabel label) const {
  if (!Has(label)) return 0;
  const auto trade = traded.find(label);
  return trade != traded.end() ? trade->second : TeamAt(label.round, label.selection);
}

int AutoDraftSettings::TimeFor(int round) const {
  const auto in = roundSeconds.find(round);
  return in != roundSeconds.end() ? in->second : timeAllowed;
}

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

bool OrderRead::Flawed() const {
  return !unknown.empty() || !duplicates.empty() || !badSettings.empty() || !missing.empty();
}

namespace {

// A traded pick ("3-5: Boston Bulldogs") or a round's time ("Time in rounds
// 1-2: 120"): taken into `r` (a bad value goes to its bad settings); false
// when the line is neither.
bool ReadPickLine(const std::string& line, const std::vector<std::string>& upperNames, OrderRead& r) {
  std::string key, value;
  if (!KeyAndValue(line, &key, &value)) return false;
  if (const std::optional<PickLabel> label = PickLabel::Parse(key)) {
    const auto team = std::find(upperNames.begin(), upperNames.end(), UpperLatin1(value));
    if (team == upperNames.end())
      r.badSettings.push_back(line);
    else
      r.order.traded[*label] = static_cast<int>(team - upperNames.begin()) + 1;
    return true;
  }
  if (const auto rounds = RoundTimeKey(key)) {
    const std::optional<int> seconds = WholeNumber(value, 1, kMaxPickSeconds);
    if (!seconds) {
      r.badSettings.push_back(line);
      return true;
    }
    for (int round = rounds->first; round <= rounds->second; ++round) r.order.settings.roundSeconds[round] = *seconds;
    return true;
  }
  return false;
}

}  // namespace

OrderRead ReadOrderText(std::string_view text, const std::vector<std::string>& teamNames) {
  OrderRead r;
  r.order.rounds = kDefaultRounds;
  std::vector<std::string> upperNames;
  upperNames.reserve(teamNames.size());
  for (const std::string& n : teamNames) upperNames.push_back(UpperLatin1(Trim(n)));
  if (text.starts_with(kUtf8Mark)) text.remove_prefix(kUtf8Mark.size());
  for (std::string_view raw : Split(text, '\n')) {
    const std::string line = Trim(ReplaceChar(raw, '\r', ""));
    if (line.empty()) continue;
    const auto team = std::find(upperNames.begin(), upperNames.end(), UpperLatin1(line));
    std::string value;
    if (team != upperNames.end()) {
      const int t = static_cast<int>(team - upperNames.begin()) + 1;
      if (std::find(r.order.teams.begin(), r.order.teams.end(), t) != r.order.teams.end())
        r.duplicates.push_back(line);
      else
        r.order.teams.push_back(t);
    } else if (const SettingKey* key = KeyOf(line, &value)) {
      if (!key->read(value, r)) r.badSettings.push_back(line);
    } else if (!ReadPickLine(line, upperNames, r)) {
      r.unknown.push_back(line);
    }
  }
  // A trade or a round's time must lie inside the order the file sets up.
  std::erase_if(r.order.traded, [&](const auto& trade) {
    if (r.order.Has(trade.first)) return false;
    r.badSettings.push_back(trade.first.Text() + ": " + teamNames[Index(trade.second - 1)]);
    return true;
  });
  std::erase_if(r.order.settings.roundSeconds, [&](const auto& time) {
    if (time.first <= r.order.rounds) return false;
    r.badSettings.push_back("Time in round " + Num(time.first) + ": " + Num(time.second));
    return true;
  });
  for (std::size_t i = 0; i < teamNames.size(); ++i) {
    const int t = static_cast<int>(i) + 1;
    if (std::find(r.order.teams.begin(), r.order.teams.end(), t) == r.order.teams.end())
      r.missing.push_back(teamNames[i]);
  }
  return r;
}

std::string OrderText(const DraftOrder& order, const std::vector<std::string>& teamNames) {
  static const DraftOrder defaults;
  const auto named = [&](int t) { return t >= 1 && t <= static_cast<int>(teamNames.size()); };
  std::string out;
  for (const SettingKey& key : SettingKeys()) {
    const std::string value = key.write(order);
    if (key.alwaysWritten || value != key.write(defaults)) out += key.name + ": " + value + "\r\n";
  }
  // Rounds of one time together: "Time in rounds 1-2: 120".
  const auto& times = order.settings.roundSeconds;
  for (auto it = times.begin(); it != times.end();) {
    auto last = it;
    while (std::next(last) != times.end() && std::next(last)->first == last->first + 1 &&
           std::next(last)->second == it->second)
      ++last;
    out += it == last ? "Time in round " + Num(it->first) : "Time in rounds " + Num(it->first) + "-" + Num(last->first);
    out += ": " + Num(it->second) + "\r\n";
    it = std::next(last);
  }
  for (int t : order.teams)
    if (named(t)) out += teamNames[Index(t - 1)] + "\r\n";
  for (const auto& [label, t] : order.traded)
    if (named(t)) out += label.Text() + ": " + teamNames[Index(t - 1)] + "\r\n";
  return out;
}

std::string SettingRule(std::string_view line) {
  std::string key, value;
  if (const SettingKey* setting = KeyOf(line, &value)) return setting->rule;
  if (!KeyAndValue(line, &key, &value)) return {};
  if (PickLabel::Parse(key)) return std::string(kTradeRule);
  if (RoundTimeKey(key)) return std::string(kRoundTimeRule);
  return {};
}

std::optional<Ratings> ReadRatings(std::string_view text, std::string* error) {
  Ratings ratings{};
  for (std::string_view part : Split(text, ',')) {
    const std::string name = Trim(part);
    if (name.empty()) continue;
    std::size_t box = 0;
    while (box < ratings.size() && !SameWords(name, RatingName(box))) ++box;
    if (box == ratings.size()) {
      if (error)
        *error = "unknown rating \"" + name + "\" (known: " + ReplaceChar(RatingsText(kAllRatings), ',', " ") + ")";
      return std::nullopt;
    }
    ratings[box] = true;
  }
  if (std::find(ratings.begin(), ratings.end(), true) != ratings.end()) return ratings;
  if (error) *error = "name at least one rating";
  return std::nullopt;
}

std::string RatingsText(const Ratings& ratings) {
  std::string out;
  for (std::size_t box = 0; box < ratings.size(); ++box)
    if (ratings[box]) out += (out.empty() ? "" : ",") + RatingName(box);
  return out;
}

ShownList ShownNames(const std::vector<std::string>& names) {
  ShownList shown;
  const std::size_t count = std::min(names.size(), kShownNames);
  for (std::size_t i = 0; i < count; ++i)
    shown.names.push_back(names[i].size() > kShownLength ? names[i].substr(0, kShownLength) + "..." : names[i]);
  shown.more = static_cast<int>(names.size() - count);
  return shown;
}

std::string OrderFileIn(const std::string& folder, const std::string& leagueName) {
  return TextOfPath(FindCaseInsensitive(PathOfText(folder), FileNamePart(leagueName) + kOrderFileSuffix));
}

std::optional<OrderRead> ReadOrderFile(const std::string& file, const std::vector<std::string>& teamNames,
                                       OrderFileStatus* status) {
  OrderFileStatus own = OrderFileStatus::Read;
  std::optional<std::string> bytes = ReadSmallFile(file, status ? status : &own);
  if (!bytes) return std::nullopt;
  return ReadOrderText(*bytes, teamNames);
}

std::string OrderFileProblem(OrderFileStatus status) {
  switch (status) {
    case OrderFileStatus::Read: return "was read";
    case OrderFileStatus::Missing: return "does not exist";
    case OrderFileStatus::Unreadable: return "cannot be read";
    case OrderFileStatus::TooLarge:
      return "is larger than " + Num(static_cast<long long>(kMaxOrderFileBytes / 1024)) +
             " KB, too large for a draft order";
  }
  return "cannot be read";
}

std::string WriteOrderFile(const std::string& file, const DraftOrder& order,
                           const std::vector<std::string>& teamNames) {
  return WriteFileAtomic(file, OrderText(order, teamNames));
}

std::string ListedNames(const std::vector<std::string>& names) { return Listed(names, false); }

std::string OrderProblems(const OrderRead& read) {
  return Section("Not teams of this league:", read.unknown) +
         Section("Teams named more than once (named again on these lines, which are left out):", read.duplicates) +
         Section("Setting lines with a value that is not allowed (left out):", read.badSettings, true) +
         Section("Teams not in the file (left out of the order):", read.missing);
}

}  // namespace pm::draft
