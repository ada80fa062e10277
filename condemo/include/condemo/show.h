// condemo/show.h - the show: start-up, the frame loop and shut-down, in the
// terminal on standard output.
#pragma once

#include <functional>

#include "terminal/terminal.h"

namespace condemo {

struct ShowOptions {
  // Render workers, the loop thread among them: a pool of workerCount - 1
  // threads is started with the show and kept to its end; below 2 the loop
  // thread renders every cell itself.
  int workerCount = 1;
  // How frames reach the terminal (true colour, change tracking).
  term::EncodeOptions encoding;
};

struct ShowResult {
  // The program's exit status: 0 when the show ran to its end or was ended
  // by a key or signal; 1 when it could not start (no terminal, no song),
  // after a message on standard error.
  int exitStatus = 0;
  // The signal to die of once the program has shut down (see
  // term::EndRequest), 0 for none.
  int endSignal = 0;
  term::TerminalStats stats;  // frames shown and bytes written
  double seconds = 0.0;       // the show's time at its last frame
};

// The number of hardware threads, 1 where the platform does not tell.
int HardwareWorkerCount();

// Plays the show: takes over the terminal (title "Vorl+Zeb - Kalt #20",
// 80 x 50), starts the song ("DiRURODU.XM" in the working directory), and
// shows a frame at a time until the song reaches order position 21 or
// Escape, Ctrl+C, SIGINT, SIGTERM or SIGHUP ends it; then frees the song
// and restores the terminal. Messages are written to standard error after
// the terminal is restored. frameShown, where given, is called on the loop
// thread after every frame has been written, with the order position the
// frame showed (for measurements).
ShowResult PlayShow(const ShowOptions& options, const std::function<void(int order)>& frameShown = {});

}  // namespace condemo
