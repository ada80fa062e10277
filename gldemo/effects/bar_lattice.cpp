// BarLattice: an endless lattice of square bars along all three axes,
// scrolling along x under the two circling lights.
#include "cella/cella.h"
#include "effect_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"
#include "twin_light_march.h"

namespace gldemo {

namespace {

// The lattice's distance at p, with the cell offsets that `offsets` gives.
struct BarScene {
  template <typename T, typename Offsets>
  T operator()(T x, T y, T z, Offsets& offsets) const {
    using detail::Abs;
    using detail::Max;
    using detail::Min;
    // The distance across the bars that run along the other two axes, in
    // each coordinate: the bars' axes lie 4 more than a multiple of 8.
    const T qx = Abs(offsets.template Offset<8>(x + 104.0f)) - 0.5f;
    const T qy = Abs(offsets.template Offset<8>(y + 104.0f)) - 0.5f;
    const T qz = Abs(offsets.template Offset<8>(z + 104.0f)) - 0.5f;
    return Min(Min(Max(qy, qz), Max(qz, qx)), Max(qx, qy));
  }
};

}  // namespace

float BarLatticeDistance(kalt::Vec3 p) {
  detail::ExactOffsets exact;
  return BarScene{}(p.x, p.y, p.z, exact);
}

void BarLattice(cella::Canvas* canvas, const cella::GradientPack* pack, float time, int gradient,
                float surfaceGain, float glowGain) {
  detail::TwinLightMarch(canvas, PackGradient(pack, gradient), time, surfaceGain, glowGain,
                         BarScene{}, {4.0f * time, 0.0f, 0.0f});
}

}  // namespace gldemo
