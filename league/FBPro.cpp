#include "league/FBPro.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "common/Common.h"
#include "common/ErrorContexts.h"
#include "common/ErrorReport.h"
#include "common/Files.h"

namespace fs = std::filesystem;

namespace pm::league {

namespace {

uint8_t At(std::string_view bytes, std::size_t pos) { return static_cast<uint8_t>(bytes[pos]); }

// Sequential reader over a file held in memory; reading past the end is the
// "input past end of file" failure of the procedure named by `context`.
struct Cursor {
  std::string_view bytes;
  std::size_t pos = 0;
  std::string context;

  uint8_t Byte() {
    if (pos >= bytes.size()) throw LeagueError(context, kErrInputPastEnd, ErrorDescription(kErrInputPastEnd));
    return At(bytes, pos++);
  }
  void Skip(std::size_t n) {
    if (bytes.size() - std::min(pos, bytes.size()) < n)
      throw LeagueError(context, kErrInputPastEnd, ErrorDescription(kErrInputPastEnd));
    pos += n;
  }
};

std::string ReadFileOrThrow(const std::string& path, const std::string& context) {
  auto data = ReadWholeFile(path);
  if (!data) throw LeagueError(context, kErrFileNotFound, ErrorDescription(kErrFileNotFound));
  return std::move(*data);
}

// Writes `bytes` at `offset` of an existing file without changing anything
// else, then flushes the file to disk.
void WriteInPlace(const std::string& path, std::size_t offset, std::string_view bytes, const std::string& context) {
  switch (WriteAtDurable(path, offset, bytes)) {
    case WriteAtResult::Written: return;
    case WriteAtResult::NotFound: throw LeagueError(context, kErrFileNotFound, ErrorDescription(kErrFileNotFound));
    case WriteAtResult::CannotOpen:
      throw LeagueError(context, kErrPathFileAccess, ErrorDescription(kErrPathFileAccess));
    case WriteAtResult::Failed: break;
  }
  throw LeagueError(context, kErrDeviceIO, ErrorDescription(kErrDeviceIO));
}

constexpr std::array<int, kShownPositions> kGenpos = {0, 15, 15, 16, 16, 17, 17, 17, 18, 18, 10, 19, 19, 13, 14};

}  // namespace

// ---------------------------------------------------------------------------

std::string LeaguePathOf(const std::string& leagueFile) {
  const fs::path file = PathOfText(leagueFile);
  std::string name = TextOfPath(file.filename());
  std::string base = name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string();
  std::string folder = TextOfPath(file.parent_path());
  return folder.empty() ? base : folder + "/" + base;
}

std::string LeagueFileName(const std::string& leaguePath, std::string_view extension) {
  return TextOfPath(WithExtension(PathOfText(leaguePath), extension));
}

std::vector<JerseyRange> JerseyRanges(int genpos) {
  switch (genpos) {
    case 0:
    case 13:
    case 14: return {{1, 19}};
    case 10: return {{50, 59}, {90, 99}};
    case 15:
    case 19: return {{20, 49}};
    case 16: return {{80, 89}, {11, 19}};
    case 17: return {{60, 79}, {50, 59}};
    case 18: return {{70, 79}, {90, 99}};
    default: return {};
  }
}

std::string PositionCaption(int code) {
  return code >= 0 && code < kShownPositions ? kPositionCaptions[Index(code)] : "";
}

int PositionCode(std::string_view caption) {
  for (std::size_t i = 0; i < kPositionCaptions.size(); ++i)
    if (caption == kPositionCaptions[i]) return static_cast<int>(i);
  return -1;
}

int GenposOf(int positionCode) {
  return positionCode >= 0 && positionCode < static_cast<int>(kGenpos.size()) ? kGenpos[Index(positionCode)] : -1;
}

// ---------------------------------------------------------------------------
// League file.

std::optional<std::size_t> FindChunk(std::string_view bytes, char type, std::size_t from) {
  std::size_t pos = from;
  const std::size_t n = bytes.size();
  while (pos < n) {
    if (bytes[pos++] != type) continue;
    if (pos >= n) return std::nullopt;
    if (bytes[pos++] != '0') continue;
    if (pos + 2 > n) return std::nullopt;
    pos += 2;
    if (bytes[pos - 1] == ':') return pos;
  }
  return std::nullopt;
}

VersionInfo DecodeVersion(std::string_view b) {
  VersionInfo info;
  const std::size_t n = b.size();
  std::size_t pos = 0;
  bool found = false;
  while (pos < n && !found) {
    if (b[pos++] != 'L') continue;
    if (pos >= n) break;
    if (b[pos++] != '0') continue;
    if (pos >= n) break;
    char v = b[pos++];
    if (v == '1')
      info.version = kVersion95;
    else if (v == '2')
      info.version = kVersion9697;
    else if (v == '3')
      info.version = kVersion98;
    if (pos >= n) break;
    if (b[pos++] == ':')
      found = true;
    else
      info.version = 0;
  }
  if (!found) info.version = 0;
  Cursor c{b, found ? pos : n, context::kGetVersion};
  c.Skip(19);
  for (int i = 0; i < 25; ++i) {
    uint8_t ch = c.Byte();
    if (ch == 0) break;
    info.name.push_back(static_cast<char>(ch));
  }
  return info;
}

VersionInfo GetVersion(const std::string& leaguePath) {
  return DecodeVersion(ReadFileOrThrow(LeagueFileName(leaguePath, ".LGE"), context::kGetVersion));
}

bool NameChar(int c, std::string& name) {
  if (c < 32) return true;
  bool accepted = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' || c == '.' ||
                  c == '(' || c == ')';
  if (accepted) name.push_back(static_cast<char>(c));
  return false;
}

std::string FieldSafeName(std::string_view name) {
  std::string safe(name);
  for (char& c : safe) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == 127 || c == ',' || c == '|') c = ' ';
  }
  return safe;
}

TeamList DecodeTeams(std::string_view b) {
  TeamList list;
  Cursor c{b, 0, context::kGetTeams};
  int key = TeamNameSeed;
  for (;;) {
    key = (key + TeamNameStep) % 256;
    auto tag = FindChunk(b, 'T', c.pos);
    if (!tag) break;
    c.pos = *tag;
    c.Skip(4);
    int team = c.Byte();
    c.Skip(54);
    std::string name;
    int k = key;
    for (int j = 1; j <= 16; ++j) {
      k = (k + 1) % 256;
      if (NameChar(c.Byte() ^ k, name)) break;
    }
    // A team number beyond the table, or more team chunks than the table
    // has entries (the teams are addressed 1..teamCount), cannot be stored.
    if (team > kMaxTeamNumber || list.teamCount >= kMaxTeamNumber)
      throw LeagueError(context::kGetTeams, kErrSubscriptOutOfRange, ErrorDescription(kErrSubscriptOutOfRange));
    ++list.teamCount;
    list.names[Index(team)] = FieldSafeName(name);
  }
  return list;
}

TeamList GetTeams(const std::string& leaguePath) {
  return DecodeTeams(ReadFileOrThrow(LeagueFileName(leaguePath, ".LGE"), context::kGetTeams));
}

int GetLeagueStage(const std::string& leaguePath) {
  std::string b = ReadFileOrThrow(LeagueFileName(leaguePath, ".LGE"), context::kGetLeagueStage);
  auto tag = FindChunk(b, 'L');
  Cursor c{b, tag ? *tag : b.size(), context::kGetLeagueStage};
  c.Skip(7);
  return c.Byte();
}

// ---------------------------------------------------------------------------
// Player file.

int RecordSize(int16_t version) { return version == kVersion98 ? 60 : 51; }

ByteTables MakeRecordTables(int a, int b) {
  ByteTables t;
  a &= 0xFF;
  b &= 0xFF;
  const int marker = a - 1;  // -1 when A is 0: never a placed value
  t.place.fill(marker);
  int v = a;
  int idx = 0;
  for (int i = 0; i < 256; ++i) {
    t.place[Index(idx)] = v;
    v = (v + 1) % 256;
    idx = (idx + b) % 256;
    if (i < 255)
      while (t.place[Index(idx)] != marker) idx = (idx + 1) % 256;
  }
  const auto place = [&t](std::size_t k) { return Index(t.place[k]); };
  const auto inverse = [&t](std::size_t k) { return Index(t.inverse[k]); };
  for (std::size_t k = 0; k < 256; ++k) t.inverse[place(k)] = static_cast<uint8_t>(k);
  for (std::size_t s = 0; s < 256; ++s) {
    t.decode[s] = t.inverse[inverse(inverse(s))];
    t.encode[s] = static_cast<uint8_t>(place(place(place(s))));
  }
  return t;
}

namespace {
std::string NameField(const uint8_t* d, int from) {
  std::string s;
  for (int i = from; i < from + 13 && d[i] != 0; ++i) s.push_back(static_cast<char>(d[i]));
  return s;
}
}  // namespace

Player DecodePlayer(const uint8_t* record, const ByteTables& tables) {
  uint8_t d[51];
  for (int i = 0; i < 51; ++i) d[i] = tables.decode[record[i]];
  Player p;
  p.pid = d[0] + 256 * d[1];
  p.fname = FieldSafeName(NameField(d, 2));
  p.lname = FieldSafeName(NameField(d, 15));
  for (int i = 0; i < 8; ++i) p.extra[Index(i)] = d[Index(28 + i)];
  p.value23 = d[36] + 256 * d[37];
  p.genpos = d[40];
  p.position = d[41];
  p.AC = d[42];
  p.AG = d[43];
  p.DI = d[44];
  p.EN = d[45];
  p.HA = d[46];
  p.INN = d[47];
  p.SP = d[48];
  p.ST = d[49];
  p.YR = d[50];
  return p;
}

std::string EncodePlayer(const Player& p, const ByteTables& tables, int recordSize) {
  std::string d(static_cast<std::size_t>(std::max(recordSize, 51)), '\0');
  auto put = [&](int off, int v) { d[Index(off)] = static_cast<char>(v & 0xFF); };
  put(0, p.pid);
  put(1, p.pid >> 8);
  for (std::size_t i = 0; i < 13 && i < p.fname.size(); ++i) d[2 + i] = p.fname[i];
  for (std::size_t i = 0; i < 13 && i < p.lname.size(); ++i) d[15 + i] = p.lname[i];
  for (int i = 0; i < 8; ++i) put(28 + i, p.extra[Index(i)]);
  put(36, p.value23);
  put(37, p.value23 >> 8);
  put(40, p.genpos);
  put(41, p.position);
  put(42, p.AC);
  put(43, p.AG);
  put(44, p.DI);
  put(45, p.EN);
  put(46, p.HA);
  put(47, p.INN);
  put(48, p.SP);
  put(49, p.ST);
  put(50, p.YR);
  for (char& ch : d) ch = static_cast<char>(tables.encode[static_cast<uint8_t>(ch)]);
  return d;
}

PlayerFile::PlayerFile(const std::string& leaguePath, int16_t version, const std::string& context) {
  Load(ReadFileOrThrow(LeagueFileName(leaguePath, ".PYR"), context), version, context);
}

PlayerFile PlayerFile::FromBytes(std::string bytes, int16_t version, const std::string& context) {
  PlayerFile file;
  file.Load(std::move(bytes), version, context);
  return file;
}

void PlayerFile::Load(std::string bytes, int16_t version, const std::string& context) {
  bytes_ = std::move(bytes);
  recordSize_ = RecordSize(version);
  Cursor c{bytes_, 0, context};
  int a = c.Byte();
  int b = c.Byte();
  c.Skip(static_cast<std::size_t>(recordSize_ - 2));
  tables_ = MakeRecordTables(a, b);
}

std::optional<Player> PlayerFile::Read(int id) const {
  if (id < 100) return std::nullopt;
  std::size_t off = static_cast<std::size_t>(id - 99) * static_cast<std::size_t>(recordSize_);
  if (off + static_cast<std::size_t>(recordSize_) > bytes_.size()) return std::nullopt;
  return DecodePlayer(reinterpret_cast<const uint8_t*>(bytes_.data() + off), tables_);
}

int PlayerFile::RecordCount() const {
  return static_cast<int>(bytes_.size() / static_cast<std::size_t>(recordSize_)) - 1;
}

// ---------------------------------------------------------------------------
// Id lists.

IdList DecodeIdList(std::string_view b) {
  if (b.size() < 10) return IdList{0};
  const int count = At(b, 8) + 256 * At(b, 9);
  IdList list{0};
  bool failed = false;
  for (std::size_t pos = 10; pos < b.size(); pos += 2) {
    // An odd trailing byte, more ids than the count, an id that does not fit
    // 16 signed bits, or more ids than element 0 can count stop the reading.
    if (pos + 2 > b.size() || static_cast<int>(list.size()) - 1 >= count || list.size() > kMaxPlayerId) {
      failed = true;
      break;
    }
    int v = At(b, pos) + 256 * At(b, pos + 1);
    if (v > kMaxPlayerId) {
      failed = true;
      break;
    }
    list.push_back(static_cast<int16_t>(v));
  }
  if (failed) list.resize(static_cast<std::size_t>(std::min(count, kMaxPlayerId)) + 1, 0);
  list[0] = static_cast<int16_t>(list.size() - 1);
  return list;
}

IdList ReadIdList(const std::string& file) {
  auto data = ReadWholeFile(file);
  return data ? DecodeIdList(*data) : IdList{0};
}

IdList ReadCollegeList(const std::string& leaguePath) { return ReadIdList(LeagueFileName(leaguePath, ".PYC")); }
IdList ReadFAList(const std::string& leaguePath) { return ReadIdList(LeagueFileName(leaguePath, ".PYF")); }

namespace {
void PutWord(std::string& out, unsigned v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

std::size_t ListEnd(const IdList& list) {
  if (list.empty()) return 0;
  return std::min<std::size_t>(list.size() - 1, static_cast<std::size_t>(std::max<int>(list[0], 0)));
}

void FileList(const std::string& leaguePath, IdList& list, std::string_view extension, const std::string& context) {
  std::string bytes = EncodeIdList(list);
  std::string err = WriteFileAtomic(LeagueFileName(leaguePath, extension), bytes);
  if (!err.empty()) throw LeagueError(context, kErrPathFileAccess, ErrorDescription(kErrPathFileAccess));
  // Keep only the ids written, so that element 0 again counts the elements.
  IdList kept{0};
  for (std::size_t i = 1; i <= ListEnd(list); ++i)
    if (list[i] != 0) kept.push_back(list[i]);
  kept[0] = static_cast<int16_t>(kept.size() - 1);
  list = std::move(kept);
}
}  // namespace

std::string EncodeIdList(const IdList& list) {
  std::vector<uint16_t> ids;
  for (std::size_t i = 1; i <= ListEnd(list); ++i)
    if (list[i] != 0) ids.push_back(static_cast<uint16_t>(list[i]));
  if (2 + 2 * ids.size() > 0xFFFF)
    throw LeagueError(context::kEncodeIdList, kErrOverflow, ErrorDescription(kErrOverflow));
  std::string out = "PPD:";
  PutWord(out, static_cast<unsigned>(2 + 2 * ids.size()));
  PutWord(out, 0);
  PutWord(out, static_cast<unsigned>(ids.size()));
  for (uint16_t id : ids) PutWord(out, id);
  return out;
}

void FileCollegeList(const std::string& leaguePath, IdList& rookies) {
  FileList(leaguePath, rookies, ".PYC", context::kFileCollegeList);
}

void FileFAList(const std::string& leaguePath, IdList& fa) { FileList(leaguePath, fa, ".PYF", context::kFileFAList); }

// ---------------------------------------------------------------------------
// The draftee pool.

DrafteePool BuildPool(const IdList& ids, const PlayerFile& file, int source, const std::string& context) {
  DrafteePool pool;
  const std::size_t n = ListEnd(ids);
  pool.draftees.reserve(n + 1);
  for (std::size_t i = 1; i <= n; ++i) {
    auto player = file.Read(ids[i]);
    if (!player) continue;
    if (player->position >= kPositionCodes)
      throw LeagueError(context, kErrSubscriptOutOfRange, ErrorDescription(kErrSubscriptOutOfRange));
    int p = player->position;
    pool.draftees.push_back(Draftee{std::move(*player), source});
    pool.positionIndex[Index(p)].push_back(pool.Count());
  }
  pool.collegeCount = source == 0 ? pool.Count() : 0;
  return pool;
}

namespace {
DrafteePool LoadList(const std::string& leaguePath, int16_t version, const IdList& ids, int source,
                     const std::string& context) {
  if (ListEnd(ids) == 0) return DrafteePool{};
  PlayerFile file(leaguePath, version, context);
  return BuildPool(ids, file, source, context);
}
}  // namespace

DrafteePool GetCollege(const std::string& leaguePath, int16_t version) {
  return LoadList(leaguePath, version, ReadCollegeList(leaguePath), 0, context::kGetCollege);
}

DrafteePool GetFA(const std::string& leaguePath, int16_t version) {
  return LoadList(leaguePath, version, ReadFAList(leaguePath), 1, context::kGetFA);
}

void AppendFreeAgents(DrafteePool& pool, const DrafteePool& freeAgents) {
  pool.draftees.reserve(pool.draftees.size() + static_cast<std::size_t>(freeAgents.Count()));
  for (int p = 0; p < kPositionCodes; ++p) {
    for (int element : freeAgents.positionIndex[Index(p)]) {
      pool.draftees.push_back(freeAgents.draftees[static_cast<std::size_t>(element)]);
      pool.positionIndex[Index(p)].push_back(pool.Count());
    }
  }
}

DrafteePool LoadPool(const std::string& leaguePath, int16_t version, bool includeFreeAgents,
                     const std::function<void()>& beforeFreeAgents) {
  DrafteePool pool = GetCollege(leaguePath, version);
  if (includeFreeAgents) {
    if (beforeFreeAgents) beforeFreeAgents();
    DrafteePool fa = GetFA(leaguePath, version);
    if (fa.Count() > 0) AppendFreeAgents(pool, fa);
  }
  return pool;
}

LeagueRead ReadLeague(const std::string& leaguePath, bool includeFreeAgents, const LeagueReadHooks& hooks) {
  const auto step = [&hooks](ReadStep s) {
    if (hooks.step) hooks.step(s);
  };
  LeagueRead r;
  step(ReadStep::Version);
  r.version = GetVersion(leaguePath);
  if (r.version.version == 0) {
    r.outcome = LeagueRead::Outcome::NotRecognised;
    return r;
  }
  if (hooks.versionRead && !hooks.versionRead(r.version)) return r;  // Stopped
  step(ReadStep::Teams);
  const TeamList teams = GetTeams(leaguePath);
  if (teams.teamCount <= 0) {
    r.outcome = LeagueRead::Outcome::NoTeams;
    return r;
  }
  const int count = std::min(teams.teamCount, kMaxTeamNumber);
  r.teams.assign(teams.names.begin() + 1, teams.names.begin() + 1 + count);
  step(ReadStep::College);
  r.pool = LoadPool(leaguePath, r.version.version, includeFreeAgents, [&] { step(ReadStep::FreeAgents); });
  r.outcome = r.pool.Count() == 0 ? LeagueRead::Outcome::NoPlayers : LeagueRead::Outcome::Read;
  return r;
}

// ---------------------------------------------------------------------------
// Team rosters.

int RosterGroupOf(int place) {
  if (place <= 34) return 0;
  if (place <= 46) return 1;
  if (place <= 53) return 2;
  return 3;
}

TeamRoster::TeamRoster() { groups[0].resize(kLineupSlots); }

int RosterSeed(int n) {
  int x = 0;
  for (int i = 0; i < n; ++i) x = x < RosterSeedLimit ? x + RosterSeedUp : x - RosterSeedDown;
  return x;
}

void MaskRoster(int team, RosterBlock& values) {
  int key = (RosterKeyFactor * RosterSeed(team)) % 256;
  for (auto& v : values) {
    v = static_cast<uint8_t>(v ^ key);
    key = (key + 1) % 256;
  }
}

void SplitWord(int value, int& low, int& high) {
  unsigned v = static_cast<unsigned>(value) & 0xFFFFu;
  low = static_cast<int>(v % 256);
  high = static_cast<int>(v / 256);
}

std::optional<std::size_t> FindRosterBlock(std::string_view b, int team) {
  std::size_t pos = 0;
  for (;;) {
    auto tag = FindChunk(b, 'R', pos);
    if (!tag || *tag + 4 >= b.size()) return std::nullopt;
    if (At(b, *tag + 4) == team) return *tag + 6;
    pos = *tag + 5;
  }
}

std::vector<RosterChunk> ListRosterChunks(std::string_view b, const std::string& context) {
  std::vector<RosterChunk> out;
  std::array<bool, 256> seen{};
  std::size_t pos = 0;
  for (;;) {
    auto tag = FindChunk(b, 'R', pos);
    if (!tag) break;
    Cursor c{b, *tag, context};
    c.Skip(4);
    int team = c.Byte();
    pos = c.pos;
    if (seen[Index(team)]) continue;
    c.Skip(1);
    std::size_t offset = c.pos;
    c.Skip(kRosterBlockSize);
    seen[Index(team)] = true;
    out.push_back({team, offset});
  }
  return out;
}

TeamRosterRead DecodeRoster(const RosterBlock& block, const PlayerFile& players) {
  TeamRosterRead r;
  r.found = true;
  r.block = block;
  r.roster.groups[0].clear();
  for (int k = 1; k <= kRosterPlaces; ++k) {
    int pid = block[Index(2 * k - 2)] + 256 * block[Index(2 * k - 1)];
    int jersey = block[Index(125 + k)];
    int g = RosterGroupOf(k);
    if (pid >= 100) {
      RosterEntry e{pid, jersey, -1, -1};
      if (auto p = players.Read(pid)) {
        e.position = p->position;
        e.genpos = p->genpos;
      }
      r.roster.groups[Index(g)].push_back(e);
      // A stored jersey above 100 stays with its player but has no entry in
      // the table of numbers 0..100.
      if (jersey <= kMaxJersey) r.jerseys[Index(jersey)] = pid;
    } else if (g == 0) {
      r.roster.groups[0].push_back(RosterEntry{});
    }
  }
  return r;
}

TeamRosterRead GetTeamRoster(const std::string& leaguePath, int team, int16_t version) {
  const std::string context = context::kGetTeamRoster;
  std::string b = ReadFileOrThrow(LeagueFileName(leaguePath, ".LGE"), context);
  auto offset = FindRosterBlock(b, team);
  if (!offset) return TeamRosterRead{};
  Cursor c{b, *offset, context};
  c.Skip(kRosterBlockSize);
  RosterBlock block;
  std::memcpy(block.data(), b.data() + *offset, block.size());
  MaskRoster(team, block);
  PlayerFile players(leaguePath, version, context);
  return DecodeRoster(block, players);
}

RosterBlock EncodeRoster(const TeamRoster& roster) {
  RosterBlock block{};
  for (int g = 0; g < 4; ++g) {
    const auto& group = roster.groups[Index(g)];
    if (static_cast<int>(group.size()) > kGroupSize[Index(g)])
      throw LeagueError(context::kFileTeamRoster, kErrSubscriptOutOfRange, ErrorDescription(kErrSubscriptOutOfRange));
    for (std::size_t i = 0; i < group.size(); ++i) {
      const RosterEntry& e = group[i];
      if (e.Empty()) continue;
      if (e.pid < 0 || e.pid > 0xFFFF || e.jersey < 0 || e.jersey > 0xFF)
        throw LeagueError(context::kFileTeamRoster, kErrOverflow, ErrorDescription(kErrOverflow));
      int place = kGroupFirstPlace[Index(g)] + static_cast<int>(i);
      int lo, hi;
      SplitWord(e.pid, lo, hi);
      block[Index(2 * place - 2)] = static_cast<uint8_t>(lo);
      block[Index(2 * place - 1)] = static_cast<uint8_t>(hi);
      block[Index(125 + place)] = static_cast<uint8_t>(e.jersey);
    }
  }
  return block;
}

bool FileTeamRoster(const std::string& leaguePath, int team, const TeamRoster& roster) {
  const std::string context = context::kFileTeamRoster;
  std::string path = LeagueFileName(leaguePath, ".LGE");
  std::string b = ReadFileOrThrow(path, context);
  auto offset = FindRosterBlock(b, team);
  if (!offset) return false;
  Cursor c{b, *offset, context};
  c.Skip(kRosterBlockSize);
  RosterBlock block = EncodeRoster(roster);
  MaskRoster(team, block);
  WriteInPlace(path, *offset, std::string_view(reinterpret_cast<const char*>(block.data()), block.size()), context);
  return true;
}

namespace {
void MoveIds(IdList& from, IdList& to) {
  if (to.empty()) to.push_back(0);
  to[0] = static_cast<int16_t>(ListEnd(to));
  to.resize(static_cast<std::size_t>(to[0]) + 1);
  const std::size_t n = ListEnd(from);
  for (std::size_t i = 1; i <= n; ++i) {
    if (from[i] == 0) continue;
    if (to.size() > kMaxPlayerId) break;  // element 0 could not count more
    to.push_back(from[i]);
    to[0] = static_cast<int16_t>(to.size() - 1);
    from[i] = 0;
  }
}
}  // namespace

void SetLeagueStage(const std::string& leaguePath, IdList& fa, IdList& rookies, int stage) {
  if (stage == 0) return;
  const std::string context = context::kSetLeagueStage;
  if (stage < 0 || stage > 255) throw LeagueError(context, kErrInvalidCall, ErrorDescription(kErrInvalidCall));
  std::string path = LeagueFileName(leaguePath, ".LGE");
  std::string b = ReadFileOrThrow(path, context);
  auto tag = FindChunk(b, 'L');
  Cursor c{b, tag ? *tag : b.size(), context};
  c.Skip(7);
  std::size_t offset = c.pos;
  c.Byte();
  char byte = static_cast<char>(stage);
  WriteInPlace(path, offset, std::string_view(&byte, 1), context);
  if (stage == 1)
    MoveIds(fa, rookies);
  else if (stage >= 3 && stage <= 7)
    MoveIds(rookies, fa);
}

}  // namespace pm::league
