// measure-gldemo: how many frames a second gldemo draws in each row of its
// timeline, with one worker thread and with two. Headless.
//
//   measure-gldemo [--seconds S] [--gradients FILE] [--terminal]
//
// Each row is drawn for S seconds (default 1) per thread count at beats
// spread evenly over the row (the last row up to the loop's end at 176).
// A frame is ComposeScene alone, or with --terminal ComposeScene and the
// frame shown by cella's console in a terminal (its terminal driver,
// writing what changed to a pseudo-terminal of 80 x 50 that nobody looks
// at). The gradients default to ../Data20/gradient.bin, as the demo reads
// them: run it from the run tree's bin folder.
#include <omp.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "cella/cella.h"
#include "gldemo/timeline.h"
#include "headless_pty.h"

namespace {

using Clock = std::chrono::steady_clock;

// Frames a second over beats first .. end: ComposeScene, and the frame
// shown on the console when `show` is set.
double FramesPerSecond(const cella::GradientPack& pack, float first, float end, double seconds, bool show) {
  cella::Canvas screen(80, 50);
  constexpr int kSteps = 64;  // beats visited in turn
  const auto start = Clock::now();
  const auto stop = start + std::chrono::duration<double>(seconds);
  long frames = 0;
  for (auto now = start; now < stop; now = Clock::now(), ++frames) {
    const float beat = first + (end - first) * (static_cast<float>(frames % kSteps) + 0.5f) / kSteps;
    gldemo::ComposeScene(&screen, beat, pack);
    if (show) cella::ConsoleBlit(&screen);
  }
  return static_cast<double>(frames) / std::chrono::duration<double>(Clock::now() - start).count();
}

int Usage() {
  std::fprintf(stderr, "usage: measure-gldemo [--seconds S] [--gradients FILE] [--terminal]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 1.0;
  std::string gradients = "../Data20/gradient.bin";
  bool terminal = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--terminal")) {
      terminal = true;
    } else if (i + 1 >= argc) {
      return Usage();
    } else if (!std::strcmp(argv[i], "--seconds")) {
      char* end = nullptr;
      seconds = std::strtod(argv[++i], &end);
      if (*end || !(seconds > 0.0 && seconds <= 600.0)) return Usage();
    } else if (!std::strcmp(argv[i], "--gradients")) {
      gradients = argv[++i];
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

  // With --terminal the console shows its frames on a terminal that nobody
  // looks at; it keeps that terminal until the process ends (cella gives it
  // back then), so the pseudo-terminal stays in place to the end and the
  // figures go to the usual standard output.
  std::FILE* out = stdout;
  if (terminal) {
    static const auto* pty = new kalt_tools::HeadlessPty;
    if (!pty->ok()) return 1;
    out = fdopen(pty->usualOutput(), "w");
    setenv("CELLA_DISPLAY", "terminal", 1);
    cella::ConsoleInit();
  }

  std::fprintf(out, "%s frames per second, %.3g s per row and thread count\n\n",
               terminal ? "ComposeScene + terminal frame (pseudo-terminal, 80 x 50)" : "ComposeScene", seconds);
  std::fprintf(out, "beat rows   1 thread  2 threads\n");
  for (int index = 0; index < gldemo::TimelineRows(); ++index) {
    const gldemo::TimelineSpan span = gldemo::TimelineRowSpan(index);
    const float first = static_cast<float>(span.first);
    const float end = span.last == 255 ? 176.0f : static_cast<float>(span.last + 1);
    double fps[2];
    for (int threads = 1; threads <= 2; ++threads) {
      omp_set_num_threads(threads);
      fps[threads - 1] = FramesPerSecond(*pack, first, end, seconds, terminal);
    }
    std::fprintf(out, "%3d-%-3d  %10.1f %10.1f\n", span.first, span.last, fps[0], fps[1]);
    std::fflush(out);
  }
  return 0;
}
