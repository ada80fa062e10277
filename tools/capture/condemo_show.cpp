// condemo offline: the song rendered through the show's player and effects
// chain, and the frame loop of condemo/show.cpp with the song's sample
// position as its clock.
#include <cstdio>
#include <limits>
#include <string>

#include "condemo/steps.h"
#include "kalt/run_tree.h"
#include "kalt/worker_pool.h"
#include "music/offline_song.h"
#include "music/song.h"
#include "shows.h"
#include "timing.h"

namespace capture {

namespace {

using condemo::kEndOrder;

// The song as the show plays it, rendered offline; the sound from firstKept
// on is kept for the file. The song does not repeat: the show ends before
// the song does, and a song that ended first would otherwise play forever.
std::unique_ptr<condemo::OfflineSong> OpenSong(std::int64_t firstKept) {
  std::string error;
  auto song = condemo::OfflineSong::Open(kalt::ShowFile(condemo::kSongFile), music::PlayerOptions{.loop = false},
                                         firstKept, &error);
  if (!song) throw CaptureError("Failed loading Protracker-Module: " + error);
  return song;
}

class CondemoShow final : public OfflineShow {
 public:
  CondemoShow(double from, int fps, int workerCount, kalt::GridSize grid)
      : from_(from), fps_(fps), workers_(workerCount), song_(OpenSong(SamplePosition(from))), grid_(grid) {
    // The frames of a run from the start, up to `from`.
    if (!condemo::StepThrough(steps_, *song_, {.seconds = from, .order = std::nullopt}, fps, grid_)) {
      char message[160];
      std::snprintf(message, sizeof message, "condemo ends at %.2f s of the show, before --from %.2f",
                    steps_.previousTime, from);
      throw CaptureError(message);
    }
  }

  void NextFrame(ShowFrame& frame) override {
    const double time = FrameTime(from_, fps_, next_++);
    const int order = condemo::OfflineStep(steps_, *song_, time, fps_, &workers_, grid_);
    frame.grid = grid_.size();
    frame.cells.assign(grid_.cells.begin(), grid_.cells.end());
    frame.time = time;
    frame.state = State(order);
    frame.last = order >= kEndOrder || song_->Ended();
  }

  void NextSound(float* out, std::size_t frames) override { song_->TakeSound(out, frames); }

 private:
  // The framegrab options of the frame just stepped (its frame number is the
  // count before it).
  std::string State(int order) const {
    const condemo::FrameState& frame = steps_.frame;
    const condemo::MusicPulse& pulse = frame.pulse;
    char text[352];
    std::snprintf(text, sizeof text,
                  "--order %d --time %.17g --flash %.9g,%.9g,%.9g --beats %d --max-travel %.9g --frame %u --jitter %d,%d "
                  "--grid %dx%d",
                  order, frame.sceneTime, static_cast<double>(pulse.flashA), static_cast<double>(pulse.flashB),
                  static_cast<double>(pulse.flashC), static_cast<int>(pulse.beatCount),
                  static_cast<double>(frame.scene.maxTravel), static_cast<unsigned>(frame.frameNumber - 1),
                  steps_.jitter.jx, steps_.jitter.jy, grid_.columns, grid_.rows);
    return text;
  }

  double from_;
  int fps_;
  kalt::WorkerPool workers_;  // the render threads, kept for the whole capture
  std::int64_t next_ = 0;
  std::unique_ptr<condemo::OfflineSong> song_;
  condemo::ShowSteps steps_;
  condemo::CellGrid grid_;
};

}  // namespace

const char* CondemoTitle() { return condemo::kShowTitle; }

std::unique_ptr<OfflineShow> OpenCondemo(double from, int fps, int workerCount, kalt::GridSize grid) {
  return std::make_unique<CondemoShow>(from, fps, workerCount, grid);
}

double CondemoEnd() {
  const auto song = OpenSong(std::numeric_limits<std::int64_t>::max());  // keeps no sound
  constexpr std::int64_t kStep = 441;  // 10 ms
  std::int64_t position = 0;
  while (song->Order() < kEndOrder && !song->Ended()) song->HearUpTo(position += kStep);
  return static_cast<double>(position) / audio::SampleRate;
}

}  // namespace capture
