// The carved sphere lattice: spheres on a 100-unit lattice whose radius
// swells with flashB and shrinks with flashA, with spheres of radius 10 on a
// 20-unit lattice cut out of them.
#pragma once

#include "condemo/frame_state.h"
#include "condemo/scene_look.h"
#include "condemo/toolbox.h"

namespace condemo {

struct CarvedLattice {
  float bigRadius;  // 40 + 9 flashB - 9 flashA

  static CarvedLattice Prepare(const FrameState& frame) {
    return {40.0f + 9.0f * frame.pulse.flashB - 9.0f * frame.pulse.flashA};
  }

  template <class V>
  LaneOf<V> Distance(V p, IntOf<LaneOf<V>>& /*materialTag*/) const {
    const V a{Repeat<20>(p.x), Repeat<20>(p.y), Repeat<20>(p.z)};
    const V b{Repeat<100>(p.x), Repeat<100>(p.y), Repeat<100>(p.z)};
    const auto big = Length(b) - bigRadius;
    const auto holes = Length(a) - 10.0f;
    return Max(big, -holes);
  }

  // The look: the material of a hit is the index of the 100-unit block it
  // lies in, |x| div 100 + |y| div 100 + |z| div 100. The background
  // rings stay black on black.
  static std::uint16_t PatternAttr(std::int32_t /*beatCount*/) { return kHiddenPattern; }
  static long long Material(const Hit& hit, std::int32_t /*beatCount*/) {
    const auto block = [](float w) { return static_cast<long long>(kalt::TruncInt(std::fabs(w) / 100.0f)); };
    return block(hit.point.x) + block(hit.point.y) + block(hit.point.z);
  }
  static long long SurfaceColour(const HitLight& light, const Hit& /*hit*/, long long material) {
    return ColourByMaterial(light, material);
  }
};

}  // namespace condemo
