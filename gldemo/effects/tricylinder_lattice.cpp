// TricylinderLattice: an endless lattice of tricylinders (the common part
// of three cylinders crossing at right angles), scrolling along x under the
// two circling lights.
#include <algorithm>

#include "cella/cella.h"
#include "effect_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"
#include "kalt/fmath.h"
#include "twin_light_march.h"

namespace gldemo {

namespace {

constexpr int kGradient = 16;

// The offset from the nearest solid's centre along one axis.
float Offset(float a) { return kalt::Fmod(a + 104.0f, 8.0f) - 4.0f; }

}  // namespace

float TricylinderDistance(kalt::Vec3 p) {
  using kalt::Sqrt;
  const float x = Offset(p.x), y = Offset(p.y), z = Offset(p.z);
  return std::max(std::max(Sqrt(x * x + y * y) - 2.0f, Sqrt(y * y + z * z) - 2.0f), Sqrt(x * x + z * z) - 2.0f);
}

void TricylinderLattice(cella::Canvas* canvas, const cella::GradientPack* pack, float time, float surfaceGain,
                        float glowGain) {
  detail::TwinLightMarch(canvas, detail::PackGradient(pack, kGradient), time, surfaceGain, glowGain,
                         [](kalt::Vec3 p) { return TricylinderDistance(p); }, {4.0f * time, 0.0f, 0.0f});
}

}  // namespace gldemo
