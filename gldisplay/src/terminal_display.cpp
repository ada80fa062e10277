// The text-mode display in a terminal.
#include "gldisplay/terminal_display.h"

#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "kalt/alert.h"
#include "kalt/grid_size.h"
#include "terminal/terminal.h"

namespace gldisplay {

namespace {

constexpr int kInterrupt = 3;  // Ctrl+C

}  // namespace

TerminalDisplay::TerminalDisplay(TerminalOptions options)
    : KaltWindow(kalt::kConsoleColumns, kalt::kConsoleRows), options_(std::move(options)) {}

TerminalDisplay::~TerminalDisplay() = default;

void TerminalDisplay::Open() {
  if (terminal_) return;
  terminal_ = std::make_unique<term::Terminal>(options_.title, options_.encoding, !options_.fit);
  FitFrame();
}

void TerminalDisplay::FitFrame() {
  if (!options_.fit) return;
  const term::ScreenSize size = terminal_->Size();
  Resize(std::clamp(size.columns, kalt::kSmallestGrid.columns, kalt::kLargestGrid.columns),
         std::clamp(size.rows, kalt::kSmallestGrid.rows, kalt::kLargestGrid.rows));
}

DisplayStats TerminalDisplay::Stats() const {
  if (!terminal_) return {};
  const term::TerminalStats& stats = terminal_->stats();
  return {stats.frames, stats.bytes, stats.dropped};
}

void TerminalDisplay::Present() {
  // 1. The terminal, taken over at the first frame. Without one nothing
  //    can be shown and no key can reach the program.
  try {
    Open();
  } catch (const term::TerminalError& e) {
    kalt::ShowAlert("ERROR", "Can't show the screen in the terminal.", e.what());
    std::exit(EXIT_FAILURE);
  }

  // 2. The cells.
  terminal_->Present(term::FrameView{cells(), columns(), rows()});

  // 3. The keys, and the requests to end.
  typed_.clear();
  terminal_->ReadKeys(typed_);
  for (const int code : typed_) {
    if (code != kInterrupt) {
      QueueKey(code);
    } else if (RequestEnd(SIGINT)) {
      terminal_.reset();
      term::DieOf(SIGINT);
    }
  }
  if (const int sig = terminal_->EndSignal(); sig != 0 && !signalSeen_) {
    signalSeen_ = true;
    RequestEnd(sig);
  }

  // 4. The next frame's size.
  FitFrame();
}

}  // namespace gldisplay
