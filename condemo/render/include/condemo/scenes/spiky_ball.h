// Scene 6, twisted spiky ball: a unit ball with a rod and a knob on every
// one of the 64 spike directions of the folds, the whole twisted.
#pragma once

#include "condemo/frame_state.h"
#include "condemo/scenes/twist.h"
#include "condemo/toolbox.h"

namespace condemo {

struct SpikyBall {
  float phase1, phase2;  // 0.5t, 0.4t

  static SpikyBall Prepare(const FrameState& frame) {
    const float t = static_cast<float>(frame.sceneTime);
    return {0.5f * t, 0.4f * t};
  }

  float Distance(Vec3 p, int& /*materialTag*/) const {
    const Vec3 q = SpikeFold(Twist(p, phase1, phase2));
    const float ball = kalt::Length(q) - 1.0f;
    const float rod = CappedRodZ(q, 1.2f, 0.5f, 0.1f);  // from 0.7 to 1.7 along the spike
    const float knob = kalt::Length(q - Vec3{0.0f, 0.0f, 1.8f}) - 0.3f;
    return 0.2f * Smin(Smin(ball, rod, 0.3f), knob, 0.1f);
  }
};

}  // namespace condemo
