#include "terminal/terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace term {

namespace {

// Process-wide state, shared with the signal handlers: plain values set
// before the handlers are installed, and lock-free atomics.
constexpr int kIn = STDIN_FILENO;

// Leaves the terminal as the shell expects it: CAN first (it cancels an
// escape sequence cut short by a crash, a stop or discarded output), then
// synchronized update ended, colours reset, cursor shown, auto-wrap on,
// main screen, title restored.
constexpr char kRestore[] = "\x18\x1b[?2026l\x1b[0m\x1b[?25h\x1b[?7h\x1b[?1049l\x1b[23;0t";

// The question whether the terminal repeats characters with REP: "x" and
// one repeat, then a block and one repeat, in row 2, each followed by a
// cursor position query; the cursor is in column 3 where REP repeated it.
// (Row 1 would answer like a modified F3 key.) The first frame clears it.
constexpr char kRepeatProbe[] = "\x1b[2;1Hx\x1b[b\x1b[6n\x1b[2;1H\xe2\x96\x91\x1b[b\x1b[6n";
constexpr int kProbeRow = 2, kRepeatedColumn = 3;

std::atomic<bool> g_exists{false};  // a Terminal object exists
// The terminal is in the show's modes. Whoever gives it back clears this
// first, so only one restore is written.
std::atomic<bool> g_taken{false};
// Counts the give-backs, so that the frame loop drops output meant for the
// terminal as it was before one.
std::atomic<unsigned> g_givenBack{0};
// The thread inside a write to the terminal or a change of its modes, 0
// for none: a handler on another thread lets it finish before it writes.
std::atomic<pid_t> g_busy{0};
std::atomic<bool> g_continued{false};  // SIGCONT came: the modes may have been changed
// Where the output goes: a description of the terminal of our own, opened
// non-blocking, or standard output itself (blocking) where none can be
// opened.
int g_out = STDOUT_FILENO;
int g_termiosFd = -1;  // the terminal whose modes were saved, or -1
termios g_savedModes;
// While the show runs, messages on standard error (when it is a terminal)
// are kept in a memory file and shown after the restore, instead of
// scribbling over the picture and vanishing with the alternate screen.
int g_stderrSaved = -1;    // the real standard error
int g_stderrCapture = -1;  // the memory file standing in for it
std::atomic<int> g_endSignal{0};
std::atomic<bool> g_resized{false};

// The actions in place before ours, indexed by signal number.
std::array<struct sigaction, NSIG> g_previous;
// The fatal handler's stack, so that a stack overflow is restored too.
alignas(16) char g_altStack[64 * 1024];

// How a write loop ended.
enum class Written { kAll, kLater, kStopped, kFailed };

// The writer that asks nobody before it writes (the restore, from signal
// handlers too).
struct AnyTime {
  bool Enter() const { return true; }
  void Leave() const {}
};

// The one write loop: writes data[sent, size), advancing sent, retrying
// after signals and partial writes and waiting while a non-blocking
// descriptor is full: for good with waitMillis below 0 (kAll or kFailed),
// else up to waitMillis in all (kLater when time ran out). guard.Enter()
// is asked before every write and stops the loop (kStopped) when false;
// guard.Leave() follows every write it allowed. kFailed when the
// descriptor takes no more bytes (an error, or a write of nothing).
// Async-signal-safe for a negative wait and a guard that is.
template <class Guard>
Written WriteLoop(int fd, const char* data, std::size_t size, std::size_t& sent, int waitMillis, Guard& guard) {
  const std::uint64_t deadline = waitMillis < 0 ? 0 : Milliseconds() + static_cast<std::uint64_t>(waitMillis);
  while (sent < size) {
    if (!guard.Enter()) return Written::kStopped;
    const ssize_t n = write(fd, data + sent, size - sent);
    const int error = errno;
    guard.Leave();
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
    } else if (n < 0 && error == EINTR) {
      continue;
    } else if (n < 0 && (error == EAGAIN || error == EWOULDBLOCK)) {
      int wait = -1;
      if (waitMillis >= 0) {
        const std::uint64_t now = Milliseconds();
        if (now >= deadline) return Written::kLater;
        wait = static_cast<int>(deadline - now);
      }
      pollfd p{fd, POLLOUT, 0};
      poll(&p, 1, wait);
    } else {
      return Written::kFailed;
    }
  }
  return Written::kAll;
}

// Writes all of `size` bytes, waiting as long as it takes. Async-signal-
// safe.
bool WriteAll(int fd, const char* data, std::size_t size) {
  std::size_t sent = 0;
  AnyTime anyTime;
  return WriteLoop(fd, data, size, sent, -1, anyTime) == Written::kAll;
}

void CaptureStandardError() {
  if (!isatty(STDERR_FILENO)) return;
  g_stderrCapture = memfd_create("terminal-stderr", MFD_CLOEXEC);
  g_stderrSaved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
  if (g_stderrCapture >= 0 && g_stderrSaved >= 0 && dup2(g_stderrCapture, STDERR_FILENO) >= 0) return;
  if (g_stderrCapture >= 0) close(g_stderrCapture);
  if (g_stderrSaved >= 0) close(g_stderrSaved);
  g_stderrCapture = g_stderrSaved = -1;
}

// Puts the real standard error back and shows what was written meanwhile.
// Async-signal-safe.
void ReleaseStandardError() {
  if (g_stderrSaved < 0) return;
  dup2(g_stderrSaved, STDERR_FILENO);
  lseek(g_stderrCapture, 0, SEEK_SET);
  char buffer[4096];
  for (ssize_t n; (n = read(g_stderrCapture, buffer, sizeof buffer)) > 0;)
    WriteAll(STDERR_FILENO, buffer, static_cast<std::size_t>(n));
  close(g_stderrCapture);
  close(g_stderrSaved);
  g_stderrCapture = g_stderrSaved = -1;
}

// Waits until no other thread is inside a write to the terminal (that
// takes a moment: the writes do not block), but never longer than 200 ms.
// Async-signal-safe.
void WaitForOtherWriter() {
  const pid_t self = gettid();
  timespec start{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (pid_t busy; (busy = g_busy.load()) != 0 && busy != self;) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    if ((now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000 > 200) return;
    poll(nullptr, 0, 1);
  }
}

// Gives the terminal back as the shell expects it: the output not yet
// sent (the rest of a picture) discarded, then the restore and the saved
// modes. Only the call that finds the terminal taken does anything; it
// works from the background too (SIGTTOU is held off meanwhile).
// Async-signal-safe.
void GiveBack() {
  if (!g_taken.exchange(false)) return;
  g_givenBack.fetch_add(1);
  sigset_t ttou, previous;
  sigemptyset(&ttou);
  sigaddset(&ttou, SIGTTOU);
  sigprocmask(SIG_BLOCK, &ttou, &previous);
  WaitForOtherWriter();
  tcflush(g_out, TCOFLUSH);
  WriteAll(g_out, kRestore, sizeof kRestore - 1);
  if (g_termiosFd >= 0) tcsetattr(g_termiosFd, TCSAFLUSH, &g_savedModes);
  sigprocmask(SIG_SETMASK, &previous, nullptr);
}

// Puts the terminal back for good and shows the messages held back.
// Async-signal-safe.
void RestoreTerminal() {
  const int savedErrno = errno;
  GiveBack();
  ReleaseStandardError();
  errno = savedErrno;
}

// Hands a signal on to the action that was in place before ours.
void RaiseWithPreviousAction(int sig) {
  sigaction(sig, &g_previous[sig], nullptr);
  raise(sig);
}

void OnEndSignal(int sig) {
  int none = 0;
  if (g_endSignal.compare_exchange_strong(none, sig)) return;
  // Asked again while shutting down: leave at once.
  RestoreTerminal();
  signal(sig, SIG_DFL);
  raise(sig);
}

void OnResize(int) { g_resized.store(true); }

void OnContinue(int) { g_continued.store(true); }

// A stop: the terminal back first, then the stop itself, as the signal's
// default action (which the kernel ignores in an orphaned process group,
// where nobody could continue the show). Returns once continued; the frame
// loop takes the terminal again.
void OnStopSignal(int sig) {
  const int savedErrno = errno;
  GiveBack();
  struct sigaction byDefault {};
  struct sigaction ours {};
  byDefault.sa_handler = SIG_DFL;
  sigemptyset(&byDefault.sa_mask);
  sigaction(sig, &byDefault, &ours);
  raise(sig);  // held while this handler runs
  sigset_t only, previous;
  sigemptyset(&only);
  sigaddset(&only, sig);
  sigprocmask(SIG_UNBLOCK, &only, &previous);  // stops here until SIGCONT
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  sigaction(sig, &ours, nullptr);
  errno = savedErrno;
}

void OnFatalSignal(int sig, siginfo_t* info, void*) {
  RestoreTerminal();
  // A fault raised by the processor happens again when the handler returns,
  // now under the previous action, with its original context; a signal sent
  // by kill or raise (abort) is sent again.
  const bool fault = sig == SIGSEGV || sig == SIGBUS || sig == SIGFPE || sig == SIGILL;
  if (fault && info != nullptr && info->si_code > 0) {
    sigaction(sig, &g_previous[sig], nullptr);
    return;
  }
  RaiseWithPreviousAction(sig);
}

// Every signal the session handles, and how: the one table that both
// installs the handlers and puts the previous actions back.
struct SignalRule {
  int sig;
  void (*handler)(int);                          // a plain handler, or null
  void (*faultHandler)(int, siginfo_t*, void*);  // the fatal signals' handler, told the fault
};
constexpr SignalRule kSignalRules[] = {
    // End requests: the first is noted, a second one leaves at once.
    {SIGINT, OnEndSignal, nullptr},
    {SIGTERM, OnEndSignal, nullptr},
    {SIGHUP, OnEndSignal, nullptr},
    {SIGWINCH, OnResize, nullptr},
    {SIGCONT, OnContinue, nullptr},
    // Stops: each holds the others off while it gives the terminal back.
    {SIGTSTP, OnStopSignal, nullptr},
    {SIGTTIN, OnStopSignal, nullptr},
    {SIGTTOU, OnStopSignal, nullptr},
    // Fatal signals, handled on a stack of their own (so that a stack
    // overflow is restored too), a fault raised again inside the handler
    // included.
    {SIGSEGV, nullptr, OnFatalSignal},
    {SIGBUS, nullptr, OnFatalSignal},
    {SIGFPE, nullptr, OnFatalSignal},
    {SIGILL, nullptr, OnFatalSignal},
    {SIGABRT, nullptr, OnFatalSignal},
    {SIGTRAP, nullptr, OnFatalSignal},
    {SIGSYS, nullptr, OnFatalSignal},
    {SIGQUIT, nullptr, OnFatalSignal},
    {SIGXCPU, nullptr, OnFatalSignal},
    {SIGXFSZ, nullptr, OnFatalSignal},
};

struct sigaction ActionOf(const SignalRule& rule) {
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  if (rule.faultHandler) {
    action.sa_sigaction = rule.faultHandler;
    action.sa_flags = SA_SIGINFO | SA_NODEFER | SA_ONSTACK;
    return action;
  }
  action.sa_handler = rule.handler;
  action.sa_flags = SA_RESTART;
  if (rule.handler == OnStopSignal)
    for (const SignalRule& other : kSignalRules)
      if (other.handler == OnStopSignal) sigaddset(&action.sa_mask, other.sig);
  return action;
}

void InstallHandlers() {
  stack_t altStack{};
  altStack.ss_sp = g_altStack;
  altStack.ss_size = sizeof g_altStack;
  sigaltstack(&altStack, nullptr);
  for (const SignalRule& rule : kSignalRules) {
    const struct sigaction action = ActionOf(rule);
    sigaction(rule.sig, &action, &g_previous[rule.sig]);
  }
}

void RemoveHandlers() {
  for (const SignalRule& rule : kSignalRules) sigaction(rule.sig, &g_previous[rule.sig], nullptr);
  stack_t disable{};
  disable.ss_flags = SS_DISABLE;
  sigaltstack(&disable, nullptr);
}

// Raw mode: bytes arrive one by one as typed, nothing is echoed, Ctrl+C and
// Ctrl+S are plain bytes; reads return at once (poll decides when to read).
// Output processing stays on, so that a stray message still starts its
// lines at the left edge, but a carriage return reaches the terminal as
// one: the frames move the cursor with it.
termios RawModes(termios modes) {
  modes.c_iflag &= ~static_cast<tcflag_t>(BRKINT | ICRNL | INPCK | ISTRIP | IXON);
  modes.c_oflag &= ~static_cast<tcflag_t>(OCRNL | ONOCR | ONLRET);
  modes.c_cflag |= CS8;
  modes.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | IEXTEN | ISIG);
  modes.c_cc[VMIN] = 0;
  modes.c_cc[VTIME] = 0;
  return modes;
}

ScreenSize QuerySize() {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0)
    return {size.ws_col, size.ws_row};
  return {};
}

// Opens the terminal on standard output anew, non-blocking: a description
// of its own, so that standard output stays blocking for the shell.
void OpenOutput() {
  const int fd = open("/proc/self/fd/1", O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0 && isatty(fd)) {
    g_out = fd;
    return;
  }
  if (fd >= 0) close(fd);
  g_out = STDOUT_FILENO;
}

void CloseOutput() {
  if (g_out != STDOUT_FILENO) close(g_out);
  g_out = STDOUT_FILENO;
}

// True while the show's process group is the terminal's foreground one
// (always on a terminal that is not the controlling one).
bool InForeground() {
  const pid_t group = tcgetpgrp(g_termiosFd >= 0 ? g_termiosFd : STDOUT_FILENO);
  return group < 0 || group == getpgrp();
}

}  // namespace

bool WantsTrueColour(const char* colorterm) {
  return colorterm != nullptr && (std::strcmp(colorterm, "truecolor") == 0 || std::strcmp(colorterm, "24bit") == 0);
}

Terminal::Terminal(std::string_view title, EncodeOptions encoding, bool askSize)
    : repeatAllowed_(encoding.repeat), askSize_(askSize), encoding_(encoding) {
  if (!isatty(STDOUT_FILENO)) throw TerminalError("standard output is not a terminal");
  if (g_exists.exchange(true)) throw TerminalError("the terminal is in use already");
  encoding_.repeat = Repeat::kNone;  // until the terminal answers the REP question
  for (const char c : title)
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) title_ += c;

  // 1. Save the modes, then install the handlers and the exit hook before
  //    anything changes, so that every later way out restores.
  g_termiosFd = isatty(kIn) ? kIn : STDOUT_FILENO;
  if (tcgetattr(g_termiosFd, &g_savedModes) != 0) g_termiosFd = -1;
  OpenOutput();
  g_endSignal.store(0);
  g_resized.store(false);
  g_continued.store(false);
  InstallHandlers();
  static const bool exitHook = std::atexit(RestoreTerminal) == 0;
  (void)exitHook;
  CaptureStandardError();

  // 2. Raw mode and the screen modes, now or once the show is in the
  //    foreground.
  screen_.size = QuerySize();
  if (InForeground()) Take();
}

Terminal::~Terminal() {
  RestoreTerminal();
  RemoveHandlers();
  CloseOutput();
  g_exists.store(false);
}

// Raw mode now; the title, the screen modes and a full redraw with the
// next frame. After a give-back the title is saved again; after a mere
// continue (the terminal was not given back) CAN first cancels whatever
// sequence the stop cut short.
void Terminal::Take() {
  const bool givenBack = !g_taken.load();
  g_busy.store(gettid());
  if (g_termiosFd >= 0) {
    const termios raw = RawModes(g_savedModes);
    tcsetattr(g_termiosFd, TCSAFLUSH, &raw);
  }
  givenBackSeen_ = g_givenBack.load();
  g_taken.store(true);
  g_busy.store(0);

  output_.clear();
  sent_ = 0;
  start_ = givenBack ? "\x1b[22;0t" : "\x18";  // save the title
  start_ += "\x1b]2;" + title_ + '\x07';
  // Alternate screen, cursor hidden, auto-wrap off; the first time a window
  // of 50 rows by 80 (unless the size is left alone), and the REP question.
  start_ += "\x1b[?1049h\x1b[?25l\x1b[?7l";
  if (!takenBefore_) {
    if (askSize_) start_ += "\x1b[8;50;80t";
    if (repeatAllowed_ != Repeat::kNone) {
      start_ += kRepeatProbe;
      probeReplies_ = 2;
    }
  }
  takenBefore_ = true;
  screen_.valid = false;
  g_resized.store(true);
}

// Makes sure that the terminal is the show's: takes it again after a stop
// or a continue once the show is in the foreground. False while it is not
// the show's.
bool Terminal::HoldTerminal() {
  const bool continued = g_continued.exchange(false);
  if (g_taken.load() && !continued) return true;
  if (InForeground()) {
    Take();
    return true;
  }
  // Continued in the background with the terminal still in the show's
  // modes (stopped by SIGSTOP, then bg): give it back until fg.
  GiveBack();
  return false;
}

// Writes the output without blocking, waiting up to waitMillis in all for
// a terminal that does not take it at once; what is left stays for later.
// Output meant for the terminal before a give-back is dropped.
void Terminal::Flush(int waitMillis) {
  // The writer marks itself busy, so that a give-back on another thread
  // waits for its write, and stops once the terminal was given back.
  struct WhileOurs {
    unsigned givenBackSeen;
    bool Enter() const {
      g_busy.store(gettid());
      if (g_taken.load() && g_givenBack.load() == givenBackSeen) return true;
      g_busy.store(0);
      return false;
    }
    void Leave() const { g_busy.store(0); }
  } whileOurs{givenBackSeen_};
  const std::size_t before = sent_;
  const Written written = WriteLoop(g_out, output_.data(), output_.size(), sent_, waitMillis, whileOurs);
  stats_.bytes += sent_ - before;
  if (written == Written::kLater) return;
  if (written == Written::kFailed) lost_ = true;  // the terminal is gone
  if (written != Written::kAll) screen_.valid = false;
  output_.clear();
  sent_ = 0;
}

// A resize since the last look: the new size, and a full redraw.
void Terminal::NoticeResize() {
  if (!g_resized.exchange(false)) return;
  screen_.size = QuerySize();
  screen_.valid = false;
}

ScreenSize Terminal::Size() {
  NoticeResize();
  return screen_.size;
}

bool Terminal::Present(FrameView frame) {
  ++stats_.frames;
  if (lost_) return false;
  // 1. The terminal must be the show's, at its present size.
  if (!HoldTerminal()) {
    ++stats_.dropped;
    return true;
  }
  NoticeResize();
  // 2. The rest of an earlier frame goes first; if the terminal does not
  //    take it in time, this frame is dropped.
  Flush(kOutputWaitMillis);
  if (lost_) return false;
  if (!output_.empty()) {
    ++stats_.dropped;
    return true;
  }
  // 3. This frame, in one buffer.
  output_.swap(start_);
  start_.clear();
  EncodeFrame(frame, encoding_, screen_, output_);
  Flush(kOutputWaitMillis);
  return !lost_;
}

// The answers to the REP question, in the order asked: ASCII, then any
// glyph. REP is used as far as the terminal repeats and the caller allows.
// A report from another row is a key (Alt+F3 reads "ESC [ 1 ; 3 R").
void Terminal::OnCursorReport(int row, int column) {
  if (probeReplies_ == 0 || row != kProbeRow) return;
  const bool repeated = column == kRepeatedColumn;
  if (probeReplies_ == 2 && repeated) encoding_.repeat = Repeat::kAscii;
  if (probeReplies_ == 1 && repeated && encoding_.repeat == Repeat::kAscii) encoding_.repeat = repeatAllowed_;
  --probeReplies_;
}

// Ctrl+Z: stops the process group as the terminal would (the handler
// gives the terminal back first); what was typed with it is dropped.
void Terminal::Suspend() {
  keyScan_ = {};
  kill(0, SIGTSTP);
}

void Terminal::ReadKeys(std::vector<int>& typed) {
  // Each event the scanner finds: typed keys to the caller, reports to the
  // REP question; true for the suspend key, which ends the reading.
  const auto take = [&](const KeyEvent& event) {
    if (event.kind == KeyEvent::Kind::kTyped) typed.push_back(event.code);
    if (event.kind == KeyEvent::Kind::kCursorReport) OnCursorReport(event.row, event.column);
    return event.kind == KeyEvent::Kind::kSuspend;
  };
  // Read whatever arrived; after an ESC wait briefly for the rest of a
  // sequence before taking it as the Escape key. Keys are read only while
  // the terminal is the show's.
  bool suspend = false;
  while (inputOpen_ && !suspend && g_taken.load()) {
    const bool awaiting = AwaitingMore(keyScan_);
    pollfd p{kIn, POLLIN, 0};
    const int ready = poll(&p, 1, awaiting ? kLoneEscapeMillis : 0);
    if (ready < 0 && errno == EINTR) continue;
    char bytes[256];
    const ssize_t n = ready > 0 && (p.revents & POLLNVAL) == 0 ? read(kIn, bytes, sizeof bytes) : 0;
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {  // nothing more for now, or no input any more
      if (ready != 0) inputOpen_ = false;  // only signals can end the show now
      if (awaiting || ready != 0) take(EndOfBurst(keyScan_));
      break;
    }
    // The rest of a burst after Ctrl+Z was typed before the stop: dropped.
    for (ssize_t i = 0; i < n && !suspend; ++i) suspend = take(ScanKey(keyScan_, bytes[i]));
  }
  if (suspend) Suspend();
}

int Terminal::EndSignal() const {
  if (const int sig = g_endSignal.load()) return sig;
  return lost_ ? SIGHUP : 0;
}

void DieOf(int sig) {
  signal(sig, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, sig);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  raise(sig);
  std::_Exit(128 + sig);
}

std::uint64_t Milliseconds() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace term
