// condemo --window from outside: under Xvfb with Mesa's software OpenGL and
// SDL's dummy audio driver (the music plays silently in real time). The
// window shows the grids the show drew, as the rasteriser draws them with
// the run tree's font; Escape and closing the window end the show.
#include <gtest/gtest.h>
// After GoogleTest, whose names Xlib's macros (None, Bool) would change.
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "x_requests.h"
#include "xvfb.h"

// Leaks of the window system's libraries that are not ours: see the file.
extern "C" const char* __lsan_default_options() { return "suppressions=" KALT_LSAN_SUPPRESSIONS; }

namespace {

using gldisplay::Surface;
using gldisplay_test::Xvfb;

const std::string kTitle = "Vorl+Zeb - Kalt #20";

bool SongBuilt() { return access(KALT_RUN_BIN "/DiRURODU.XM", R_OK) == 0; }

class CondemoWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!SongBuilt()) GTEST_SKIP() << "DiRURODU.XM is not in the run tree";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("LSAN_OPTIONS", "suppressions=" KALT_LSAN_SUPPRESSIONS, 1);
  }
  void TearDown() override {
    if (x_) XCloseDisplay(x_);
  }

  // The show's window, once it is shown (0 after 30 s without).
  Window WaitForWindow() const { return gldisplay_test::WaitForWindow(x_, kTitle); }

  // A screen larger than the window, so that full screen would show.
  Xvfb xvfb_{800, 600};
  Display* x_ = XOpenDisplay(xvfb_.display().c_str());
  const std::string errors_ = ::testing::TempDir() + "condemo-window-" + std::to_string(getpid()) + ".txt";
};

// The picture of a probe's grid line: cells from the tokens, drawn with the
// run tree's font.
Surface GridPixels(const std::string& line) {
  std::vector<kalt::Cell> cells(80 * 50);
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const unsigned long word = std::stoul(line.substr(i * 4, 4), nullptr, 16);
    cells[i] = {static_cast<std::uint16_t>(word >> 8), static_cast<std::uint16_t>(word & 0xFF)};
  }
  return gldisplay_test::DrawnCells(cells);
}

TEST_F(CondemoWindow, ShowsTheGridsItDrewInA640By400Window) {
  ASSERT_NE(x_, nullptr);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t probe = gldisplay_test::Spawn({KALT_CONDEMO_PROBE}, errors_, fds[1]);
  close(fds[1]);
  std::FILE* grids = fdopen(fds[0], "r");

  // The probe stops after each frame it has shown, having written its grid:
  // every tenth frame the window is read while it stands still, until three
  // frames were compared and they show a picture (the show opens in the dark,
  // and a fast machine gets through many frames of it).
  char* line = nullptr;
  std::size_t capacity = 0;
  int compared = 0;
  std::set<std::uint32_t> colours;
  for (int frame = 1; (compared < 3 || colours.size() < 3) && frame <= 3000 &&
                      getline(&line, &capacity, grids) > 4 * 4000;
       ++frame) {
    int status = 0;
    ASSERT_EQ(waitpid(probe, &status, WUNTRACED), probe);
    ASSERT_TRUE(WIFSTOPPED(status)) << status;
    if (frame % 10 == 0) {
      const Window window = gldisplay_test::FindWindow(x_, kTitle);
      ASSERT_NE(window, 0u);
      XWindowAttributes attributes;
      ASSERT_TRUE(XGetWindowAttributes(x_, window, &attributes));
      EXPECT_EQ(attributes.width, 640);
      EXPECT_EQ(attributes.height, 400);
      const Surface expected = GridPixels(line);
      int differ = 0;
      for (int tries = 0; tries < 40; ++tries, usleep(50000))
        if ((differ = gldisplay_test::Mismatches(gldisplay_test::GrabPixels(x_, window, 640, 400), expected)) == 0) break;
      EXPECT_EQ(differ, 0) << "frame " << frame;
      colours.insert(expected.words.begin(), expected.words.end());
      ++compared;
    }
    kill(probe, SIGCONT);
  }
  EXPECT_GE(compared, 3);
  EXPECT_GE(colours.size(), 3u) << "the frames compared show a picture";
  std::free(line);
  kill(probe, SIGKILL);
  waitpid(probe, nullptr, 0);
  std::fclose(grids);
}

TEST_F(CondemoWindow, EscapeEndsTheShowWithStatusZero) {
  ASSERT_NE(x_, nullptr);
  const pid_t show = gldisplay_test::Spawn({KALT_RUN_BIN "/condemo", "--window"}, errors_);
  ASSERT_NE(WaitForWindow(), 0u);
  int status = -1;
  for (int tries = 0; tries < 20 && status == -1; ++tries) {
    gldisplay_test::Finish(gldisplay_test::Spawn({"xdotool", "key", "Escape"}), 20);
    status = gldisplay_test::WaitFor(show, 1);
  }
  if (status == -1) gldisplay_test::Finish(show, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(CondemoWindow, ClosingTheWindowEndsTheShowWithStatusZero) {
  ASSERT_NE(x_, nullptr);
  const pid_t show = gldisplay_test::Spawn({KALT_RUN_BIN "/condemo", "--window"}, errors_);
  const Window window = WaitForWindow();
  ASSERT_NE(window, 0u);
  gldisplay_test::RequestClose(x_, window);
  const int status = gldisplay_test::Finish(show, 30);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
