// TricylinderLattice: an endless lattice of tricylinders (the common part
// of three cylinders crossing at right angles), scrolling along x under the
// two circling lights.
#include "cella/cella.h"
#include "effect_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"
#include "twin_light_march.h"

namespace gldemo {

namespace {

constexpr int kGradient = 16;

// The lattice's distance at p, with the cell offsets that `offsets` gives.
struct TricylinderScene {
  template <typename T, typename Offsets>
  T operator()(T px, T py, T pz, Offsets& offsets) const {
    using detail::Max;
    // The offsets from the nearest solid's centre.
    const T x = offsets.template Offset<8>(px + 104.0f);
    const T y = offsets.template Offset<8>(py + 104.0f);
    const T z = offsets.template Offset<8>(pz + 104.0f);
    // The largest of sqrt(X^2 + Y^2) - 2, sqrt(Y^2 + Z^2) - 2 and
    // sqrt(X^2 + Z^2) - 2. Square root and subtraction round monotonically,
    // so taking the largest sum first gives the same float with one root.
    return detail::Sqrt(Max(Max(x * x + y * y, y * y + z * z), x * x + z * z)) - 2.0f;
  }
};

}  // namespace

float TricylinderDistance(kalt::Vec3 p) {
  detail::ExactOffsets exact;
  return TricylinderScene{}(p.x, p.y, p.z, exact);
}

void TricylinderLattice(cella::Canvas* canvas, const cella::GradientPack* pack, float time, float surfaceGain,
                        float glowGain) {
  detail::TwinLightMarch(canvas, PackGradient(pack, kGradient), time, surfaceGain, glowGain,
                         TricylinderScene{}, {4.0f * time, 0.0f, 0.0f});
}

}  // namespace gldemo
