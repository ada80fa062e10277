// terminal/terminal.h - a terminal as a full-screen text console: a text
// area that shows one whole cell grid per frame (the console's 80 x 50, or
// any size), the keys and signals that end the show, and a millisecond
// clock.
//
// While a Terminal holds the terminal it is in raw mode without echo, on
// its alternate screen, with the cursor hidden and auto-wrap off, and
// messages to standard error (when that is a terminal too) are held back
// and shown once the terminal is restored, so they neither spoil the
// picture nor vanish with the alternate screen. Every way out puts it back
// as it was: the destructor, exit(), and any fatal signal (the terminal is
// restored from the signal handler, then the signal takes its previous
// course, so a crash still dies of its signal and dumps core).
//
// Job control: a stop (SIGTSTP, Ctrl+Z, or SIGTTIN/SIGTTOU) first gives
// the terminal back as on exit, then stops the process; once the process
// group is in the foreground again (after fg, or SIGCONT), the next
// Present takes the terminal again and redraws the whole picture. While the
// show runs in the background it goes on in time but draws nothing and
// reads no keys.
//
// Frames are written without blocking: a terminal that cannot take a frame
// at once (a slow link, a paused terminal) gets the rest of it later, and
// frames that come meanwhile are dropped, so the show stays in time and the
// next frame shown redraws what changed. A stop, an end signal or a crash
// while a frame is half written still restores the terminal: the unsent
// output is discarded and the restore cancels any sequence left unfinished.
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

struct TerminalStats {
  std::uint64_t frames = 0;   // Present calls
  std::uint64_t bytes = 0;    // bytes written by them
  std::uint64_t dropped = 0;  // frames not shown: the terminal was busy or not ours
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
  // terminal and dies at once), SIGWINCH, SIGTSTP, SIGTTIN, SIGTTOU,
  // SIGCONT and the fatal signals. Started in the background, it takes the
  // terminal once it is in the foreground.
  // encoding.repeat is the most that REP is used for: the terminal is
  // asked (a cursor position query after a repeated character) what it
  // repeats, and until it answers no REP is sent.
  // With askSize false the window is left at the size it has (for a
  // program that follows the terminal's size).
  // Throws TerminalError when standard output is not a terminal or another
  // Terminal exists.
  Terminal(std::string_view title, EncodeOptions encoding, bool askSize = true);
  // Restores the terminal and the previous signal handlers.
  ~Terminal();
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  // Shows the grid: encodes what changed (everything after a resize, which
  // is noticed here, or after the terminal was taken again) into one buffer
  // and writes it. Waits up to kOutputWaitMillis for a terminal that does
  // not take the bytes at once; the rest is written by the next calls,
  // which drop their grids until it is out. Draws nothing while the
  // terminal is not the show's (stopped, in the background). Returns false
  // when the terminal cannot be written any more; EndSignal then asks to
  // end.
  bool Present(FrameView frame);
  bool Present(GridView grid) { return Present(FrameView{grid, kGridColumns, kGridRows}); }

  // The terminal's size in cells as it is now (a resize is noticed here as
  // in Present); 80 x 50 where the terminal does not tell.
  ScreenSize Size();

  // Reads the input that arrived on standard input (without blocking,
  // except for a short wait after an ESC, see terminal/keys.h) and appends
  // every typed key to `typed`, oldest first (see ScanKey: code page 437
  // codes, Escape 27, Ctrl+C 3, Enter 13, Backspace 8, Tab 9). The
  // terminal's answers to the REP question are taken here and type nothing.
  // Ctrl+Z (or Alt+Ctrl+Z) stops the process group, as the terminal's
  // suspend key does outside raw mode (see job control above); the rest of
  // its burst of input is dropped. Reads nothing while the terminal is not
  // the show's, nor after standard input ended.
  void ReadKeys(std::vector<int>& typed);

  // The signal that asks the show to end, to die of once everything is
  // shut down (so the caller's shell sees how the program ended): SIGINT,
  // SIGTERM or SIGHUP received (the first of them), SIGHUP also when the
  // terminal cannot be written any more; 0 while nothing asks. Keys end
  // nothing by themselves: Escape and Ctrl+C are the caller's to judge.
  int EndSignal() const;

  const TerminalStats& stats() const { return stats_; }

  // The longest Present waits for a terminal that does not take a frame.
  static constexpr int kOutputWaitMillis = 100;

 private:
  bool HoldTerminal();
  void NoticeResize();
  void Take();
  void Flush(int waitMillis);
  void OnCursorReport(int row, int column);
  void Suspend();

  std::string title_;
  Repeat repeatAllowed_;
  bool askSize_;
  int probeReplies_ = 0;  // cursor reports still expected for the REP question
  bool takenBefore_ = false;
  EncodeOptions encoding_;
  ScreenState screen_;
  std::string start_;   // the modes and title to send before the next frame
  std::string output_;  // bytes not yet written, from sent_ on
  std::size_t sent_ = 0;
  unsigned givenBackSeen_ = 0;  // the give-backs so far: another one drops the output
  KeyScan keyScan_;
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
