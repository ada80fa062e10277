// The progress bar on a terminal: frames done, the capture's speed as a
// multiple of real time, and the time left.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace capture {

// The bar's line for `done` of `total` frames (total 0: not known) of a
// capture at `fps`, `seconds` of work after the start, at most `width`
// characters wide.
std::string ProgressLine(std::int64_t done, std::int64_t total, int fps, double seconds, int width);

class Progress {
 public:
  // Draws on `out` (null: draws nothing).
  Progress(std::FILE* out, std::int64_t totalFrames, int fps);
  // Clears the line if it is still shown.
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  // Redraws the line for `done` frames, at most ten times a second.
  void Update(std::int64_t done);
  // Clears the line.
  void Clear();
  // Seconds since the start.
  double Elapsed() const;

 private:
  std::FILE* out_;
  std::int64_t total_;
  int fps_;
  int width_ = 79;  // the terminal's columns less one
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point drawn_{};
  bool shown_ = false;
};

}  // namespace capture
