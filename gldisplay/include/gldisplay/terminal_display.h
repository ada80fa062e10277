// The text-mode display in a terminal: the 80 by 50 cells shown with the
// terminal layer (terminal/) on standard output, typed keys read from
// standard input into the display's key queue.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "gldisplay/display.h"
#include "kalt/cell.h"

namespace term {
class Terminal;
}

namespace gldisplay {

class TerminalDisplay : public KaltWindow {
 public:
  TerminalDisplay();
  // Gives the terminal back (so does the end of the process, however it
  // ends, while the display exists).
  ~TerminalDisplay() override;

  // One frame. The first takes the terminal over (alternate screen, raw
  // mode, the title, colours in 24 bits when COLORTERM asks for them; see
  // term::Terminal); when standard output is not a terminal the reason goes
  // to stderr and the process ends with status 1. Then the cells are shown
  // (only what changed, centred in a larger terminal and cropped in a
  // smaller one, following resizes) and the keys typed since the last
  // frame are queued (see term::ScanTyped: code page 437 codes, Escape 27,
  // Enter 13, Backspace 8, Tab 9). Ctrl+C, SIGINT, SIGTERM, SIGHUP and a
  // terminal that went away each queue 27 once, as a close request does;
  // a second Ctrl+C after that gives the terminal back and ends the
  // process by SIGINT (a second signal does the same by itself).
  void Present() override;
  // Stores the pointer; the text is the terminal's title once it is taken
  // over and must live until then.
  void SetTitle(const char* title) override;

  const char* title = "RarodIdazer";
  std::array<kalt::Cell, kalt::kConsoleCells> cells{};  // the cell screen that Present shows

 private:
  // An end request (or an interrupt) arrived: queues 27 the first time.
  // Whether it had been queued before.
  bool RequestEnd();

  std::unique_ptr<term::Terminal> terminal_;
  std::vector<int> typed_;
  bool endQueued_ = false;
};

}  // namespace gldisplay
