// web/condemo_run.h - condemo's frame loop against a recorded song: each
// step hears the song (web/sync_track.h) up to the step's show time, takes
// the pulse, directs the scene, renders every cell, stamps the logos and
// lets the flashes fade, in the order of the show's own loop and of an
// offline capture. The page runs it live against its audio clock, and for
// a still frame by frame from the start as a capture does.
//
//   web::CondemoRun run(events, 2);
//   for (k = 0; ; ++k) { run.Step(k / fps, draw, 1.0 / fps); ... run.Grid() ... }
#pragma once

#include <cstdint>
#include <vector>

#include "condemo/frame_state.h"
#include "condemo/logos.h"
#include "condemo/rand15.h"
#include "kalt/worker_pool.h"
#include "web/sync_track.h"

namespace web {

// The song's sample rate: frames of sound a second.
inline constexpr int kSongRate = 44100;

// The sample position of a show time: round(seconds x 44100).
std::int64_t SongPosition(double seconds);

class CondemoRun {
 public:
  // Renders on workerCount threads (see kalt::WorkerPool; 1 starts none).
  CondemoRun(std::vector<SyncEvent> events, int workerCount);

  // One pass of the loop at show time `time` (seconds, not before the last
  // step's): the song heard up to SongPosition(time), then the scene with
  // the time since the last step as its frame step, the cells when `draw`
  // (else the grid keeps the last frame's cells), the logos (whose jitter
  // moves on with the beats also in steps not drawn), and the flashes fade
  // by fadeStep seconds.
  void Step(double time, bool draw, double fadeStep);

  // The grid of the last step.
  const condemo::CellGrid& Grid() const { return grid_; }
  // The order position of the last step, and whether the show ends with it
  // (the order position reached 21, or the song ended).
  int Order() const { return order_; }
  bool Ended() const { return ended_; }
  // The show time of the last step (0 before the first).
  double LastTime() const { return previousTime_; }
  int WorkerCount() const { return workers_.WorkerCount(); }

 private:
  kalt::WorkerPool workers_;
  HeardSong song_;
  condemo::FrameState frame_;
  condemo::CellGrid grid_;
  condemo::LogoJitter jitter_;
  condemo::Rand15 random_;
  double previousTime_ = 0.0, frameDelta_ = 0.0;
  int order_ = 0;
  bool ended_ = false;
};

// The cells of frame k of condemo at `fps` frames a second, counted from
// the show's start, as a capture at that rate draws it: frames 0 .. k - 1
// are stepped through without being drawn. Runs `run`, which must be
// fresh.
void StepToFrame(CondemoRun& run, int fps, std::int64_t k);

}  // namespace web
