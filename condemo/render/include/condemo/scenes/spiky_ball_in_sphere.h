// The spiky ball inside a sphere: the twisted, folded ball of SpikyBall
// with thin rippling rods instead of knobbed ones, blended smoothly into the
// inside of a sphere of radius 5 that encloses the camera.
#pragma once

#include "condemo/frame_state.h"
#include "condemo/scene_look.h"
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
  template <class V>
  LaneOf<V> Distance(V p, IntOf<LaneOf<V>>& materialTag) const {
    const auto shell = 5.0f - Length(p);
    const V q = SpikeFold(Twist(p, phase1, phase2));
    const auto ball = Length(q) - 1.0f;
    const auto rodRadius = 0.125f + 0.025f * FastSin(13.0f * q.z - ripplePhase);
    const auto rod = CappedRodZ(q, 0.0f, 9.0f, rodRadius);
    const auto g = 0.2f * Smin(ball, rod, 0.3f);
    materialTag = Select(g > shell, 0, 2);
    return Smin(shell, g, 1.0f);
  }

  // The look: the field's tag is the material (0 the shell, 2 the ball);
  // the background rings step through the dark colours with the beat.
  static std::uint16_t PatternAttr(std::int32_t beatCount) { return BeatPattern(beatCount, 2); }
  static long long Material(const Hit& hit, std::int32_t /*beatCount*/) { return hit.fieldTag; }
  static long long SurfaceColour(const HitLight& light, const Hit& /*hit*/, long long material) {
    return ColourByMaterial(light, material);
  }
};

}  // namespace condemo
