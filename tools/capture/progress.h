// The progress bar on a terminal: frames done, the capture's speed as a
// multiple of real time, and the time left; and where the time went, for
// the summary.
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

// Seconds of work spent in each part of a capture.
struct Timings {
  double show = 0.0;     // running the show: rendering the cells, the song
  double picture = 0.0;  // rasterising and enlarging the cells
  double encode = 0.0;   // encoding and writing
};

// Adds the seconds from its construction to its destruction to `total`.
class Stopwatch {
 public:
  explicit Stopwatch(double& total) : total_(total) {}
  ~Stopwatch() { total_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }
  Stopwatch(const Stopwatch&) = delete;
  Stopwatch& operator=(const Stopwatch&) = delete;

 private:
  double& total_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

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
