// pkleague: checks and makes FBPro league copies from the command line.
//
//   pkleague show [--free-agents] [--rosters] [--json] LEAGUEFILE
//   pkleague sample DIR [--name NAME] [--teams N] [--college N]
//                   [--free-agents N] [--version 95|9697|98] [--seed S]
//   pkleague order LEAGUEFILE [--snake|--linear] [--rounds N] [--trade R-S=TEAM ...]
//                  [--time SECONDS] [--round-time R-R=SECONDS ...]
//
// "show" loads a league the way the league windows do and prints it; "sample"
// writes a complete sample league for trying and testing the draft programs;
// "order" changes the league's order file (traded picks, times) and prints it.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/Common.h"
#include "common/ErrorContexts.h"
#include "common/Files.h"
#include "common/Version.h"
#include "draft/DraftOrder.h"
#include "draft/Pick.h"
#include "league/FBPro.h"
#include "league/Sample.h"
#include "merge/MergeCommand.h"

namespace fb = pm::league;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitRejected = 1;  // the league is not usable (version, teams)
constexpr int kExitError = 2;     // usage error or a failure reading/writing files

const char* const kUsage =
    "usage: pkleague show [--free-agents] [--rosters] [--json] LEAGUEFILE\n"
    "       pkleague sample DIR [--name NAME] [--teams N] [--college N] [--free-agents N]\n"
    "                       [--version 95|9697|98] [--seed S]\n"
    "       pkleague merge --stage no-change|college-draft|supplemental|training-camp LEAGUEFILE\n"
    "       pkleague order LEAGUEFILE [--snake|--linear] [--rounds N] [--trade R-S=TEAM ...]\n"
    "                      [--time SECONDS] [--round-time R-R=SECONDS ...]\n"
    "       pkleague --help | --version\n";

const char* const kHelp =
    "pkleague checks a league copy, makes sample leagues and merges a finished draft.\n"
    "  show    prints what a league copy holds (--json for a machine-readable form)\n"
    "  sample  writes a sample league into DIR to try the draft programs on\n"
    "  merge   places the drafted players of the league's draft file on their teams\n"
    "  order   changes the league's order file (kept beside the league, read by PKServer\n"
    "          when it loads the league) and prints it: --trade 3-5=TEAM gives pick 3-5 to\n"
    "          TEAM (a name, any letter case, or a team number; the order's own team takes\n"
    "          the trade back), --time the seconds per pick, --round-time 1-2=120 those of\n"
    "          rounds 1 to 2; what no option changes stays as the file has it\n";

int Usage(const std::string& problem) {
  if (!problem.empty()) std::cerr << "pkleague: " << problem << "\n";
  std::cerr << kUsage;
  return kExitError;
}

// A JSON string literal of Latin-1 text.
std::string JsonString(std::string_view latin1) {
  std::string out = "\"";
  for (const char c : latin1) {
    const auto ch = static_cast<unsigned char>(c);
    switch (ch) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (ch < 0x20 || ch == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", ch);
          out += buf;
        } else {
          out += pm::Latin1ToUtf8(std::string_view(reinterpret_cast<const char*>(&ch), 1));
        }
    }
  }
  return out + "\"";
}

bool ParseInt(const std::string& text, long long lo, long long hi, long long& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && !text.empty() && value >= lo && value <= hi;
}

int ReportFailure(const fb::LeagueError& e) {
  std::cerr << "pkleague: " << e.context << ": error " << e.number << ", " << e.what() << "\n";
  return kExitError;
}

struct RosterPlaces {
  int team;
  std::array<std::pair<int, int>, fb::kRosterPlaces> places;  // PID (0 empty), jersey
};

std::vector<RosterPlaces> ReadRosters(const std::string& leaguePath) {
  std::string file = fb::LeagueFileName(leaguePath, ".LGE");
  auto bytes = pm::ReadWholeFile(file);
  if (!bytes)
    throw fb::LeagueError(pm::context::kGetTeamRoster, pm::kErrFileNotFound,
                          fb::ErrorDescription(pm::kErrFileNotFound));
  std::vector<RosterPlaces> out;
  for (const auto& chunk : fb::ListRosterChunks(*bytes, pm::context::kGetTeamRoster)) {
    fb::RosterBlock block;
    std::memcpy(block.data(), bytes->data() + chunk.offset, block.size());
    fb::MaskRoster(chunk.team, block);
    RosterPlaces r{chunk.team, {}};
    for (int k = 1; k <= fb::kRosterPlaces; ++k) {
      int pid = block[pm::Index(2 * k - 2)] + 256 * block[pm::Index(2 * k - 1)];
      r.places[pm::Index(k - 1)] = {pid >= 100 ? pid : 0, block[pm::Index(125 + k)]};
    }
    out.push_back(r);
  }
  std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.team < b.team; });
  return out;
}

void PrintJson(const fb::VersionInfo& v, int stage, const fb::TeamList& teams, const fb::DrafteePool& pool,
               const std::vector<RosterPlaces>* rosters) {
  std::string o;
  o.reserve(256 + static_cast<std::size_t>(pool.Count()) * 200);
  o += "{\"version\":" + std::to_string(v.version) + ",\"name\":" + JsonString(v.name) +
       ",\"stage\":" + std::to_string(stage) + ",\"teams\":[";
  for (int i = 1; i <= teams.teamCount; ++i) {
    const std::string& name = i <= fb::kMaxTeamNumber ? teams.names[pm::Index(i)] : std::string();
    if (i > 1) o += ',';
    o += "{\"index\":" + std::to_string(i) + ",\"name\":" + JsonString(name) + "}";
  }
  o += "],\"collegeCount\":" + std::to_string(pool.collegeCount) + ",\"drafteeCount\":" + std::to_string(pool.Count()) +
       ",\"draftees\":[";
  for (int i = 1; i <= pool.Count(); ++i) {
    const fb::Draftee& d = pool.draftees[static_cast<std::size_t>(i)];
    const fb::Player& p = d.player;
    if (i > 1) o += ',';
    o += "\n{\"pid\":" + std::to_string(p.pid) + ",\"fname\":" + JsonString(p.fname) +
         ",\"lname\":" + JsonString(p.lname) + ",\"position\":" + std::to_string(p.position) +
         ",\"genpos\":" + std::to_string(p.genpos);
    const std::pair<const char*, int> ratings[] = {{"AC", p.AC}, {"AG", p.AG}, {"DI", p.DI},
                                                   {"EN", p.EN}, {"HA", p.HA}, {"IN", p.INN},
                                                   {"SP", p.SP}, {"ST", p.ST}, {"YR", p.YR}};
    for (const auto& [key, value] : ratings) o += ",\"" + std::string(key) + "\":" + std::to_string(value);
    o += std::string(",\"source\":") + (d.source == 0 ? "\"college\"" : "\"free agent\"") + "}";
  }
  o += "]";
  if (rosters) {
    o += ",\"rosters\":[";
    bool firstTeam = true;
    for (const auto& r : *rosters) {
      if (!firstTeam) o += ',';
      firstTeam = false;
      o += "\n{\"team\":" + std::to_string(r.team) + ",\"places\":[";
      for (int k = 1; k <= fb::kRosterPlaces; ++k) {
        if (k > 1) o += ',';
        o += "{\"place\":" + std::to_string(k) + ",\"pid\":" + std::to_string(r.places[pm::Index(k - 1)].first) +
             ",\"jersey\":" + std::to_string(r.places[pm::Index(k - 1)].second) + "}";
      }
      o += "]}";
    }
    o += "]";
  }
  o += "}\n";
  std::fwrite(o.data(), 1, o.size(), stdout);
}

void PrintText(const std::string& leaguePath, const fb::VersionInfo& v, int stage, const fb::TeamList& teams,
               const fb::DrafteePool& pool, const std::vector<RosterPlaces>* rosters) {
  std::string o;
  o += "League:   " + pm::Latin1ToUtf8(v.name) + "\n";
  o += "Files:    " + pm::ShownPath(leaguePath) + ".LGE .PYR .PYC .PYF\n";
  o += "Version:  " + std::to_string(v.version) + "\n";
  o += "Stage:    " + std::to_string(stage) + "\n";
  o += "Teams:    " + std::to_string(teams.teamCount) + "\n";
  for (int i = 1; i <= teams.teamCount; ++i)
    o += pm::PadField(std::to_string(i), "R", 6) + "  " +
         pm::Latin1ToUtf8(i <= fb::kMaxTeamNumber ? teams.names[pm::Index(i)] : std::string()) + "\n";
  o += "Draftees: " + std::to_string(pool.Count()) + " (" + std::to_string(pool.collegeCount) + " college, " +
       std::to_string(pool.Count() - pool.collegeCount) + " free agents)\n";
  o += "By position:";
  for (int p = 0; p < fb::kPositionCodes; ++p) {
    if (pool.positionIndex[pm::Index(p)].empty()) continue;
    std::string caption = fb::PositionCaption(p);
    o += " " + (caption.empty() ? "#" + std::to_string(p) : caption) + " " +
         std::to_string(pool.positionIndex[pm::Index(p)].size());
  }
  o += "\n\n";
  if (pool.Count() > 0) o += "     #    PID  Name                         Pos  AC AG DI EN HA IN SP ST YR  Source\n";
  for (int i = 1; i <= pool.Count(); ++i) {
    const fb::Draftee& d = pool.draftees[static_cast<std::size_t>(i)];
    const fb::Player& p = d.player;
    std::string caption = fb::PositionCaption(p.position);
    if (caption.empty()) caption = "#" + std::to_string(p.position);
    std::string line = pm::PadField(std::to_string(i), "R", 6) + pm::PadField(std::to_string(p.pid), "R", 7) + "  " +
                       pm::PadField(p.fname + " " + p.lname, "L", 27) + "  " + pm::PadField(caption, "L", 3);
    for (int r : {p.AC, p.AG, p.DI, p.EN, p.HA, p.INN, p.SP, p.ST, p.YR})
      line += pm::PadField(std::to_string(r), "R", 3);
    line += d.source == 0 ? "  college" : "  free agent";
    o += pm::Latin1ToUtf8(line) + "\n";
  }
  if (rosters) {
    for (const auto& r : *rosters) {
      std::string name = r.team <= fb::kMaxTeamNumber ? teams.names[pm::Index(r.team)] : std::string();
      o += "\nRoster of team " + std::to_string(r.team) + " " + pm::Latin1ToUtf8(name) + " (place pid/jersey):\n";
      for (int k = 1; k <= fb::kRosterPlaces; ++k) {
        const auto& [pid, jersey] = r.places[pm::Index(k - 1)];
        o += pm::PadField(std::to_string(k), "R", 3) + ":" +
             pm::PadField(pid ? std::to_string(pid) + "/" + std::to_string(jersey) : "-", "L", 11);
        if (k % 7 == 0 || k == fb::kRosterPlaces) o += "\n";
      }
    }
  }
  std::fwrite(o.data(), 1, o.size(), stdout);
}

int RunShow(const std::vector<std::string>& args) {
  bool freeAgents = false, withRosters = false, json = false;
  std::string file;
  for (const std::string& a : args) {
    if (a == "--free-agents")
      freeAgents = true;
    else if (a == "--rosters")
      withRosters = true;
    else if (a == "--json")
      json = true;
    else if (a.rfind("--", 0) == 0)
      return Usage("unknown option " + a);
    else if (file.empty())
      file = a;
    else
      return Usage("more than one league file given");
  }
  if (file.empty()) return Usage("no league file given");

  const std::string leaguePath = fb::LeaguePathOf(file);
  try {
    fb::VersionInfo v = fb::GetVersion(leaguePath);
    if (v.version == 0) {
      std::cerr << "Unable to determine version of the " << pm::ShownPath(leaguePath)
                << " league file. Select another league.\n";
      return kExitRejected;
    }
    fb::TeamList teams = fb::GetTeams(leaguePath);
    if (teams.teamCount == 0) {
      std::cerr << "No teams found in league file.\n";
      return kExitRejected;
    }
    int stage = fb::GetLeagueStage(leaguePath);
    fb::DrafteePool pool = fb::LoadPool(leaguePath, v.version, freeAgents);
    if (pool.Count() == 0) std::cerr << "No players found in the league files.\n";
    std::vector<RosterPlaces> rosters;
    if (withRosters) rosters = ReadRosters(leaguePath);
    if (json)
      PrintJson(v, stage, teams, pool, withRosters ? &rosters : nullptr);
    else
      PrintText(leaguePath, v, stage, teams, pool, withRosters ? &rosters : nullptr);
  } catch (const fb::LeagueError& e) {
    return ReportFailure(e);
  }
  return std::fflush(stdout) == 0 ? kExitOk : kExitError;
}

int RunSample(const std::vector<std::string>& args) {
  fb::SampleOptions opt;
  std::string dir;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0) {
      if (!dir.empty()) return Usage("more than one folder given");
      dir = a;
      continue;
    }
    if (i + 1 >= args.size()) return Usage("option " + a + " needs a value");
    const std::string& value = args[++i];
    long long n = 0;
    if (a == "--name") {
      opt.name = value;
    } else if (a == "--teams") {
      if (!ParseInt(value, 1, 32, n)) return Usage("--teams takes a number 1..32");
      opt.teams = static_cast<int>(n);
    } else if (a == "--college" || a == "--free-agents") {
      if (!ParseInt(value, 0, 30000, n)) return Usage(a + " takes a number 0..30000");
      (a == "--college" ? opt.college : opt.freeAgents) = static_cast<int>(n);
    } else if (a == "--version") {
      if (value != "95" && value != "9697" && value != "98") return Usage("--version takes 95, 9697 or 98");
      opt.version = std::stoi(value);
    } else if (a == "--seed") {
      if (!ParseInt(value, 0, 4294967295LL, n)) return Usage("--seed takes a number 0..4294967295");
      opt.seed = static_cast<unsigned>(n);
    } else {
      return Usage("unknown option " + a);
    }
  }
  if (dir.empty()) return Usage("no folder given");
  try {
    std::string leaguePath = fb::WriteSampleLeague(dir, opt);
    std::cout << pm::ShownPath(fb::LeagueFileName(leaguePath, ".LGE")) << "\n";
  } catch (const fb::LeagueError& e) {
    return ReportFailure(e);
  } catch (const std::exception& e) {
    std::cerr << "pkleague: " << e.what() << "\n";
    return kExitError;
  }
  return kExitOk;
}

// A command-line word (UTF-8 where the system gives UTF-8) as Latin-1 text,
// the league's encoding; as it is when it is no UTF-8 of Latin-1 characters.
std::string ArgLatin1(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if ((c != 0xC2 && c != 0xC3) || (next & 0xC0) != 0x80) return text;
    out += static_cast<char>(((c & 0x03) << 6) | (next & 0x3F));
    ++i;
  }
  return out;
}

// The changes "order" was asked for.
struct OrderChanges {
  std::string file;
  std::optional<bool> snake;
  std::optional<std::string> rounds;
  std::optional<std::string> seconds;
  std::vector<std::pair<std::string, std::string>> trades;      // label, team
  std::vector<std::pair<std::string, std::string>> roundTimes;  // rounds, seconds
};

// "KEY=VALUE" split at the first '='; the value is empty without one.
std::pair<std::string, std::string> SplitAssignment(const std::string& text) {
  const std::size_t eq = text.find('=');
  if (eq == std::string::npos) return {text, ""};
  return {text.substr(0, eq), text.substr(eq + 1)};
}

// Reads the options of "order" (their values are checked against the
// order); an empty text, or what is wrong with the command line.
std::string ReadOrderOptions(const std::vector<std::string>& args, OrderChanges& c) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--snake" || a == "--linear") {
      c.snake = a == "--snake";
      continue;
    }
    if (a.rfind("--", 0) != 0) {
      if (!c.file.empty()) return "more than one league file given";
      c.file = a;
      continue;
    }
    if (a != "--rounds" && a != "--time" && a != "--trade" && a != "--round-time") return "unknown option " + a;
    if (i + 1 >= args.size()) return "option " + a + " needs a value";
    const std::string& value = args[++i];
    if (a == "--rounds")
      c.rounds = value;
    else if (a == "--time")
      c.seconds = value;
    else if (a == "--trade")
      c.trades.push_back(SplitAssignment(value));
    else
      c.roundTimes.push_back(SplitAssignment(value));
  }
  return c.file.empty() ? "no league file given" : "";
}

// Team `text` of the league: its number or its name in any letter case; 0
// when none.
int TeamNamed(const std::string& text, const std::vector<std::string>& names) {
  long long n = 0;
  if (ParseInt(text, 1, static_cast<long long>(names.size()), n)) return static_cast<int>(n);
  const std::string wanted = pm::UpperLatin1(pm::Trim(ArgLatin1(text)));
  for (std::size_t i = 0; i < names.size(); ++i)
    if (pm::UpperLatin1(pm::Trim(names[i])) == wanted) return static_cast<int>(i) + 1;
  return 0;
}

// Applies the changes to `order`; an empty text, or the first one refused.
std::string ApplyOrderChanges(const OrderChanges& c, const std::vector<std::string>& names,
                              pm::draft::DraftOrder& order) {
  long long n = 0;
  if (c.snake) order.snake = *c.snake;
  if (c.rounds) {
    // Never more labels than a draft records.
    const int fit = std::clamp(pm::draft::kMaxPicks / std::max<int>(1, static_cast<int>(order.teams.size())), 1,
                               pm::draft::kMaxRounds);
    if (!ParseInt(*c.rounds, 1, fit, n))
      return "--rounds " + *c.rounds + ": the rounds must be a number from 1 to " + std::to_string(fit);
    order.rounds = static_cast<int>(n);
  }
  if (c.seconds) {
    if (!ParseInt(*c.seconds, 1, pm::draft::kMaxPickSeconds, n))
      return "--time " + *c.seconds + ": the time must be seconds from 1 to " +
             std::to_string(pm::draft::kMaxPickSeconds);
    order.settings.timeAllowed = static_cast<int>(n);
  }
  for (const auto& [rounds, value] : c.roundTimes) {
    const std::size_t dash = rounds.find('-');
    long long first = 0, last = 0, seconds = 0;
    if (!ParseInt(rounds.substr(0, dash), 1, order.rounds, first) ||
        !ParseInt(dash == std::string::npos ? rounds : rounds.substr(dash + 1), first, order.rounds, last))
      return "--round-time " + rounds + "=" + value + ": the rounds must lie in 1-" + std::to_string(order.rounds) +
             ", first to last";
    if (!ParseInt(value, 1, pm::draft::kMaxPickSeconds, seconds))
      return "--round-time " + rounds + "=" + value + ": the time must be seconds from 1 to " +
             std::to_string(pm::draft::kMaxPickSeconds);
    for (long long r = first; r <= last; ++r)
      order.settings.roundSeconds[static_cast<int>(r)] = static_cast<int>(seconds);
  }
  for (const auto& [text, team] : c.trades) {
    const std::optional<pm::draft::PickLabel> label = pm::draft::PickLabel::Parse(text);
    if (!label || !order.Has(*label))
      return "--trade " + text + "=" + team + ": " + text + " is no pick of the order (rounds 1-" +
             std::to_string(order.rounds) + ", selections 1-" + std::to_string(order.teams.size()) + ")";
    const int t = TeamNamed(team, names);
    if (t == 0) return "--trade " + text + "=" + team + ": no team of the league is named \"" + team + "\"";
    if (t == order.TeamAt(label->round, label->selection))
      order.traded.erase(*label);
    else
      order.traded[*label] = t;
  }
  // Rounds cut off take their trades and times with them.
  const auto cut =
      std::erase_if(order.traded, [&](const auto& trade) { return !order.Has(trade.first); }) +
      std::erase_if(order.settings.roundSeconds, [&](const auto& time) { return time.first > order.rounds; });
  if (cut > 0)
    std::cerr << "pkleague: " << cut << " traded picks or round times beyond round " << order.rounds
              << " are left out.\n";
  return "";
}

int RunOrder(const std::vector<std::string>& args) {
  OrderChanges changes;
  if (const std::string problem = ReadOrderOptions(args, changes); !problem.empty()) return Usage(problem);
  const std::string leaguePath = fb::LeaguePathOf(changes.file);
  std::vector<std::string> names;
  std::string leagueName;
  try {
    const fb::VersionInfo v = fb::GetVersion(leaguePath);
    if (v.version == 0) {
      std::cerr << "Unable to determine version of the " << pm::ShownPath(leaguePath)
                << " league file. Select another league.\n";
      return kExitRejected;
    }
    leagueName = v.name;
    const fb::TeamList teams = fb::GetTeams(leaguePath);
    for (int t = 1; t <= teams.teamCount; ++t) names.push_back(teams.names[pm::Index(t)]);
  } catch (const fb::LeagueError& e) {
    return ReportFailure(e);
  }
  if (names.empty()) {
    std::cerr << "No teams found in league file.\n";
    return kExitRejected;
  }
  const std::string file =
      pm::draft::OrderFileIn(pm::TextOfPath(pm::PathOfText(changes.file).parent_path()), leagueName);
  pm::draft::OrderFileStatus status = pm::draft::OrderFileStatus::Missing;
  const std::optional<pm::draft::OrderRead> read = pm::draft::ReadOrderFile(file, names, &status);
  if (!read && status != pm::draft::OrderFileStatus::Missing) {
    std::cerr << "pkleague: the order file " << pm::ShownPath(file) << " " << pm::draft::OrderFileProblem(status)
              << ".\n";
    return kExitError;
  }
  // As the server takes it: the file's order, its settings even without teams.
  pm::draft::DraftOrder order = pm::draft::DraftOrder::Default(static_cast<int>(names.size()));
  if (read) {
    if (read->Flawed())
      std::cerr << "pkleague: the order file " << pm::ShownPath(file) << " does not match the league's teams; "
                << "what is left out is not written back:"
                << pm::Latin1ToUtf8(pm::ReplaceChar(pm::draft::OrderProblems(*read), '\r', "")) << "\n";
    order.settings = read->order.settings;
    if (!read->order.teams.empty()) order = read->order;
  }
  if (const std::string refused = ApplyOrderChanges(changes, names, order); !refused.empty()) {
    std::cerr << "pkleague: " << refused << "; nothing was written.\n";
    return kExitRejected;
  }
  if (const std::string err = pm::draft::WriteOrderFile(file, order, names); !err.empty()) {
    std::cerr << "pkleague: the order file " << pm::ShownPath(file) << " could not be written: " << err << "\n";
    return kExitError;
  }
  std::cout << "Order file: " << pm::ShownPath(file) << "\n\n"
            << pm::Latin1ToUtf8(pm::ReplaceChar(pm::draft::OrderText(order, names), '\r', ""));
  return std::fflush(stdout) == 0 ? kExitOk : kExitError;
}

}  // namespace

int main(int argc, char** argv) {
  // Subcommands, each given the words after its name; further ones register
  // here.
  const std::map<std::string, std::function<int(const std::vector<std::string>&)>> commands = {
      {"show", RunShow},
      {"sample", RunSample},
      {"merge",
       [](const std::vector<std::string>& args) { return pm::merge::MergeCommand(args, std::cout, std::cerr); }},
      {"order", RunOrder},
  };
  // Paths as the system names them: on Windows from the wide command line;
  // they are shown, like the league's texts, in UTF-8.
  std::vector<std::string> args = pm::ProgramArguments(argc, argv);
  pm::UseUtf8Console();
  if (args.empty()) return Usage("");
  const std::string first = args.front();
  args.erase(args.begin());
  if (first == "--help" || first == "-h") {
    std::cout << kUsage << "\n" << kHelp;
    return kExitOk;
  }
  if (first == "--version") {
    std::cout << "pkleague " << pm::kVersion << "\n";
    return kExitOk;
  }
  const auto it = commands.find(first);
  if (it == commands.end()) return Usage("unknown command " + first);
  return it->second(args);
}
