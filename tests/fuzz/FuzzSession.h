// What the two session fuzzers (server and client) share: the application
// object, the scratch folder with the fuzz league, the event pump and the
// way a broken expectation ends the run.
#pragma once

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "league/Sample.h"
#include "tests/fuzz/FuzzInput.h"

namespace pm::fuzz {

// The name printed before every failure ("fuzz_server", "fuzz_client").
inline std::string& ProgramName() {
  static std::string name = "fuzz";
  return name;
}

// A broken expectation: libFuzzer keeps the input and reports the abort.
[[noreturn]] inline void Fail(const std::string& what) {
  std::fprintf(stderr, "%s: %s\n", ProgramName().c_str(), what.c_str());
  std::abort();
}

// Lets queued socket and timer events run a few times.
inline void Pump(int rounds = 3) {
  for (int i = 0; i < rounds; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Creates the application object (kept until the process ends) and writes the
// fuzz league into a fresh scratch folder; returns that folder and sets
// `leaguePath` to the league's path.
inline std::string StartWorld(const char* program, std::string& leaguePath) {
  ProgramName() = program;
  static int argc = 1;
  static std::string arg0 = program;
  static char* argv[] = {arg0.data(), nullptr};
  new QCoreApplication(argc, argv);
  namespace fs = std::filesystem;
  fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  std::string dir =
      (base / ("pickmill-" + std::string(program) + "-" + std::to_string(QCoreApplication::applicationPid()))).string();
  fs::remove_all(dir);
  leaguePath = league::WriteSampleLeague(dir, LeagueOptions());
  return dir;
}

}  // namespace pm::fuzz
