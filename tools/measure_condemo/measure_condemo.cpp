// measure-condemo: plays the whole show headless on a pseudo-terminal of
// 80 x 50 and reports frames per second, bytes written per frame and per
// second, and frame-time statistics per order position.
//
//   measure-condemo [--threads N] [--every-cell] [--true-colour] [--repeat none|ascii|any] [--fps N] [--from S]
//   measure-condemo --offline [--fps N] [--threads N] [--repeat none|ascii|any]
//
// Run it where condemo runs (the song is read from the working directory);
// SDL_AUDIODRIVER=dummy keeps it silent. --threads sets the render threads
// (default: the hardware threads), --every-cell writes every cell of every
// frame instead of the changed ones, --repeat what REP may repeat (default
// any glyph, as condemo allows it; the pseudo-terminal answers the show's
// REP question as a terminal that repeats everything, such as xterm, does).
// --fps N caps the show at N frames a second as condemo --fps does, and
// --from S starts it S seconds in. Ctrl+C or SIGTERM ends the run early and
// still reports. The figures go to standard output: one line for the whole
// show (with the processor time the process used, user and system, per
// second of show), then a table with a row per
// order position: its frames, their mean frames per second, the "1 % low"
// (the mean time of its slowest 1 % of frames, at least one) and the share
// of its frames slower than 1/60 s. The first frame, which waits for the
// start-up, is left out of the table.
//   threads 2, changed cells: 9876 frames in 180.0 s = 54.9 fps, 3456 bytes per frame, 189734 bytes per second,
//   CPU 1.93 s per second of show
//   order  frames  mean fps  1% low ms  slow
//       0     512     301.2    4.10     0.0%
//
// --offline renders the show as fast as it can, its clock stepping 1/N
// second a frame (default 60), and reports the bytes that each encoding
// (changed cells and every cell, 16 colours and true colour) would send:
// figures that do not depend on the machine's speed.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "condemo/show.h"
#include "frame_stats.h"
#include "headless_pty.h"
#include "kalt/options.h"
#include "offline.h"

namespace {

constexpr const char* kUsage =
    "usage: measure-condemo [--threads N] [--every-cell] [--true-colour] [--repeat none|ascii|any] [--fps N] [--from S]\n"
    "       measure-condemo --offline [--fps N] [--threads N] [--repeat none|ascii|any]\n"
    "Plays condemo headless on a pseudo-terminal (run it where condemo runs) and reports frames per second,\n"
    "bytes per frame and second, and per order position the mean fps, 1 % low and share slower than 1/60 s.\n"
    "  --threads N      render workers, 1-256 (default: the hardware threads)\n"
    "  --every-cell     write every cell of every frame, not only the changed ones\n"
    "  --true-colour    24-bit colours instead of the 16 ANSI colours\n"
    "  --repeat WHAT    what REP may repeat (default any)\n"
    "  --offline        the show at a fixed frame rate, as fast as it renders: the bytes of every encoding\n"
    "  --fps N          the show capped at N frames a second, 1-1000 (default: no cap); offline, its frame\n"
    "                   rate (default 60)\n"
    "  --from S         start S seconds into the show\n";

// Processor time of the process so far, user and system, in seconds.
double ProcessorSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec); };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
  condemo::ShowOptions options;
  options.workerCount = condemo::HardwareWorkerCount();
  options.encoding.repeat = term::Repeat::kAnyGlyph;
  bool offline = false;
  long fps = 0;
  const auto number = [&](int& i, long low, long high, const char* wanted) {
    const char* option = argv[i];
    const std::optional<long> value = i + 1 < argc ? kalt::ReadWholeNumber(argv[++i], low, high) : std::nullopt;
    if (!value) kalt::BadValue("measure-condemo", option, wanted);
    return *value;
  };
  for (int i = 1; i < argc; ++i) {
    kalt::StandardOption(argv[i], "measure-condemo", kUsage);
    if (std::strcmp(argv[i], "--threads") == 0) {
      options.workerCount = static_cast<int>(number(i, 1, 256, "a whole number from 1 to 256"));
    } else if (std::strcmp(argv[i], "--offline") == 0) {
      offline = true;
    } else if (std::strcmp(argv[i], "--fps") == 0) {
      fps = number(i, 1, 1000, "a whole number from 1 to 1000");
    } else if (std::strcmp(argv[i], "--from") == 0) {
      const std::optional<double> from = i + 1 < argc ? kalt::ReadSeconds(argv[++i]) : std::nullopt;
      if (!from) kalt::BadValue("measure-condemo", "--from", "a number of seconds from 0 to 1000000");
      options.start = condemo::ShowStart{.seconds = *from, .order = std::nullopt};
    } else if (std::strcmp(argv[i], "--every-cell") == 0) {
      options.encoding.everyCell = true;
    } else if (std::strcmp(argv[i], "--true-colour") == 0) {
      options.encoding.trueColour = true;
    } else if (std::strcmp(argv[i], "--repeat") == 0) {
      const std::string repeat = i + 1 < argc ? argv[++i] : "";
      if (repeat != "none" && repeat != "ascii" && repeat != "any")
        kalt::BadValue("measure-condemo", "--repeat", "none, ascii or any");
      options.encoding.repeat = repeat == "none"    ? term::Repeat::kNone
                                : repeat == "ascii" ? term::Repeat::kAscii
                                                    : term::Repeat::kAnyGlyph;
    } else {
      kalt::UnknownOption("measure-condemo", argv[i]);
    }
  }
  if (offline) return MeasureOffline(fps > 0 ? static_cast<int>(fps) : 60, options.workerCount, options.encoding.repeat);
  options.fps = fps;

  // The show on a terminal of 80 x 50 that nobody looks at, timing every
  // frame by its order position; then the usual standard input and output
  // again.
  using Clock = std::chrono::steady_clock;
  std::map<int, std::vector<double>> frameTimes;
  Clock::time_point last{};
  bool first = true;
  options.frameShown = [&](const condemo::CellGrid&, int order) {
    const Clock::time_point now = Clock::now();
    if (!first) frameTimes[order].push_back(std::chrono::duration<double>(now - last).count());
    first = false;
    last = now;
  };
  condemo::ShowResult result;
  const double processorBefore = ProcessorSeconds();
  {
    const kalt_tools::HeadlessPty pty;
    if (!pty.ok()) return 1;
    result = condemo::PlayShow(options);
  }
  if (result.exitStatus != 0) return result.exitStatus;
  const double showSeconds = result.seconds - (options.start ? options.start->seconds : 0.0);
  const double processor = ProcessorSeconds() - processorBefore;

  const double frames = static_cast<double>(result.stats.frames);
  const double bytes = static_cast<double>(result.stats.bytes);
  std::printf("threads %d, %s: %.0f frames in %.1f s = %.1f fps, %.0f bytes per frame, %.0f bytes per second",
              options.workerCount, options.encoding.everyCell ? "every cell" : "changed cells", frames, showSeconds,
              showSeconds > 0 ? frames / showSeconds : 0.0, frames > 0 ? bytes / frames : 0.0,
              showSeconds > 0 ? bytes / showSeconds : 0.0);
  if (result.stats.dropped > 0)
    std::printf(" (%llu frames dropped)", static_cast<unsigned long long>(result.stats.dropped));
  std::printf(",\nCPU %.2f s per second of show (%.1f s in %.1f s)%s\n", showSeconds > 0 ? processor / showSeconds : 0.0,
              processor, showSeconds, fps > 0 ? (", capped at " + std::to_string(fps) + " fps").c_str() : "");
  std::printf("order  frames  mean fps  1%% low ms  slow\n");
  for (const auto& [order, seconds] : frameTimes) {
    const kalt_tools::FrameStats stats = kalt_tools::Summarise(seconds);
    std::printf("%5d %7ld ", order, stats.frames);
    kalt_tools::PrintStats(stats);
    std::printf("\n");
  }
  return 0;
}
