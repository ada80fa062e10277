// Scenes 0 and 4, gear-disc tunnel: one disc of radius 5 in every unit slab
// of z, each shifted on a small circle and rocking by its own phase, with a
// toothed hole of radius about 1.5 that the camera flies through.
#pragma once

#include <algorithm>
#include <cmath>

#include "condemo/frame_state.h"
#include "condemo/toolbox.h"

namespace condemo {

struct GearTunnel {
  float t;

  static GearTunnel Prepare(const FrameState& frame) { return {static_cast<float>(frame.sceneTime)}; }

  float Distance(Vec3 p, int& /*materialTag*/) const {
    // 1. The slab and the position within it.
    const int n = SlabIndex(p.z);
    const float nf = static_cast<float>(n);
    const float o = std::fabs(SlabOffset(p.z) - 0.5f);
    // 2. The slab's shift on a small circle and its rocking turn.
    const float x = p.x + 0.5f * FastSin(nf);
    const float y = p.y + 0.5f * FastCos(nf);
    const Pair r = Rot(x, y, FastSin(t + nf));
    // 3. Polar coordinates in the slab and its tooth count, 0..44.
    const float phi = kalt::Atan2(r.u, r.v);
    const float rho = Length2(r.u, r.v);
    const int teeth = kalt::TruncInt(22.0f * FastSin(0.2f * nf)) + 22;
    // 4. The disc with the toothed hole cut out.
    const float disc = std::max(o - 0.2f, rho - 5.0f);
    const float hole = std::max(o - 1.0f, rho - (1.5f - 0.1f * FastSin(static_cast<float>(teeth) * phi)));
    return std::max(disc, -hole);
  }
};

}  // namespace condemo
