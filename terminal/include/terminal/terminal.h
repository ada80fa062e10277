// terminal/terminal.h - a terminal as a full-screen text console: an
// 80 x 50 text area that shows one whole cell grid per frame, the keys and
// signals that end the show, and a millisecond clock.
//
// While a Terminal exists the terminal is in raw mode without echo, on its
// alternate screen, with the cursor hidden and auto-wrap off, and messages
// to standard error (when that is a terminal too) are held back and shown
// once the terminal is restored, so they neither spoil the picture nor
// vanish with the alternate screen. Every way out
// puts it back as it was: the destructor, exit(), and any fatal signal
// (the terminal is restored from the signal handler, then the signal takes
// its previous course, so a crash still dies of its signal and dumps core).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "terminal/keys.h"
#include "terminal/screen.h"

namespace term {

// Standard output is not a terminal, or a Terminal exists already.
class TerminalError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// True when the value of COLORTERM (null when unset) asks for 24-bit
// colour: exactly "truecolor" or "24bit".
bool WantsTrueColour(const char* colorterm);

// Why the show should end.
struct EndRequest {
  bool end = false;
  // The signal to die of once everything is shut down, so the caller's
  // shell sees how the program ended: SIGINT for Ctrl+C or SIGINT, SIGTERM,
  // SIGHUP (also when the terminal went away); 0 for the Escape key.
  int signal = 0;
};

struct TerminalStats {
  std::uint64_t frames = 0;  // Present calls
  std::uint64_t bytes = 0;   // bytes written by them
};

class Terminal {
 public:
  // Takes over the terminal on standard output: raw mode without echo
  // (on standard input's terminal, else on standard output's), alternate
  // screen, hidden cursor, auto-wrap off, the window title `title` (the
  // previous title saved where the terminal can; control characters in
  // `title` are dropped) and a request to resize the window to 80 x 50
  // (which many terminals ignore). Installs the handlers for SIGINT,
  // SIGTERM, SIGHUP (end requests; a second one of them restores the
  // terminal and dies at once), SIGWINCH and the fatal signals.
  // Throws TerminalError when standard output is not a terminal or another
  // Terminal exists.
  Terminal(std::string_view title, EncodeOptions encoding);
  // Restores the terminal and the previous signal handlers.
  ~Terminal();
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  // Shows the grid: encodes what changed (everything after a resize, which
  // is noticed here) into one buffer and writes it with one write call,
  // finishing partial writes. Returns false when the terminal cannot be
  // written any more; PollEnd then asks to end.
  bool Present(GridView grid);

  // Reads the keys that arrived on standard input (without blocking,
  // except for a short wait after an ESC, see terminal/keys.h) and the end
  // signals received.
  EndRequest PollEnd();

  // Reads the keys that arrived on standard input, waiting as PollEnd does,
  // and appends every typed key to `typed` (see ScanTyped; Escape is 27,
  // Ctrl+C 3). Keys end nothing here: the result asks to end only for an
  // end signal received (SIGINT, SIGTERM, SIGHUP) or a terminal that
  // cannot be written any more, and keeps asking. Call either this or
  // PollEnd on a Terminal, not both.
  EndRequest PollKeys(std::vector<int>& typed);

  const TerminalStats& stats() const { return stats_; }

 private:
  EncodeOptions encoding_;
  ScreenState screen_;
  std::string buffer_;
  KeyScan keyScan_;
  Key endKey_ = Key::kNone;
  bool inputOpen_ = true;
  bool lost_ = false;
  TerminalStats stats_;
};

// Ends the process by signal `sig` with the signal's default action, so
// that the parent sees the signal (for a clean shutdown that a signal asked
// for). Exits with status 128 + sig if the process survives that.
[[noreturn]] void DieOf(int sig);

// Milliseconds of a steady clock (never goes back, unaffected by changes
// of the wall-clock time); only differences are meaningful.
std::uint64_t Milliseconds();

}  // namespace term
