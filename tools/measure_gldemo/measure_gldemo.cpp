// measure-gldemo: how many frames a second gldemo draws in each row of its
// timeline, with one worker thread and with two. Headless: nothing is shown,
// or with --terminal each frame is shown on a pseudo-terminal, or with
// --window in a 640 x 400 window (under Xvfb, say). For each row
// and thread count it reports the mean frames per second, the "1 % low" (the
// mean time of the slowest 1 % of the frames, at least one) and the share of
// frames slower than 1/60 s.
//
//   measure-gldemo [--seconds S] [--gradients FILE] [--terminal | --window]
//
// Each row is drawn for S seconds (default 1) per thread count at beats
// spread evenly over the row (the last row up to the loop's end at 176).
// A frame is ComposeScene alone, or with --terminal ComposeScene and the
// frame shown by cella's console in a terminal (its terminal driver,
// writing what changed to a pseudo-terminal of 80 x 50 that nobody looks
// at), or with --window ComposeScene and the frame shown in the console's
// window, as the demo shows it. The gradients default to
// ../Data20/gradient.bin, as the demo reads them: run it from the run
// tree's bin folder.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cella/cella.h"
#include "frame_stats.h"
#include "gldemo/effects.h"
#include "gldemo/timeline.h"
#include "headless_pty.h"
#include "kalt/options.h"

namespace {

using Clock = std::chrono::steady_clock;

// The frame times over beats first .. end for `seconds`: ComposeScene, and
// the frame shown on the console when `show` is set.
kalt_tools::FrameStats Measure(const cella::GradientPack& pack, float first, float end, double seconds, bool show) {
  cella::Canvas screen(80, 50);
  constexpr int kSteps = 64;  // beats visited in turn
  const auto stop = Clock::now() + std::chrono::duration<double>(seconds);
  std::vector<double> times;
  for (auto now = Clock::now(); now < stop;) {
    const float beat =
        first + (end - first) * (static_cast<float>(times.size() % kSteps) + 0.5f) / kSteps;
    gldemo::ComposeScene(&screen, beat, pack);
    if (show) cella::ConsoleBlit(&screen);
    const auto done = Clock::now();
    times.push_back(std::chrono::duration<double>(done - now).count());
    now = done;
  }
  return kalt_tools::Summarise(std::move(times));
}

constexpr const char* kUsage =
    "usage: measure-gldemo [--seconds S] [--gradients FILE] [--terminal | --window]\n"
    "Draws every row of gldemo's timeline with 1 and 2 threads, headless, and reports the mean fps, 1 % low\n"
    "and share of frames slower than 1/60 s (run it where gldemo runs).\n"
    "  --seconds S       time per row and thread count, above 0 and up to 600 (default 1)\n"
    "  --gradients FILE  the gradient pack (default ../Data20/gradient.bin)\n"
    "  --terminal        show each frame on a pseudo-terminal as well\n"
    "  --window          show each frame in a 640 x 400 window as well (needs a display; the last of\n"
    "                    --terminal and --window counts)\n";

}  // namespace

int main(int argc, char** argv) {
  double seconds = 1.0;
  std::string gradients = "../Data20/gradient.bin";
  bool terminal = false, window = false;
  for (int i = 1; i < argc; ++i) {
    kalt::StandardOption(argv[i], "measure-gldemo", kUsage);
    if (!std::strcmp(argv[i], "--terminal")) {
      terminal = true;
      window = false;
    } else if (!std::strcmp(argv[i], "--window")) {
      window = true;
      terminal = false;
    } else if (!std::strcmp(argv[i], "--seconds")) {
      char* end = nullptr;
      if (i + 1 < argc) seconds = std::strtod(argv[++i], &end);
      if (!end || *end || !(seconds > 0.0 && seconds <= 600.0))
        kalt::BadValue("measure-gldemo", "--seconds", "a number of seconds above 0 and up to 600");
    } else if (!std::strcmp(argv[i], "--gradients")) {
      if (i + 1 >= argc) kalt::BadValue("measure-gldemo", "--gradients", "a file name");
      gradients = argv[++i];
    } else {
      kalt::UnknownOption("measure-gldemo", argv[i]);
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
  } else if (window) {
    setenv("CELLA_DISPLAY", "window", 1);
    setenv("CELLA_FULLSCREEN", "0", 1);
    cella::ConsoleInit();
  }

  std::fprintf(out,
               "%s frames, %.3g s per row and thread count: mean frames per second, the mean time of\n"
               "the slowest 1 %% in ms, the share slower than 1/60 s\n\n",
               terminal ? "ComposeScene + terminal frame (pseudo-terminal, 80 x 50)"
               : window ? "ComposeScene + window frame (640 x 400)"
                        : "ComposeScene",
               seconds);
  std::fprintf(out, "                     1 thread                2 threads\n");
  std::fprintf(out, "beat rows  mean fps 1%% low  slow   mean fps 1%% low  slow\n");
  for (int index = 0; index < gldemo::TimelineRows(); ++index) {
    const gldemo::TimelineSpan span = gldemo::TimelineRowSpan(index);
    const float first = static_cast<float>(span.first);
    const float end = span.last == 255 ? 176.0f : static_cast<float>(span.last + 1);
    std::fprintf(out, "%3d-%-3d  ", span.first, span.last);
    for (int threads = 1; threads <= 2; ++threads) {
      gldemo::SetEffectThreads(threads);
      kalt_tools::PrintStats(Measure(*pack, first, end, seconds, terminal || window), out);
      std::fprintf(out, "  ");
    }
    std::fprintf(out, "\n");
    std::fflush(out);
  }
  return 0;
}
