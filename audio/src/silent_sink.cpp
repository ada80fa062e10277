// The silent sink: consumes audio in real time and lets it go nowhere, so a
// show without a sound device runs exactly as if it were heard.
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "audio/output.h"
#include "device.h"

namespace audio::detail {
namespace {

using std::chrono::nanoseconds;

// A sink that has fallen this far behind its clock (the machine was
// suspended, the process stopped) resumes from where it was, the way a device
// does after an underrun, instead of rendering the gap as fast as it can.
constexpr std::uint64_t kMaxCatchUp = 2 * SampleRate;

class SilentSink final : public Device {
 public:
  SilentSink(const Clock& clock, int bufferFrames, std::uint64_t startFrame)
      : clock_(clock),
        block_(static_cast<std::uint64_t>(bufferFrames)),
        startFrame_(startFrame),
        pulled_(startFrame) {}
  ~SilentSink() override { Stop(); }

  void Start(Puller& puller) override {
    anchor_.store(clock_.Now().count(), std::memory_order_relaxed);
    started_.store(true, std::memory_order_release);
    thread_ = std::thread([this, &puller] { Run(puller); });
  }

  void Stop() override {
    stop_.store(true, std::memory_order_release);
    if (thread_.joinable()) thread_.join();
  }

  // What the clock says has been heard, but never more than was pulled.
  std::uint64_t FramesPlayed() const override {
    if (!started_.load(std::memory_order_acquire)) return startFrame_;
    return std::min(pulled_.load(std::memory_order_acquire), ClockPosition(clock_.Now()));
  }

  std::uint64_t LatencyFrames() const override { return block_; }
  bool Lost() const override { return false; }
  bool Silent() const override { return true; }
  std::string Name() const override { return "silent"; }

 private:
  std::uint64_t ClockPosition(nanoseconds now) const {
    return startFrame_ + FramesIn(now - nanoseconds(anchor_.load(std::memory_order_relaxed)));
  }

  void Run(Puller& puller) {
    std::vector<float> block(block_ * Channels);
    while (!stop_.load(std::memory_order_acquire)) {
      // 1. Where the listener would be now; a sink far behind re-anchors.
      const nanoseconds now = clock_.Now();
      std::uint64_t heard = ClockPosition(now);
      const std::uint64_t pulled = pulled_.load(std::memory_order_relaxed);
      if (heard > pulled + kMaxCatchUp) {
        anchor_.store((now - TimeOf(pulled - startFrame_)).count(), std::memory_order_relaxed);
        heard = pulled;
      }
      // 2. Keep at least one block pulled beyond what has been heard.
      if (pulled < heard + block_) {
        puller.Pull(block.data(), block_);
        pulled_.store(pulled + block_, std::memory_order_release);
        continue;
      }
      // 3. Sleep until less than one block is left ahead of the listener.
      const nanoseconds anchor(anchor_.load(std::memory_order_relaxed));
      clock_.SleepUntil(anchor + TimeOf(pulled - block_ + 1 - startFrame_));
    }
  }

  const Clock& clock_;
  const std::uint64_t block_;
  const std::uint64_t startFrame_;
  std::atomic<std::uint64_t> pulled_;
  std::atomic<std::int64_t> anchor_{0};  // clock time of startFrame, in ns
  std::atomic<bool> started_{false};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace

std::unique_ptr<Device> OpenSilentSink(const Clock& clock, int bufferFrames, std::uint64_t startFrame) {
  return std::make_unique<SilentSink>(clock, bufferFrames, startFrame);
}

}  // namespace audio::detail
