// gldemo offline: the timeline at the beat of each frame's time on the
// show's screen canvas, and the soundtrack decoded beside it.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "kalt/run_tree.h"
#include "audio/output.h"
#include "cella/cella.h"
#include "gldemo/demo_main.h"
#include "gldemo/ogg_stream.h"
#include "gldemo/timeline.h"
#include "shows.h"
#include "timing.h"

namespace capture {

namespace {

// The soundtrack as the show plays it: from its start again every loop,
// silence after its end until then.
class Soundtrack {
 public:
  explicit Soundtrack(std::int64_t firstSample) : inLoop_(firstSample % kGldemoLoopSamples) {
    std::string error;
    stream_ = gldemo::OggStream::OpenFile(kalt::ShowFile(gldemo::kMusicPath), &error);
    if (!stream_) throw CaptureError(std::string("Failed to load music: ") + error);
    // To the capture's first sample within its loop.
    std::vector<float> skipped(2 * kBlockFrames);
    for (std::int64_t left = inLoop_; left > 0;) {
      const auto frames = static_cast<std::size_t>(std::min<std::int64_t>(left, kBlockFrames));
      if (stream_->Decode(skipped.data(), frames) < frames) break;
      left -= static_cast<std::int64_t>(frames);
    }
  }

  void Take(float* out, std::size_t frames) {
    float* const start = out;
    while (frames > 0) {
      const auto piece =
          static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(frames), kGldemoLoopSamples - inLoop_));
      const std::size_t got = stream_->Decode(out, piece);
      std::fill(out + 2 * got, out + 2 * piece, 0.0f);
      out += 2 * piece;
      frames -= piece;
      inLoop_ += static_cast<std::int64_t>(piece);
      if (inLoop_ == kGldemoLoopSamples) {
        stream_->Rewind();
        inLoop_ = 0;
      }
    }
    audio::Saturate(start, static_cast<std::size_t>(out - start));
  }

 private:
  static constexpr std::int64_t kBlockFrames = 4096;
  std::unique_ptr<gldemo::OggStream> stream_;
  std::int64_t inLoop_;  // frames of the current loop taken or skipped
};

class GldemoShow final : public OfflineShow {
 public:
  GldemoShow(double from, int fps)
      : from_(from), fps_(fps), pack_(cella::LoadGradientPack(kalt::ShowFile(gldemo::kGradientPath).c_str())), music_(SamplePosition(from)) {
    if (!pack_)
      throw CaptureError(std::string("cannot load the gradients ") + gldemo::kGradientPath + ": " + cella::FailureReason());
    if (pack_->count < gldemo::kTimelineGradients)
      throw CaptureError(std::string(gldemo::kGradientPath) + " holds " + std::to_string(pack_->count) +
                         " gradients, the show needs " + std::to_string(gldemo::kTimelineGradients));
    // The canvas as the frames before `from` leave it.
    gldemo::PrimeScreen(&screen_, from, fps, *pack_);
  }

  void NextFrame(ShowFrame& frame) override {
    frame.time = FrameTime(from_, fps_, next_++);
    const float beat = gldemo::BeatAtSeconds(frame.time);
    gldemo::ComposeScene(&screen_, beat, *pack_);
    // The cells as the console shows them: each colour's low four bits.
    frame.grid = {};
    frame.cells.resize(kalt::kConsoleCells);
    for (int i = 0; i < kalt::kConsoleCells; ++i) {
      const cella::Pixel& cell = screen_.data[i];
      frame.cells[i] = {cell.ch, static_cast<std::uint16_t>((cell.fg & 15) | (cell.bg & 15) << 4)};
    }
    char state[48];
    std::snprintf(state, sizeof state, "--beat %.9g", static_cast<double>(beat));
    frame.state = state;
    frame.last = false;
  }

  void NextSound(float* out, std::size_t frames) override { music_.Take(out, frames); }

 private:
  double from_;
  int fps_;
  std::int64_t next_ = 0;
  std::unique_ptr<cella::GradientPack> pack_;
  Soundtrack music_;
  cella::Canvas screen_{80, 50};
};

}  // namespace

std::unique_ptr<OfflineShow> OpenGldemo(double from, int fps) { return std::make_unique<GldemoShow>(from, fps); }

}  // namespace capture
