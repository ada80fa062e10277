// Test helper: a program run on a pseudo-terminal of its own (its
// controlling terminal, as standard input, output and error), with the
// output collected and the exit waited for.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace term_test {

class PtyChild {
 public:
  // Starts argv[0] with the arguments argv[1..] in `directory` on a new
  // terminal of the given size; the environment is the test's without
  // COLORTERM, plus `extraEnv` ("NAME=value" entries).
  PtyChild(const std::vector<std::string>& argv, int columns, int rows, const std::string& directory = ".",
           const std::vector<std::string>& extraEnv = {}) {
    winsize size{};
    size.ws_col = static_cast<unsigned short>(columns);
    size.ws_row = static_cast<unsigned short>(rows);
    if (openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) throw std::runtime_error("openpty");
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    tcgetattr(slave_, &initialModes_);
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
      if (std::strncmp(*e, "COLORTERM=", 10) != 0) env.emplace_back(*e);
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> args, envp;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    args.push_back(nullptr);
    envp.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      setsid();
      ioctl(slave_, TIOCSCTTY, 0);
      dup2(slave_, 0);
      dup2(slave_, 1);
      dup2(slave_, 2);
      if (chdir(directory.c_str()) != 0) _exit(126);
      execve(args[0], args.data(), envp.data());
      _exit(127);
    }
  }

  ~PtyChild() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(master_);
    close(slave_);
  }
  PtyChild(const PtyChild&) = delete;
  PtyChild& operator=(const PtyChild&) = delete;

  pid_t pid() const { return pid_; }
  // The terminal's side that the program uses, for reading its modes.
  int slave() const { return slave_; }
  // The terminal's modes before the program started.
  const termios& initialModes() const { return initialModes_; }
  const std::string& output() const { return output_; }

  void Type(const std::string& bytes) {
    if (write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
      throw std::runtime_error("write to the terminal");
  }

  void Resize(int columns, int rows) {
    winsize size{};
    size.ws_col = static_cast<unsigned short>(columns);
    size.ws_row = static_cast<unsigned short>(rows);
    ioctl(master_, TIOCSWINSZ, &size);
  }

  // Collects output until `marker` appears at or after `from` in all the
  // output so far; false after `seconds` without it.
  bool ReadUntil(const std::string& marker, std::size_t from = 0, double seconds = 20) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (output_.find(marker, from) == std::string::npos) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      ReadFor(50);
    }
    return true;
  }

  // Collects output for `millis` milliseconds.
  void ReadFor(int millis) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(millis);
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 10) > 0 && (p.revents & POLLIN)) {
        char buffer[65536];
        const ssize_t n = read(master_, buffer, sizeof buffer);
        if (n > 0) output_.append(buffer, static_cast<std::size_t>(n));
      }
    }
  }

  // True while the program runs.
  bool Running() {
    if (exited_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      exited_ = true;
      status_ = status;
    }
    return !exited_;
  }

  // Waits for the program to end, reading its output; its wait status, or
  // -1 when it still runs after `seconds` (it is killed then).
  int Wait(double seconds = 20) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (Running()) {
      if (std::chrono::steady_clock::now() > deadline) return -1;
      ReadFor(20);
    }
    ReadFor(50);
    return status_;
  }

 private:
  int master_ = -1, slave_ = -1;
  termios initialModes_{};
  pid_t pid_ = -1;
  bool exited_ = false;
  int status_ = 0;
  std::string output_;
};

}  // namespace term_test
