#include "condemo/toolbox.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace condemo {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// The angle of a pair in degrees.
double Degrees(Pair<float> p) { return std::atan2(p.v, p.u) * 180.0 / std::numbers::pi; }

TEST(Toolbox, RotTurnsThePairBackwards) {
  const Pair a = Rot(1.0f, 0.0f, kPi / 2);
  EXPECT_NEAR(a.u, 0.0f, 1e-7f);
  EXPECT_FLOAT_EQ(a.v, -1.0f);
  const Pair b = Rot(0.0f, 1.0f, kPi / 2);
  EXPECT_FLOAT_EQ(b.u, 1.0f);
  EXPECT_NEAR(b.v, 0.0f, 1e-7f);
  // A precomputed rotation gives the same bits as the angle.
  const Pair c = Rot(0.3f, -2.5f, 1.234f), d = Rot(0.3f, -2.5f, RotationOf(1.234f));
  EXPECT_EQ(c.u, d.u);
  EXPECT_EQ(c.v, d.v);
}

TEST(Toolbox, RepeatCentresCellsOnOddMultiplesOfHalfThePeriod) {
  EXPECT_EQ(Repeat<20>(-10.0f), 0.0f);
  EXPECT_EQ(Repeat<20>(0.0f), -10.0f);
  EXPECT_EQ(Repeat<20>(30.0f), 0.0f);
  EXPECT_EQ(Repeat<100>(-50.0f), 0.0f);
  EXPECT_EQ(Repeat<100>(49.0f), -1.0f);
  EXPECT_EQ(Repeat<100>(51.0f), 1.0f);
  // Below -1000 the remainder keeps the dividend's sign.
  EXPECT_EQ(Repeat<20>(-1005.0f), -15.0f);
}

TEST(Toolbox, SlabsTruncateTowardZero) {
  EXPECT_EQ(SlabIndex(2.75f), 2);
  EXPECT_EQ(SlabIndex(-0.5f), 0);
  EXPECT_EQ(SlabIndex(-1.5f), -1);
  EXPECT_EQ(SlabIndex(NAN), 0);
  EXPECT_EQ(SlabIndex(1e20f), INT_MAX);
  EXPECT_FLOAT_EQ(SlabMiddleOffset(2.75f), 0.25f);
  EXPECT_FLOAT_EQ(SlabMiddleOffset(-0.25f), 0.25f);
  EXPECT_FLOAT_EQ(SlabMiddleOffset(-0.75f), -0.25f);
}

TEST(Toolbox, Shapes) {
  EXPECT_FLOAT_EQ(Sphere(Vec3{3.0f, 4.0f, 0.0f}, 1.0f), 4.0f);
  EXPECT_FLOAT_EQ(Torus(Vec3{2.0f, 0.0f, 0.0f}, 2.0f, 0.5f), -0.5f);
  EXPECT_FLOAT_EQ(Torus(Vec3{0.0f, 0.0f, 0.0f}, 2.0f, 0.5f), 1.5f);
  EXPECT_FLOAT_EQ(CappedRodZ(Vec3{0.0f, 0.0f, 1.2f}, 1.2f, 0.5f, 0.1f), -0.1f);
  EXPECT_FLOAT_EQ(CappedRodZ(Vec3{0.0f, 0.0f, 2.7f}, 1.2f, 0.5f, 0.1f), 1.0f);
  EXPECT_FLOAT_EQ(CappedRodZ(Vec3{3.0f, 4.0f, 1.2f}, 1.2f, 0.5f, 0.1f), 4.9f);
  EXPECT_FLOAT_EQ(OctahedronBound(Vec3{1.0f, -2.0f, 3.0f}, 3.0f), 1.0f);
  EXPECT_EQ(Fold(Vec3{-1.0f, 2.0f, -3.0f}).x, 1.0f);
  EXPECT_EQ(Fold(Vec3{-1.0f, 2.0f, -3.0f}).z, 3.0f);
}

TEST(Toolbox, SminIsTheMinimumWhenFarApartAndBlendsWhenEqual) {
  for (const float k : {0.1f, 0.3f, 1.0f, 1.5f}) {
    EXPECT_EQ(Smin(2.0f, 2.0f + k, k), 2.0f);
    EXPECT_EQ(Smin(2.0f + k, 2.0f, k), 2.0f);
    EXPECT_EQ(Smin(-7.0f, 5.0f, k), -7.0f);
    EXPECT_EQ(Smin(999.0f, -1.5f, k), -1.5f);
    EXPECT_FLOAT_EQ(Smin(0.75f, 0.75f, k), 0.75f - k / 4.0f);
  }
  // Symmetric, and never above the minimum.
  EXPECT_FLOAT_EQ(Smin(0.2f, 0.5f, 1.0f), Smin(0.5f, 0.2f, 1.0f));
  EXPECT_LT(Smin(0.2f, 0.5f, 1.0f), 0.2f);
}

TEST(Toolbox, PolarFoldBringsEverySectorOntoTheUAxis) {
  const auto fold = [](double degrees) {
    const double a = degrees * std::numbers::pi / 180.0;
    return PolarFold(static_cast<float>(2.0 * std::cos(a)), static_cast<float>(2.0 * std::sin(a)));
  };
  const Pair zero = PolarFold(2.0f, 0.0f);
  EXPECT_EQ(zero.u, 2.0f);
  EXPECT_EQ(zero.v, 0.0f);
  EXPECT_NEAR(Degrees(fold(50.0)), 5.0, 1e-4);
  EXPECT_NEAR(Degrees(fold(-30.0)), 15.0, 1e-4);
  EXPECT_NEAR(Degrees(fold(157.5 + 1.0)), -21.5, 1e-4);  // sector 4, on the far side
  for (double degrees = -179.0; degrees < 180.0; degrees += 7.3) {
    const Pair p = fold(degrees);
    EXPECT_GE(Degrees(p), -22.5 - 1e-4) << degrees;
    EXPECT_LT(Degrees(p), 22.5 + 1e-4) << degrees;
    EXPECT_NEAR(Length2(p.u, p.v), 2.0f, 1e-5f);
  }
}

// The polar fold finds most sectors by comparisons; it must agree bit for
// bit with the fold through the arctangent everywhere, borders included.
TEST(Toolbox, PolarFoldMatchesTheArctangentFold) {
  const auto literal = [](float u, float v) {
    const double c = std::cos(-std::numbers::pi / 8), s = std::sin(-std::numbers::pi / 8);
    const float a = static_cast<float>(u * c + v * s), b = static_cast<float>(v * c - u * s);
    const float phi = static_cast<float>(std::atan2(static_cast<double>(b), static_cast<double>(a)));
    const float k = std::floor(static_cast<float>(4.0 * phi / std::numbers::pi));
    const float sigma = static_cast<float>(k * std::numbers::pi / 4.0);
    const float cs = static_cast<float>(std::cos(static_cast<double>(sigma)));
    const float sn = static_cast<float>(std::sin(static_cast<double>(sigma)));
    return Pair<float>{u * cs + v * sn, v * cs - u * sn};
  };
  std::uint32_t seed = 12345;
  const auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>(seed >> 8) / 16777216.0f * 8.0f - 4.0f;
  };
  int checked = 0;
  for (int i = 0; i < 200000; ++i) {
    float u = next(), v = next();
    if (i % 4 == 1) v = u * std::tan(static_cast<float>(i % 8) * kPi / 4.0f + kPi / 8.0f);  // near a border
    if (i % 4 == 2) v = 0.0f * u;
    if (i % 4 == 3) u = (i & 8) ? -0.0f : 0.0f;
    const Pair fast = PolarFold(u, v), slow = literal(u, v);
    EXPECT_EQ(std::signbit(fast.u), std::signbit(slow.u)) << u << " " << v;
    EXPECT_EQ(std::signbit(fast.v), std::signbit(slow.v)) << u << " " << v;
    if (fast.u != slow.u || fast.v != slow.v) ADD_FAILURE() << u << " " << v;
    ++checked;
  }
  EXPECT_EQ(checked, 200000);
}

TEST(Toolbox, FourLanesAgreeWithOneAtATime) {
  std::uint32_t seed = 777;
  const auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>(seed >> 8) / 16777216.0f * 6.0f - 3.0f;
  };
  for (int i = 0; i < 50000; ++i) {
    F4 u, v;
    for (int lane = 0; lane < kLanesOf<F4>; ++lane) u[lane] = next(), v[lane] = next();
    if (i % 10 == 0) v[i % 4] = u[i % 4];        // on a diagonal before the turn
    if (i % 10 == 1) u[i % 4] = v[i % 4] = 0.0f;  // the origin
    const Pair<F4> fold = PolarFold(u, v);
    const F4 smooth = Smin(u, v, 0.3f);
    const F4 rod = CappedRodZ(Vec3Lanes<F4>{u, v, u * v}, 1.2f, 0.5f, 0.1f);
    for (int lane = 0; lane < kLanesOf<F4>; ++lane) {
      const Pair<float> one = PolarFold(u[lane], v[lane]);
      ASSERT_EQ(std::bit_cast<std::uint32_t>(one.u), std::bit_cast<std::uint32_t>(fold.u[lane])) << u[lane] << " " << v[lane];
      ASSERT_EQ(std::bit_cast<std::uint32_t>(one.v), std::bit_cast<std::uint32_t>(fold.v[lane])) << u[lane] << " " << v[lane];
      ASSERT_EQ(Smin(u[lane], v[lane], 0.3f), smooth[lane]);
      ASSERT_EQ(CappedRodZ(Vec3{u[lane], v[lane], u[lane] * v[lane]}, 1.2f, 0.5f, 0.1f), rod[lane]);
    }
  }
}

}  // namespace
}  // namespace condemo
