// gldemo in a terminal (tmux), asked for with --terminal or chosen by
// itself without a desktop display: the picture appears in colour and
// shades, and Escape gives the shell its terminal back. And its options.
#include <gtest/gtest.h>

#include <regex>
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
  const std::string styled = tmux.Run({"capture-pane", "-p", "-e", "-t", "show"});
  const std::regex colour("\x1b\\[(3|4|9|10)[0-7]m");
  std::set<std::string> colours;
  for (auto it = std::sregex_iterator(styled.begin(), styled.end(), colour); it != std::sregex_iterator(); ++it)
    colours.insert(it->str());
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

TEST(GldemoInTmux, TerminalOptionPlaysThereEvenWithADisplay) {
  PlayAndEnd("DISPLAY=:99 " KALT_GLDEMO " --terminal", "Escape");
}

// Ctrl+C ends it as closing the window does: the show's own end, status 0.
TEST(GldemoInTmux, WithoutADisplayItChoosesTheTerminal) {
  PlayAndEnd("env -u DISPLAY -u WAYLAND_DISPLAY -u CELLA_DISPLAY " KALT_GLDEMO, "C-c");
}

TEST(GldemoOptions, AnUnknownOptionIsNamedAndNothingPlays) {
  const std::string text = term_test::RunProgram({"sh", "-c", KALT_GLDEMO " --window 2>&1; echo status=$?"});
  EXPECT_EQ(text, "gldemo: unknown option '--window'\nstatus=2\n");
}

}  // namespace
