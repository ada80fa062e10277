// gldemo_probe: gldemo for the window tests. After every frame it writes the
// beat the frame was drawn for to stdout (exactly, as %a) and stops itself
// with SIGSTOP, so a test can read the window while that frame is shown and
// let it go on with SIGCONT.
#include <signal.h>

#include <cstdio>

#include "gldemo/demo_main.h"

int main() {
  return gldemo::DemoMain({.from = 0.0, .fps = 0, .frameShown = [](float beat) {
    std::printf("%a\n", static_cast<double>(beat));
    std::fflush(stdout);
    raise(SIGSTOP);
  }});
}
