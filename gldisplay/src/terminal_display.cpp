// The text-mode display in a terminal.
#include "gldisplay/terminal_display.h"

#include <signal.h>

#include <cstdlib>

#include "kalt/alert.h"
#include "terminal/terminal.h"

namespace gldisplay {

namespace {

constexpr int kInterrupt = 3;  // Ctrl+C
constexpr int kCloseRequest = 27;

}  // namespace

TerminalDisplay::TerminalDisplay() = default;
TerminalDisplay::~TerminalDisplay() = default;

void TerminalDisplay::SetTitle(const char* text) { title = text; }

bool TerminalDisplay::RequestEnd() {
  if (endQueued_) return true;
  endQueued_ = QueueKey(kCloseRequest);  // a full queue takes it at a later request
  return false;
}

void TerminalDisplay::Present() {
  // 1. The terminal, taken over at the first frame. Without one nothing
  //    can be shown and no key can reach the program.
  if (!terminal_) {
    try {
      // REP as far as the terminal says it repeats (see term::Terminal).
      const term::EncodeOptions encoding{.trueColour = term::WantsTrueColour(std::getenv("COLORTERM")),
                                         .repeat = term::Repeat::kAnyGlyph};
      terminal_ = std::make_unique<term::Terminal>(title ? title : "", encoding);
    } catch (const term::TerminalError& e) {
      kalt::ShowAlert("ERROR", "Can't show the screen in the terminal.", e.what());
      std::exit(EXIT_FAILURE);
    }
  }

  // 2. The cells.
  terminal_->Present(cells);

  // 3. The keys, and the requests to end.
  typed_.clear();
  const term::EndRequest end = terminal_->PollKeys(typed_);
  for (const int code : typed_) {
    if (code != kInterrupt) {
      QueueKey(code);
    } else if (RequestEnd()) {
      terminal_.reset();
      term::DieOf(SIGINT);
    }
  }
  if (end.end) RequestEnd();
}

}  // namespace gldisplay
