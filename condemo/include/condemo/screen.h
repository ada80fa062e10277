// condemo/screen.h - where the show's frames go: the terminal, or a window
// that imitates the PC text screen. The frame loop sees only this.
#pragma once

#include <memory>

#include "terminal/terminal.h"

namespace condemo {

class Screen {
 public:
  virtual ~Screen() = default;
  // Shows a whole 80 x 50 grid.
  virtual void Present(term::GridView grid) = 0;
  // Whether the show should end, and by which signal (see term::EndRequest).
  virtual term::EndRequest PollEnd() = 0;
  // Frames shown, and bytes written for them (0 in the window).
  virtual term::TerminalStats Stats() const = 0;
};

enum class ScreenKind {
  // The terminal on standard output (see term::Terminal): ended by Escape,
  // Ctrl+C, SIGINT, SIGTERM and SIGHUP, restored on every way out.
  kTerminal,
  // A 640 x 400 window (gldisplay::RarodIdazer): every cell 8 x 8 pixels of
  // the font "../data/font.tga" in the PC palette, stretched to the window;
  // Alt (alone), F10, F11 and Alt+Enter toggle full screen; Escape or
  // closing the window ends.
  kWindow,
};

// Opens the screen at once, with the title `title` (which must live as
// long as the screen). Null after a message on stderr (and, for the window,
// in a message box where a display exists) when standard output is not a
// terminal, or no window can be opened.
std::unique_ptr<Screen> OpenScreen(ScreenKind kind, const char* title, const term::EncodeOptions& encoding);

}  // namespace condemo
