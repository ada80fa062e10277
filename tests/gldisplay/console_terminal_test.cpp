// cella's console in a terminal (a pseudo-terminal of its own), as gldemo
// plays there: keys are typed into the queue, the terminal's answers to the
// REP question are taken as answers and type nothing, Ctrl+Z suspends
// (also as Alt+Ctrl+Z), the first Ctrl+C reads as 27 and a second one ends
// the program by SIGINT with the terminal given back.
#include <gtest/gtest.h>

#include <string>

#include "pty_child.h"

namespace {

using term_test::PtyChild;

const std::string kFrameEnd = "\x1b[?2026l";
const std::string kRestore = "\x18\x1b[?2026l\x1b[0m\x1b[?25h\x1b[?7h\x1b[?1049l\x1b[23;0t";

// A row of 80 copies of a glyph, as the frames send it with REP.
std::string Row(const std::string& glyph) { return glyph + "\x1b[79b"; }

TEST(ConsoleInATerminal, TypedKeysSuspendAndTheSecondCtrlC) {
  PtyChild child({KALT_CONSOLE_KEYS}, 80, 50, ".", {"CELLA_DISPLAY=terminal"});
  ASSERT_TRUE(child.ReadUntil(kFrameEnd)) << testing::PrintToString(child.output());
  ASSERT_NE(child.output().find("\x1b[6n"), std::string::npos) << "the REP question";

  // 1. The answers of a terminal that repeats any glyph, then two keys:
  //    rows of them, sent with REP, and nothing typed by the answers.
  child.Type("\x1b[2;3R\x1b[2;3R");
  child.Type("ab");
  ASSERT_TRUE(child.ReadUntil(Row("b"))) << testing::PrintToString(child.output());
  EXPECT_NE(child.output().find(Row("a")), std::string::npos);

  // 2. Alt+Ctrl+Z suspends: the terminal is given back, then (the process
  //    group is orphaned, so nothing stops it) taken again.
  std::size_t seen = child.output().size();
  child.Type("\x1b\x1a");
  ASSERT_TRUE(child.ReadUntil(kRestore, seen)) << testing::PrintToString(child.output().substr(seen));
  seen = child.output().find(kRestore, seen) + kRestore.size();
  ASSERT_TRUE(child.ReadUntil("\x1b[?1049h", seen)) << testing::PrintToString(child.output().substr(seen));

  // 3. Ctrl+C reads as 27 (shown as an arrow in the third row); the
  //    program goes on.
  child.Type("\x03");
  ASSERT_TRUE(child.ReadUntil(Row("\u2190"), seen)) << testing::PrintToString(child.output().substr(seen));
  EXPECT_TRUE(child.Running());
  EXPECT_EQ(child.output().find(Row("R")), std::string::npos) << "an answer was typed";

  // 4. The second Ctrl+C ends it by SIGINT, the terminal given back.
  child.Type("\x03");
  const int status = child.Wait();
  ASSERT_TRUE(WIFSIGNALED(status)) << status;
  EXPECT_EQ(WTERMSIG(status), SIGINT);
  const std::string& out = child.output();
  ASSERT_GE(out.size(), kRestore.size());
  EXPECT_EQ(out.substr(out.size() - kRestore.size()), kRestore) << "the restore comes last";
  termios now{};
  tcgetattr(child.slave(), &now);
  EXPECT_EQ(now.c_lflag, child.initialModes().c_lflag);
  EXPECT_EQ(now.c_iflag, child.initialModes().c_iflag);
}

}  // namespace
