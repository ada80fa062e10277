// condemo_probe: condemo in its window for the window tests. After every
// frame it writes the grid it showed to stdout, as one line of 4000 tokens
// of four hex digits (character byte, then attribute byte) without spaces,
// and stops itself with SIGSTOP, so a test can read the window while that
// frame is shown and let it go on with SIGCONT.
#include <signal.h>

#include <cstdio>

#include "condemo/show.h"

int main() {
  condemo::ShowOptions options;
  options.workerCount = condemo::HardwareWorkerCount();
  options.screen = condemo::ScreenKind::kWindow;
  options.frameShown = [](const condemo::CellGrid& grid) {
    for (const condemo::Cell& cell : grid.cells) std::printf("%02X%02X", cell.ch & 0xFF, cell.attr & 0xFF);
    std::printf("\n");
    std::fflush(stdout);
    raise(SIGSTOP);
  };
  return condemo::PlayShow(options).exitStatus;
}
