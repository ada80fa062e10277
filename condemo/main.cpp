// condemo: the console demo, played in the terminal it is started from, or
// in a window of its own. Escape ends it.
//
//   condemo            in the terminal
//   condemo --window   in a 640 x 400 window that imitates the PC text screen
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "condemo/show.h"

namespace {

struct Options {
  condemo::ScreenKind screen = condemo::ScreenKind::kTerminal;
};

// Reads the command line into `options`; false after a message on stderr
// when it holds anything else.
bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--window") == 0) {
      options.screen = condemo::ScreenKind::kWindow;
    } else {
      std::fprintf(stderr, "condemo: unknown option '%s'\n", argv[i]);
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) return 2;
  condemo::ShowOptions show;
  show.workerCount = condemo::HardwareWorkerCount();
  show.encoding.trueColour = term::WantsTrueColour(std::getenv("COLORTERM"));
  show.screen = options.screen;
  const condemo::ShowResult result = condemo::PlayShow(show);
  // Ended by a signal (Ctrl+C counts as SIGINT): after the clean shut-down,
  // end by it, so that a calling shell or script sees the interruption.
  if (result.endSignal != 0) term::DieOf(result.endSignal);
  return result.exitStatus;
}
