// kalt/frame_cap.h - a frame cap: at most N frames a second, the loop
// thread asleep until each frame's moment instead of drawing frames no one
// sees.
//
//   kalt::FrameCap cap(60);   // 0: no cap, Wait returns at once
//   for (;;) { ... draw and show a frame ... cap.Wait(); }
#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

namespace kalt {

class FrameCap {
 public:
  using Clock = std::chrono::steady_clock;

  // At most `fps` frames a second (0 or less: no cap), counted from now.
  explicit FrameCap(long fps) : fps_(fps), start_(Clock::now()) {}

  // Sleeps until the next frame's moment: frame k at start + k / fps
  // seconds, so the rate holds over any number of frames without drift. A
  // loop a little behind (a slow frame, a late wake-up) goes on at once
  // until it has caught up; one more than kMostBehind behind (the program
  // was stopped, or the machine cannot draw that fast) counts again from
  // now instead of hurrying.
  void Wait() {
    if (fps_ <= 0) return;
    ++frames_;
    const Clock::time_point next = Moment(frames_);
    const Clock::time_point now = Clock::now();
    if (now - next > kMostBehind) {
      start_ = now;
      frames_ = 0;
      return;
    }
    std::this_thread::sleep_until(next);
  }

  static constexpr std::chrono::milliseconds kMostBehind{250};

  long Fps() const { return fps_; }

 private:
  Clock::time_point Moment(std::int64_t k) const {
    return start_ + std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(k * 1'000'000'000 / fps_));
  }

  long fps_;
  Clock::time_point start_;
  std::int64_t frames_ = 0;
};

}  // namespace kalt
