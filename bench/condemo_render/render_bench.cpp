// Frames per second of the console demo's renderer: one representative
// frame of each scene and the heaviest moments found, rendered whole on a
// pool of 1 worker and on a pool of 2, frame about frame, so that both see
// the same machine load. Each moment on the console's 80 x 50 grid (named
// as the moment) and on the grids of 160 x 50, 240 x 75 and 400 x 200
// cells (the name followed by /WxH), the same view wider or finer.
// Counters: fps_1thread and fps_2threads (frames per wall-clock second),
// speedup (their ratio) and ns_per_cell (one thread's time per cell, for
// the cost's growth with the cell count); the label names the lanes
// (KALT_LANES chooses them).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

#include "condemo/director.h"
#include "condemo/render.h"
#include "kalt/lane_path.h"
#include "kalt/worker_pool.h"

namespace {

struct Moment {
  const char* name;
  int order;   // the song's order position, which picks the scene
  double time;  // seconds since the show began
  float flashA, flashB, flashC;
  int beats;
};

constexpr Moment kMoments[] = {
    {"scene0_tunnel_fade", 20, 150.0, 0.0f, 0.0f, 0.0f, 0},
    {"scene1_lattice", 2, 30.0, 0.5f, 0.3f, 0.0f, 3},
    {"scene2_tubes", 5, 50.0, 0.0f, 0.0f, 0.0f, 0},
    {"scene3_blob", 14, 110.0, 0.5f, 0.4f, 0.0f, 1},
    {"scene4_tunnel", 18, 135.0, 0.0f, 0.0f, 0.0f, 0},
    {"scene5_blobs", 8, 60.0, 0.0f, 0.3f, 0.0f, 2},
    {"scene6_spiky", 10, 75.0, 0.8f, 0.2f, 0.0f, 0},
    {"scene7_octahedron", 12, 90.0, 0.3f, 0.5f, 1.0f, 0},
    {"scene8_spiky_sphere", 16, 125.0, 0.2f, 0.1f, 0.0f, 0},
    // The heaviest frames of a scan of every scene from 0 to 240 seconds.
    {"scene1_lattice_heaviest", 2, 220.5, 0.0f, 0.0f, 0.0f, 0},
    {"scene2_tubes_heaviest", 5, 13.3, 0.0f, 0.0f, 0.0f, 0},
    {"scene3_blob_heaviest", 14, 114.8, 0.0f, 0.0f, 0.0f, 0},
    {"scene6_spiky_heaviest", 10, 170.8, 0.0f, 0.0f, 0.0f, 0},
    {"scene7_octahedron_heaviest", 12, 52.5, 0.0f, 0.0f, 0.0f, 0},
    {"scene8_spiky_sphere_heaviest", 16, 228.2, 0.0f, 0.0f, 0.0f, 0},
};

constexpr kalt::GridSize kGrids[] = {{80, 50}, {160, 50}, {240, 75}, {400, 200}};

void RenderMoment(benchmark::State& state, const Moment& moment, kalt::GridSize size) {
  using Clock = std::chrono::steady_clock;
  condemo::FrameState frame;
  frame.sceneTime = moment.time;
  frame.pulse.flashA = moment.flashA;
  frame.pulse.flashB = moment.flashB;
  frame.pulse.flashC = moment.flashC;
  frame.pulse.beatCount = moment.beats;
  frame.scene = condemo::StillScene(moment.order, moment.time, frame.pulse);
  kalt::WorkerPool one(1), two(2);
  kalt::WorkerPool* const pools[2] = {&one, &two};
  condemo::CellGrid grid(size);
  double seconds[2] = {0.0, 0.0};
  for (auto _ : state) {
    for (int k = 0; k < 2; ++k) {
      // In the show a pool renders frame after frame, its workers awake
      // from the last one; here the other pool's frame comes between, so
      // the pool of 2 first renders a frame untimed.
      if (k == 1) condemo::RenderFrame(frame, *pools[k], grid);
      const Clock::time_point start = Clock::now();
      condemo::RenderFrame(frame, *pools[k], grid);
      benchmark::DoNotOptimize(grid);
      seconds[k] += std::chrono::duration<double>(Clock::now() - start).count();
    }
    ++frame.frameNumber;
  }
  const double frames = static_cast<double>(state.iterations());
  state.counters["fps_1thread"] = frames / seconds[0];
  state.counters["fps_2threads"] = frames / seconds[1];
  state.counters["speedup"] = seconds[0] / seconds[1];
  state.counters["ns_per_cell"] = 1e9 * seconds[0] / (frames * static_cast<double>(grid.cells.size()));
  state.SetLabel(kalt::LanePathName(kalt::ActiveLanePath()));
}

const bool kRegistered = [] {
  for (const kalt::GridSize size : kGrids)
    for (const Moment& moment : kMoments) {
      char name[80];
      if (size == kalt::GridSize{})
        std::snprintf(name, sizeof name, "%s", moment.name);
      else
        std::snprintf(name, sizeof name, "%s/%dx%d", moment.name, size.columns, size.rows);
      benchmark::RegisterBenchmark(name, RenderMoment, moment, size)->UseRealTime()->Unit(benchmark::kMillisecond);
    }
  return true;
}();

}  // namespace
