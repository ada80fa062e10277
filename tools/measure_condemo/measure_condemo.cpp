// measure-condemo: plays the whole show headless on a pseudo-terminal of
// 80 x 50 and reports frames per second and bytes written per frame.
//
//   measure-condemo [--threads N] [--every-cell] [--true-colour]
//
// Run it where condemo runs (the song is read from the working directory);
// SDL_AUDIODRIVER=dummy keeps it silent. --threads sets the render threads
// (default: the hardware threads), --every-cell writes every cell of every
// frame instead of the changed ones. Ctrl+C or SIGTERM ends the run early
// and still reports. The figures go to standard output: one line for the
// whole show, then a table with a row per order position: its frames, their
// mean frames per second, the "1 % low" (the mean time of its slowest 1 %
// of frames, at least one) and the share of its frames slower than 1/60 s.
// The first frame, which waits for the start-up, is left out of the table.
//   threads 2, changed cells: 9876 frames in 180.0 s = 54.9 fps, 3456 bytes per frame
//   order  frames  mean fps  1% low ms  slow
//       0     512     301.2    4.10     0.0%
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "condemo/show.h"
#include "frame_stats.h"

namespace {

[[noreturn]] void Usage() {
  std::fprintf(stderr, "usage: measure-condemo [--threads N] [--every-cell] [--true-colour]\n");
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  condemo::ShowOptions options{.workerCount = condemo::HardwareWorkerCount(), .encoding = {}};
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc) {
      char* end = nullptr;
      const long threads = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || threads < 1 || threads > 256) Usage();
      options.workerCount = static_cast<int>(threads);
    } else if (std::strcmp(argv[i], "--every-cell") == 0) {
      options.encoding.everyCell = true;
    } else if (std::strcmp(argv[i], "--true-colour") == 0) {
      options.encoding.trueColour = true;
    } else {
      Usage();
    }
  }

  // 1. A terminal of 80 x 50 that nobody looks at, as standard input and
  //    output of the show.
  winsize size{};
  size.ws_col = 80;
  size.ws_row = 50;
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) {
    std::perror("measure-condemo: openpty");
    return 1;
  }
  const int savedIn = dup(STDIN_FILENO), savedOut = dup(STDOUT_FILENO);
  dup2(slave, STDIN_FILENO);
  dup2(slave, STDOUT_FILENO);

  // 2. Its screen: a thread that reads and discards what arrives, so that
  //    writes never wait for a full buffer.
  std::atomic<bool> stop{false};
  std::thread reader([&] {
    char buffer[1 << 16];
    while (!stop.load()) {
      pollfd p{master, POLLIN, 0};
      if (poll(&p, 1, 50) > 0 && read(master, buffer, sizeof buffer) < 0) break;
    }
  });

  // 3. The show, timing every frame by its order position, then the usual
  //    standard input and output again.
  using Clock = std::chrono::steady_clock;
  std::map<int, std::vector<double>> frameTimes;
  Clock::time_point last{};
  bool first = true;
  const auto frameShown = [&](int order) {
    const Clock::time_point now = Clock::now();
    if (!first) frameTimes[order].push_back(std::chrono::duration<double>(now - last).count());
    first = false;
    last = now;
  };
  const condemo::ShowResult result = condemo::PlayShow(options, frameShown);
  dup2(savedIn, STDIN_FILENO);
  dup2(savedOut, STDOUT_FILENO);
  stop.store(true);
  reader.join();
  close(master);
  close(slave);
  if (result.exitStatus != 0) return result.exitStatus;

  const double frames = static_cast<double>(result.stats.frames);
  std::printf("threads %d, %s: %.0f frames in %.1f s = %.1f fps, %.0f bytes per frame\n", options.workerCount,
              options.encoding.everyCell ? "every cell" : "changed cells", frames, result.seconds,
              result.seconds > 0 ? frames / result.seconds : 0.0,
              frames > 0 ? static_cast<double>(result.stats.bytes) / frames : 0.0);
  std::printf("order  frames  mean fps  1%% low ms  slow\n");
  for (const auto& [order, seconds] : frameTimes) {
    const kalt_tools::FrameStats stats = kalt_tools::Summarise(seconds);
    std::printf("%5d %7ld ", order, stats.frames);
    kalt_tools::PrintStats(stats);
    std::printf("\n");
  }
  return 0;
}
