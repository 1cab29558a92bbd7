// Rebuild of one position of 3,000 players with 1,000 picks recorded.
// Must stay well under 2 ms: the list is rebuilt inside message handlers.
#include <benchmark/benchmark.h>

#include "draft/Draftees.h"

namespace {

using namespace pm::draft;

struct Setup {
  DrafteeListModel model;
  PickList picks{kMaxPicks};
  Setup() {
    DrafteeTable t;
    for (int i = 0; i < 3000; ++i) {
      Player p;
      p.pid = 100 + i * 3;
      p.fname = "First" + std::to_string(i % 97);
      p.lname = "Last" + std::to_string((i * 7919) % 3001);
      p.sp = (i * 37) % 100;
      p.ac = (i * 53) % 100;
      p.yr = i % 5;
      t.positions[0].push_back(p);
    }
    model.SetTable(std::move(t));
    // Picks of this position and of others, with a few deleted.
    for (int k = 0; k < 1000; ++k) picks.Append(Pick{100 + k * 5, "Team", "A B", "QB", {1 + k / 12, 1 + k % 12}});
    for (int k = 0; k < 1000; k += 50) picks.BlankLabel({1 + k / 12, 1 + k % 12});
    model.SetPicks(&picks);
  }
};

void BM_RebuildNatural(benchmark::State& state) {
  Setup s;
  for (auto _ : state) {
    s.model.Rebuild();
    benchmark::DoNotOptimize(s.model.Lines().data());
  }
}
BENCHMARK(BM_RebuildNatural)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_RatingSort(benchmark::State& state) {
  Setup s;
  s.model.Rebuild();
  bool on = false;
  for (auto _ : state) {
    on = !on;
    s.model.SetRating(1, true);
    s.model.SetRating(0, on);  // alternates SP+AC and AC
    benchmark::DoNotOptimize(s.model.Lines().data());
  }
}
BENCHMARK(BM_RatingSort)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_NameSort(benchmark::State& state) {
  Setup s;
  for (auto _ : state) {
    s.model.Rebuild();
    s.model.SetName(true);
    benchmark::DoNotOptimize(s.model.Lines().data());
  }
}
BENCHMARK(BM_NameSort)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
