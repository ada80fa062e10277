// measure-gldemo: how many frames a second ComposeScene draws in each row of
// gldemo's timeline, with one worker thread and with two. Headless: nothing
// is shown, only composed. For each row and thread count it reports the mean
// frames per second, the "1 % low" (the mean time of the slowest 1 % of the
// frames, at least one) and the share of frames slower than 1/60 s.
//
//   measure-gldemo [--seconds S] [--gradients FILE]
//
// Each row is drawn for S seconds (default 1) per thread count at beats
// spread evenly over the row (the last row up to the loop's end at 176).
// The gradients default to ../Data20/gradient.bin, as the demo reads them:
// run it from the run tree's bin folder.
#include <omp.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cella/cella.h"
#include "frame_stats.h"
#include "gldemo/timeline.h"

namespace {

using Clock = std::chrono::steady_clock;

// The frame times of ComposeScene over beats first .. end for `seconds`.
kalt_tools::FrameStats Measure(const cella::GradientPack& pack, float first, float end, double seconds) {
  cella::Canvas screen(80, 50);
  constexpr int kSteps = 64;  // beats visited in turn
  const auto stop = Clock::now() + std::chrono::duration<double>(seconds);
  std::vector<double> times;
  for (auto now = Clock::now(); now < stop;) {
    const float beat =
        first + (end - first) * (static_cast<float>(times.size() % kSteps) + 0.5f) / kSteps;
    gldemo::ComposeScene(&screen, beat, pack);
    const auto done = Clock::now();
    times.push_back(std::chrono::duration<double>(done - now).count());
    now = done;
  }
  return kalt_tools::Summarise(std::move(times));
}

int Usage() {
  std::fprintf(stderr, "usage: measure-gldemo [--seconds S] [--gradients FILE]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 1.0;
  std::string gradients = "../Data20/gradient.bin";
  for (int i = 1; i < argc; i += 2) {
    if (i + 1 >= argc) return Usage();
    if (!std::strcmp(argv[i], "--seconds")) {
      char* end = nullptr;
      seconds = std::strtod(argv[i + 1], &end);
      if (*end || !(seconds > 0.0 && seconds <= 600.0)) return Usage();
    } else if (!std::strcmp(argv[i], "--gradients")) {
      gradients = argv[i + 1];
    } else {
      return Usage();
    }
  }
  const std::unique_ptr<cella::GradientPack> pack(cella::LoadGradientPack(gradients.c_str()));
  if (!pack || pack->count < gldemo::kTimelineGradients) {
    std::fprintf(stderr, "measure-gldemo: cannot use the gradient pack %s (missing, or fewer than %d gradients)\n",
                 gradients.c_str(), gldemo::kTimelineGradients);
    return 1;
  }

  std::printf("ComposeScene frames, %.3g s per row and thread count: mean frames per second, the mean time of\n"
              "the slowest 1 %% in ms, the share slower than 1/60 s\n\n", seconds);
  std::printf("                     1 thread                2 threads\n");
  std::printf("beat rows  mean fps 1%% low  slow   mean fps 1%% low  slow\n");
  for (int index = 0; index < gldemo::TimelineRows(); ++index) {
    const gldemo::TimelineSpan span = gldemo::TimelineRowSpan(index);
    const float first = static_cast<float>(span.first);
    const float end = span.last == 255 ? 176.0f : static_cast<float>(span.last + 1);
    std::printf("%3d-%-3d  ", span.first, span.last);
    for (int threads = 1; threads <= 2; ++threads) {
      omp_set_num_threads(threads);
      kalt_tools::PrintStats(Measure(*pack, first, end, seconds));
      std::printf("  ");
    }
    std::printf("\n");
    std::fflush(stdout);
  }
  return 0;
}
