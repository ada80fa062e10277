// gldemo: the OpenGL text-mode demo. Run it from its folder of the run tree
// (it reads ../data/font.tga and ../Data20/); Escape ends it.
//
//   gldemo              in a window (or, without a desktop display, in the
//                       terminal on standard output; see cella.h)
//   gldemo --terminal   in the terminal on standard output
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gldemo/demo_main.h"

namespace {

struct Options {
  bool terminal = false;
};

// Reads the command line into `options`; false after a message on stderr
// when it holds anything else.
bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--terminal") == 0) {
      options.terminal = true;
    } else {
      std::fprintf(stderr, "gldemo: unknown option '%s'\n", argv[i]);
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) return 2;
  // cella's console shows the screen where CELLA_DISPLAY says.
  if (options.terminal) setenv("CELLA_DISPLAY", "terminal", 1);
  // The effects' worker threads wait for the next frame asleep rather than
  // spinning: between the parallel loops the main thread shows the frame
  // (and a software GL rasterises on threads of its own), and on a two-core
  // machine spinning workers cost a fifth to a third of the frame rate. The
  // OpenMP runtime reads its wait policy once, as the program is loaded, so
  // the program starts itself again with the policy set (a policy in the
  // environment is kept; if the new start fails, this one plays on).
  if (!std::getenv("OMP_WAIT_POLICY") && setenv("OMP_WAIT_POLICY", "passive", 1) == 0) execv("/proc/self/exe", argv);
  return gldemo::DemoMain();
}
