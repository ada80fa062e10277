// Scene 2, winding tubes seen from inside: four tubes that wind around the
// z axis with a radius rippling along z; the solid is everything outside
// them. The camera rides the centre line of the first tube.
#pragma once

#include "condemo/frame_state.h"
#include "condemo/toolbox.h"

namespace condemo {

struct WindingTubes {
  static WindingTubes Prepare(const FrameState& /*frame*/) { return {}; }

  template <class V>
  LaneOf<V> Distance(V p, TagOf<LaneOf<V>>& /*materialTag*/) const {
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
};

}  // namespace condemo
