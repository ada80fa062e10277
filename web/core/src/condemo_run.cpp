#include "web/condemo_run.h"

#include <cmath>

#include "condemo/director.h"
#include "condemo/render.h"
#include "condemo/show_facts.h"

namespace web {

std::int64_t SongPosition(double seconds) { return std::llround(seconds * kSongRate); }

CondemoRun::CondemoRun(std::vector<SyncEvent> events, int workerCount)
    : workers_(workerCount), song_(std::move(events)) {}

void CondemoRun::Step(double time, bool draw, double fadeStep) {
  // 1. The song up to the step's sample position: the order position and
  //    the pulse, held for the whole frame.
  song_.HearUpTo(SongPosition(time));
  order_ = song_.Order();
  frame_.pulse = condemo::TakePulse(song_.Pulse());
  // 2. The scene, the cells, the logos.
  frame_.scene = condemo::DirectScene(order_, time, frame_.pulse, frameDelta_, frame_.scene.maxTravel);
  frame_.sceneTime = time;
  if (draw) condemo::RenderFrame(frame_, workers_, grid_);
  condemo::DrawLogos(grid_, jitter_, random_, order_, frame_.pulse);
  ended_ = order_ >= condemo::kEndOrder || song_.Ended();
  // 3. The flashes fade.
  ++frame_.frameNumber;
  frameDelta_ = time - previousTime_;
  condemo::DecayFlashes(song_.Pulse(), fadeStep);
  previousTime_ = time;
}

void StepToFrame(CondemoRun& run, int fps, std::int64_t k) {
  for (std::int64_t j = 0; j <= k; ++j)
    run.Step(static_cast<double>(j) / static_cast<double>(fps), j == k, 1.0 / fps);
}

}  // namespace web
