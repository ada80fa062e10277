#include <algorithm>
#include <thread>

#include "audio/clock.h"

namespace audio {
namespace {

class Steady final : public Clock {
 public:
  std::chrono::nanoseconds Now() const override {
    return std::chrono::steady_clock::now().time_since_epoch();
  }
  void SleepUntil(std::chrono::nanoseconds when) const override {
    const std::chrono::nanoseconds now = Now();
    if (when <= now) return;
    std::this_thread::sleep_for(std::min<std::chrono::nanoseconds>(when - now, std::chrono::milliseconds(5)));
  }
};

}  // namespace

const Clock& SteadyClock() {
  static const Steady clock;
  return clock;
}

}  // namespace audio
