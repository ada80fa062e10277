// CavitySlab: a thick slab hollowed by a coarse and a fine lattice of
// overlapping spherical cavities, scrolling along x and bobbing along y
// under the two circling lights.
#include "cella/cella.h"
#include "effect_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"
#include "kalt/fmath.h"
#include "twin_light_march.h"

namespace gldemo {

namespace {

// The slab's distance at p, with the cell offsets that `offsets` gives.
struct CavityScene {
  template <typename T, typename Offsets>
  T operator()(T x, T y, T z, Offsets& offsets) const {
    using detail::Max;
    using detail::Sqrt;
    // 1. The offsets within the coarse (8 units) and the fine (3 units)
    //    cells.
    const T bx = offsets.template Offset<8>(x + 104.0f);
    const T by = offsets.template Offset<8>(y + 106.0f);
    const T bz = offsets.template Offset<8>(z + 101.0f);
    const T fx = offsets.template Offset<3>(x + 101.5f);
    const T fy = offsets.template Offset<3>(y + 102.5f);
    const T fz = offsets.template Offset<3>(z + 93.5f);
    // 2. Outside both cavities and inside the slab -4 < z < 64.
    const T coarse = 4.45f - Sqrt(bx * bx + by * by + bz * bz);
    const T fine = 2.0f - Sqrt(fx * fx + fy * fy + fz * fz);
    return Max(Max(Max(-4.0f - z, z - 64.0f), coarse), fine);
  }
};

}  // namespace

float CavitySlabDistance(kalt::Vec3 p) {
  detail::ExactOffsets exact;
  return CavityScene{}(p.x, p.y, p.z, exact);
}

void CavitySlab(cella::Canvas* canvas, const cella::GradientPack* pack, float time, int gradient,
                float surfaceGain, float glowGain) {
  detail::TwinLightMarch(canvas, PackGradient(pack, gradient), time, surfaceGain, glowGain,
                         CavityScene{}, {4.0f * time, kalt::Sin(time), 0.0f});
}

}  // namespace gldemo
