// gldemo in a terminal (tmux), asked for with --terminal or chosen by
// itself without a desktop display: the picture appears in colour and
// shades, and Escape gives the shell its terminal back. And its options.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "run_tree.h"
#include "tmux_harness.h"

namespace {

using gldemo_test::RunTree;
using term_test::Tmux;

// True once the pane shows shade characters in at least three colours.
bool ShowsColouredShades(const Tmux& tmux) {
  const std::string text = tmux.Capture();
  bool shades = false;
  for (const char* glyph : {"░", "▒", "▓", "█"}) shades |= text.find(glyph) != std::string::npos;
  // tmux sets each colour with an SGR sequence of its own: ESC [ n m.
  const std::string styled = tmux.Run({"capture-pane", "-p", "-e", "-t", "show"});
  std::set<int> colours;
  for (std::size_t at = styled.find("\x1b["); at != std::string::npos; at = styled.find("\x1b[", at + 1)) {
    const std::size_t end = styled.find('m', at);
    if (end == std::string::npos || end - at < 4 || end - at > 5) continue;
    const int n = std::atoi(styled.substr(at + 2, end - at - 2).c_str());
    if ((n >= 30 && n <= 37) || (n >= 40 && n <= 47) || (n >= 90 && n <= 97) || (n >= 100 && n <= 107))
      colours.insert(n);
  }
  return shades && colours.size() >= 3;
}

// Plays gldemo in a pane by the shell line `command` until the picture
// shows, then ends it with the key `end` (tmux's name).
void PlayAndEnd(const std::string& command, const std::string& end) {
  RunTree tree("gldemo-terminal");
  Tmux tmux(80, 50, tree.Bin(), {"SDL_AUDIODRIVER=dummy"});
  tmux.TypeLine(Tmux::CheckedRun(command));
  ASSERT_TRUE(Tmux::WaitFor([&] { return tmux.Format("#{alternate_on}") == "1"; })) << tmux.Capture();
  EXPECT_EQ(tmux.Format("#{pane_title}"), "RarodIdazer");
  EXPECT_EQ(tmux.Format("#{cursor_flag}#{wrap_flag}"), "00");
  ASSERT_TRUE(Tmux::WaitFor([&] { return ShowsColouredShades(tmux); }, 60)) << tmux.Capture();

  tmux.Keys(end);
  ASSERT_TRUE(tmux.WaitForText("status=0 modes=same")) << tmux.Capture();
  EXPECT_EQ(tmux.Format("#{cursor_flag}#{alternate_on}#{wrap_flag}"), "101");
}

// (No display here: the window that CELLA_DISPLAY asks for could not open.)
TEST(GldemoInTmux, TerminalOptionPlaysThereWhateverTheEnvironmentSays) {
  PlayAndEnd("env -u DISPLAY -u WAYLAND_DISPLAY CELLA_DISPLAY=window " KALT_GLDEMO " --terminal", "Escape");
}

// Ctrl+C ends it as closing the window does: the show's own end, status 0.
TEST(GldemoInTmux, WithoutADisplayItChoosesTheTerminal) {
  PlayAndEnd("env -u DISPLAY -u WAYLAND_DISPLAY -u CELLA_DISPLAY " KALT_GLDEMO, "C-c");
}

TEST(GldemoOptions, AnUnknownOptionIsNamedAndNothingPlays) {
  const std::string text = term_test::RunProgram({"sh", "-c", KALT_GLDEMO " --window 2>&1; echo status=$?"});
  EXPECT_EQ(text, "gldemo: unknown option '--window' (try gldemo --help)\nstatus=2\n");
}

}  // namespace
