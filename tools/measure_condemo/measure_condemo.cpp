// measure-condemo: plays the whole show headless on a pseudo-terminal of
// 80 x 50 and reports frames per second and bytes written per frame.
//
//   measure-condemo [--threads N] [--every-cell] [--true-colour]
//
// Run it where condemo runs (the song is read from the working directory);
// SDL_AUDIODRIVER=dummy keeps it silent. --threads sets the render threads
// (default: the hardware threads), --every-cell writes every cell of every
// frame instead of the changed ones. Ctrl+C or SIGTERM ends the run early
// and still reports. The figures go to standard output as one line:
//   threads 2, changed cells: 9876 frames in 180.0 s = 54.9 fps, 3456 bytes per frame
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "condemo/show.h"
#include "headless_pty.h"

namespace {

[[noreturn]] void Usage() {
  std::fprintf(stderr, "usage: measure-condemo [--threads N] [--every-cell] [--true-colour]\n");
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  condemo::ShowOptions options;
  options.workerCount = condemo::HardwareWorkerCount();
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

  // The show on a terminal of 80 x 50 that nobody looks at; then the usual
  // standard input and output again.
  condemo::ShowResult result;
  {
    const kalt_tools::HeadlessPty pty;
    if (!pty.ok()) return 1;
    result = condemo::PlayShow(options);
  }
  if (result.exitStatus != 0) return result.exitStatus;

  const double frames = static_cast<double>(result.stats.frames);
  std::printf("threads %d, %s: %.0f frames in %.1f s = %.1f fps, %.0f bytes per frame\n", options.workerCount,
              options.encoding.everyCell ? "every cell" : "changed cells", frames, result.seconds,
              result.seconds > 0 ? frames / result.seconds : 0.0,
              frames > 0 ? static_cast<double>(result.stats.bytes) / frames : 0.0);
  return 0;
}
