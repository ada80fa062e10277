// The show's two screens: the terminal layer, and the OpenGL text screen.
#include <algorithm>
#include <cstdio>

#include "condemo/screen.h"
#include "gldisplay/display.h"

namespace condemo {

namespace {

class TerminalScreen final : public Screen {
 public:
  TerminalScreen(const char* title, const term::EncodeOptions& encoding) : terminal_(title, encoding) {}

  void Present(term::GridView grid) override { terminal_.Present(grid); }
  term::EndRequest PollEnd() override { return terminal_.PollEnd(); }
  term::TerminalStats Stats() const override { return terminal_.stats(); }

 private:
  term::Terminal terminal_;
};

class WindowScreen final : public Screen {
 public:
  explicit WindowScreen(const char* title) {
    display_.SetTitle(title);
    display_.screen = std::make_unique<gldisplay::Surface>(640, 400);  // the pixels
    display_.cells = std::make_unique<gldisplay::Surface>(kalt::kConsoleColumns, kalt::kConsoleRows);
  }

  // Opens the window, not full screen since the show was asked for one.
  bool Open() { return display_.Open(display_.title, display_.currentWidth, display_.currentHeight, false); }

  void Present(term::GridView grid) override {
    std::transform(grid.begin(), grid.end(), display_.cells->words.begin(),
                   [](kalt::Cell cell) { return gldisplay::ScreenWord(cell); });
    display_.Present();
    ++stats_.frames;
  }

  term::EndRequest PollEnd() override {
    for (int key = display_.TakeKey(); key != 0; key = display_.TakeKey()) ending_ |= key == kEscape;
    return {ending_, 0};
  }

  term::TerminalStats Stats() const override { return stats_; }

 private:
  static constexpr int kEscape = 27;  // also a request to close the window

  gldisplay::RarodIdazer display_;
  bool ending_ = false;
  term::TerminalStats stats_;
};

}  // namespace

std::unique_ptr<Screen> OpenScreen(ScreenKind kind, const char* title, const term::EncodeOptions& encoding) {
  if (kind == ScreenKind::kWindow) {
    auto window = std::make_unique<WindowScreen>(title);
    if (!window->Open()) return nullptr;  // after its message
    return window;
  }
  try {
    return std::make_unique<TerminalScreen>(title, encoding);
  } catch (const term::TerminalError& e) {
    std::fprintf(stderr, "condemo: %s\n", e.what());
    return nullptr;
  }
}

}  // namespace condemo
