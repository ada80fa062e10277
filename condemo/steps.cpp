#include "condemo/steps.h"

#include <cmath>

#include "audio/output.h"
#include "condemo/director.h"
#include "condemo/render.h"
#include "music/song.h"

namespace condemo {

void DrawStep(ShowSteps& steps, int order, double time, const MusicPulse& pulse, kalt::WorkerPool* workers,
              CellGrid& grid) {
  FrameState& frame = steps.frame;
  frame.pulse = pulse;
  frame.scene = DirectScene(order, time, frame.pulse, steps.frameDelta, frame.scene.maxTravel);
  frame.sceneTime = time;
  if (workers) RenderFrame(frame, *workers, grid);
  DrawLogos(grid, steps.jitter, steps.logoRandom, order, frame.pulse);
}

double EndStep(ShowSteps& steps, double time) {
  ++steps.frame.frameNumber;
  steps.frameDelta = time - steps.previousTime;
  steps.previousTime = time;
  return steps.frameDelta;
}

int OfflineStep(ShowSteps& steps, OfflineSong& song, double time, int fps, kalt::WorkerPool* workers,
                CellGrid& grid) {
  song.HearUpTo(audio::SamplePosition(time));
  const int order = song.Order();
  DrawStep(steps, order, time, TakePulse(song.Pulse()), workers, grid);
  EndStep(steps, time);
  DecayFlashes(song.Pulse(), 1.0 / fps);
  return order;
}

std::optional<double> StepThrough(ShowSteps& steps, OfflineSong& song, const ShowStart& start, int fps,
                                  CellGrid& grid) {
  for (std::int64_t j = 0;; ++j) {
    const double time = static_cast<double>(j) / static_cast<double>(fps);
    if (start.order) {
      song.HearUpTo(audio::SamplePosition(time));
      if (song.Order() >= *start.order) return time;
    } else if (!(time < start.seconds)) {
      return start.seconds;
    }
    if (OfflineStep(steps, song, time, fps, nullptr, grid) >= kEndOrder || song.Ended()) return std::nullopt;
  }
}

}  // namespace condemo
