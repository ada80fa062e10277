// The vector paths (four rays to a register, in lockstep) against the
// one-ray paths they speed up: the same float in every case.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "cell_offset.h"
#include "effects_test_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"
#include "kalt/fmath.h"
#include "lanes.h"
#include "twin_light_march.h"

namespace {

using gldemo::detail::Lanes;

std::uint32_t Bits(float x) {
  std::uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

float FromBits(std::uint32_t bits) {
  float x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

// Floats worth trying: random bit patterns, values near the lattice
// coordinates, and the edges (zeros, multiples, 2^22, infinities, NaN).
std::vector<float> Samples() {
  std::vector<float> samples = {0.0f, -0.0f, 1.5f, -1.5f, 3.0f, -3.0f, 6.0f, -9.0f, 8.0f, -8.0f, 16.0f,
                                2.9999998f, -2.9999998f, 4194303.5f, 4194304.0f, -4194304.0f, 1e-40f, -1e-40f,
                                1e30f, -1e30f, std::numeric_limits<float>::infinity(),
                                -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()};
  std::mt19937 random(20);
  std::uniform_real_distribution<float> near(-300.0f, 300.0f);
  for (int i = 0; i < 200000; ++i) {
    samples.push_back(FromBits(static_cast<std::uint32_t>(random())));
    const float x = near(random);
    samples.push_back(x);
    samples.push_back(std::nextafter(std::round(x), 0.0f));  // just inside a multiple
  }
  return samples;
}

template <int M>
void ExpectCellOffsetIsFmod(const std::vector<float>& samples) {
  for (const float a : samples) {
    const float want = kalt::Fmod(a, static_cast<float>(M)) - M / 2.0f;
    const float got = gldemo::detail::CellOffset<M>(a);
    if (std::isnan(want)) {
      ASSERT_TRUE(std::isnan(got)) << a;
    } else {
      ASSERT_EQ(Bits(got), Bits(want)) << "M " << M << " a " << a;
    }
  }
}

TEST(CellOffset, IsTheRemainderLessHalfTheModulus) {
  const std::vector<float> samples = Samples();
  ExpectCellOffsetIsFmod<2>(samples);
  ExpectCellOffsetIsFmod<3>(samples);
  ExpectCellOffsetIsFmod<8>(samples);
  ExpectCellOffsetIsFmod<16>(samples);
}

TEST(Lanes, EveryLaneGivesTheOneRayResult) {
  using namespace gldemo::detail;
  const std::vector<float> samples = Samples();
  for (std::size_t i = 0; i + 8 <= samples.size(); i += 8) {
    const Lanes a{samples[i], samples[i + 1], samples[i + 2], samples[i + 3]};
    const Lanes b{samples[i + 4], samples[i + 5], samples[i + 6], samples[i + 7]};
    LaneMask wild{};
    const Lanes offset = CellOffsetFast<3>(a, wild);
    const Lanes results[] = {Sqrt(a), Abs(a), Min(a, b), Max(a, b), offset};
    for (int l = 0; l < kLaneCount; ++l) {
      bool wildOne = false;
      const float one = CellOffsetFast<3>(a[l], wildOne);
      const float expected[] = {Sqrt(a[l]), Abs(a[l]), Min(a[l], b[l]), Max(a[l], b[l]), one};
      for (int k = 0; k < 5; ++k) ASSERT_EQ(Bits(results[k][l]), Bits(expected[k])) << k << " " << a[l];
      ASSERT_EQ(wild[l] != 0, wildOne);
      if (std::fabs(a[l]) < 4194304.0f) {
        ASSERT_EQ(TruncateSmall(Splat<Lanes>(a[l]))[l], std::trunc(a[l]));
      }
    }
  }
}

// A gradient fine enough (2^22 entries) that a value's top 22 bits decide
// its entry; entry i is {i mod 256, (i / 256) mod 256, i / 65536}.
cella::Gradient FineGradient() {
  std::vector<cella::Pixel> cells(1 << 22);
  for (int i = 0; i < static_cast<int>(cells.size()); ++i)
    cells[i] = {static_cast<std::uint8_t>(i), static_cast<std::int8_t>(i >> 8), static_cast<std::int8_t>(i >> 16)};
  return cella::Gradient(cells.data(), static_cast<int>(cells.size()));
}

TEST(VectorPaths, SphereGridMatchesItsOneRayTrace) {
  const cella::Gradient gradient = FineGradient();
  cella::Canvas canvas(83, 50);  // three columns beyond the batches of eight
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

// A lattice of balls, written for one ray and for four, to check the
// lockstep march against single rays.
struct Balls {
  template <typename T, typename Offsets>
  T operator()(T x, T y, T z, Offsets& offsets) const {
    const T bx = offsets.template Offset<8>(x + 104.0f);
    const T by = offsets.template Offset<3>(y + 104.0f);
    const T bz = offsets.template Offset<16>(z + 104.0f);
    return gldemo::detail::Sqrt(bx * bx + by * by + bz * bz) - 1.2f;
  }
};

TEST(VectorPaths, LockstepMarchMatchesSingleRays) {
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

}  // namespace
