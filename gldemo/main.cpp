// gldemo: the OpenGL text-mode demo. Run it from its folder of the run tree
// (it reads ../data/font.tga and ../Data20/); Escape ends it.
//
//   gldemo              full screen (or, without a desktop display, in the
//                       terminal on standard output; see cella.h)
//   gldemo --windowed   in a 640 x 400 window
//   gldemo --terminal   in the terminal on standard output
#include <unistd.h>

#include <cstdlib>

#include "gldemo/demo_main.h"
#include "kalt/options.h"

namespace {

constexpr const char* kUsage =
    "usage: gldemo [--windowed] [--terminal]\n"
    "Plays the OpenGL text-mode demo, full screen, until Escape; Alt, F10, F11 or\n"
    "Alt+Enter toggle between full screen and a 640 x 400 window. Run it from its\n"
    "folder (it reads ../data/font.tga and ../Data20/).\n"
    "  --windowed  start in the 640 x 400 window\n"
    "  --terminal  play in the terminal (also chosen by itself without a display)\n"
    "  --help      print this and exit\n"
    "  --version   print the version and exit\n";

}  // namespace

int main(int argc, char** argv) {
  // The options; anything else is an error (exit status 2). cella's console
  // shows the screen where CELLA_DISPLAY says, and starts its window full
  // screen unless CELLA_FULLSCREEN is 0.
  bool terminal = false, windowed = false;
  kalt::ParseFlags("gldemo", kUsage, argc, argv, {{"--terminal", &terminal}, {"--windowed", &windowed}});
  if (terminal) setenv("CELLA_DISPLAY", "terminal", 1);
  if (windowed) setenv("CELLA_FULLSCREEN", "0", 1);
  // The effects' worker threads wait for the next frame asleep rather than
  // spinning: between the parallel loops the main thread shows the frame
  // (and a software GL rasterises on threads of its own), and on a two-core
  // machine spinning workers cost a fifth to a third of the frame rate. The
  // OpenMP runtime reads its wait policy once, as the program is loaded, so
  // the program starts itself again with the policy set (a policy in the
  // environment is kept; if the new start fails, this one plays on). The
  // pool's workers (KALT_EFFECT_THREADS=pool) sleep by themselves.
  if (KALT_EFFECTS_OPENMP && !std::getenv("OMP_WAIT_POLICY") && setenv("OMP_WAIT_POLICY", "passive", 1) == 0)
    execv("/proc/self/exe", argv);
  return gldemo::DemoMain();
}
