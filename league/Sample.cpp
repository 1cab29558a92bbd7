#include "league/Sample.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <random>
#include <stdexcept>

#include "common/ErrorContexts.h"
#include "common/Files.h"
#include "league/FBPro.h"

namespace fs = std::filesystem;

namespace pm::league {

namespace {

// Latin-1 text; a few names carry accented letters on purpose.
const char* const kFirstNames[] = {
    "Aaron", "Adam",   "Alvin",   "Andre",   "Barry", "Ben",    "Brandon", "Brett",   "Calvin",      "Carl",
    "Chris", "Cody",   "Dale",    "Darnell", "David", "Derek",  "Dwight",  "Earl",    "Eddie",       "Eric",
    "Frank", "Fred",   "Gary",    "Glenn",   "Greg",  "Harold", "Henry",   "Isaac",   "Jamal",       "Jason",
    "Jeff",  "Jerome", "Joe",     "Jos\xE9", "Keith", "Kevin",  "Lamar",   "Larry",   "Leon",        "Marcus",
    "Mark",  "Matt",   "Michael", "Nate",    "Neil",  "Oscar",  "Paul",    "Quentin", "Ray",         "Ren\xE9",
    "Rick",  "Rodney", "Ron",     "Sam",     "Scott", "Shawn",  "Stan",    "Steve",   "Terrell",     "Tim",
    "Tony",  "Travis", "Tyrone",  "Vince",   "Wade",  "Walter", "Willie",  "Zach",    "Christopher", "Bartholomew"};

const char* const kLastNames[] = {
    "Adams", "Allen", "Anderson", "Baker", "Banks", "Bell", "Brooks", "Brown", "Bryant", "Carter", "Clark", "Coleman",
    "Collins", "Cooper", "Davis", "Dixon", "Edwards", "Evans", "Fisher", "Ford", "Foster", "Gibson", "Graham", "Green",
    "Griffin", "Hall", "Harris", "Hayes", "Hill", "Holmes", "Howard", "Hughes", "Jackson", "James", "Johnson", "Jones",
    "Kelly", "King", "Lewis", "Martin", "Mason", "Miller", "Mitchell", "Moore", "Morgan", "Morris", "M\xFCller",
    "Murphy", "Nelson", "Owens", "Parker",
    // Joined on purpose (the parentheses say so): "\xF1a" would be one hex escape.
    ("Pe\xF1"
     "a"),
    "Perry", "Peters", "Powell", "Price", "Reed", "Reynolds", "Richardson", "Roberts", "Robinson", "Ross", "Russell",
    "Sanders", "Scott", "Simmons", "Smith", "Stewart", "Taylor", "Thomas", "Thompson", "Turner", "Walker", "Ward",
    "Washington", "Watson", "White", "Williams", "Wilson", "Wright", "Young", "Vanderkellen", "O'Brien"};

const char* const kTeamNames[32] = {
    "Albany Admirals", "Austin Outlaws",  "Boston Bulldogs", "Buffalo Bison",  "Camden Cougars", "Dayton Dynamos",
    "Denver Drovers",  "Detroit Dukes",   "Erie Explorers",  "Fresno Falcons", "Helena Hornets", "Houston Hawks",
    "Irvine Iguanas",  "Jackson Jets",    "Kansas Kings",    "Laredo Lancers", "Macon Mustangs", "Newark Knights",
    "Ogden Owls",      "Peoria Pilots",   "Quincy Quakers",  "Reno Rangers",   "Salem Sabres",   "Tampa Tarpons",
    "Toledo Titans",   "Tulsa Twisters",  "Utica Unicorns",  "Vegas Vipers",   "Waco Wranglers", "Yonkers Yanks",
    "St. Paul Saints", "Mesa (AZ) Miners"};

// Position codes of the lineup slots 1..34.
constexpr int kLineup[34] = {0, 0, 2, 2,  1,  4,  4,  4,  3,  3,  5,  6,  6,  7,  7,  5,  8,
                             8, 9, 9, 10, 10, 10, 10, 10, 11, 11, 11, 12, 12, 12, 11, 13, 14};

struct Rng {
  std::mt19937 engine;
  explicit Rng(unsigned seed) : engine(seed) {}
  // Uniform enough for sample data and identical on every platform.
  int Between(int lo, int hi) { return lo + static_cast<int>(engine() % static_cast<unsigned>(hi - lo + 1)); }
  bool Chance(int percent) { return Between(1, 100) <= percent; }
};

template <std::size_t N>
std::string Pick(Rng& rng, const char* const (&list)[N]) {
  return list[rng.Between(0, static_cast<int>(N) - 1)];
}

void PutWord(std::string& out, unsigned v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void PutLong(std::string& out, unsigned v) {
  PutWord(out, v & 0xFFFF);
  PutWord(out, v >> 16);
}

int ChooseJersey(Rng& rng, int genpos, std::array<bool, 101>& used) {
  auto ranges = JerseyRanges(genpos);
  ranges.push_back({1, 99});
  for (const auto& r : ranges) {
    std::vector<int> free;
    for (int j = r.first; j <= r.last; ++j)
      if (!used[Index(j)]) free.push_back(j);
    if (!free.empty()) {
      int j = free[static_cast<std::size_t>(rng.Between(0, static_cast<int>(free.size()) - 1))];
      used[Index(j)] = true;
      return j;
    }
  }
  return 0;
}

struct Builder {
  Rng rng;
  const SampleOptions& opt;
  int nextPid = 100;
  std::vector<Player> players;  // in PID order from 100

  Builder(unsigned seed, const SampleOptions& o) : rng(seed), opt(o) {}

  Player& NewPlayer(int position, int yrLo, int yrHi) {
    Player p;
    p.pid = nextPid++;
    p.fname = Pick(rng, kFirstNames).substr(0, 13);
    p.lname = Pick(rng, kLastNames).substr(0, 13);
    p.position = position;
    p.genpos = GenposOf(position);
    for (int* r : {&p.AC, &p.AG, &p.DI, &p.EN, &p.HA, &p.INN, &p.SP, &p.ST}) *r = rng.Between(15, 99);
    p.YR = rng.Between(yrLo, yrHi);
    for (auto& e : p.extra) e = static_cast<uint8_t>(rng.Between(0, 255));
    p.value23 = rng.Between(0, 65535);
    players.push_back(p);
    return players.back();
  }

  // A list of `n` new players; the first 15 cover every position.
  IdList NewList(int n, int yrLo, int yrHi) {
    IdList ids{0};
    for (int i = 0; i < n; ++i) {
      int position = i < 15 ? (i * 7) % 15 : rng.Between(0, 14);
      ids.push_back(static_cast<int16_t>(NewPlayer(position, yrLo, yrHi).pid));
    }
    // A mild shuffle so that list order is not PID order.
    for (std::size_t i = ids.size() - 1; i > 1; --i) {
      if (rng.Chance(30)) std::swap(ids[i], ids[static_cast<std::size_t>(rng.Between(1, static_cast<int>(i)))]);
    }
    ids[0] = static_cast<int16_t>(ids.size() - 1);
    return ids;
  }

  TeamRoster NewRoster(int team) {
    TeamRoster roster;
    std::array<bool, 101> used{};
    auto make = [&](int position) {
      Player& p = NewPlayer(position, 1, 14);
      return RosterEntry{p.pid, ChooseJersey(rng, p.genpos, used), p.position, p.genpos};
    };
    const int holePercent = team % 3 == 0 ? 2 : 10;
    for (int s = 0; s < kLineupSlots; ++s) {
      if (rng.Chance(holePercent)) continue;  // a lineup hole
      roster.groups[0][static_cast<std::size_t>(s)] = make(kLineup[s]);
    }
    // Groups are filled front to back, and a later group only when the one
    // before it is full, as the game keeps them.
    int g1 = team % 2 == 1 ? 12 : rng.Between(5, 12);
    int g2 = g1 == 12 ? (team % 4 == 1 ? 7 : rng.Between(0, 7)) : 0;
    int g3 = g2 == 7 ? rng.Between(0, 10) : 0;
    for (int i = 0; i < g1; ++i) roster.groups[1].push_back(make(rng.Between(0, 14)));
    for (int i = 0; i < g2; ++i) roster.groups[2].push_back(make(rng.Between(0, 14)));
    for (int i = 0; i < g3; ++i) roster.groups[3].push_back(make(rng.Between(0, 14)));
    return roster;
  }
};

std::string BaseName(const std::string& leagueName) {
  std::string base;
  for (const char c : leagueName) {
    const auto ch = static_cast<unsigned char>(c);
    if (std::isalnum(ch) && ch < 128 && base.size() < 8) base.push_back(static_cast<char>(std::toupper(ch)));
  }
  return base.empty() ? "SAMPLE" : base;
}

char VersionChar(int version) { return version == 95 ? '1' : version == 9697 ? '2' : '3'; }

// The league file: the league chunk, the team chunks and the roster chunks.
std::string LeagueBytes(const SampleOptions& opt, const std::string& name, const std::vector<RosterBlock>& blocks) {
  std::string out;
  out += 'L';
  out += '0';
  out += VersionChar(opt.version);
  out += ':';
  std::string body(44, '\0');  // 3 unused, stage, 11 unused, name (25), 4 more
  body[3] = 0;                 // stage 0: before the college draft
  for (std::size_t i = 0; i < name.size(); ++i) body[15 + i] = name[i];
  PutLong(out, static_cast<unsigned>(body.size()));
  out += body;

  int key = TeamNameSeed;
  for (int team = 1; team <= opt.teams; ++team) {
    key = (key + TeamNameStep) % 256;
    // Each chunk ends in a zero byte: the reader's tag scan does not look
    // again at a byte it consumed, so a last data byte equal to a type letter
    // ("R" before "R01:") would hide the next chunk's tag.
    out += "T01:";
    PutLong(out, 1 + 54 + 16 + 1);
    out += static_cast<char>(team);
    out += std::string(54, '\0');
    std::string teamName = kTeamNames[team - 1];
    int k = key;
    for (int j = 1; j <= 16; ++j) {
      k = (k + 1) % 256;
      int plain = j <= static_cast<int>(teamName.size()) ? static_cast<unsigned char>(teamName[Index(j - 1)]) : 0;
      out += static_cast<char>(plain ^ k);
    }
    out += '\0';
  }
  for (int team = 1; team <= opt.teams; ++team) {
    out += "R01:";
    PutLong(out, 2 + kRosterBlockSize + 1);
    out += static_cast<char>(team);
    out += '\0';
    RosterBlock masked = blocks[static_cast<std::size_t>(team - 1)];
    MaskRoster(team, masked);
    out.append(reinterpret_cast<const char*>(masked.data()), masked.size());
    out += '\0';
  }
  return out;
}

// True when the league file reads back to exactly the chunks written (no
// scrambled byte run happens to look like a chunk tag).
bool ReadsBack(const std::string& lge, const SampleOptions& opt, const std::string& name) {
  try {
    VersionInfo v = DecodeVersion(lge);
    if (v.version != opt.version || v.name != name) return false;
    TeamList teams = DecodeTeams(lge);
    if (teams.teamCount != opt.teams) return false;
    for (int t = 1; t <= opt.teams; ++t)
      if (teams.names[Index(t)] != kTeamNames[Index(t - 1)]) return false;
    auto chunks = ListRosterChunks(lge, context::kWriteSampleLeague);
    if (static_cast<int>(chunks.size()) != opt.teams) return false;
    for (int t = 1; t <= opt.teams; ++t) {
      auto off = FindRosterBlock(lge, t);
      if (!off || *off != chunks[static_cast<std::size_t>(t - 1)].offset) return false;
    }
  } catch (const LeagueError&) {
    return false;
  }
  return true;
}

}  // namespace

std::string WriteSampleLeague(const std::string& dir, const SampleOptions& opt) {
  if (opt.teams < 1 || opt.teams > 32) throw std::invalid_argument("teams must be 1..32");
  if (opt.college < 0 || opt.freeAgents < 0) throw std::invalid_argument("player counts must not be negative");
  if (opt.version != 95 && opt.version != 9697 && opt.version != 98)
    throw std::invalid_argument("version must be 95, 9697 or 98");
  if (static_cast<long long>(opt.teams) * kRosterPlaces + opt.college + opt.freeAgents >
      kMaxPlayerId - (kMinPlayerId - 1))
    throw std::invalid_argument("too many players for 16-bit player ids");
  std::string name = opt.name.substr(0, 25);
  if (name.find('\0') != std::string::npos) throw std::invalid_argument("league name holds a zero byte");

  const int16_t version = static_cast<int16_t>(opt.version);
  const int recordSize = RecordSize(version);
  for (unsigned attempt = 0; attempt < 16; ++attempt) {
    Builder b(opt.seed * 2654435761u + attempt * 7919u, opt);
    std::vector<RosterBlock> blocks;
    for (int team = 1; team <= opt.teams; ++team) blocks.push_back(EncodeRoster(b.NewRoster(team)));
    IdList college = b.NewList(opt.college, 0, 0);
    IdList freeAgents = b.NewList(opt.freeAgents, 1, 12);

    std::string lge = LeagueBytes(opt, name, blocks);
    if (!ReadsBack(lge, opt, name)) continue;

    int a = b.rng.Between(0, 255);
    int step = b.rng.Between(1, 255);
    ByteTables tables = MakeRecordTables(a, step);
    std::string pyr(static_cast<std::size_t>(recordSize), '\0');
    pyr[0] = static_cast<char>(a);
    pyr[1] = static_cast<char>(step);
    for (const Player& p : b.players) pyr += EncodePlayer(p, tables, recordSize);

    const fs::path folder = PathOfText(dir);
    fs::create_directories(folder);
    std::string leaguePath = TextOfPath(folder / BaseName(name));
    const std::pair<const char*, std::string> files[] = {
        {".LGE", lge}, {".PYR", pyr}, {".PYC", EncodeIdList(college)}, {".PYF", EncodeIdList(freeAgents)}};
    for (const auto& [ext, bytes] : files) {
      if (!WriteFileAtomic(LeagueFileName(leaguePath, ext), bytes).empty())
        throw LeagueError(context::kWriteSampleLeague, kErrPathFileAccess, ErrorDescription(kErrPathFileAccess));
    }
    return leaguePath;
  }
  throw std::invalid_argument("league name reads as a chunk tag");
}

}  // namespace pm::league
