// Scene 2, winding tubes seen from inside: four tubes that wind around the
// z axis with a radius rippling along z; the solid is everything outside
// them. The camera rides the centre line of the first tube.
#pragma once

#include <algorithm>
#include <cmath>

#include "condemo/frame_state.h"
#include "condemo/toolbox.h"

namespace condemo {

struct WindingTubes {
  static WindingTubes Prepare(const FrameState& /*frame*/) { return {}; }

  float Distance(Vec3 p, int& /*materialTag*/) const {
    const float radius = 1.1f + 0.04f * FastSin(12.0f * p.z);
    const float capped = std::fabs(p.z) - 9999.0f;
    // The tube whose centre line is offset by k along z.
    const auto tube = [&](float k) {
      const float w = p.z + k;
      const float swing = FastSin(0.5f * w);
      const float cx = FastCos(0.3f * w) + swing;
      const float cy = FastCos(0.4f * w) + swing;
      return std::max(capped, Length2(p.x - cx, p.y - cy) - radius);
    };
    // Minus the union of the four tubes.
    float d = -tube(0.0f);
    for (const float k : {5.0f, 6.0f, 9.0f}) d = std::max(d, -tube(k));
    return d;
  }
};

}  // namespace condemo
