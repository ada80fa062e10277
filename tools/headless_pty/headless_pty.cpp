#include "headless_pty.h"

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cstdio>

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

  // 2. Its screen: whatever arrives is read and dropped.
  reader_ = std::thread([this] {
    char buffer[1 << 16];
    while (!stop_.load()) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 50) > 0 && read(master_, buffer, sizeof buffer) < 0) break;
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
