// measure-condemo: plays the whole show headless on a pseudo-terminal of
// 80 x 50 and reports frames per second and bytes written per frame and
// per second.
//
//   measure-condemo [--threads N] [--every-cell] [--true-colour] [--repeat none|ascii|any]
//   measure-condemo --offline [--fps N] [--threads N] [--repeat none|ascii|any]
//
// Run it where condemo runs (the song is read from the working directory);
// SDL_AUDIODRIVER=dummy keeps it silent. --threads sets the render threads
// (default: the hardware threads), --every-cell writes every cell of every
// frame instead of the changed ones, --repeat what REP may repeat (default
// any glyph, as condemo allows it; the pseudo-terminal answers the show's
// REP question as a terminal that repeats everything, such as xterm, does).
// Ctrl+C or SIGTERM ends the run early
// and still reports. The figures go to standard output as one line:
//   threads 2, changed cells: 9876 frames in 180.0 s = 54.9 fps, 3456 bytes per frame, 189734 bytes per second
//
// --offline renders the show as fast as it can, its clock stepping 1/N
// second a frame (default 60), and reports the bytes that each encoding
// (changed cells and every cell, 16 colours and true colour) would send:
// figures that do not depend on the machine's speed.
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "condemo/show.h"
#include "offline.h"

namespace {

[[noreturn]] void Usage() {
  std::fprintf(stderr,
               "usage: measure-condemo [--threads N] [--every-cell] [--true-colour] [--repeat none|ascii|any]\n"
               "       measure-condemo --offline [--fps N] [--threads N] [--repeat none|ascii|any]\n");
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  condemo::ShowOptions options{.workerCount = condemo::HardwareWorkerCount(),
                               .encoding = {.repeat = term::Repeat::kAnyGlyph}};
  bool offline = false;
  long fps = 60;
  const auto number = [&](int& i, long low, long high) {
    char* end = nullptr;
    const long value = i + 1 < argc ? std::strtol(argv[++i], &end, 10) : 0;
    if (end == nullptr || *end != '\0' || value < low || value > high) Usage();
    return value;
  };
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--threads") == 0) {
      options.workerCount = static_cast<int>(number(i, 1, 256));
    } else if (std::strcmp(argv[i], "--offline") == 0) {
      offline = true;
    } else if (std::strcmp(argv[i], "--fps") == 0) {
      fps = number(i, 1, 1000);
    } else if (std::strcmp(argv[i], "--every-cell") == 0) {
      options.encoding.everyCell = true;
    } else if (std::strcmp(argv[i], "--true-colour") == 0) {
      options.encoding.trueColour = true;
    } else if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
      const std::string repeat = argv[++i];
      if (repeat != "none" && repeat != "ascii" && repeat != "any") Usage();
      options.encoding.repeat = repeat == "none"    ? term::Repeat::kNone
                                : repeat == "ascii" ? term::Repeat::kAscii
                                                    : term::Repeat::kAnyGlyph;
    } else {
      Usage();
    }
  }
  if (offline) return MeasureOffline(static_cast<int>(fps), options.workerCount, options.encoding.repeat);

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
  //    writes never wait for a full buffer, and answers cursor position
  //    queries (the show asks whether REP repeats) with column 3, where
  //    the cursor is when it does.
  std::atomic<bool> stop{false};
  std::thread reader([&] {
    static constexpr char kQuery[] = "\x1b[6n";
    char buffer[1 << 16];
    std::string tail;  // the end of the previous read, for a query split between reads
    while (!stop.load()) {
      pollfd p{master, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = read(master, buffer, sizeof buffer);
      if (n < 0) break;
      const std::string seen = tail + std::string(buffer, static_cast<std::size_t>(n));
      for (std::size_t at = seen.find(kQuery); at != std::string::npos; at = seen.find(kQuery, at + 1))
        if (write(master, "\x1b[2;3R", 7) != 7) break;
      tail.assign(buffer + std::max<ssize_t>(0, n - 3), buffer + n);
    }
  });

  // 3. The show, then the usual standard input and output again.
  const condemo::ShowResult result = condemo::PlayShow(options);
  dup2(savedIn, STDIN_FILENO);
  dup2(savedOut, STDOUT_FILENO);
  stop.store(true);
  reader.join();
  close(master);
  close(slave);
  if (result.exitStatus != 0) return result.exitStatus;

  const double frames = static_cast<double>(result.stats.frames);
  const double bytes = static_cast<double>(result.stats.bytes);
  std::printf("threads %d, %s: %.0f frames in %.1f s = %.1f fps, %.0f bytes per frame, %.0f bytes per second",
              options.workerCount, options.encoding.everyCell ? "every cell" : "changed cells", frames, result.seconds,
              result.seconds > 0 ? frames / result.seconds : 0.0, frames > 0 ? bytes / frames : 0.0,
              result.seconds > 0 ? bytes / result.seconds : 0.0);
  if (result.stats.dropped > 0)
    std::printf(" (%llu frames dropped)", static_cast<unsigned long long>(result.stats.dropped));
  std::printf("\n");
  return 0;
}
