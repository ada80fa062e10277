// The display in a real window: Xvfb with Mesa's software OpenGL. The
// window's pixels are read back from the X server and compared with the
// software rasteriser's picture.
#include <gtest/gtest.h>
// After GoogleTest, whose names Xlib's macros (None, Bool) would change.
#include <GL/gl.h>
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <vector>

#include "console_screen.h"
#include "gldisplay/window_display.h"
#include "test_card.h"
#include "x_requests.h"
#include "xvfb.h"

// Leaks of the window system's libraries that are not ours: see the file.
extern "C" const char* __lsan_default_options() { return "suppressions=" KALT_LSAN_SUPPRESSIONS; }

namespace {

using gldisplay::RarodIdazer;
using gldisplay::Surface;
using gldisplay_test::Mismatches;
using gldisplay_test::Xvfb;

// The test card as display cells, the way ConsoleBlit stores it.
std::vector<kalt::Cell> CardCells() {
  cella::Canvas card(80, 50);
  gldisplay_test::DrawTestCard(card);
  std::vector<kalt::Cell> cells(80 * 50);
  cella::CopyToFrame(card, 0, 0, 80, 50, cells, 80, 50);
  return cells;
}

// The card as the rasteriser draws it with the run tree's font.
Surface CardPixels() { return gldisplay_test::DrawnCells(CardCells()); }

// Types keys with xdotool (XTEST, to the focused window).
void Keys(const std::vector<std::string>& args) {
  std::vector<std::string> command = {"xdotool"};
  command.insert(command.end(), args.begin(), args.end());
  ASSERT_EQ(gldisplay_test::Finish(gldisplay_test::Spawn(command), 20), 0) << "xdotool failed";
}

// The X server of the tests in this process. SDL stays connected to it to
// the end (its video subsystem is never quit, which would unload the GL
// driver), and it ends with the process.
const Xvfb& SharedXvfb() {
  static const Xvfb* const server = new Xvfb(640, 400);
  return *server;
}

class WindowTest : public ::testing::Test {
 protected:
  // A window display showing the test card (full screen when asked), on a
  // 640 by 400 screen.
  void SetUp() override { ASSERT_FALSE(SharedXvfb().display().empty()); }
  void Make(bool fullScreen = false) {
    display_ = std::make_unique<RarodIdazer>(gldisplay::WindowOptions{.fullScreen = fullScreen});
    const std::vector<kalt::Cell> card = CardCells();
    std::copy(card.begin(), card.end(), display_->cells().begin());
  }

  // Presents frames until done() holds, for at most ten seconds.
  bool PresentUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
      display_->Present();
      if (done()) return true;
      SDL_Delay(5);
    } while (std::chrono::steady_clock::now() < end);
    return false;
  }

  SDL_SysWMinfo WindowInfo() const {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    EXPECT_TRUE(SDL_GetWindowWMInfo(display_->window(), &info));
    return info;
  }

  Surface GrabWindow() const {
    const SDL_SysWMinfo info = WindowInfo();
    int width = 0, height = 0;
    SDL_GetWindowSize(display_->window(), &width, &height);
    return gldisplay_test::GrabPixels(info.info.x11.display, info.info.x11.window, width, height);
  }

  bool IsFullScreen() const {
    return display_->window() && (SDL_GetWindowFlags(display_->window()) & SDL_WINDOW_FULLSCREEN_DESKTOP) ==
                                     SDL_WINDOW_FULLSCREEN_DESKTOP;
  }

  std::unique_ptr<RarodIdazer> display_;
};

TEST_F(WindowTest, FullScreenShowsTheCellsPixelExact) {
  Make(true);
  display_->Present();
  ASSERT_NE(display_->window(), nullptr);
  EXPECT_TRUE(IsFullScreen());
  EXPECT_STREQ(SDL_GetWindowTitle(display_->window()), "RarodIdazer");
  EXPECT_EQ(display_->width(), 640);
  EXPECT_EQ(display_->height(), 400);
  EXPECT_EQ(display_->Stats().frames, 1u);

  const Surface expected = CardPixels();
  EXPECT_TRUE(PresentUntil([&] { return Mismatches(GrabWindow(), expected) == 0; }))
      << Mismatches(GrabWindow(), expected) << " pixels differ";
}

TEST_F(WindowTest, CloseRequestAsksToEndQueuesEscapeAndTheWindowStays) {
  Make();
  ASSERT_TRUE(display_->Open());
  SDL_Window* window = display_->window();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(display_->Open()) << "open already";
  EXPECT_EQ(display_->window(), window);
  const SDL_SysWMinfo info = WindowInfo();
  gldisplay_test::RequestClose(info.info.x11.display, info.info.x11.window);
  int key = 0;
  EXPECT_TRUE(PresentUntil([&] { return (key = display_->TakeKey()) != 0; }));
  EXPECT_EQ(key, 27);
  EXPECT_TRUE(display_->EndRequested().end);
  EXPECT_EQ(display_->EndRequested().signal, 0);
  EXPECT_EQ(display_->window(), window);
  EXPECT_EQ(display_->TakeKey(), 0);
}

TEST_F(WindowTest, TypedKeysAreQueued) {
  Make();
  display_->Present();
  Keys({"type", "ab"});
  Keys({"key", "Escape"});
  std::vector<int> keys;
  EXPECT_TRUE(PresentUntil([&] {
    for (int key = display_->TakeKey(); key; key = display_->TakeKey()) keys.push_back(key);
    return keys.size() >= 3;
  }));
  EXPECT_EQ(keys, (std::vector<int>{97, 98, 27}));
}

TEST_F(WindowTest, KeyMenuTogglesAndTheNextFrameReopens) {
  const Surface expected = CardPixels();
  const auto showsCard = [&] { return Mismatches(GrabWindow(), expected) == 0; };
  Make(true);
  display_->Present();
  ASSERT_TRUE(IsFullScreen());
  const Uint32 first = SDL_GetWindowID(display_->window());

  // F10: the window closes; the next frame opens a 640 by 400 window that
  // shows the same picture, drawn with a texture of the new context.
  Keys({"key", "F10"});
  EXPECT_TRUE(PresentUntil([&] { return !display_->fullScreen(); }));
  display_->Present();
  ASSERT_NE(display_->window(), nullptr);
  EXPECT_NE(SDL_GetWindowID(display_->window()), first);
  EXPECT_FALSE(IsFullScreen());
  int width = 0, height = 0;
  SDL_GetWindowSize(display_->window(), &width, &height);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 400);
  EXPECT_TRUE(PresentUntil(showsCard)) << Mismatches(GrabWindow(), expected) << " pixels differ";

  // Alt pressed and released alone: back to full screen, same picture.
  Keys({"key", "alt"});
  EXPECT_TRUE(PresentUntil([&] { return IsFullScreen(); }));
  EXPECT_TRUE(PresentUntil(showsCard)) << Mismatches(GrabWindow(), expected) << " pixels differ";
}

TEST_F(WindowTest, ResizeToHeightZeroKeepsAOnePixelViewport) {
  Make();
  display_->Present();
  display_->Resize(300, 0);
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 300);
  EXPECT_EQ(viewport[3], 1);
  EXPECT_EQ(display_->height(), 1);
}

// The console program itself, from outside: its window shows the card.
TEST(ConsoleProgram, ShowsTheCanvasAndEndsOnClose) {
  Xvfb xvfb(640, 400);
  setenv("LSAN_OPTIONS", "suppressions=" KALT_LSAN_SUPPRESSIONS, 1);
  const pid_t program = gldisplay_test::Spawn({KALT_CONSOLE_CARD});
  Display* x = XOpenDisplay(xvfb.display().c_str());
  ASSERT_NE(x, nullptr);
  const Surface expected = CardPixels();
  bool shown = false;
  for (int tries = 0; tries < 200 && !shown; ++tries) {
    shown = Mismatches(gldisplay_test::GrabPixels(x, DefaultRootWindow(x), 640, 400), expected) == 0;
    if (!shown) usleep(50000);
  }
  EXPECT_TRUE(shown);

  // Closing its window (found by its title) ends it.
  gldisplay_test::RequestClose(x, gldisplay_test::FindWindow(x, "RarodIdazer"));
  XCloseDisplay(x);
  const int status = gldisplay_test::Finish(program, 20);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(ConsoleProgram, WithoutADisplayEndsWithOneMessage) {
  const std::string log = testing::TempDir() + "console_card_stderr.txt";
  const std::string display = getenv("DISPLAY") ? getenv("DISPLAY") : "";
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  unsetenv("SDL_VIDEODRIVER");
  setenv("XDG_RUNTIME_DIR", testing::TempDir().c_str(), 1);  // a session's, without a compositor
  const int status = gldisplay_test::Finish(gldisplay_test::Spawn({KALT_CONSOLE_CARD}, log), 20);
  if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  std::ifstream in(log);
  std::stringstream read;
  read << in.rdbuf();
  const std::string text = read.str();
  EXPECT_EQ(text.rfind("ERROR: Can't open a window: no display found.", 0), 0u) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
}

}  // namespace
