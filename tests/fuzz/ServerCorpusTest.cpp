// The server fuzzer's committed seeds, replayed through the same harness and
// invariant checks in the ordinary build, so a change that breaks them shows
// without a fuzzing run.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/fuzz/ServerHarness.h"

namespace fs = std::filesystem;

TEST(ServerCorpus, EverySeedKeepsTheDraftSound) {
  const fs::path dir = fs::temp_directory_path() / ("pm-server-corpus-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  pm::fuzz::ServerWorld world(pm::league::WriteSampleLeague(dir.string(), pm::fuzz::LeagueOptions()));
  int seeds = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(SERVER_CORPUS)) {
    SCOPED_TRACE(e.path().filename().string());
    std::ifstream f(e.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    pm::fuzz::RunServerInput(world, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ++seeds;
  }
  EXPECT_GE(seeds, 8);
  fs::remove_all(dir);
}
