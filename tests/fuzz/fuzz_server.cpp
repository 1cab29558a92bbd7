// Fuzz target: the draft server's read handling, over a loaded league and
// three connections, through the engine's connections without a socket, so
// that every input runs the same way each time (ServerHarness.h).
//
// A finding is a crash, a sanitizer report, a leak, a hang, a call of the
// server's fatal error reporter (bad input must never end the program), or a
// broken invariant of the draft: the draft file differs from the server's
// picks, a player is recorded twice, or a record has a field that is not
// sound.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/fuzz/FuzzSession.h"
#include "tests/fuzz/ServerHarness.h"

namespace {

pm::fuzz::ServerWorld* g = nullptr;
std::string* gDir = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string leaguePath;
  gDir = new std::string(pm::fuzz::StartWorld("fuzz_server", leaguePath));
  g = new pm::fuzz::ServerWorld(leaguePath);
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(*gDir, ec);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pm::fuzz::RunServerInput(*g, data, size);
  return 0;
}
