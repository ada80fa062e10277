// The twisted spiky ball: a unit ball with a rod and a knob on every
// one of the 64 spike directions of the folds, the whole twisted.
#pragma once

#include "condemo/frame_state.h"
#include "condemo/scene_look.h"
#include "condemo/scenes/twist.h"
#include "condemo/toolbox.h"

namespace condemo {

struct SpikyBall {
  float phase1, phase2;  // 0.5t, 0.4t

  static SpikyBall Prepare(const FrameState& frame) {
    const float t = static_cast<float>(frame.sceneTime);
    return {0.5f * t, 0.4f * t};
  }

  template <class V>
  LaneOf<V> Distance(V p, IntOf<LaneOf<V>>& /*materialTag*/) const {
    const V q = SpikeFold(Twist(p, phase1, phase2));
    const auto ball = Length(q) - 1.0f;
    const auto rod = CappedRodZ(q, 1.2f, 0.5f, 0.1f);  // from 0.7 to 1.7 along the spike
    const auto knob = Length(q - Vec3{0.0f, 0.0f, 1.8f}) - 0.3f;
    return 0.2f * Smin(Smin(ball, rod, 0.3f), knob, 0.1f);
  }

  // The look: the ball in the material beatCount + 4; the background rings
  // step through the dark colours with the beat.
  static std::uint16_t PatternAttr(std::int32_t beatCount) { return BeatPattern(beatCount, 2); }
  static long long Material(const Hit& /*hit*/, std::int32_t beatCount) { return beatCount + 4LL; }
  static long long SurfaceColour(const HitLight& light, const Hit& /*hit*/, long long material) {
    return ColourByMaterial(light, material);
  }
};

}  // namespace condemo
