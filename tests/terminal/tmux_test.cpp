// The terminal layer in a real terminal emulator (tmux): the picture lands
// where it should, nothing wraps or scrolls, and the shell gets its
// terminal back.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tmux_harness.h"

namespace {

using term_test::Tmux;

// The line termcheck's picture shows in grid row `row`, columns
// [first, first + count).
std::string PictureLine(int row, int first, int count) {
  std::string line;
  for (int column = first; column < first + count; ++column) line += static_cast<char>('A' + (row + column) % 26);
  return line;
}

const std::string kTermcheckFolder = std::string(TERMCHECK).substr(0, std::string(TERMCHECK).rfind('/'));

TEST(TerminalInTmux, SmallPaneShowsTheCentreWithoutWrappingOrScrolling) {
  Tmux tmux(60, 20, kTermcheckFolder);
  tmux.TypeLine(Tmux::CheckedRun("./termcheck"));
  // Pane row r shows grid row r + 15, columns 10 to 69.
  ASSERT_TRUE(tmux.WaitForText(PictureLine(34, 10, 60))) << tmux.Capture();
  const std::vector<std::string> lines = tmux.CaptureLines();
  ASSERT_EQ(lines.size(), 20u) << tmux.Capture();
  for (int row = 0; row < 20; ++row) EXPECT_EQ(lines[row], PictureLine(row + 15, 10, 60)) << "pane row " << row;
  EXPECT_EQ(tmux.Format("#{pane_title}"), "termcheck");
  EXPECT_EQ(tmux.Format("#{cursor_flag}#{alternate_on}#{wrap_flag}"), "010");

  tmux.Keys("Escape");
  ASSERT_TRUE(tmux.WaitForText("status=0 modes=same")) << tmux.Capture();
  EXPECT_EQ(tmux.Format("#{cursor_flag}#{alternate_on}#{wrap_flag}"), "101");
  EXPECT_EQ(tmux.Format("#{pane_current_command}"), "sh");
}

TEST(TerminalInTmux, LargePaneShowsThePictureCentredAndFollowsResizes) {
  Tmux tmux(100, 60, kTermcheckFolder);
  tmux.TypeLine(Tmux::CheckedRun("./termcheck"));
  const std::string margin(10, ' ');
  ASSERT_TRUE(tmux.WaitForText(margin + PictureLine(49, 0, 80))) << tmux.Capture();
  std::vector<std::string> lines = tmux.CaptureLines();
  ASSERT_EQ(lines.size(), 60u);
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(lines[5], margin + PictureLine(0, 0, 80));
  EXPECT_EQ(lines[54], margin + PictureLine(49, 0, 80));

  // Smaller, then larger again: each size shows its own placement.
  tmux.Resize(70, 30);
  ASSERT_TRUE(Tmux::WaitFor([&] { return tmux.CaptureLines().at(0) == PictureLine(10, 5, 70); })) << tmux.Capture();
  tmux.Resize(84, 52);
  ASSERT_TRUE(Tmux::WaitFor([&] { return tmux.CaptureLines().at(1) == "  " + PictureLine(0, 0, 80); }))
      << tmux.Capture();

  tmux.Keys("Escape");
  ASSERT_TRUE(tmux.WaitForText("status=0 modes=same")) << tmux.Capture();
}

TEST(TerminalInTmux, ArrowKeysDoNotEndButCtrlCDoes) {
  Tmux tmux(80, 50, kTermcheckFolder);
  // A shell that sees its command die of SIGINT drops the rest of the
  // line, as after any interrupted command: run it in a subshell.
  tmux.TypeLine(Tmux::CheckedRun("sh -c ./termcheck"));
  ASSERT_TRUE(tmux.WaitForText(PictureLine(49, 0, 80))) << tmux.Capture();
  tmux.Keys("Up");
  tmux.Keys("F1");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(tmux.Format("#{alternate_on}"), "1") << "still running";
  tmux.Keys("C-c");
  ASSERT_TRUE(tmux.WaitForText("status=130 modes=same")) << tmux.Capture();
  EXPECT_EQ(tmux.Format("#{cursor_flag}#{alternate_on}"), "10");
}

TEST(TerminalInTmux, RowsOfOneCharacterShowWhicheverWayTmuxRepeats) {
  // tmux answers the show's REP question; before 3.4 it repeats ASCII
  // only. Either way every row is whole.
  Tmux tmux(80, 50, kTermcheckFolder);
  tmux.TypeLine(Tmux::CheckedRun("./termcheck runs"));
  // The glyphs change every frame, all at once: light shades and x, then
  // medium shades and y. Whole rows of the second kind come only from
  // frames sent after tmux answered, which REP where they can.
  const auto whole = [](const std::vector<std::string>& lines, const std::string& shade, const std::string& letter) {
    if (lines.size() < 50) return false;
    for (int row = 0; row < 50; ++row) {
      std::string expected;
      for (int column = 0; column < 80; ++column) expected += row % 2 == 0 ? shade : letter;
      if (lines[row] != expected) return false;
    }
    return true;
  };
  ASSERT_TRUE(Tmux::WaitFor([&] { return whole(tmux.CaptureLines(), "\u2592", "y"); }, 10)) << tmux.Capture();
  // A capture may fall between two frames, so a row may end in the other
  // frame's glyph; but every row holds 80 glyphs of its own kind.
  const auto rowsHold = [](const std::vector<std::string>& lines) {
    if (lines.size() < 50) return false;
    for (int row = 0; row < 50; ++row) {
      const std::string first = row % 2 == 0 ? "\u2591" : "x", second = row % 2 == 0 ? "\u2592" : "y";
      std::size_t at = 0;
      for (int column = 0; column < 80; ++column) {
        if (lines[row].compare(at, first.size(), first) == 0) {
          at += first.size();
        } else if (lines[row].compare(at, second.size(), second) == 0) {
          at += second.size();
        } else {
          return false;
        }
      }
      if (at != lines[row].size()) return false;
    }
    return true;
  };
  for (int k = 0; k < 5; ++k) EXPECT_TRUE(rowsHold(tmux.CaptureLines())) << tmux.Capture();
  tmux.Keys("Escape");
  EXPECT_TRUE(tmux.WaitForText("status=0 modes=same")) << tmux.Capture();
}

TEST(TerminalInTmux, StopGivesTheTerminalBackAndFgTakesItAgain) {
  for (const bool byKey : {true, false}) {
    SCOPED_TRACE(byKey ? "Ctrl+Z" : "kill -TSTP");
    Tmux tmux(80, 50, kTermcheckFolder);
    // The shell goes on with its line when the job stops: the status of a
    // stopped job (128 + SIGTSTP) and the modes while it is stopped.
    tmux.TypeLine(Tmux::CheckedRun("./termcheck"));
    ASSERT_TRUE(tmux.WaitForText(PictureLine(49, 0, 80))) << tmux.Capture();
    if (byKey) {
      tmux.Keys("C-z");
    } else {
      const std::string shell = tmux.Format("#{pane_pid}");
      const std::string pid = term_test::RunProgram({"pgrep", "-P", shell, "-x", "termcheck"});
      ASSERT_FALSE(pid.empty());
      kill(std::stoi(pid), SIGTSTP);
    }
    ASSERT_TRUE(tmux.WaitForText("status=148 modes=same")) << tmux.Capture();
    EXPECT_EQ(tmux.Format("#{cursor_flag}#{alternate_on}#{wrap_flag}"), "101");
    // Going on in the background, it leaves the terminal alone.
    tmux.TypeLine("bg");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(tmux.Format("#{cursor_flag}#{alternate_on}#{wrap_flag}"), "101");
    EXPECT_EQ(tmux.Capture().find(PictureLine(0, 0, 80)), std::string::npos);

    // Back in the foreground: the show's modes and the whole picture again,
    // and Escape reaches it.
    tmux.TypeLine("fg");
    ASSERT_TRUE(tmux.WaitForText(PictureLine(49, 0, 80))) << tmux.Capture();
    EXPECT_EQ(tmux.CaptureLines().at(0), PictureLine(0, 0, 80));
    EXPECT_EQ(tmux.Format("#{cursor_flag}#{alternate_on}#{wrap_flag}"), "010");
    tmux.Keys("Escape");
    ASSERT_TRUE(Tmux::WaitFor([&] { return tmux.Format("#{alternate_on}#{pane_current_command}") == "0sh"; }))
        << tmux.Capture();
    tmux.TypeLine("echo \"fg=$? modes=$([ \"$m\" = \"$(stty -g)\" ] && echo same || echo changed)\"");
    EXPECT_TRUE(tmux.WaitForText("fg=0 modes=same")) << tmux.Capture();
  }
}

}  // namespace
