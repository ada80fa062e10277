// gldemo itself, from outside: under Xvfb with Mesa's software OpenGL and
// SDL's dummy audio driver (so the soundtrack plays on the silent sink in
// real time). Its window shows the frames framegrab draws for the same
// beats; Escape and a close request end it with status 0; start-up failures
// give their message and status 1.
#include <gtest/gtest.h>
// After GoogleTest, whose names Xlib's macros (None, Bool) would change.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kalt_test/tools.h"
#include "run_tree.h"
#include "x_requests.h"
#include "xvfb.h"

// Leaks of the window system's libraries that are not ours: see the file.
extern "C" const char* __lsan_default_options() { return "suppressions=" KALT_LSAN_SUPPRESSIONS; }

namespace {

using gldemo_test::RunTree;
using gldemo_test::SpawnIn;
using gldisplay::Surface;
using gldisplay_test::Finish;
using gldisplay_test::Mismatches;
using gldisplay_test::Xvfb;
using kalt_test::ReadFile;

bool ExitedWith(int status, int code) { return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == code; }

// The programs run with the dummy audio driver and the LeakSanitizer
// suppressions of the display.
void SetProgramEnvironment() {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  setenv("LSAN_OPTIONS", "suppressions=" KALT_LSAN_SUPPRESSIONS, 1);
}

// What the window shows for a beat: framegrab's frame rasterised with the
// run tree's font.
Surface FramegrabPixels(const std::string& beat) {
  const std::string txt = ::testing::TempDir() + "gldemo-window-" + std::to_string(getpid()) + ".txt";
  const std::string command = std::string(KALT_TOOLS_DIR) + "/framegrab gldemo --beat " + beat + " --out " + txt;
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::istringstream tokens(ReadFile(txt));
  std::remove(txt.c_str());
  std::vector<kalt::Cell> cells(80 * 50);
  std::string token;
  for (kalt::Cell& cell : cells) {
    tokens >> token;
    const unsigned long word = std::stoul(token, nullptr, 16);  // character byte, attribute byte
    cell = {static_cast<std::uint16_t>(word >> 8), static_cast<std::uint16_t>(word & 0xFF)};
  }
  return gldisplay_test::DrawnCells(cells);
}

Window WaitForDemoWindow(Display* x) { return gldisplay_test::WaitForWindow(x, "RarodIdazer"); }

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { SetProgramEnvironment(); }
  const std::string errors_ = ::testing::TempDir() + "gldemo-stderr-" + std::to_string(getpid()) + ".txt";
};

TEST_F(ProgramTest, WindowShowsTheComposedFrameOfEachBeat) {
  Xvfb xvfb(640, 400);
  RunTree tree("gldemo-frames");
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t probe = SpawnIn(tree.Bin(), KALT_GLDEMO_PROBE, fds[1], errors_);
  close(fds[1]);
  std::FILE* beats = fdopen(fds[0], "r");
  Display* x = XOpenDisplay(xvfb.display().c_str());
  ASSERT_NE(x, nullptr);

  // The probe stops after each frame it has shown, having written its beat:
  // every twelfth frame the screen is read while it stands still.
  int compared = 0;
  float lastBeat = -1.0f;
  char line[64];
  for (int frame = 1; compared < 3 && std::fgets(line, sizeof line, beats); ++frame) {
    int status = 0;
    ASSERT_EQ(waitpid(probe, &status, WUNTRACED), probe);
    ASSERT_TRUE(WIFSTOPPED(status)) << status;
    const std::string beat(line, std::strlen(line) - 1);
    const float value = std::strtof(beat.c_str(), nullptr);
    // (Where the clock carries the beat on, the next stream position may
    // set it back by a hair.)
    EXPECT_GE(value, lastBeat - 0.01f) << "the beat runs backwards";
    lastBeat = value;
    if (frame % 12 == 0) {
      const Surface expected = FramegrabPixels(beat);
      int differ = 0;
      const auto screen = [x] { return gldisplay_test::GrabPixels(x, DefaultRootWindow(x), 640, 400); };
      for (int tries = 0; tries < 40 && (differ = Mismatches(screen(), expected)) != 0; ++tries) usleep(50000);
      EXPECT_EQ(differ, 0) << "frame " << frame << " at beat " << value;
      ++compared;
    }
    kill(probe, SIGCONT);
  }
  EXPECT_EQ(compared, 3) << ReadFile(errors_);
  kill(probe, SIGKILL);
  waitpid(probe, nullptr, 0);
  std::fclose(beats);
  XCloseDisplay(x);
}

TEST_F(ProgramTest, EscapeEndsTheShowWithStatusZero) {
  Xvfb xvfb(640, 400);
  RunTree tree("gldemo-escape");
  const pid_t demo = SpawnIn(tree.Bin(), KALT_GLDEMO, -1, errors_);
  Display* x = XOpenDisplay(xvfb.display().c_str());
  ASSERT_NE(x, nullptr);
  ASSERT_NE(WaitForDemoWindow(x), 0u) << ReadFile(errors_);
  int status = -1;
  for (int tries = 0; tries < 20 && status == -1; ++tries) {
    Finish(gldisplay_test::Spawn({"xdotool", "key", "Escape"}), 20);
    status = gldisplay_test::WaitFor(demo, 1);
  }
  if (status == -1) Finish(demo, 0);
  EXPECT_TRUE(ExitedWith(status, 0)) << status << " " << ReadFile(errors_);
  XCloseDisplay(x);
}

TEST_F(ProgramTest, CloseRequestEndsTheShowWithStatusZero) {
  Xvfb xvfb(640, 400);
  RunTree tree("gldemo-close");
  const pid_t demo = SpawnIn(tree.Bin(), KALT_GLDEMO, -1, errors_);
  Display* x = XOpenDisplay(xvfb.display().c_str());
  ASSERT_NE(x, nullptr);
  const Window window = WaitForDemoWindow(x);
  ASSERT_NE(window, 0u) << ReadFile(errors_);
  gldisplay_test::RequestClose(x, window);
  const int status = Finish(demo, 30);
  EXPECT_TRUE(ExitedWith(status, 0)) << status << " " << ReadFile(errors_);
  XCloseDisplay(x);
}

// Without a display (so that no message box waits for its OK button): the
// message is the one line on stderr, and the show never gets as far as a
// window (which would add the display's own message).
class StartupFailure : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
  }

  // Runs gldemo in the tree; its exit status must be 1. Returns stderr.
  std::string Fails(const RunTree& tree) {
    const int status = Finish(SpawnIn(tree.Bin(), KALT_GLDEMO, -1, errors_), 30);
    EXPECT_TRUE(ExitedWith(status, 1)) << status;
    const std::string text = ReadFile(errors_);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    return text;
  }
};

TEST_F(StartupFailure, MusicThatCannotBeLoaded) {
  RunTree tree("gldemo-no-music", 1);
  std::filesystem::remove(tree.Music());
  EXPECT_EQ(Fails(tree),
            "gldemo: Failed to load music (../Data20/wierd-thing-one.ogg: No such file or directory)\n");

  std::ofstream(tree.Music()) << "not Ogg Vorbis at all";
  EXPECT_EQ(Fails(tree), "gldemo: Failed to load music (../Data20/wierd-thing-one.ogg: not an Ogg Vorbis file)\n");

  ASSERT_TRUE(gldemo_test::WriteOgg(tree.Music(), 22050, 2, 22050, gldemo_test::Tone));
  EXPECT_EQ(Fails(tree),
            "gldemo: Failed to load music (../Data20/wierd-thing-one.ogg: sampled at 22050 Hz; only 44100 Hz is "
            "played)\n");
}

TEST_F(StartupFailure, GradientsThatCannotBeUsed) {
  RunTree tree("gldemo-no-gradients", 1);
  std::filesystem::remove(tree.Gradients());
  EXPECT_EQ(Fails(tree), "gldemo: Failed to load the gradients (../Data20/gradient.bin: no such file)\n");

  std::ofstream(tree.Gradients()) << "one row of art";
  EXPECT_EQ(Fails(tree),
            "gldemo: Failed to load the gradients (../Data20/gradient.bin holds 1 gradients, the show needs 34)\n");
}

}  // namespace
