// The winding tubes seen from inside: four tubes that wind around the
// z axis with a radius rippling along z; the solid is everything outside
// them. The camera rides the centre line of the first tube.
#pragma once

#include "condemo/frame_state.h"
#include "condemo/scene_look.h"
#include "condemo/toolbox.h"

namespace condemo {

struct WindingTubes {
  static WindingTubes Prepare(const FrameState& /*frame*/) { return {}; }

  template <class V>
  LaneOf<V> Distance(V p, IntOf<LaneOf<V>>& /*materialTag*/) const {
    using T = LaneOf<V>;
    const T radius = 1.1f + 0.04f * FastSin(12.0f * p.z);
    const T capped = Abs(p.z) - 9999.0f;
    // The tube whose centre line is offset by k along z.
    const auto tube = [&](float k) {
      const T w = p.z + k;
      const T swing = FastSin(0.5f * w);
      const T cx = FastCos(0.3f * w) + swing;
      const T cy = FastCos(0.4f * w) + swing;
      return Max(capped, Length2(p.x - cx, p.y - cy) - radius);
    };
    // Minus the union of the four tubes.
    T d = -tube(0.0f);
    for (const float k : {5.0f, 6.0f, 9.0f}) d = Max(d, -tube(k));
    return d;
  }

  // The look: one material; a first hit takes the colour group of its
  // four-unit stretch of z, white where the glint is strong. The
  // background rings stay black on black.
  static std::uint16_t PatternAttr(std::int32_t /*beatCount*/) { return kHiddenPattern; }
  static long long Material(const Hit& /*hit*/, std::int32_t /*beatCount*/) { return 0; }
  static long long SurfaceColour(const HitLight& light, const Hit& hit, long long /*material*/) {
    const int level = light.glint > 1.5f ? 2 : Level(3.0f * light.diffuse * (1.0f - light.fog), 1);
    return level + 3LL * kalt::TruncInt(0.25f * hit.point.z);
  }
};

}  // namespace condemo
