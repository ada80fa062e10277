// The terminal session on a real pseudo-terminal: the modes it sets, the
// picture it writes, and the restored terminal after every way of ending.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "kalt_test/tools.h"
#include "pty_child.h"
#include "screen_model.h"

namespace {

using term_test::PtyChild;

#ifdef __SANITIZE_ADDRESS__
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

const std::string kFrameEnd = "\x1b[?2026l";
const std::string kRestore = "\x18\x1b[?2026l\x1b[0m\x1b[?25h\x1b[?7h\x1b[?1049l\x1b[23;0t";

struct Modes {
  tcflag_t iflag, oflag, lflag;
  cc_t vmin, vtime;
  bool operator==(const Modes&) const = default;
};

Modes ToModes(const termios& t) { return {t.c_iflag, t.c_oflag, t.c_lflag, t.c_cc[VMIN], t.c_cc[VTIME]}; }

Modes ReadModes(int fd) {
  termios t{};
  tcgetattr(fd, &t);
  return ToModes(t);
}

// Starts termcheck and waits for its first frame; the terminal's modes
// before the start are stored in `before`.
void Start(std::unique_ptr<PtyChild>& child, Modes& before, const std::string& mode = "", int columns = 80,
           int rows = 50) {
  std::vector<std::string> argv = {TERMCHECK};
  if (!mode.empty()) argv.push_back(mode);
  child = std::make_unique<PtyChild>(argv, columns, rows);
  before = ToModes(child->initialModes());
  ASSERT_TRUE(child->ReadUntil(kFrameEnd)) << "no frame; output: " << testing::PrintToString(child->output());
}

void ExpectRestored(PtyChild& child, const Modes& before) {
  const std::string& out = child.output();
  ASSERT_GE(out.size(), kRestore.size());
  EXPECT_EQ(out.substr(out.size() - kRestore.size()), kRestore) << "the restore comes last";
  EXPECT_EQ(ReadModes(child.slave()), before);
}

TEST(TerminalSession, SetsUpTheTerminalAndShowsThePicture) {
  std::unique_ptr<PtyChild> child;
  Modes before{};
  ASSERT_NO_FATAL_FAILURE(Start(child, before));
  const std::string& out = child->output();
  // Title (saved first), alternate screen, hidden cursor, no auto-wrap,
  // window size request, all before the first frame.
  const std::size_t frame = out.find("\x1b[?2026h");
  EXPECT_EQ(out.rfind("\x1b[22;0t\x1b]2;termcheck\x07\x1b[?1049h\x1b[?25l\x1b[?7l\x1b[8;50;80t", frame), 0u);

  const Modes raw = ReadModes(child->slave());
  EXPECT_EQ(raw.lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
  EXPECT_EQ(raw.iflag & (IXON | ICRNL), 0u);

  // The first frame shows the whole picture.
  term_test::ScreenModel model(80, 50);
  model.Feed(out.substr(frame, out.find(kFrameEnd) + kFrameEnd.size() - frame));
  EXPECT_EQ(model.at(0, 0).ch, U'A');
  EXPECT_EQ(model.at(0, 0).ink, 1);
  EXPECT_EQ(model.at(49, 79).ch, U'A' + (49 + 79) % 26);
  EXPECT_EQ(model.at(49, 79).paper, 0);

  child->Type("\x1b");
  EXPECT_EQ(child->Wait(), 0) << "Escape ends with status 0";
  ExpectRestored(*child, before);
}

TEST(TerminalSession, SequencesStartingWithEscapeDoNotEndIt) {
  std::unique_ptr<PtyChild> child;
  Modes before{};
  ASSERT_NO_FATAL_FAILURE(Start(child, before));
  child->Type("\x1b[A\x1b[<0;3;4M\x1b[I\x1bOP");
  child->ReadFor(500);
  EXPECT_TRUE(child->Running());
  child->Type("\x1b");
  EXPECT_EQ(child->Wait(), 0);
  ExpectRestored(*child, before);
}

TEST(TerminalSession, CtrlCAndEndSignalsRestoreAndEndByTheSignal) {
  for (const int sig : {SIGINT, SIGTERM, SIGHUP, 0}) {
    SCOPED_TRACE(sig == 0 ? "Ctrl+C" : strsignal(sig));
    std::unique_ptr<PtyChild> child;
    Modes before{};
    ASSERT_NO_FATAL_FAILURE(Start(child, before));
    if (sig == 0) {
      child->Type("\x03");
    } else {
      kill(child->pid(), sig);
    }
    const int status = child->Wait();
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), sig == 0 ? SIGINT : sig);
    ExpectRestored(*child, before);
  }
}

TEST(TerminalSession, CrashesRestoreTheTerminalAndStillDie) {
  for (const char* mode : {"abort", "segfault"}) {
    SCOPED_TRACE(mode);
    std::unique_ptr<PtyChild> child;
    Modes before{};
    ASSERT_NO_FATAL_FAILURE(Start(child, before, mode));
    const int status = child->Wait();
    EXPECT_TRUE(WIFSIGNALED(status)) << status;
    // AddressSanitizer reports the fault (after the restore) and aborts.
    if (!kAddressSanitizer) {
      EXPECT_EQ(WTERMSIG(status), std::string(mode) == "abort" ? SIGABRT : SIGSEGV);
    }
    EXPECT_NE(child->output().find(kRestore), std::string::npos);
    EXPECT_EQ(ReadModes(child->slave()), before);
  }
}

TEST(TerminalSession, MessagesDuringTheShowAppearAfterTheRestore) {
  std::unique_ptr<PtyChild> child;
  Modes before{};
  ASSERT_NO_FATAL_FAILURE(Start(child, before, "message"));
  child->ReadFor(200);
  child->Type("\x1b");
  EXPECT_EQ(child->Wait(), 0);
  const std::string& out = child->output();
  const std::size_t restore = out.find(kRestore);
  ASSERT_NE(restore, std::string::npos);
  EXPECT_EQ(out.find("a message"), out.find("a message during the show\r\n", restore)) << "none before the restore";
  EXPECT_EQ(ReadModes(child->slave()), before);
}

TEST(TerminalSession, ABlockedOutputStillGetsTheRestore) {
  // A terminal that stops reading (a paused terminal, a stalled link): the
  // show must still end on a signal, or die of a crash, and the restore
  // must arrive once the terminal reads again.
  for (const int sig : {SIGTERM, SIGABRT}) {
    SCOPED_TRACE(strsignal(sig));
    std::unique_ptr<PtyChild> child;
    Modes before{};
    ASSERT_NO_FATAL_FAILURE(Start(child, before, "animate"));
    std::this_thread::sleep_for(std::chrono::seconds(1));  // nobody reads: the output fills up
    kill(child->pid(), sig);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (child->Running() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_FALSE(child->Running()) << "still running with its output blocked";
    const int status = child->Wait();
    EXPECT_TRUE(WIFSIGNALED(status)) << status;
    ExpectRestored(*child, before);
  }
}

TEST(TerminalSession, RepeatsOnlyWhatTheTerminalSaysItRepeats) {
  // The show asks twice where the cursor is after a repeated character:
  // after "x", then after a light shade. Column 3: REP repeated it. Alt+F3
  // typed meanwhile looks like an answer from row 1.
  const std::string shadeRun = "\u2592\x1b[79b", asciiRun = "y\x1b[79b";
  const struct {
    const char* answers;
    bool ascii, any;
  } terminals[] = {{"\x1b[2;3R\x1b[2;3R", true, true}, {"\x1b[2;3R\x1b[2;2R", true, false}, {"", false, false},
                   {"\x1b[1;3R\x1b[2;2R\x1b[2;2R", false, false}};
  for (const auto& terminal : terminals) {
    SCOPED_TRACE(testing::PrintToString(std::string(terminal.answers)));
    std::unique_ptr<PtyChild> child;
    Modes before{};
    ASSERT_NO_FATAL_FAILURE(Start(child, before, "runs"));
    EXPECT_NE(child->output().find("\x1b[6n\x1b[2;1H\u2591\x1b[b\x1b[6n"), std::string::npos);
    child->Type(terminal.answers);
    child->ReadFor(300);
    const std::size_t answered = child->output().size();
    child->ReadFor(300);
    const std::string later = child->output().substr(answered);
    EXPECT_EQ(later.find(asciiRun) != std::string::npos, terminal.ascii);
    EXPECT_EQ(later.find(shadeRun) != std::string::npos, terminal.any);
    child->Type("\x1b");
    EXPECT_EQ(child->Wait(), 0);
  }
}

TEST(TerminalSession, FollowsAResizeWithAFullRedraw) {
  std::unique_ptr<PtyChild> child;
  Modes before{};
  ASSERT_NO_FATAL_FAILURE(Start(child, before));
  const std::size_t seen = child->output().size();
  child->Resize(100, 60);
  ASSERT_TRUE(child->ReadUntil(kFrameEnd, seen));
  const std::string redraw = child->output().substr(seen);
  const std::size_t frame = redraw.find("\x1b[?2026h");
  ASSERT_NE(frame, std::string::npos);
  term_test::ScreenModel model(100, 60);
  model.Feed(redraw.substr(frame, redraw.find(kFrameEnd) + kFrameEnd.size() - frame));
  EXPECT_EQ(model.at(5, 10).ch, U'A') << "the picture is centred";
  EXPECT_EQ(model.at(54, 89).ch, U'A' + (49 + 79) % 26);
  child->Type("\x1b");
  EXPECT_EQ(child->Wait(), 0);
}

TEST(TerminalSession, RefusesAnOutputThatIsNotATerminal) {
  int status = 0;
  const std::string text = kalt_test::RunCommand(std::string(TERMCHECK) + " 2>&1", &status);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_EQ(text, "termcheck: standard output is not a terminal\n");
}

}  // namespace
