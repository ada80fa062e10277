// The frame cap (kalt/frame_cap.h) as the shows use it: each iteration is a
// frame of work followed by FrameCap::Wait, and the rate the loop keeps is
// reported against the cap, and whether it is within 1 % of it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>

#include "kalt/frame_cap.h"

namespace {

using Clock = std::chrono::steady_clock;

// Keeps the thread busy for `busy`, as a frame's drawing would.
void Work(Clock::duration busy) {
  const Clock::time_point end = Clock::now() + busy;
  while (Clock::now() < end) benchmark::ClobberMemory();
}

// range(0): the cap in frames a second; range(1): each frame's work in
// percent of the cap's period.
void BM_FrameCap(benchmark::State& state) {
  const long fps = state.range(0);
  const auto busy = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
      static_cast<double>(state.range(1)) / 100.0 / static_cast<double>(fps)));
  const Clock::time_point start = Clock::now();
  kalt::FrameCap cap(fps);
  for (auto _ : state) {
    Work(busy);
    cap.Wait();
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double rate = static_cast<double>(state.iterations()) / seconds;
  const double off = 100.0 * (rate - static_cast<double>(fps)) / static_cast<double>(fps);
  state.counters["fps"] = rate;
  state.counters["off_percent"] = off;
  state.counters["within_1_percent"] = std::abs(off) <= 1.0;
}
// Three seconds of frames at each cap, with light and heavy frames.
BENCHMARK(BM_FrameCap)->Args({30, 20})->Iterations(90)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameCap)->Args({60, 20})->Iterations(180)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameCap)->Args({60, 80})->Iterations(180)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameCap)->Args({144, 50})->Iterations(432)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
