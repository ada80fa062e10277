// The twisted octahedron that grows by up to 1 when flashC fires.
#pragma once

#include "condemo/frame_state.h"
#include "condemo/scene_look.h"
#include "condemo/scenes/twist.h"
#include "condemo/toolbox.h"

namespace condemo {

struct TwistedOctahedron {
  float phase1, phase2;  // t, 0.7t
  float size;            // 4 + flashC

  static TwistedOctahedron Prepare(const FrameState& frame) {
    const float t = static_cast<float>(frame.sceneTime);
    return {t, 0.7f * t, 4.0f + frame.pulse.flashC};
  }

  template <class V>
  LaneOf<V> Distance(V p, IntOf<LaneOf<V>>& /*materialTag*/) const {
    return OctahedronBound(Twist(p, phase1, phase2), size);
  }

  // The look: the octahedron in the material beatCount + 1; the background
  // rings step through the dark colours with the beat.
  static std::uint16_t PatternAttr(std::int32_t beatCount) { return BeatPattern(beatCount, 2); }
  static long long Material(const Hit& /*hit*/, std::int32_t beatCount) { return beatCount + 1LL; }
  static long long SurfaceColour(const HitLight& light, const Hit& /*hit*/, long long material) {
    return ColourByMaterial(light, material);
  }
};

}  // namespace condemo
