// The gear-disc tunnel: one disc of radius 5 in every unit slab of z, each
// shifted on a small circle and rocking by its own phase, with a toothed
// hole of radius about 1.5 that the camera flies through.
#pragma once

#include "condemo/frame_state.h"
#include "condemo/scene_look.h"
#include "condemo/toolbox.h"

namespace condemo {

struct GearTunnel {
  float t;

  static GearTunnel Prepare(const FrameState& frame) { return {static_cast<float>(frame.sceneTime)}; }

  template <class V>
  LaneOf<V> Distance(V p, IntOf<LaneOf<V>>& /*materialTag*/) const {
    using T = LaneOf<V>;
    // 1. The slab and the position within it.
    const T nf = ToFloat(SlabIndex(p.z));
    const T o = Abs(SlabMiddleOffset(p.z));
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

  // The look: one material; a first hit takes the colour group of its unit
  // slab of z, white where the glint is faint. The background rings stay
  // black on black.
  static std::uint16_t PatternAttr(std::int32_t /*beatCount*/) { return kHiddenPattern; }
  static long long Material(const Hit& /*hit*/, std::int32_t /*beatCount*/) { return 0; }
  static long long SurfaceColour(const HitLight& light, const Hit& hit, long long /*material*/) {
    const int level = light.glint < 0.2f ? 2 : Level(3.0f * light.diffuse * (1.0f - light.fog), 1);
    return level + 3LL * kalt::TruncInt(hit.point.z);
  }
};

}  // namespace condemo
