// Test helper: a tmux server of its own (socket in a fresh temporary
// folder, no configuration file) with one pane running an interactive
// POSIX shell, for end-to-end tests of full-screen programs in a real
// terminal emulator.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace term_test {

// Runs a program with its arguments and returns what it printed on
// standard output (standard error goes to the test's).
inline std::string RunProgram(const std::vector<std::string>& argv) {
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe");
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    close(out[0]);
    close(out[1]);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
  close(out[0]);
  waitpid(pid, nullptr, 0);
  return text;
}

class Tmux {
 public:
  // Starts the server with a detached session whose only pane is
  // `columns` x `rows`, running sh in `directory` with the prompt "$ " and
  // the extra environment entries ("NAME=value").
  Tmux(int columns, int rows, const std::string& directory, const std::vector<std::string>& env = {}) {
    char folder[] = "/tmp/kalt-tmux-XXXXXX";
    if (mkdtemp(folder) == nullptr) throw std::runtime_error("mkdtemp");
    folder_ = folder;
    socket_ = folder_ + "/socket";
    std::vector<std::string> args = {"new-session", "-d", "-s", "show", "-x", std::to_string(columns), "-y", std::to_string(rows),
                                     "-c", directory, "-e", "PS1=$ ", "-e", "ENV="};
    for (const std::string& e : env) {
      args.push_back("-e");
      args.push_back(e);
    }
    args.push_back("sh");
    Run(args);
  }

  ~Tmux() {
    Run({"kill-server"});
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  Tmux(const Tmux&) = delete;
  Tmux& operator=(const Tmux&) = delete;

  // A tmux command on this server; returns its standard output.
  std::string Run(std::vector<std::string> args) const {
    args.insert(args.begin(), {"tmux", "-S", socket_, "-f", "/dev/null"});
    return RunProgram(args);
  }

  // Types a line into the pane's shell and presses Enter.
  void TypeLine(const std::string& line) const { Run({"send-keys", "-t", "show", "-l", line + "\r"}); }
  // Sends keys by tmux's names ("Escape", "C-c", "Up").
  void Keys(const std::string& keys) const { Run({"send-keys", "-t", "show", keys}); }

  // The pane's text, one line per row (no colours).
  std::string Capture() const { return Run({"capture-pane", "-p", "-t", "show"}); }
  std::vector<std::string> CaptureLines() const {
    std::vector<std::string> lines;
    const std::string text = Capture();
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find('\n', at);
      lines.push_back(text.substr(at, end - at));
      at = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
  }

  // A tmux format evaluated for the pane ("#{pane_title}", "#{cursor_flag}").
  std::string Format(const std::string& format) const {
    std::string value = Run({"display-message", "-p", "-t", "show", format});
    if (!value.empty() && value.back() == '\n') value.pop_back();
    return value;
  }

  void Resize(int columns, int rows) const {
    Run({"resize-window", "-t", "show", "-x", std::to_string(columns), "-y", std::to_string(rows)});
  }

  // Polls `done` every 100 ms; false after `seconds` without success.
  static bool WaitFor(const std::function<bool()>& done, double seconds = 20) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
  }

  // True once the pane shows `text` somewhere.
  bool WaitForText(const std::string& text, double seconds = 20) const {
    return WaitFor([&] { return Capture().find(text) != std::string::npos; }, seconds);
  }

  // A shell line that runs `command`, then prints "status=N modes=same"
  // (or modes=changed when the terminal's modes were not restored).
  static std::string CheckedRun(const std::string& command) {
    return "m=$(stty -g); " + command +
           "; echo \"status=$? modes=$([ \"$m\" = \"$(stty -g)\" ] && echo same || echo changed)\"";
  }

 private:
  std::string folder_;
  std::string socket_;
};

}  // namespace term_test
