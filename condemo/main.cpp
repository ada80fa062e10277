// condemo: the console demo, played in the terminal it is started from, or
// in a window of its own. Escape ends it.
//
//   condemo                 in the terminal
//   condemo --window        in a 640 x 400 window that imitates the PC text screen
//   condemo --fit           in the terminal, on a grid of the terminal's size
//   condemo --from 95       from 95 s into the show (or --order 14: from order position 14)
//   condemo --loop --fps 60 again and again, at most 60 frames a second
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "condemo/show.h"
#include "kalt/options.h"
#include "music/song.h"
#include "terminal/terminal.h"

namespace {

constexpr const char* kUsage =
    "usage: condemo [--window | --fit] [--from SECONDS | --order N] [--loop] [--fps N]\n"
    "Plays the console demo in the terminal until the song ends or Escape. Run it\n"
    "from its folder (it reads DiRURODU.XM there).\n"
    "  --window       play in a 640 x 400 window that imitates the PC text screen\n"
    "                 (Alt, F10, F11 or Alt+Enter toggle full screen)\n"
    "  --fit          fill the terminal: draw the show on its grid of cells (20 x 10\n"
    "                 up to 1000 x 1000) and follow its resizes\n"
    "  --from S       start S seconds into the show (0 or more): the music, the\n"
    "                 scene, the flashes and the logos are as they would be then\n"
    "  --order N      start where the song first reaches order position N, 0 to 20\n"
    "  --loop         play again from the start after the end, until Escape\n"
    "  --fps N        at most N frames a second, 1 to 1000 (default: as many as\n"
    "                 the machine draws); --fps 60 saves bytes and power\n"
    "  --help         print this and exit\n"
    "  --version      print the version and exit\n";

}  // namespace

int main(int argc, char** argv) {
  // The options; anything else, or a value an option does not take, is an
  // error (exit status 2).
  bool window = false, fit = false, loop = false;
  std::optional<double> from;
  std::optional<long> order, fps;
  kalt::ParseOptions("condemo", kUsage, argc, argv, {{"--window", &window}, {"--fit", &fit}, {"--loop", &loop}},
                     {kalt::SecondsOption("--from", &from), kalt::WholeNumberOption("--order", &order, 0, condemo::kEndOrder - 1),
                      kalt::WholeNumberOption("--fps", &fps, 1, 1000)});
  if (window && fit) {
    std::fputs("condemo: --fit is for the terminal; the window shows 80 x 50 (try condemo --help)\n", stderr);
    return 2;
  }
  if (from && order) {
    std::fprintf(stderr, "condemo: --from and --order both name the start: give one of them (try condemo --help)\n");
    return 2;
  }

  condemo::ShowOptions show;
  show.workerCount = condemo::HardwareWorkerCount();
  show.encoding.trueColour = term::WantsTrueColour(std::getenv("COLORTERM"));
  show.encoding.repeat = term::Repeat::kAnyGlyph;  // as far as the terminal repeats
  show.screen = window ? condemo::ScreenKind::kWindow : condemo::ScreenKind::kTerminal;
  show.fit = fit;
  if (from) show.start = condemo::ShowStart{.seconds = *from, .order = std::nullopt};
  if (order) show.start = condemo::ShowStart{.seconds = 0.0, .order = static_cast<int>(*order)};
  show.loop = loop;
  show.fps = fps.value_or(0);
  const condemo::ShowResult result = condemo::PlayShow(show);
  // Ended by a signal (Ctrl+C counts as SIGINT): after the clean shut-down,
  // end by it, so that a calling shell or script sees the interruption.
  if (result.endSignal != 0) term::DieOf(result.endSignal);
  return result.exitStatus;
}
