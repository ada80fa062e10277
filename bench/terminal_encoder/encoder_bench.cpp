// Microseconds per frame of the terminal encoder on frames of both shows:
// streaming consecutive frames (only the changed cells) and repainting
// every cell, in 16 colours and true colour, for the console's 80 x 50 and
// for bigger pictures made of its frames side by side. REP repeats any
// glyph ("rep:any"); at 80 x 50 also without REP ("rep:none").
//
//   bench_terminal_encoder [--benchmark_filter=Stream/condemo/80x50]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "kalt_test/show_frames.h"
#include "terminal/screen.h"

namespace {

using kalt_test::ShowFrame;

// A second of each show at 60 frames a second, at three moments, the cuts
// between them included.
const std::vector<ShowFrame>& ShowSecond(bool gldemo) {
  static const std::vector<ShowFrame> frames[2] = {
      [] {
        std::vector<ShowFrame> all;
        for (const auto& [order, time] : {std::pair{8, 62.0}, {14, 105.0}, {18, 140.0}})
          for (ShowFrame& frame : kalt_test::CondemoFrames(order, time, 20)) all.push_back(std::move(frame));
        return all;
      }(),
      [] {
        std::vector<ShowFrame> all;
        for (const float beat : {5.0f, 24.5f, 40.0f})
          for (ShowFrame& frame : kalt_test::GldemoFrames(beat, 20)) all.push_back(std::move(frame));
        return all;
      }(),
  };
  return frames[gldemo];
}

void Encode(benchmark::State& state, bool gldemo, int columns, int rows, term::EncodeOptions options) {
  std::vector<ShowFrame> frames;
  for (const ShowFrame& frame : ShowSecond(gldemo)) frames.push_back(kalt_test::Tiled(frame, columns, rows));
  term::ScreenState screen;
  screen.size = {columns, rows};
  std::string out;
  std::size_t k = 0, bytes = 0;
  for (auto _ : state) {
    const ShowFrame& frame = frames[k];
    out.clear();
    term::EncodeFrame({frame.cells, frame.columns, frame.rows}, options, screen, out);
    benchmark::DoNotOptimize(out.data());
    bytes += out.size();
    k = k + 1 == frames.size() ? 0 : k + 1;
  }
  state.counters["bytes_per_frame"] = static_cast<double>(bytes) / static_cast<double>(state.iterations());
}

// "Stream/condemo/80x50/16colours/rep:any" and the like.
const bool kRegistered = [] {
  const struct {
    int columns, rows;
  } sizes[] = {{80, 50}, {160, 50}, {400, 200}};
  for (const bool everyCell : {false, true})
    for (const bool gldemo : {false, true})
      for (const auto size : sizes)
        for (const bool trueColour : {false, true})
          for (const term::Repeat repeat : {term::Repeat::kAnyGlyph, term::Repeat::kNone}) {
            if (repeat == term::Repeat::kNone && size.columns != 80) continue;
            char name[96];
            std::snprintf(name, sizeof name, "%s/%s/%dx%d/%s/rep:%s", everyCell ? "Repaint" : "Stream",
                          gldemo ? "gldemo" : "condemo", size.columns, size.rows,
                          trueColour ? "truecolour" : "16colours", repeat == term::Repeat::kNone ? "none" : "any");
            const term::EncodeOptions options{.trueColour = trueColour, .everyCell = everyCell, .repeat = repeat};
            benchmark::RegisterBenchmark(name, [=](benchmark::State& state) {
              Encode(state, gldemo, size.columns, size.rows, options);
            })->Unit(benchmark::kMicrosecond);
          }
  return true;
}();

}  // namespace
