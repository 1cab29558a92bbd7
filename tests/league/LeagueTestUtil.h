// Helpers for the league-file tests: temporary folders and hand-built files.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "common/Files.h"
#include "league/FBPro.h"
#include "tests/support/TestFolder.h"

namespace pm::league::test {

class TempDir {
 public:
  // A new folder of its own in the tests' folder (TestFolder); its path as
  // path text.
  TempDir() {
    std::random_device random;
    for (;;) {
      auto candidate = pm::test::TestFolder("pkleague-test-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate)) {
        path_ = TextOfPath(candidate);
        return;
      }
    }
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(PathOfText(path_), ec);
  }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return TextOfPath(PathOfText(path_) / PathOfText(name)); }

 private:
  std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(PathOfText(path), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(PathOfText(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string Word(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }

// A league chunk: tag "L0?:", length, 3 unused bytes, the stage, 11 unused
// bytes and the name (zero-padded to 25 bytes unless it is 25 or longer).
inline std::string LeagueChunk(char versionChar, const std::string& name, int stage = 0) {
  std::string s = std::string("L0") + versionChar + ":" + std::string(4, '\x2C');
  s += std::string(3, '\0') + static_cast<char>(stage) + std::string(11, '\0');
  s += name;
  if (name.size() < 25) s += std::string(25 - name.size(), '\0');
  return s;
}

// The team chunk that is the `order`-th (1-based) in the file.
inline std::string TeamChunk(int order, int team, const std::string& plainName) {
  int key = (TeamNameSeed + order * TeamNameStep) % 256;
  std::string s = "T0x:" + std::string(4, '\0') + static_cast<char>(team) + std::string(54, '\0');
  for (int j = 1; j <= 16; ++j) {
    int plain = j <= static_cast<int>(plainName.size()) ? static_cast<unsigned char>(plainName[Index(j - 1)]) : 0;
    s += static_cast<char>(plain ^ ((key + j) % 256));
  }
  return s;
}

// Renames player `pid` in a league's player file, as the game's editor would.
inline void RenamePlayer(const std::string& leaguePath, int16_t version, int pid, const std::string& fname,
                         const std::string& lname) {
  const std::string file = LeagueFileName(leaguePath, ".PYR");
  std::string bytes = ReadFile(file);
  Player p = *PlayerFile::FromBytes(bytes, version, "test").Read(pid);
  p.fname = fname;
  p.lname = lname;
  const int size = RecordSize(version);
  const ByteTables tables = MakeRecordTables(static_cast<uint8_t>(bytes[0]), static_cast<uint8_t>(bytes[1]));
  bytes.replace(static_cast<std::size_t>((pid - 99) * size), static_cast<std::size_t>(size),
                EncodePlayer(p, tables, size));
  WriteFile(file, bytes);
}

// Renames team `team` of a league file whose team chunks are in team order
// (as WriteSampleLeague writes them).
inline void RenameTeam(const std::string& leaguePath, int team, const std::string& plainName) {
  const std::string file = LeagueFileName(leaguePath, ".LGE");
  std::string lge = ReadFile(file);
  std::size_t body = 0;
  for (int k = 1; k <= team; ++k) body = FindChunk(lge, 'T', body).value();
  const std::string chunk = TeamChunk(team, team, plainName);
  lge.replace(body - 4, chunk.size(), chunk);
  WriteFile(file, lge);
}

// A roster chunk holding `plain` masked for `team`.
inline std::string MakeRosterChunk(int team, RosterBlock plain) {
  MaskRoster(team, plain);
  std::string s = "R0x:" + std::string(4, '\0') + static_cast<char>(team) + '\0';
  s.append(reinterpret_cast<const char*>(plain.data()), plain.size());
  return s;
}

// Sets place k (1..63) of an unmasked block.
inline void SetPlace(RosterBlock& b, int k, int pid, int jersey) {
  b[Index(2 * k - 2)] = static_cast<uint8_t>(pid & 0xFF);
  b[Index(2 * k - 1)] = static_cast<uint8_t>((pid >> 8) & 0xFF);
  b[Index(125 + k)] = static_cast<uint8_t>(jersey);
}

// An id-list file with an explicit header count.
inline std::string IdFile(unsigned count, const std::vector<unsigned>& ids, bool oddByte = false) {
  std::string s = "PPD:" + Word(2 + 2 * static_cast<unsigned>(ids.size())) + Word(0) + Word(count);
  for (unsigned id : ids) s += Word(id);
  if (oddByte) s += '\x07';
  return s;
}

}  // namespace pm::league::test
