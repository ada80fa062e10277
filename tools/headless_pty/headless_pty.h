// headless_pty.h - a terminal of 80 x 50 that nobody looks at, for
// measuring the shows headless: a pseudo-terminal takes the place of
// standard input and output, and a thread reads and discards what is
// written to it, so that writes never wait for a full buffer.
#pragma once

#include <atomic>
#include <thread>

namespace kalt_tools {

class HeadlessPty {
 public:
  // Opens the terminal and puts it in place of standard input and output.
  // When it cannot be opened, ok() is false after a message on stderr and
  // nothing has changed.
  HeadlessPty();
  // Puts the usual standard input and output back and closes the terminal.
  // (A program that leaves a terminal session open on it until the process
  // ends keeps the object alive instead.)
  ~HeadlessPty();
  HeadlessPty(const HeadlessPty&) = delete;
  HeadlessPty& operator=(const HeadlessPty&) = delete;

  bool ok() const { return master_ >= 0; }
  // The usual standard output, for reports while the terminal is in place.
  int usualOutput() const { return savedOut_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  int savedIn_ = -1;
  int savedOut_ = -1;
  std::atomic<bool> stop_{false};
  std::thread reader_;
};

}  // namespace kalt_tools
