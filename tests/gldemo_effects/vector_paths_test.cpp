// The vector paths (4, 8 or 16 rays in lockstep) against the one-ray paths
// they speed up: the same float in every case, on every lane path.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "effects_test_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"
#include "kalt/fmath.h"
#include "kalt_test/lane_paths.h"
#include "twin_light_march.h"

namespace {

class VectorPaths : public kalt_test::OnLanePath {};

// A gradient fine enough (2^22 entries) that a value's top 22 bits decide
// its entry; entry i is {i mod 256, (i / 256) mod 256, i / 65536}.
cella::Gradient FineGradient() {
  std::vector<cella::Pixel> cells(1 << 22);
  for (int i = 0; i < static_cast<int>(cells.size()); ++i)
    cells[i] = {static_cast<std::uint8_t>(i), static_cast<std::int8_t>(i >> 8), static_cast<std::int8_t>(i >> 16)};
  return cella::Gradient(cells.data(), static_cast<int>(cells.size()));
}

TEST_P(VectorPaths, SphereGridMatchesItsOneRayTrace) {
  const cella::Gradient gradient = FineGradient();
  cella::Canvas canvas(83, 50);  // three columns beyond the batches of 8 or 16
  for (const float time : {0.0f, 44.7f, 51.3f, 55.9f, -13.0f, 9000.0f, 1e7f}) {  // 1e7: the exact fallback
    gldemo::SphereGrid(&canvas, &gradient, time);
    const gldemo::SphereGridView view = gldemo::SphereGridSetup(time);
    for (int row = 0; row < 50; ++row)
      for (int column = 0; column < 83; ++column) {
        const gldemo::SphereGridRay ray = gldemo::SphereGridTrace(view, column, row);
        const cella::Pixel want =
            ray.hit ? gradient.pixels[cella::GradientIndex(gradient, ray.value)] : cella::Pixel{0, 8, 8};
        ASSERT_EQ(effects_test::At(canvas, column, row), want) << time << " " << column << "," << row;
      }
  }
}

// A lattice of balls, written for one ray and for the lanes of a vector, to
// check the lockstep march against single rays.
struct Balls {
  template <typename T, typename Offsets>
  T operator()(T x, T y, T z, Offsets& offsets) const {
    const T bx = offsets.template Offset<8>(x + 104.0f);
    const T by = offsets.template Offset<3>(y + 104.0f);
    const T bz = offsets.template Offset<16>(z + 104.0f);
    return gldemo::detail::Sqrt(bx * bx + by * by + bz * bz) - 1.2f;
  }
};

TEST_P(VectorPaths, LockstepMarchMatchesSingleRays) {
  using namespace gldemo::detail;
  const cella::Gradient gradient = FineGradient();
  cella::Canvas canvas(80, 50);
  for (const float time : {0.0f, 3.3f, 17.9f, 60.25f, 2e6f}) {  // 2e6: the exact fallback
    const kalt::Vec3 shift{4.0f * time, kalt::Sin(time), 0.0f};
    for (const float surfaceGain : {0.0f, 4.0f}) {
      TwinLightMarch(&canvas, &gradient, time, surfaceGain, 0.3f, Balls{}, shift);
      const TwinLights lights = TwinLightsSetup(time, shift, surfaceGain, 0.3f);
      for (int row = 0; row < 50; ++row)
        for (int column = 0; column < 80; ++column)
          ASSERT_EQ(effects_test::At(canvas, column, row),
                    gradient.pixels[cella::GradientIndex(gradient, TwinLightValue(lights, Balls{}, column, row))])
              << time << " " << column << "," << row;
    }
  }
}

KALT_ON_EVERY_LANE_PATH(VectorPaths);

}  // namespace
