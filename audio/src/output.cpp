#include "audio/output.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <utility>

#include "device.h"

namespace audio {

using std::chrono::nanoseconds;

namespace detail {

std::uint64_t FramesIn(nanoseconds span) {
  if (span.count() <= 0) return 0;
  const auto ns = static_cast<std::uint64_t>(span.count());
  constexpr std::uint64_t perSecond = 1'000'000'000;
  return ns / perSecond * SampleRate + ns % perSecond * SampleRate / perSecond;
}

nanoseconds TimeOf(std::uint64_t frames) {
  constexpr std::uint64_t perSecond = 1'000'000'000;
  const std::uint64_t rest = frames % SampleRate;
  return nanoseconds(static_cast<std::int64_t>(frames / SampleRate * perSecond +
                                               (rest * perSecond + SampleRate - 1) / SampleRate));
}

}  // namespace detail

void Saturate(float* samples, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const float v = samples[i];
    // NaN fails both comparisons and lands on 0.
    samples[i] = v >= -1.0f ? (v <= 1.0f ? v : 1.0f) : (v < -1.0f ? -1.0f : 0.0f);
  }
}

// How often the cue thread looks at the position when no cue is near: well
// inside the shortest latency, so a cue made by a Render call is never late.
constexpr nanoseconds kCuePoll = std::chrono::milliseconds(5);

struct Output::State final : detail::Puller {
  const Clock* sinkClock = nullptr;
  int bufferFrames = 0;

  // The device is replaced by the cue thread when it is lost; everyone else
  // reads it under the lock.
  mutable std::mutex deviceLock;
  std::unique_ptr<detail::Device> device;

  Source* source = nullptr;
  std::atomic<std::uint64_t> pulled{0};
  std::atomic<bool> stopping{false};
  // Once stopped, the position stays where the listener was.
  std::atomic<bool> halted{false};
  std::atomic<std::uint64_t> haltedAt{0};
  bool started = false;
  bool stopped = false;
  std::thread cueThread;

  void Pull(float* out, std::size_t frames) override {
    source->Render(out, frames, pulled.load(std::memory_order_relaxed));
    Saturate(out, frames * Channels);
    // Release: whatever the source recorded while rendering is visible to
    // the cue thread once it sees these frames counted.
    pulled.fetch_add(frames, std::memory_order_release);
  }

  std::uint64_t FramesPlayed() const {
    if (halted.load(std::memory_order_acquire)) return haltedAt.load(std::memory_order_relaxed);
    std::lock_guard<std::mutex> lock(deviceLock);
    return device->FramesPlayed();
  }

  // A device that has stopped consuming audio gives way to the silent sink,
  // which continues from the frames already pulled.
  void ReplaceLostDevice() {
    if (!device->Lost()) return;
    device->Stop();
    std::unique_ptr<detail::Device> sink =
        detail::OpenSilentSink(*sinkClock, bufferFrames, pulled.load(std::memory_order_acquire));
    sink->Start(*this);
    std::unique_ptr<detail::Device> lost;
    {
      std::lock_guard<std::mutex> lock(deviceLock);
      lost = std::exchange(device, std::move(sink));
    }
  }

  void CueLoop() {
    while (!stopping.load(std::memory_order_acquire)) {
      ReplaceLostDevice();
      const Clock& clock = device->Silent() ? *sinkClock : SteadyClock();
      const std::uint64_t played = FramesPlayed();
      if (source->NextCue() <= played) source->Played(played);
      // Sleep until the next cue is due; a source that left a cue behind
      // (it should not) is asked again after the usual poll.
      const std::uint64_t cue = source->NextCue();
      nanoseconds wait = kCuePoll;
      if (cue != NoCue && cue > played) wait = std::min(wait, detail::TimeOf(cue - played));
      clock.SleepUntil(clock.Now() + wait);
    }
  }
};

Output::Output(std::unique_ptr<State> state) : state_(std::move(state)) {}

Output::~Output() { Stop(); }

bool Output::Play(Source& source) {
  if (state_->started) return false;
  state_->started = true;
  state_->source = &source;
  state_->device->Start(*state_);
  state_->cueThread = std::thread([state = state_.get()] { state->CueLoop(); });
  return true;
}

void Output::Stop() {
  if (!state_->started || state_->stopped) return;
  state_->stopped = true;
  state_->stopping.store(true, std::memory_order_release);
  state_->cueThread.join();
  state_->device->Stop();
  state_->haltedAt.store(state_->FramesPlayed(), std::memory_order_relaxed);
  state_->halted.store(true, std::memory_order_release);
}

std::uint64_t Output::FramesPlayed() const { return state_->FramesPlayed(); }

int Output::LatencyMs() const {
  std::lock_guard<std::mutex> lock(state_->deviceLock);
  return static_cast<int>((state_->device->LatencyFrames() * 1000 + SampleRate / 2) / SampleRate);
}

bool Output::Silent() const {
  std::lock_guard<std::mutex> lock(state_->deviceLock);
  return state_->device->Silent();
}

std::string Output::DeviceName() const {
  std::lock_guard<std::mutex> lock(state_->deviceLock);
  return state_->device->Name();
}

std::unique_ptr<Output> OpenOutput(const OutputOptions& options) {
  auto state = std::make_unique<Output::State>();
  state->sinkClock = options.clock ? options.clock : &SteadyClock();
  state->bufferFrames = std::clamp(options.bufferFrames, 64, 16384);
  if (!options.silent) state->device = detail::OpenSdlDevice(state->bufferFrames);
  if (!state->device) state->device = detail::OpenSilentSink(*state->sinkClock, state->bufferFrames, 0);
  return std::unique_ptr<Output>(new Output(std::move(state)));
}

}  // namespace audio
