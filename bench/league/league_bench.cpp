// Loading a large league the way the league windows do: version and name,
// teams, and the draftee pool with the free agents appended.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "league/FBPro.h"
#include "league/Sample.h"

namespace {

const std::string& LargeLeague() {
  static const std::string leaguePath = [] {
    std::filesystem::path folder;
    for (std::random_device random;;) {
      folder = std::filesystem::temp_directory_path() / ("pkleague-bench-" + std::to_string(random()));
      if (std::filesystem::create_directory(folder)) break;
    }
    std::string dir = folder.string();
    pm::league::SampleOptions opt;
    opt.teams = 32;
    opt.college = 5000;
    opt.freeAgents = 5000;
    opt.version = 98;
    std::string path = pm::league::WriteSampleLeague(dir, opt);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(std::filesystem::path(LargeLeague()).parent_path(), ec);
    });
    return path;
  }();
  return leaguePath;
}

void BM_LoadLeague(benchmark::State& state) {
  const std::string& lp = LargeLeague();
  for (auto _ : state) {
    pm::league::VersionInfo v = pm::league::GetVersion(lp);
    pm::league::TeamList teams = pm::league::GetTeams(lp);
    pm::league::DrafteePool pool = pm::league::LoadPool(lp, v.version, true);
    benchmark::DoNotOptimize(teams);
    benchmark::DoNotOptimize(pool);
    if (pool.Count() != 10000) state.SkipWithError("pool size wrong");
  }
}
BENCHMARK(BM_LoadLeague)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
