#include "terminal/terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <termios.h>
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
constexpr int kOut = STDOUT_FILENO;
constexpr int kIn = STDIN_FILENO;

// Leaves the terminal as the shell expects it: CAN first (it cancels an
// escape sequence cut short by a crash), then synchronized update ended,
// colours reset, cursor shown, auto-wrap on, main screen, title restored.
constexpr char kRestore[] = "\x18\x1b[?2026l\x1b[0m\x1b[?25h\x1b[?7h\x1b[?1049l\x1b[23;0t";

std::atomic<bool> g_exists{false};    // a Terminal object exists
std::atomic<bool> g_modified{false};  // the terminal is in the show's modes
int g_termiosFd = -1;                 // the terminal whose modes were saved, or -1
termios g_savedModes;
// While the show runs, messages on standard error (when it is a terminal)
// are kept in a memory file and shown after the restore, instead of
// scribbling over the picture and vanishing with the alternate screen.
int g_stderrSaved = -1;    // the real standard error
int g_stderrCapture = -1;  // the memory file standing in for it
std::atomic<int> g_endSignal{0};
std::atomic<bool> g_resized{false};

constexpr std::array kEndSignals = {SIGINT, SIGTERM, SIGHUP};
constexpr std::array kFatalSignals = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP,
                                      SIGSYS,  SIGQUIT, SIGXCPU, SIGXFSZ};
// The actions in place before ours, indexed by signal number.
std::array<struct sigaction, NSIG> g_previous;
// The fatal handler's stack, so that a stack overflow is restored too.
alignas(16) char g_altStack[64 * 1024];

// Writes all of `size` bytes, retrying after signals and partial writes and
// waiting while a non-blocking descriptor is full. Async-signal-safe.
bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n > 0) {
      data += n;
      size -= static_cast<std::size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{fd, POLLOUT, 0};
      poll(&p, 1, -1);
    } else if (n < 0 && errno != EINTR) {
      return false;
    }
  }
  return true;
}

void CaptureStandardError() {
  if (!isatty(STDERR_FILENO)) return;
  g_stderrCapture = memfd_create("condemo-stderr", MFD_CLOEXEC);
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

// Puts the terminal back; only the first call after taking it over does
// anything. Async-signal-safe.
void RestoreTerminal() {
  if (!g_modified.exchange(false)) return;
  const int savedErrno = errno;
  WriteAll(kOut, kRestore, sizeof kRestore - 1);
  if (g_termiosFd >= 0) tcsetattr(g_termiosFd, TCSAFLUSH, &g_savedModes);
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

void Install(int sig, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(sig, &action, &g_previous[sig]);
}

void InstallHandlers() {
  stack_t altStack{};
  altStack.ss_sp = g_altStack;
  altStack.ss_size = sizeof g_altStack;
  sigaltstack(&altStack, nullptr);
  for (const int sig : kEndSignals) Install(sig, OnEndSignal);
  Install(SIGWINCH, OnResize);
  for (const int sig : kFatalSignals) {
    struct sigaction action {};
    action.sa_sigaction = OnFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO | SA_NODEFER | SA_ONSTACK;
    sigaction(sig, &action, &g_previous[sig]);
  }
}

void RemoveHandlers() {
  for (const int sig : kEndSignals) sigaction(sig, &g_previous[sig], nullptr);
  sigaction(SIGWINCH, &g_previous[SIGWINCH], nullptr);
  for (const int sig : kFatalSignals) sigaction(sig, &g_previous[sig], nullptr);
  stack_t disable{};
  disable.ss_flags = SS_DISABLE;
  sigaltstack(&disable, nullptr);
}

// Raw mode: bytes arrive one by one as typed, nothing is echoed, Ctrl+C and
// Ctrl+S are plain bytes; reads return at once (poll decides when to read).
// Output processing stays on, so that a stray message still starts its
// lines at the left edge.
termios RawModes(termios modes) {
  modes.c_iflag &= ~static_cast<tcflag_t>(BRKINT | ICRNL | INPCK | ISTRIP | IXON);
  modes.c_cflag |= CS8;
  modes.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | IEXTEN | ISIG);
  modes.c_cc[VMIN] = 0;
  modes.c_cc[VTIME] = 0;
  return modes;
}

ScreenSize QuerySize() {
  winsize size{};
  if (ioctl(kOut, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0)
    return {size.ws_col, size.ws_row};
  return {};
}

std::string StartSequence(std::string_view title) {
  std::string out = "\x1b[22;0t\x1b]2;";  // save the title, set the new one
  for (const char c : title)
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out += c;
  out += '\x07';
  // Alternate screen, cursor hidden, auto-wrap off, window 50 rows by 80.
  out += "\x1b[?1049h\x1b[?25l\x1b[?7l\x1b[8;50;80t";
  return out;
}

}  // namespace

bool WantsTrueColour(const char* colorterm) {
  return colorterm != nullptr && (std::strcmp(colorterm, "truecolor") == 0 || std::strcmp(colorterm, "24bit") == 0);
}

Terminal::Terminal(std::string_view title, EncodeOptions encoding) : encoding_(encoding) {
  if (!isatty(kOut)) throw TerminalError("standard output is not a terminal");
  if (g_exists.exchange(true)) throw TerminalError("the terminal is in use already");

  // 1. Save the modes, then install the handlers and the exit hook before
  //    anything changes, so that every later way out restores.
  g_termiosFd = isatty(kIn) ? kIn : kOut;
  if (tcgetattr(g_termiosFd, &g_savedModes) != 0) g_termiosFd = -1;
  g_endSignal.store(0);
  g_resized.store(false);
  InstallHandlers();
  static const bool exitHook = std::atexit(RestoreTerminal) == 0;
  (void)exitHook;
  g_modified.store(true);
  CaptureStandardError();

  // 2. Raw mode and the screen modes.
  if (g_termiosFd >= 0) {
    const termios raw = RawModes(g_savedModes);
    tcsetattr(g_termiosFd, TCSAFLUSH, &raw);
  }
  const std::string start = StartSequence(title);
  WriteAll(kOut, start.data(), start.size());
  screen_.size = QuerySize();
}

Terminal::~Terminal() {
  RestoreTerminal();
  RemoveHandlers();
  g_exists.store(false);
}

bool Terminal::Present(GridView grid) {
  if (g_resized.exchange(false)) {
    screen_.size = QuerySize();
    screen_.valid = false;
  }
  buffer_.clear();
  EncodeFrame(grid, encoding_, screen_, buffer_);
  ++stats_.frames;
  if (lost_) return false;
  if (!WriteAll(kOut, buffer_.data(), buffer_.size())) {
    lost_ = true;
    screen_.valid = false;
    return false;
  }
  stats_.bytes += buffer_.size();
  return true;
}

EndRequest Terminal::PollEnd() {
  // Read whatever arrived; after an ESC wait briefly for the rest of a
  // sequence before taking it as the Escape key.
  while (inputOpen_ && endKey_ == Key::kNone) {
    const bool awaiting = AwaitingMore(keyScan_);
    pollfd p{kIn, POLLIN, 0};
    const int ready = poll(&p, 1, awaiting ? kLoneEscapeMillis : 0);
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) {
      if (awaiting) endKey_ = EndOfBurst(keyScan_);
      break;
    }
    char bytes[256];
    const ssize_t n = ready > 0 && (p.revents & POLLNVAL) == 0 ? read(kIn, bytes, sizeof bytes) : 0;
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {  // end of input or hang-up: only signals can end the show now
      inputOpen_ = false;
      endKey_ = EndOfBurst(keyScan_);
      break;
    }
    endKey_ = ScanKeys(keyScan_, std::string_view(bytes, static_cast<std::size_t>(n)));
  }

  if (endKey_ == Key::kEscape) return {true, 0};
  if (endKey_ == Key::kInterrupt) return {true, SIGINT};
  if (const int sig = g_endSignal.load()) return {true, sig};
  if (lost_) return {true, SIGHUP};
  return {};
}

EndRequest Terminal::PollKeys(std::vector<int>& typed) {
  while (inputOpen_) {
    const bool awaiting = AwaitingMore(keyScan_);
    pollfd p{kIn, POLLIN, 0};
    const int ready = poll(&p, 1, awaiting ? kLoneEscapeMillis : 0);
    if (ready < 0 && errno == EINTR) continue;
    char bytes[256];
    const ssize_t n = ready > 0 && (p.revents & POLLNVAL) == 0 ? read(kIn, bytes, sizeof bytes) : 0;
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {  // nothing more for now, or no input any more
      if (ready != 0) inputOpen_ = false;
      if (awaiting || ready != 0)
        if (EndOfBurst(keyScan_) == Key::kEscape) typed.push_back(27);
      break;
    }
    ScanTyped(keyScan_, std::string_view(bytes, static_cast<std::size_t>(n)), typed);
  }
  if (const int sig = g_endSignal.load()) return {true, sig};
  if (lost_) return {true, SIGHUP};
  return {};
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
