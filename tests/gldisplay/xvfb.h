// A virtual X server for the tests that open windows: Xvfb on a free display
// number, with Mesa's software OpenGL. It stops when the object goes, or by
// itself once its last client has disconnected (so also when the test
// process ends while it is still connected).
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace gldisplay_test {

// Starts a program with the given arguments and the descriptors of this
// process; standard output goes to outFd (/dev/null when it is -1),
// standard error to errFile. Returns its process id.
inline pid_t Spawn(const std::vector<std::string>& args, const std::string& errFile = "/dev/null", int outFd = -1) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (outFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  else
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) throw std::runtime_error("cannot start " + args[0]);
  return pid;
}

// Waits up to seconds for the process to end; its wait status, or -1 when
// it is still running.
inline int WaitFor(pid_t pid, double seconds) {
  for (int tries = 0; tries < seconds * 100; ++tries) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    usleep(10000);
  }
  return -1;
}

// Waits up to seconds for the process to end, then kills it; its wait
// status, or -1 when it had to be killed.
inline int Finish(pid_t pid, double seconds) {
  const int status = WaitFor(pid, seconds);
  if (status == -1) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  return status;
}

class Xvfb {
 public:
  // A screen of width by height pixels, 24 bits deep. Throws when Xvfb
  // cannot be started (install the xvfb package).
  Xvfb(int width, int height) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe");
    pid_ = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                  std::to_string(width) + "x" + std::to_string(height) + "x24", "-nolisten", "tcp", "-terminate"},
                 "/dev/null");
    close(fds[1]);
    // Xvfb writes its display number to the descriptor once it is ready.
    std::string number;
    pollfd ready = {fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&ready, 1, 20000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) {
      Stop();
      throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
    }
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
  }
  ~Xvfb() { Stop(); }
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;

  const std::string& display() const { return display_; }

 private:
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    Finish(pid_, 10);
    pid_ = 0;
  }

  pid_t pid_ = 0;
  std::string display_;
};

}  // namespace gldisplay_test
