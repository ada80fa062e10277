// clock.h - the time source that paces the silent sink and the cue thread.
//
// Production code uses SteadyClock(); tests hand the output a clock of their
// own so that positions advance exactly as far as the test moves time.
#pragma once

#include <chrono>

namespace audio {

class Clock {
 public:
  virtual ~Clock() = default;
  // A monotonic time since an arbitrary start. Called from several threads.
  virtual std::chrono::nanoseconds Now() const = 0;
  // Blocks the calling thread until Now() >= when, or for a short while
  // (a few milliseconds at most), whichever comes first: callers re-check
  // the time and their own state after every return. A time in the past
  // returns at once.
  virtual void SleepUntil(std::chrono::nanoseconds when) const = 0;
};

// std::chrono::steady_clock with sleeps of at most 5 ms.
const Clock& SteadyClock();

}  // namespace audio
