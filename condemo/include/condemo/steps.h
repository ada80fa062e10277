// condemo/steps.h - one pass of the show's frame loop, and the passes of a
// run from the start stepped through undrawn: shared by the show, which may
// start at a later moment, and by its captures.
//
//   ShowSteps steps;                      // a run from the start
//   each frame:  DrawStep(steps, order, time, pulse, &workers, grid);
//                ... show the grid ...
//                song.DecayFlashes(EndStep(steps, time));
#pragma once

#include <cstdint>
#include <optional>

#include "condemo/frame_state.h"
#include "condemo/logos.h"
#include "condemo/rand15.h"
#include "kalt/worker_pool.h"
#include "music/offline_song.h"

namespace condemo {

// What the show carries from one frame to the next: the frame's state (the
// scene with its maxTravel, the time, the pulse snapshot and the frame
// count), the logo jitter with its random draws, and the clock's last time
// and step. Start with a default record.
struct ShowSteps {
  FrameState frame;
  LogoJitter jitter;
  Rand15 logoRandom;
  double previousTime = 0.0;
  double frameDelta = 0.0;  // the previous frame's time step
};

// A frame at `time` (seconds of the show) with the order position and the
// pulse snapshot heard when it began: the director sets the scene (from the
// previous frame's step and maxTravel), every cell is rendered into `grid`
// on `workers` (skipped when workers is null: a frame stepped through
// undrawn), and the logos are stamped over it, their jitter moving on with
// the beats in undrawn frames too.
void DrawStep(ShowSteps& steps, int order, double time, const MusicPulse& pulse, kalt::WorkerPool* workers,
              CellGrid& grid);

// The end of the frame at `time`: it is counted, and its time step (time
// minus the previous frame's) is kept for the next frame and returned: the
// step the show fades the flashes by.
double EndStep(ShowSteps& steps, double time);

// A frame of a run driven by the song rendered offline, as captures run it,
// at `time` with frames every 1/fps seconds: the song heard up to the
// frame's sample position (round(time x 44,100)), DrawStep, EndStep, and
// the flashes faded by 1/fps. Returns the order position heard.
int OfflineStep(ShowSteps& steps, OfflineSong& song, double time, int fps, kalt::WorkerPool* workers,
                CellGrid& grid);

// Where a show that starts later begins: at `seconds` of the show, or at
// the first moment the order position `order` (0 or more) is heard.
struct ShowStart {
  double seconds = 0.0;
  std::optional<int> order;
};

// Steps a run from the start through its frames before `start`, undrawn
// (OfflineStep with null workers): frame j at j / fps seconds. With
// start.order, the song is heard up to each frame's sample position first,
// and the first frame at which the order position reads start.order or more
// is where the show begins. Returns the show time at which it begins (its
// next frame's time), or nothing when the show ends first (order position
// kEndOrder, or the song's end).
std::optional<double> StepThrough(ShowSteps& steps, OfflineSong& song, const ShowStart& start, int fps,
                                  CellGrid& grid);

}  // namespace condemo
