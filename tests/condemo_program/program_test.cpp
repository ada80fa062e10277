// condemo as a user runs it: in tmux panes of several sizes and on
// pseudo-terminals, with the dummy audio driver (the music plays silently
// in real time).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "pty_child.h"
#include "tmux_harness.h"

namespace {

using term_test::PtyChild;
using term_test::Tmux;

const std::string kProgram = std::string(KALT_RUN_BIN) + "/condemo";
const std::vector<std::string> kSilent = {"SDL_AUDIODRIVER=dummy"};
const std::string kRestore = "\x18\x1b[?2026l\x1b[0m\x1b[?25h\x1b[?7h\x1b[?1049l\x1b[23;0t";

// The tests that play the show need the song in the run tree.
bool SongBuilt() { return access(KALT_RUN_BIN "/DiRURODU.XM", R_OK) == 0; }

// True once the pane shows shaded surfaces or the logos' blocks.
bool ShowsThePicture(const Tmux& tmux) {
  const std::string text = tmux.Capture();
  for (const char* glyph : {"░", "▒", "▓", "█", "■"})
    if (text.find(glyph) != std::string::npos) return true;
  return false;
}

TEST(CondemoInTmux, PlaysAndEscapeGivesTheShellBack) {
  if (!SongBuilt()) GTEST_SKIP() << "DiRURODU.XM is not in the run tree";
  Tmux tmux(80, 50, KALT_RUN_BIN, kSilent);
  tmux.TypeLine(Tmux::CheckedRun("./condemo"));
  ASSERT_TRUE(Tmux::WaitFor([&] { return tmux.Format("#{alternate_on}") == "1"; })) << tmux.Capture();
  EXPECT_EQ(tmux.Format("#{pane_title}"), "Vorl+Zeb - Kalt #20");
  EXPECT_EQ(tmux.Format("#{cursor_flag}#{wrap_flag}"), "00");
  ASSERT_TRUE(Tmux::WaitFor([&] { return ShowsThePicture(tmux); }, 60)) << tmux.Capture();

  tmux.Keys("Escape");
  ASSERT_TRUE(tmux.WaitForText("status=0 modes=same")) << tmux.Capture();
  EXPECT_EQ(tmux.Format("#{cursor_flag}#{alternate_on}#{wrap_flag}"), "101");
  EXPECT_EQ(tmux.Format("#{pane_current_command}"), "sh");
}

TEST(CondemoInTmux, SigtermEndsItWithTheTerminalRestored) {
  if (!SongBuilt()) GTEST_SKIP() << "DiRURODU.XM is not in the run tree";
  Tmux tmux(80, 50, KALT_RUN_BIN, kSilent);
  const std::string pidFile = testing::TempDir() + "condemo-sigterm.pid";
  tmux.TypeLine(Tmux::CheckedRun("sh -c 'echo $$ > " + pidFile + "; exec ./condemo'"));
  ASSERT_TRUE(Tmux::WaitFor([&] { return tmux.Format("#{alternate_on}") == "1"; })) << tmux.Capture();
  ASSERT_TRUE(Tmux::WaitFor([&] { return ShowsThePicture(tmux); }, 60)) << tmux.Capture();
  pid_t pid = 0;
  std::ifstream(pidFile) >> pid;
  ASSERT_GT(pid, 0);
  kill(pid, SIGTERM);
  // 143: ended by SIGTERM after its clean shut-down.
  ASSERT_TRUE(tmux.WaitForText("status=143 modes=same")) << tmux.Capture();
  EXPECT_EQ(tmux.Format("#{cursor_flag}#{alternate_on}#{wrap_flag}"), "101");
  std::remove(pidFile.c_str());
}

TEST(CondemoInTmux, SmallPaneNeitherWrapsNorScrolls) {
  if (!SongBuilt()) GTEST_SKIP() << "DiRURODU.XM is not in the run tree";
  Tmux tmux(60, 20, KALT_RUN_BIN, kSilent);
  tmux.TypeLine("echo first line");
  ASSERT_TRUE(tmux.WaitForText("first line\n"));
  const std::vector<std::string> before = tmux.CaptureLines();
  tmux.TypeLine(Tmux::CheckedRun("./condemo"));
  ASSERT_TRUE(Tmux::WaitFor([&] { return tmux.Format("#{alternate_on}") == "1"; })) << tmux.Capture();
  ASSERT_TRUE(Tmux::WaitFor([&] { return ShowsThePicture(tmux); }, 60)) << tmux.Capture();
  EXPECT_EQ(tmux.CaptureLines().size(), 20u);
  EXPECT_EQ(tmux.Format("#{history_size}"), "0");

  tmux.Keys("Escape");
  ASSERT_TRUE(tmux.WaitForText("status=0 modes=same")) << tmux.Capture();
  // The shell's screen is as it was: its first lines have not moved.
  const std::vector<std::string> after = tmux.CaptureLines();
  ASSERT_GE(after.size(), 2u);
  EXPECT_EQ(after[0], before.at(0));
  EXPECT_EQ(after[1], before.at(1));
}

// Where on its lines the pane shows glyphs of the picture: whether one
// line starts with one and one line has one in its last column.
struct Reach {
  bool left = false, right = false;
};
Reach PictureReach(const Tmux& tmux, int columns) {
  Reach reach;
  for (const std::string& line : tmux.CaptureLines()) {
    int column = 0;
    for (std::size_t at = 0; at < line.size(); ++column) {
      std::size_t next = at + 1;
      while (next < line.size() && (static_cast<unsigned char>(line[next]) & 0xC0) == 0x80) ++next;
      const std::string glyph = line.substr(at, next - at);
      const bool drawn = glyph == "░" || glyph == "▒" || glyph == "▓" || glyph == "█" || glyph == "■";
      reach.left |= drawn && column == 0;
      reach.right |= drawn && column == columns - 1;
      at = next;
    }
  }
  return reach;
}

// --fit draws the picture on the pane's whole grid, follows resizes (also
// below the smallest grid, whose middle it shows) without crashing.
TEST(CondemoInTmux, FitFillsThePaneAndFollowsItsResizes) {
  if (!SongBuilt()) GTEST_SKIP() << "DiRURODU.XM is not in the run tree";
  Tmux tmux(110, 30, KALT_RUN_BIN, kSilent);
  tmux.TypeLine(Tmux::CheckedRun("./condemo --fit"));
  ASSERT_TRUE(Tmux::WaitFor([&] { return tmux.Format("#{alternate_on}") == "1"; })) << tmux.Capture();
  const auto fills = [&](int columns) {
    const Reach reach = PictureReach(tmux, columns);
    return reach.left && reach.right;
  };
  ASSERT_TRUE(Tmux::WaitFor([&] { return fills(110); }, 60)) << tmux.Capture();
  EXPECT_EQ(tmux.Format("#{window_width}x#{window_height}"), "110x30");
  tmux.Resize(36, 14);
  ASSERT_TRUE(Tmux::WaitFor([&] { return tmux.CaptureLines().size() == 14u && fills(36); }, 30)) << tmux.Capture();
  tmux.Resize(12, 6);
  ASSERT_TRUE(Tmux::WaitFor([&] { return tmux.CaptureLines().size() == 6u && fills(12); }, 30)) << tmux.Capture();
  EXPECT_EQ(tmux.Format("#{alternate_on}"), "1");
  tmux.Resize(110, 30);
  ASSERT_TRUE(Tmux::WaitFor([&] { return tmux.CaptureLines().size() == 30u && fills(110); }, 30)) << tmux.Capture();
  tmux.Keys("Escape");
  ASSERT_TRUE(tmux.WaitForText("status=0 modes=same")) << tmux.Capture();
}

TEST(CondemoOptions, FitIsForTheTerminalOnly) {
  const std::string text = term_test::RunProgram(
      {"sh", "-c", "cd '" KALT_RUN_BIN "' && ./condemo --window --fit 2>&1; echo status=$?"});
  EXPECT_EQ(text, "condemo: --fit is for the terminal; the window shows 80 x 50 (try condemo --help)\nstatus=2\n");
}

// The frame loop with its render threads, the music's handler thread and
// the terminal, for a few seconds of the opening (also under
// ThreadSanitizer, whose report would end the program with an error).
TEST(CondemoOnATerminal, RunsWithItsThreadsAndEndsOnEscape) {
  if (!SongBuilt()) GTEST_SKIP() << "DiRURODU.XM is not in the run tree";
  PtyChild child({kProgram}, 80, 50, KALT_RUN_BIN, kSilent);
  ASSERT_TRUE(child.ReadUntil("\x1b[?2026l", 0, 60)) << child.output();
  child.ReadFor(4000);
  ASSERT_TRUE(child.Running()) << child.output().substr(child.output().size() > 2000 ? child.output().size() - 2000 : 0);
  child.Type("\x1b");
  EXPECT_EQ(child.Wait(60), 0);
  const std::string& out = child.output();
  ASSERT_NE(out.find(kRestore), std::string::npos);
  EXPECT_EQ(out.substr(out.find(kRestore) + kRestore.size()), "") << "nothing on standard error";
}

TEST(CondemoOnATerminal, MissingSongIsAnErrorAfterTheRestore) {
  char folder[] = "/tmp/condemo-nosong-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  PtyChild child({kProgram}, 80, 50, folder, kSilent);
  const int status = child.Wait(60);
  rmdir(folder);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << status;
  const std::string& out = child.output();
  const std::size_t restore = out.find(kRestore);
  ASSERT_NE(restore, std::string::npos) << out;
  EXPECT_NE(out.find("Failed loading Protracker-Module", restore), std::string::npos) << out;
}

TEST(CondemoOnATerminal, RefusesAnOutputThatIsNotATerminal) {
  const std::string text =
      term_test::RunProgram({"sh", "-c", "cd '" KALT_RUN_BIN "' && ./condemo 2>&1 >/dev/null; echo status=$?"});
  EXPECT_EQ(text, "condemo: standard output is not a terminal\nstatus=1\n");
}

TEST(CondemoOptions, AnUnknownOptionIsNamedAndNothingPlays) {
  const std::string text = term_test::RunProgram(
      {"sh", "-c", "cd '" KALT_RUN_BIN "' && ./condemo --window --terminal 2>&1; echo status=$?"});
  EXPECT_EQ(text, "condemo: unknown option '--terminal' (try condemo --help)\nstatus=2\n");
}

}  // namespace
