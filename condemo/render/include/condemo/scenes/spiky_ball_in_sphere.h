// Scene 8, spiky ball inside a sphere: the twisted, folded ball of scene 6
// with thin rippling rods instead of knobbed ones, blended smoothly into the
// inside of a sphere of radius 5 that encloses the camera.
#pragma once

#include "condemo/frame_state.h"
#include "condemo/scenes/twist.h"
#include "condemo/toolbox.h"

namespace condemo {

struct SpikyBallInSphere {
  float phase1, phase2;  // 0.5t, 0.4t
  float ripplePhase;     // 44t

  static SpikyBallInSphere Prepare(const FrameState& frame) {
    const float t = static_cast<float>(frame.sceneTime);
    return {0.5f * t, 0.4f * t, 44.0f * t};
  }

  // Sets materialTag on every call: 0 where the shell is nearer than the
  // ball, else 2.
  float Distance(Vec3 p, int& materialTag) const {
    const float shell = 5.0f - kalt::Length(p);
    const Vec3 q = SpikeFold(Twist(p, phase1, phase2));
    const float ball = kalt::Length(q) - 1.0f;
    const float rodRadius = 0.125f + 0.025f * FastSin(13.0f * q.z - ripplePhase);
    const float rod = CappedRodZ(q, 0.0f, 9.0f, rodRadius);
    const float g = 0.2f * Smin(ball, rod, 0.3f);
    materialTag = g > shell ? 0 : 2;
    return Smin(shell, g, 1.0f);
  }
};

}  // namespace condemo
