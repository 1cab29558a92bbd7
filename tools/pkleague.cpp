// pkleague: checks and makes FBPro league copies from the command line.
//
//   pkleague show [--free-agents] [--rosters] [--json] LEAGUEFILE
//   pkleague sample DIR [--name NAME] [--teams N] [--college N]
//                   [--free-agents N] [--version 95|9697|98] [--seed S]
//
// "show" loads a league the way the league windows do and prints it; "sample"
// writes a complete sample league for trying and testing the draft programs.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "common/Common.h"
#include "common/Files.h"
#include "common/Version.h"
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
    "       pkleague --help | --version\n";

const char* const kHelp =
    "pkleague checks a league copy, makes sample leagues and merges a finished draft.\n"
    "  show    prints what a league copy holds (--json for a machine-readable form)\n"
    "  sample  writes a sample league into DIR to try the draft programs on\n"
    "  merge   places the drafted players of the league's draft file on their teams\n";

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
  if (!bytes) throw fb::LeagueError("GetTeamRoster", 53, fb::ErrorDescription(53));
  std::vector<RosterPlaces> out;
  for (const auto& chunk : fb::ListRosterChunks(*bytes, "GetTeamRoster")) {
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

}  // namespace

int main(int argc, char** argv) {
  // Subcommands, each given the words after its name; further ones register
  // here.
  const std::map<std::string, std::function<int(const std::vector<std::string>&)>> commands = {
      {"show", RunShow},
      {"sample", RunSample},
      {"merge",
       [](const std::vector<std::string>& args) { return pm::merge::MergeCommand(args, std::cout, std::cerr); }},
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
