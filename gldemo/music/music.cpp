#include "gldemo/music.h"

#include <algorithm>

namespace gldemo {

namespace {
constexpr std::uint64_t kBytesPerFrame = 4;  // 16-bit stereo
}  // namespace

Music::Music(std::unique_ptr<OggStream> stream, std::unique_ptr<audio::Output> output)
    : stream_(std::move(stream)), output_(std::move(output)) {}

Music::~Music() { output_->Stop(); }

std::unique_ptr<Music> Music::Start(const std::string& path, const audio::OutputOptions& options,
                                    std::string* error) {
  std::unique_ptr<OggStream> stream = OggStream::OpenFile(path, error);
  if (!stream) return nullptr;
  return std::unique_ptr<Music>(new Music(std::move(stream), audio::OpenOutput(options)));
}

int Music::LatencyMs() const { return output_->LatencyMs(); }

void Music::Play(std::uint64_t from) {
  if (from > 0) {
    stream_->Seek(from);
    segmentFirst_ = from;
  }
  output_->Play(*this);
}

std::uint64_t Music::PositionBytes() const {
  // Start first: a rewind publishes its end before its start.
  const std::uint64_t start = segmentStart_.load(std::memory_order_acquire);
  const std::uint64_t end = segmentEnd_.load(std::memory_order_acquire);
  const std::uint64_t played = std::min(output_->FramesPlayed(), end);
  if (start == kRewinding || played < start) return 0;
  return (segmentFirst_ + played - start) * kBytesPerFrame;
}

void Music::Rewind() {
  segmentFirst_ = 0;
  segmentStart_.store(kRewinding, std::memory_order_release);
}

void Music::Render(float* out, std::size_t frames, std::uint64_t firstFrame) {
  // 1. A rewind asked for since the last call starts the stream again at
  //    this call's first frame. Requests that come in meanwhile are the
  //    same request.
  if (segmentStart_.load(std::memory_order_acquire) == kRewinding) {
    stream_->Rewind();
    segmentEnd_.store(kOpenEnd, std::memory_order_release);
    std::uint64_t rewinding = kRewinding;
    segmentStart_.compare_exchange_strong(rewinding, firstFrame, std::memory_order_acq_rel);
  }
  // 2. The frames, and silence after the end, whose first frame ends the
  //    position.
  const std::size_t got = stream_->Decode(out, frames);
  if (got < frames) {
    std::fill(out + 2 * got, out + 2 * frames, 0.0f);
    if (segmentEnd_.load(std::memory_order_relaxed) == kOpenEnd)
      segmentEnd_.store(firstFrame + got, std::memory_order_release);
  }
}

}  // namespace gldemo
