// The terminal layer in a real terminal emulator (tmux): the picture lands
// where it should, nothing wraps or scrolls, and the shell gets its
// terminal back.
#include <gtest/gtest.h>

#include <string>
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

}  // namespace
