#include "headless_pty.h"

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace kalt_tools {

HeadlessPty::HeadlessPty() {
  // 1. The terminal, 80 x 50, as standard input and output.
  winsize size{};
  size.ws_col = 80;
  size.ws_row = 50;
  if (openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) {
    std::perror("openpty");
    master_ = slave_ = -1;
    return;
  }
  std::fflush(stdout);
  savedIn_ = dup(STDIN_FILENO);
  savedOut_ = dup(STDOUT_FILENO);
  dup2(slave_, STDIN_FILENO);
  dup2(slave_, STDOUT_FILENO);

  // 2. Its screen: whatever arrives is read and dropped, except that
  //    cursor position queries are answered with column 3, where a
  //    terminal that repeats any character with REP has the cursor after
  //    the terminal layer's REP question (as xterm does).
  reader_ = std::thread([this] {
    static constexpr char kQuery[] = "\x1b[6n";
    static constexpr std::string_view kRepeated = "\x1b[2;3R";  // row 2, column 3
    char buffer[1 << 16];
    std::string seen;  // the end of the previous read, for a query split between reads, then this read
    while (!stop_.load()) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = read(master_, buffer, sizeof buffer);
      if (n < 0) break;
      seen.append(buffer, static_cast<std::size_t>(n));
      for (std::size_t at = seen.find(kQuery); at != std::string::npos; at = seen.find(kQuery, at + 1))
        if (write(master_, kRepeated.data(), kRepeated.size()) != static_cast<ssize_t>(kRepeated.size())) break;
      seen.erase(0, seen.size() > 3 ? seen.size() - 3 : 0);
    }
  });
}

HeadlessPty::~HeadlessPty() {
  if (!ok()) return;
  dup2(savedIn_, STDIN_FILENO);
  dup2(savedOut_, STDOUT_FILENO);
  stop_.store(true);
  reader_.join();
  for (const int fd : {savedIn_, savedOut_, master_, slave_}) close(fd);
}

}  // namespace kalt_tools
