// Scenes 0 and 4, gear-disc tunnel: one disc of radius 5 in every unit slab
// of z, each shifted on a small circle and rocking by its own phase, with a
// toothed hole of radius about 1.5 that the camera flies through.
#pragma once

#include "condemo/frame_state.h"
#include "condemo/toolbox.h"

namespace condemo {

struct GearTunnel {
  float t;

  static GearTunnel Prepare(const FrameState& frame) { return {static_cast<float>(frame.sceneTime)}; }

  template <class V>
  LaneOf<V> Distance(V p, TagOf<LaneOf<V>>& /*materialTag*/) const {
    using T = LaneOf<V>;
    // 1. The slab and the position within it.
    const T nf = ToFloat(SlabIndex(p.z));
    const T o = Abs(SlabOffset(p.z) - 0.5f);
    // 2. The slab's shift on a small circle and its rocking turn.
    const T x = p.x + 0.5f * FastSin(nf);
    const T y = p.y + 0.5f * FastCos(nf);
    const Pair<T> r = Rot(x, y, FastSin(t + nf));
    // 3. Polar coordinates in the slab and its tooth count, 0..44.
    const T phi = Atan2(r.u, r.v);
    const T rho = Length2(r.u, r.v);
    const auto teeth = TruncInt(22.0f * FastSin(0.2f * nf)) + 22;
    // 4. The disc with the toothed hole cut out.
    const T disc = Max(o - 0.2f, rho - 5.0f);
    const T hole = Max(o - 1.0f, rho - (1.5f - 0.1f * FastSin(ToFloat(teeth) * phi)));
    return Max(disc, -hole);
  }
};

}  // namespace condemo
