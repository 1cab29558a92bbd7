// Fuzz target: the league-file readers over arbitrary file contents.
//
// The input holds up to three files separated by kPartSeparator: the league
// file (.LGE), the player file (.PYR) and an id list (.PYC/.PYF). Missing
// parts reuse the whole input. Every decoder must either return a value or
// throw LeagueError; anything else (a crash, an out-of-bounds read, undefined
// behaviour, another exception) is a finding. A few round trips are checked
// on the way: the byte tables are inverse permutations, an id list survives
// encoding, and a decoded roster survives encoding and decoding again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "common/Common.h"
#include "league/FBPro.h"

using namespace pm::league;

namespace {

constexpr std::string_view kPartSeparator = "\n==PMFUZZ==\n";

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_league: invariant broken: %s\n", what);
    std::abort();
  }
}

void Tables(int a, int b) {
  ByteTables t = MakeRecordTables(a, b);
  for (int v = 0; v < 256; ++v) {
    Check(t.decode[t.encode[pm::Index(v)]] == v, "decode(encode(v)) == v");
    Check(t.inverse[pm::Index(t.place[pm::Index(v)])] == v, "inverse(place(v)) == v");
  }
}

void IdListRoundTrip(const IdList& list) {
  Check(!list.empty(), "an id list has element 0");
  Check(list[0] == static_cast<int>(list.size()) - 1, "element 0 is the count");
  IdList again = DecodeIdList(EncodeIdList(list));
  IdList nonZero{0};
  for (std::size_t i = 1; i < list.size(); ++i)
    if (list[i] != 0) nonZero.push_back(list[i]);
  nonZero[0] = static_cast<int16_t>(nonZero.size() - 1);
  Check(again == nonZero, "DecodeIdList(EncodeIdList(list)) keeps the non-zero ids");
}

void Rosters(std::string_view lge, const PlayerFile* players) {
  std::vector<RosterChunk> chunks;
  try {
    chunks = ListRosterChunks(lge, "FuzzRoster");
  } catch (const LeagueError&) {
  }
  // The teams that have a chunk (a few of them: decoding is the slow part)
  // and two numbers that should have none.
  std::vector<int> teams = {0, kMaxTeamNumber + 1};
  for (std::size_t i = 0; i < chunks.size() && i < 6; ++i) teams.push_back(chunks[i].team);
  for (int team : teams) {
    auto offset = FindRosterBlock(lge, team);
    if (offset && *offset + kRosterBlockSize > lge.size()) offset.reset();  // cut short: GetTeamRoster's 62
    if (!offset || !players) continue;
    RosterBlock block;
    std::memcpy(block.data(), lge.data() + *offset, block.size());
    MaskRoster(team, block);
    TeamRosterRead read = DecodeRoster(block, *players);
    for (int g = 0; g < 4; ++g) Check(read.roster.Count(g) <= kGroupSize[pm::Index(g)], "group within its places");
    RosterBlock written = EncodeRoster(read.roster);  // must not throw for a decoded roster
    TeamRosterRead again = DecodeRoster(written, *players);
    Check(again.roster.groups == read.roster.groups, "roster survives encode + decode");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view parts[3] = {input, input, input};
  {
    std::string_view rest = input;
    for (int i = 0; i < 3; ++i) {
      std::size_t cut = i < 2 ? rest.find(kPartSeparator) : std::string_view::npos;
      if (cut == std::string_view::npos) {
        parts[i] = rest;
        break;
      }
      parts[i] = rest.substr(0, cut);
      rest.remove_prefix(cut + kPartSeparator.size());
      if (i == 1) parts[2] = rest;
    }
  }
  std::string_view lge = parts[0], pyr = parts[1], ids = parts[2];

  // League file: version, name, teams, chunks.
  int16_t version = 0;
  try {
    VersionInfo v = DecodeVersion(lge);
    Check(v.name.size() <= 25, "league name at most 25 characters");
    version = v.version;
  } catch (const LeagueError&) {
  }
  try {
    TeamList teams = DecodeTeams(lge);
    Check(teams.teamCount >= 0 && teams.teamCount <= kMaxTeamNumber, "team count in range");
  } catch (const LeagueError&) {
  }
  for (char type : {'L', 'T', 'R', 'P', '\0'}) {
    std::size_t from = 0;
    for (int n = 0; n < 64; ++n) {
      auto at = FindChunk(lge, type, from);
      if (!at) break;
      Check(*at <= lge.size() && *at > from, "FindChunk moves forward inside the bytes");
      from = *at;
    }
  }

  // Player file under the league's version and under the other record size.
  if (!pyr.empty()) Tables(static_cast<uint8_t>(pyr[0]), pyr.size() > 1 ? static_cast<uint8_t>(pyr[1]) : 0);
  IdList list = DecodeIdList(ids);
  IdListRoundTrip(list);
  for (int16_t v : {version, version == kVersion98 ? kVersion95 : kVersion98}) {
    try {
      PlayerFile file = PlayerFile::FromBytes(std::string(pyr), v, "FuzzPlayers");
      int count = file.RecordCount();
      const ByteTables tables = MakeRecordTables(static_cast<uint8_t>(pyr[0]), static_cast<uint8_t>(pyr[1]));
      Check(count >= 0, "a loaded player file has its header");
      for (int id = 98; id <= 100 + count + 1 && id < 100 + 64; ++id) {
        auto p = file.Read(id);
        if (p) {
          (void)PositionCaption(p->position);
          (void)GenposOf(p->position);
          std::string stored = EncodePlayer(*p, tables, RecordSize(v));
          Check(static_cast<int>(stored.size()) == RecordSize(v), "an encoded record has the record size");
          Check(DecodePlayer(reinterpret_cast<const uint8_t*>(stored.data()), tables) == *p,
                "a player survives encode + decode");
        }
      }
      try {
        DrafteePool pool = BuildPool(list, file, 0, "GetCollege");
        int indexed = 0;
        for (const auto& idx : pool.positionIndex) {
          for (int e : idx) Check(e >= 1 && e <= pool.Count(), "position index inside the pool");
          indexed += static_cast<int>(idx.size());
        }
        Check(indexed == pool.Count(), "every draftee indexed once");
        DrafteePool fa = BuildPool(list, file, 1, "GetFA");
        AppendFreeAgents(pool, fa);
      } catch (const LeagueError&) {
      }
      if (v == version) Rosters(lge, &file);
    } catch (const LeagueError&) {
      if (v == version) Rosters(lge, nullptr);
    }
  }
  return 0;
}
