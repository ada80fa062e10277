// BarLattice: an endless lattice of square bars along all three axes,
// scrolling along x under the two circling lights.
#include <algorithm>
#include <cmath>

#include "cella/cella.h"
#include "effect_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"
#include "kalt/fmath.h"
#include "twin_light_march.h"

namespace gldemo {

namespace {

// The distance across the bars that run along the other two axes, in one
// coordinate: the bars' axes lie 4 more than a multiple of 8.
float Across(float a) { return std::fabs(kalt::Fmod(a + 104.0f, 8.0f) - 4.0f) - 0.5f; }

}  // namespace

float BarLatticeDistance(kalt::Vec3 p) {
  const float qx = Across(p.x), qy = Across(p.y), qz = Across(p.z);
  return std::min(std::min(std::max(qy, qz), std::max(qz, qx)), std::max(qx, qy));
}

void BarLattice(cella::Canvas* canvas, const cella::GradientPack* pack, float time, int gradient,
                float surfaceGain, float glowGain) {
  detail::TwinLightMarch(canvas, detail::PackGradient(pack, gradient), time, surfaceGain, glowGain,
                         [](kalt::Vec3 p) { return BarLatticeDistance(p); }, {4.0f * time, 0.0f, 0.0f});
}

}  // namespace gldemo
