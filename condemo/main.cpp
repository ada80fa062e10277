// condemo: the console demo, played in the terminal it is started from, or
// in a window of its own. Escape ends it.
//
//   condemo            in the terminal
//   condemo --window   in a 640 x 400 window that imitates the PC text screen
//   condemo --fit      in the terminal, on a grid of the terminal's size
#include <cstdio>
#include <cstdlib>

#include "condemo/show.h"
#include "kalt/options.h"
#include "terminal/terminal.h"

namespace {

constexpr const char* kUsage =
    "usage: condemo [--window | --fit]\n"
    "Plays the console demo in the terminal until the song ends or Escape. Run it\n"
    "from its folder (it reads DiRURODU.XM there).\n"
    "  --window   play in a 640 x 400 window that imitates the PC text screen\n"
    "             (Alt, F10, F11 or Alt+Enter toggle full screen)\n"
    "  --fit      fill the terminal: draw the show on its grid of cells (20 x 10\n"
    "             up to 1000 x 1000) and follow its resizes\n"
    "  --help     print this and exit\n"
    "  --version  print the version and exit\n";

}  // namespace

int main(int argc, char** argv) {
  // The options; anything else is an error (exit status 2).
  bool window = false, fit = false;
  kalt::ParseFlags("condemo", kUsage, argc, argv, {{"--window", &window}, {"--fit", &fit}});
  if (window && fit) {
    std::fputs("condemo: --fit is for the terminal; the window shows 80 x 50 (try condemo --help)\n", stderr);
    return 2;
  }

  condemo::ShowOptions show;
  show.workerCount = condemo::HardwareWorkerCount();
  show.encoding.trueColour = term::WantsTrueColour(std::getenv("COLORTERM"));
  show.encoding.repeat = term::Repeat::kAnyGlyph;  // as far as the terminal repeats
  show.screen = window ? condemo::ScreenKind::kWindow : condemo::ScreenKind::kTerminal;
  show.fit = fit;
  const condemo::ShowResult result = condemo::PlayShow(show);
  // Ended by a signal (Ctrl+C counts as SIGINT): after the clean shut-down,
  // end by it, so that a calling shell or script sees the interruption.
  if (result.endSignal != 0) term::DieOf(result.endSignal);
  return result.exitStatus;
}
