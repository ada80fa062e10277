// gldisplay/terminal_display.h - the text-mode display in the terminal on
// standard output: the 80 by 50 cells, or a frame of the terminal's own
// size, shown with the terminal layer (terminal/), the keys typed on
// standard input read into the key queue.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gldisplay/display.h"
#include "terminal/screen.h"

namespace term {
class Terminal;
}

namespace gldisplay {

struct TerminalOptions {
  std::string title = "RarodIdazer";
  // How frames reach the terminal. REP is used at most as far as this
  // allows and the terminal says it repeats (see term::Terminal).
  term::EncodeOptions encoding{.repeat = term::Repeat::kAnyGlyph};
  // The frame follows the terminal's size: from Open on, and after each
  // Present, it is as many cells as the terminal has, at least
  // kalt::kSmallestGrid and at most kalt::kLargestGrid (a smaller
  // terminal shows the frame's centre part, a larger one the frame centred),
  // and the terminal is not asked to resize. Otherwise the frame is 80 x 50
  // and the terminal is asked for a window of that size.
  bool fit = false;
};

class TerminalDisplay final : public KaltWindow {
 public:
  // The terminal is not touched yet: Open or the first Present takes it.
  explicit TerminalDisplay(TerminalOptions options = {});
  // Gives the terminal back (so does the end of the process, however it
  // ends, while the display exists).
  ~TerminalDisplay() override;

  // Takes the terminal over now, unless it is taken: alternate screen, raw
  // mode, the title (see term::Terminal); with fit, the frame takes the
  // terminal's size. Throws term::TerminalError when standard output is not
  // a terminal or another term::Terminal exists.
  void Open();

  // One frame. The first takes the terminal over as Open does; when that
  // fails the reason goes to stderr and the process ends with status 1.
  // Then the cells are shown (only what changed, centred in a larger
  // terminal and cropped in a smaller one, following resizes) and the keys
  // typed since the last frame are queued (see term::ScanKey: code page
  // 437 codes, Escape 27, Enter 13, Backspace 8, Tab 9; Ctrl+Z suspends).
  // Ctrl+C asks to end by SIGINT; SIGINT, SIGTERM and SIGHUP ask to end by
  // that signal, and a terminal that went away by SIGHUP; each queues 27,
  // as a close request does. A second Ctrl+C after any of these gives the
  // terminal back and ends the process by SIGINT (a second signal does the
  // same by itself, see term::Terminal). With fit, the frame then takes
  // the terminal's present size (its cells all {0, 0} when that changed).
  void Present() override;

  // Present calls, bytes written and frames dropped, as the terminal
  // counts them (none before it is taken).
  DisplayStats Stats() const override;

 private:
  void FitFrame();

  TerminalOptions options_;
  std::unique_ptr<term::Terminal> terminal_;
  std::vector<int> typed_;
  bool signalSeen_ = false;  // the terminal's end signal has asked to end
};

}  // namespace gldisplay
