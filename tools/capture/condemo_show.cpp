// condemo offline: the song rendered through the show's player and effects
// chain, and the frame loop of condemo/show.cpp with the song's sample
// position as its clock.
#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "audio/output.h"
#include "condemo/director.h"
#include "condemo/logos.h"
#include "condemo/render.h"
#include "kalt/run_tree.h"
#include "kalt/worker_pool.h"
#include "music/player.h"
#include "music/song.h"
#include "shows.h"
#include "timing.h"

namespace capture {

namespace {

using condemo::kEndOrder;

// The song is rendered in blocks of this many frames from its start, as the
// audio output pulls it with its default device buffer: libopenmpt's sound
// depends on the sizes of the pieces it is asked for, so these are the
// pieces the show plays.
constexpr std::size_t kBlockFrames = audio::OutputOptions{}.bufferFrames;

// The song as the show plays it, rendered offline. Notes and rows count as
// heard once the position reaches their frame, exactly as the output's cue
// thread lets them be heard live (the chain's own delay is in their frames
// already); the sound from firstKept on is kept for the file.
class OfflineSong {
 public:
  explicit OfflineSong(std::int64_t firstKept) : firstKept_(firstKept) {
    std::string error;
    // The song does not repeat: the show ends before the song does, and a
    // song that ended first would otherwise play forever.
    player_ = music::Player::Open(kalt::ShowFile(condemo::kSongFile), music::PlayerOptions{.loop = false}, &error);
    if (!player_) throw CaptureError("Failed loading Protracker-Module: " + error);
    condemo::HookInstruments(*player_, pulse_);
    player_->SetEffects(condemo::SongEffects());
  }

  // Renders the song up to and including `position` and hears everything
  // up to it.
  void HearUpTo(std::int64_t position) {
    RenderTo(position + 1);
    player_->Played(static_cast<std::uint64_t>(position));
  }

  int Order() const { return player_->HeardOrder(); }
  bool Ended() const { return player_->EndHeard(); }
  condemo::PulseState& Pulse() { return pulse_; }

  // The next frames of the kept sound.
  void TakeSound(float* out, std::size_t frames) {
    const std::size_t available = (kept_.size() - read_) / 2;
    if (available < frames) RenderTo(rendered_ + static_cast<std::int64_t>(frames - available));
    std::copy_n(kept_.begin() + static_cast<std::ptrdiff_t>(read_), 2 * frames, out);
    read_ += 2 * frames;
    if (read_ > kept_.size() / 2) {
      kept_.erase(kept_.begin(), kept_.begin() + static_cast<std::ptrdiff_t>(read_));
      read_ = 0;
    }
  }

 private:
  // Renders whole blocks until `end` is rendered.
  void RenderTo(std::int64_t end) {
    constexpr auto kFrames = static_cast<std::int64_t>(kBlockFrames);
    while (rendered_ < end) {
      player_->Render(block_.data(), kBlockFrames, static_cast<std::uint64_t>(rendered_));
      // What the output does to every sample before the device gets it.
      audio::Saturate(block_.data(), 2 * kBlockFrames);
      const std::int64_t skip = std::clamp<std::int64_t>(firstKept_ - rendered_, 0, kFrames);
      kept_.insert(kept_.end(), block_.begin() + 2 * skip, block_.end());
      rendered_ += kFrames;
    }
  }

  condemo::PulseState pulse_;  // struck by the player's handlers: declared before it, so it outlives it
  std::unique_ptr<music::Player> player_;
  std::int64_t firstKept_;
  std::int64_t rendered_ = 0;
  std::vector<float> block_ = std::vector<float>(2 * kBlockFrames);
  std::vector<float> kept_;  // interleaved, from the first not yet taken at read_
  std::size_t read_ = 0;
};

class CondemoShow final : public OfflineShow {
 public:
  CondemoShow(double from, int fps, int workerCount, kalt::GridSize grid)
      : from_(from), fps_(fps), workers_(workerCount), song_(SamplePosition(from)), grid_(grid) {
    // The frames of a run from the start, up to `from`.
    for (std::int64_t j = 0; FrameTime(0.0, fps, j) < from; ++j) {
      Step(FrameTime(0.0, fps, j), nullptr);
      if (ended_) {
        char message[160];
        std::snprintf(message, sizeof message, "condemo ends at %.2f s of the show, before --from %.2f",
                      FrameTime(0.0, fps, j), from);
        throw CaptureError(message);
      }
    }
  }

  void NextFrame(ShowFrame& frame) override { Step(FrameTime(from_, fps_, next_++), &frame); }
  void NextSound(float* out, std::size_t frames) override { song_.TakeSound(out, frames); }

 private:
  // One pass of the show's frame loop at `time`; drawn into *out unless
  // out is null.
  void Step(double time, ShowFrame* out) {
    // 1. The song up to the frame's sample position: the order position and
    //    the pulse, held for the whole frame.
    song_.HearUpTo(SamplePosition(time));
    const int order = song_.Order();
    frame_.pulse = condemo::TakePulse(song_.Pulse());
    // 2. The scene, then every cell, then the logos (their jitter moves on
    //    with the beats also in frames not drawn).
    frame_.scene = condemo::DirectScene(order, time, frame_.pulse, frameDelta_, frame_.scene.maxTravel);
    frame_.sceneTime = time;
    if (out) condemo::RenderFrame(frame_, workers_, grid_);
    condemo::DrawLogos(grid_, jitter_, random_, order, frame_.pulse);
    ended_ = order >= kEndOrder || song_.Ended();
    if (out) {
      out->grid = grid_.size();
      out->cells.assign(grid_.cells.begin(), grid_.cells.end());
      out->time = time;
      out->state = State(order);
      out->last = ended_;
    }
    // 3. The flashes fade by the frame's step.
    ++frame_.frameNumber;
    frameDelta_ = time - previousTime_;
    condemo::DecayFlashes(song_.Pulse(), 1.0 / fps_);
    previousTime_ = time;
  }

  std::string State(int order) const {
    const condemo::MusicPulse& pulse = frame_.pulse;
    char text[352];
    std::snprintf(text, sizeof text,
                  "--order %d --time %.17g --flash %.9g,%.9g,%.9g --beats %d --max-travel %.9g --frame %u --jitter %d,%d "
                  "--grid %dx%d",
                  order, frame_.sceneTime, static_cast<double>(pulse.flashA), static_cast<double>(pulse.flashB),
                  static_cast<double>(pulse.flashC), static_cast<int>(pulse.beatCount),
                  static_cast<double>(frame_.scene.maxTravel), static_cast<unsigned>(frame_.frameNumber), jitter_.jx,
                  jitter_.jy, grid_.columns, grid_.rows);
    return text;
  }

  double from_;
  int fps_;
  kalt::WorkerPool workers_;  // the render threads, kept for the whole capture
  std::int64_t next_ = 0;
  OfflineSong song_;
  condemo::FrameState frame_;
  condemo::CellGrid grid_;
  condemo::LogoJitter jitter_;
  condemo::Rand15 random_;
  double previousTime_ = 0.0, frameDelta_ = 0.0;
  bool ended_ = false;
};

}  // namespace

const char* CondemoTitle() { return condemo::kShowTitle; }

std::unique_ptr<OfflineShow> OpenCondemo(double from, int fps, int workerCount, kalt::GridSize grid) {
  return std::make_unique<CondemoShow>(from, fps, workerCount, grid);
}

double CondemoEnd() {
  OfflineSong song(std::numeric_limits<std::int64_t>::max());  // keeps no sound
  constexpr std::int64_t kStep = 441;  // 10 ms
  std::int64_t position = 0;
  while (song.Order() < kEndOrder && !song.Ended()) song.HearUpTo(position += kStep);
  return static_cast<double>(position) / audio::SampleRate;
}

}  // namespace capture
