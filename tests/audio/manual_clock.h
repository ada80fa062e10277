// A clock that moves only when a test moves it, for the silent sink and the
// cue thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "audio/clock.h"

namespace audio_test {

class ManualClock final : public audio::Clock {
 public:
  std::chrono::nanoseconds Now() const override {
    return std::chrono::nanoseconds(now_.load(std::memory_order_acquire));
  }
  // Waits a moment of real time: the caller re-checks, the test moves time.
  void SleepUntil(std::chrono::nanoseconds when) const override {
    if (Now() < when) std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  // Sets the time to `frames` frames at 44,100 Hz after the start (rounded
  // up to the nanosecond, so that exactly that many whole frames have
  // passed). Tests only move it forward.
  void SetFrames(std::uint64_t frames) {
    const std::uint64_t ns = (frames * 1'000'000'000 + 44099) / 44100;
    now_.store(kStart + static_cast<std::int64_t>(ns), std::memory_order_release);
  }

 private:
  static constexpr std::int64_t kStart = std::int64_t{1'000'000'000} * 100;
  std::atomic<std::int64_t> now_{kStart};
};

// Polls `done` every millisecond until it holds; false after `limit` of real
// time. Tests use it to wait for another thread, never to measure time.
template <typename Done>
bool WaitFor(Done done, std::chrono::seconds limit = std::chrono::seconds(20)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace audio_test
