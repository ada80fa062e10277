// Every effect drawing the 80 by 50 picture with 1 and 2 threads, frame
// about frame so that both see the same machine load, at moments of the
// timeline including the heaviest ones found. Counters: fps_1thread and
// fps_2threads (frames per second of wall time) and speedup (their ratio);
// the label names the lanes (KALT_LANES chooses them) and the threads
// (KALT_EFFECT_THREADS). On the OpenMP threads run it with
// OMP_WAIT_POLICY=passive, as the demo runs (kalt bench does).
//
//   bench_gldemo_effects [--benchmark_filter=BarLattice]
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cella/cella.h"
#include "gldemo/effects.h"
#include "kalt/lane_path.h"

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
  using Clock = std::chrono::steady_clock;
  const cella::GradientPack* pack = Pack();
  const int threads = gldemo::EffectThreads();
  cella::Canvas canvas(80, 50);
  double seconds[2] = {0.0, 0.0};
  for (auto _ : state) {
    for (int k = 0; k < 2; ++k) {
      gldemo::SetEffectThreads(k + 1);
      const Clock::time_point start = Clock::now();
      c.draw(&canvas, pack, time);
      benchmark::DoNotOptimize(canvas.data);
      benchmark::ClobberMemory();
      seconds[k] += std::chrono::duration<double>(Clock::now() - start).count();
    }
  }
  gldemo::SetEffectThreads(threads);
  const double frames = static_cast<double>(state.iterations());
  state.counters["fps_1thread"] = frames / seconds[0];
  state.counters["fps_2threads"] = frames / seconds[1];
  state.counters["speedup"] = seconds[0] / seconds[1];
  state.SetLabel(std::string(kalt::LanePathName(kalt::ActiveLanePath())) + (KALT_EFFECTS_OPENMP ? " openmp" : " pool"));
}

// One benchmark per effect and moment: "BarLattice/heaviest/t=37.12".
const bool kRegistered = [] {
  for (const Case& c : kCases)
    for (const Moment& moment : c.moments) {
      char name[96];
      std::snprintf(name, sizeof name, "%s/%s/t=%g", c.effect, moment.what, moment.time);
      benchmark::RegisterBenchmark(name, [&c, &moment](benchmark::State& state) { Run(state, c, moment.time); })
          ->UseRealTime()
          ->Unit(benchmark::kMicrosecond);
    }
  return true;
}();

}  // namespace
