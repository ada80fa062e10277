// CavitySlab: a thick slab hollowed by a coarse and a fine lattice of
// overlapping spherical cavities, scrolling along x and bobbing along y
// under the two circling lights.
#include <algorithm>

#include "cella/cella.h"
#include "effect_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"
#include "kalt/fmath.h"
#include "twin_light_march.h"

namespace gldemo {

float CavitySlabDistance(kalt::Vec3 p) {
  using kalt::Fmod;
  using kalt::Sqrt;
  // 1. The offsets within the coarse (8 units) and the fine (3 units) cells.
  const float bx = Fmod(p.x + 104.0f, 8.0f) - 4.0f;
  const float by = Fmod(p.y + 106.0f, 8.0f) - 4.0f;
  const float bz = Fmod(p.z + 101.0f, 8.0f) - 4.0f;
  const float fx = Fmod(p.x + 101.5f, 3.0f) - 1.5f;
  const float fy = Fmod(p.y + 102.5f, 3.0f) - 1.5f;
  const float fz = Fmod(p.z + 93.5f, 3.0f) - 1.5f;
  // 2. Outside both cavities and inside the slab -4 < z < 64.
  const float coarse = 4.45f - Sqrt(bx * bx + by * by + bz * bz);
  const float fine = 2.0f - Sqrt(fx * fx + fy * fy + fz * fz);
  return std::max(std::max(std::max(-4.0f - p.z, p.z - 64.0f), coarse), fine);
}

void CavitySlab(cella::Canvas* canvas, const cella::GradientPack* pack, float time, int gradient,
                float surfaceGain, float glowGain) {
  detail::TwinLightMarch(canvas, detail::PackGradient(pack, gradient), time, surfaceGain, glowGain,
                         [](kalt::Vec3 p) { return CavitySlabDistance(p); },
                         {4.0f * time, kalt::Sin(time), 0.0f});
}

}  // namespace gldemo
