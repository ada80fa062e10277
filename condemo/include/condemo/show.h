// condemo/show.h - the show: start-up, the frame loop and shut-down, in the
// terminal on standard output or in a window.
#pragma once

#include <functional>
#include <optional>

#include "condemo/frame_state.h"
#include "condemo/steps.h"
#include "gldisplay/display.h"
#include "terminal/screen.h"

namespace condemo {

enum class ScreenKind {
  // The terminal on standard output (gldisplay::TerminalDisplay): ended by
  // Escape, Ctrl+C, SIGINT, SIGTERM and SIGHUP, restored on every way out.
  kTerminal,
  // A 640 x 400 window (gldisplay::RarodIdazer): every cell 8 x 8 pixels of
  // the font "../data/font.tga" in the PC palette, stretched to the window;
  // Alt (alone), F10, F11 and Alt+Enter toggle full screen; Escape or
  // closing the window ends.
  kWindow,
};

struct ShowOptions {
  // Render workers, the loop thread among them: a pool of workerCount - 1
  // threads is started with the show and kept to its end; below 2 the loop
  // thread renders every cell itself.
  int workerCount = 1;
  // How frames reach the terminal (true colour, change tracking, REP).
  term::EncodeOptions encoding;
  // Where the frames are shown.
  ScreenKind screen = ScreenKind::kTerminal;
  // In the terminal: render on the terminal's own grid and follow its
  // resizes (gldisplay::TerminalOptions::fit), from 20 x 10 up to 1000 x
  // 1000 cells, the view keeping its proportions (condemo/render.h).
  // Without it, and in a window, the grid is 80 x 50.
  bool fit = false;
  // A later moment to start at (none: the start). The music, the order
  // position, the director, the logos and the flashes are then as a run
  // from the start leaves them: the song is rendered and heard offline up
  // to there, and the frames before it stepped through undrawn (StepThrough)
  // at the frame cap's rate, or 60 a second without one.
  std::optional<ShowStart> start;
  // After the end of the song, play again from the start instead of ending.
  bool loop = false;
  // At most this many frames a second (kalt::FrameCap); 0: as fast as the
  // frames are drawn.
  long fps = 0;
  // Called on the loop thread with each grid once it has been shown, and
  // the order position it showed (for tests and measurements; may be
  // empty).
  std::function<void(const CellGrid& grid, int order)> frameShown;
};

struct ShowResult {
  // The program's exit status: 0 when the show ran to its end or was ended
  // by a key or signal; 1 when it could not start (no terminal, no song),
  // after a message on standard error (for the window, also in a message
  // box where a display exists).
  int exitStatus = 0;
  // The signal to die of once the program has shut down (see
  // gldisplay::EndRequest), 0 for none.
  int endSignal = 0;
  gldisplay::DisplayStats stats;  // frames shown, bytes written, frames dropped
  double seconds = 0.0;       // the show's time at its last frame
};

// The frame rate of the frames stepped through before a later start.
inline constexpr int kStepFps = 60;

// The number of hardware threads, 1 where the platform does not tell.
int HardwareWorkerCount();

// Plays the show: opens the screen (the terminal, or a window, each titled
// "Vorl+Zeb - Kalt #20"), starts the song ("DiRURODU.XM" in the
// working directory), and shows a frame at a time until the song reaches
// order position 21 (with options.loop, the song and the show then start
// again from the beginning) or the screen asks to end (Escape; in the
// terminal also Ctrl+C, SIGINT, SIGTERM or SIGHUP; closing the window);
// then frees the song and closes the screen. In the terminal, messages are
// written to standard error after it is restored. A start beyond the show's
// end is reported in one line, with exit status 2.
ShowResult PlayShow(const ShowOptions& options);

}  // namespace condemo
