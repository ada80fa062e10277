// Every effect drawing the 80 by 50 picture with 1 and 2 threads, at
// moments of the timeline including the heaviest ones found. The "fps"
// counter is frames per second of wall time.
//
//   bench_gldemo_effects [--benchmark_filter=BarLattice]
#include <benchmark/benchmark.h>
#include <omp.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cella/cella.h"
#include "gldemo/effects.h"

namespace {

using Draw = std::function<void(cella::Canvas*, const cella::GradientPack*, float)>;

struct Moment {
  const char* what;
  float time;
};

struct Case {
  const char* effect;
  Draw draw;
  std::vector<Moment> moments;
};

// The effects with the parameters of their timeline rows. "heaviest" marks
// the slowest moment found by sampling the times the timeline passes.
const std::vector<Case> kCases = {
    {"SphereGrid", [](auto c, auto p, float t) { gldemo::SphereGrid(c, &p->gradients[2], t); },
     {{"row22", 44.0f}, {"row25", 50.6f}, {"heaviest", 54.05f}}},
    {"TwinGlow", [](auto c, auto p, float t) { gldemo::TwinGlow(c, p, t, 32, 0.02f, 0.02f); },
     {{"row8", 0.3f}, {"row12", 4.5f}, {"heaviest", 14.45f}}},
    {"FoldedBlocksFocal50", [](auto c, auto p, float t) { gldemo::FoldedBlocks(c, p, t, 50, 0.0f); },
     {{"row2", 0.45f}}},
    {"FoldedBlocksFocal30", [](auto c, auto p, float t) { gldemo::FoldedBlocks(c, p, t, 30, 0.0f); },
     {{"heaviest", 0.668f}}},
    {"FoldedBlocksFlattened", [](auto c, auto p, float t) { gldemo::FoldedBlocks(c, p, t, 20, -1.0f); },
     {{"row5", -1.6f}, {"heaviest", -1.542f}}},
    {"SphereCluster", [](auto c, auto p, float t) { gldemo::SphereCluster(c, p, t, 0.0f, 0.0f, 0.0f); },
     {{"row29", 1.5f}, {"heaviest", 0.13f}}},
    {"BarLattice", [](auto c, auto p, float t) { gldemo::BarLattice(c, p, t, 16, 0.0f, 0.0f); },
     {{"row32", 4.5f}, {"row60", 40.0f}, {"heaviest", 37.12f}}},
    {"TricylinderLattice", [](auto c, auto p, float t) { gldemo::TricylinderLattice(c, p, t, 0.0f, 0.0f); },
     {{"row38", 10.5f}, {"heaviest", 13.22f}}},
    {"CavitySlab", [](auto c, auto p, float t) { gldemo::CavitySlab(c, p, t, 3, 0.0f, 0.0f); },
     {{"row40", 12.5f}, {"heaviest", 14.97f}}},
    {"CavitySlabLit", [](auto c, auto p, float t) { gldemo::CavitySlab(c, p, t, 26, 16.0f, 0.0f); },
     {{"row52", 24.5f}}},
};

const cella::GradientPack* Pack() {
  static const std::unique_ptr<cella::GradientPack> pack(
      cella::LoadGradientPack(KALT_RUN_BIN "/../Data20/gradient.bin"));
  if (!pack || pack->count < 34) {
    std::fprintf(stderr, "bench_gldemo_effects: no gradient pack at %s\n", KALT_RUN_BIN "/../Data20/gradient.bin");
    std::exit(1);
  }
  return pack.get();
}

void Run(benchmark::State& state, const Case& c, float time) {
  const cella::GradientPack* pack = Pack();
  const int threads = omp_get_max_threads();
  omp_set_num_threads(static_cast<int>(state.range(0)));
  cella::Canvas canvas(80, 50);
  for (auto _ : state) {
    c.draw(&canvas, pack, time);
    benchmark::DoNotOptimize(canvas.data);
    benchmark::ClobberMemory();
  }
  omp_set_num_threads(threads);
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// One benchmark per effect, moment and thread count:
// "BarLattice/heaviest/t=65.92/threads:2".
const bool kRegistered = [] {
  for (const Case& c : kCases)
    for (const Moment& moment : c.moments) {
      char name[96];
      std::snprintf(name, sizeof name, "%s/%s/t=%g", c.effect, moment.what, moment.time);
      benchmark::RegisterBenchmark(name, [&c, &moment](benchmark::State& state) { Run(state, c, moment.time); })
          ->ArgName("threads")
          ->Arg(1)
          ->Arg(2)
          ->UseRealTime()
          ->Unit(benchmark::kMicrosecond);
    }
  return true;
}();

}  // namespace
