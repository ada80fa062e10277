// Scene 1, carved sphere lattice: spheres on a 100-unit lattice whose radius
// swells with flashB and shrinks with flashA, with spheres of radius 10 on a
// 20-unit lattice cut out of them.
#pragma once

#include <algorithm>

#include "condemo/frame_state.h"
#include "condemo/toolbox.h"

namespace condemo {

struct CarvedLattice {
  float bigRadius;  // 40 + 9 flashB - 9 flashA

  static CarvedLattice Prepare(const FrameState& frame) {
    return {40.0f + 9.0f * frame.flashB - 9.0f * frame.flashA};
  }

  float Distance(Vec3 p, int& /*materialTag*/) const {
    const Vec3 a{Repeat(p.x, 20.0f), Repeat(p.y, 20.0f), Repeat(p.z, 20.0f)};
    const Vec3 b{Repeat(p.x, 100.0f), Repeat(p.y, 100.0f), Repeat(p.z, 100.0f)};
    const float big = kalt::Length(b) - bigRadius;
    const float holes = kalt::Length(a) - 10.0f;
    return std::max(big, -holes);
  }
};

}  // namespace condemo
