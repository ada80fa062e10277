#include "condemo/fast_math.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

namespace condemo {
namespace {

// Fails with the argument when the fast and the library results differ in
// any bit.
void ExpectSameTrig(float x) {
  const float s = FastSin(x), c = FastCos(x);
  const float libS = kalt::Sin(x), libC = kalt::Cos(x);
  if (std::bit_cast<std::uint32_t>(s) != std::bit_cast<std::uint32_t>(libS) && !(std::isnan(s) && std::isnan(libS)))
    ADD_FAILURE() << "sin " << x << ": " << s << " vs " << libS;
  if (std::bit_cast<std::uint32_t>(c) != std::bit_cast<std::uint32_t>(libC) && !(std::isnan(c) && std::isnan(libC)))
    ADD_FAILURE() << "cos " << x << ": " << c << " vs " << libC;
}

TEST(FastMath, SineAndCosineMatchTheLibraryOverTheWholeReducedRange) {
  // Every 251st float from 0 up to past the end of the fast range, both signs.
  for (std::uint32_t bits = 0; bits < 0x47900000u; bits += 251) {
    const float x = std::bit_cast<float>(bits);
    ExpectSameTrig(x);
    ExpectSameTrig(-x);
  }
}

// The four-lane version, lane by lane, over the same sweep.
TEST(FastMath, FourLaneSineAndCosineMatchTheLibrary) {
  F4 x{};
  int lane = 0;
  for (std::uint32_t bits = 0; bits < 0x47900000u; bits += 1021) {
    x[lane] = std::bit_cast<float>(bits) * (lane % 2 ? -1.0f : 1.0f);
    if (++lane < kLaneCount) continue;
    lane = 0;
    F4 s, c;
    FastSinCos(x, s, c);
    for (int i = 0; i < kLaneCount; ++i) {
      if (std::bit_cast<std::uint32_t>(s[i]) != std::bit_cast<std::uint32_t>(kalt::Sin(x[i])))
        ADD_FAILURE() << "sin " << x[i];
      if (std::bit_cast<std::uint32_t>(c[i]) != std::bit_cast<std::uint32_t>(kalt::Cos(x[i])))
        ADD_FAILURE() << "cos " << x[i];
    }
  }
  const F4 special{0.0f, -1e-30f, 1e10f, std::numeric_limits<float>::quiet_NaN()};
  F4 s, c;
  FastSinCos(special, s, c);
  EXPECT_EQ(s[0], 0.0f);
  EXPECT_EQ(s[1], -1e-30f);
  EXPECT_EQ(c[2], kalt::Cos(1e10f));
  EXPECT_TRUE(std::isnan(s[3]) && std::isnan(c[3]));
}

TEST(FastMath, SineAndCosineMatchTheLibraryNearMultiplesOfHalfPi) {
  for (int k = -42000; k <= 42000; k += 7) {
    float x = static_cast<float>(k * std::numbers::pi / 2.0);
    for (int step = 0; step < 4; ++step) {
      ExpectSameTrig(x);
      x = std::nextafter(x, 1e9f);
    }
  }
}

TEST(FastMath, SpecialValuesGoToTheLibrary) {
  for (const float x : {0.0f, -0.0f, 1e-30f, -1e-45f, 65535.9f, 65536.0f, 1e10f, -1e30f,
                        std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()})
    ExpectSameTrig(x);
  EXPECT_TRUE(std::signbit(FastSin(-0.0f)));
}

// The fast path relies on its double result lying within a few double ulps
// of the library's; the rounding check allows 4096.
TEST(FastMath, KernelErrorIsAFewDoubleUlps) {
  std::int64_t worst = 0;
  for (std::uint32_t bits = 0x30000000u; bits < 0x47800000u; bits += 9973) {
    const float x = std::bit_cast<float>(bits);
    const auto reduced = fast::Reduce(static_cast<double>(x));
    ASSERT_TRUE(reduced.ok);
    const double s = fast::KernelSin(reduced.r), c = fast::KernelCos(reduced.r);
    const double sine = fast::InQuadrant(s, c, reduced.quadrant);
    const double cosine = fast::InQuadrant(s, c, reduced.quadrant + 1);
    const auto ulps = [](double a, double b) {
      const std::int64_t d = std::bit_cast<std::int64_t>(a) - std::bit_cast<std::int64_t>(b);
      return d < 0 ? -d : d;
    };
    if (std::fabs(sine) > 1e-300) worst = std::max(worst, ulps(sine, std::sin(static_cast<double>(x))));
    if (std::fabs(cosine) > 1e-300) worst = std::max(worst, ulps(cosine, std::cos(static_cast<double>(x))));
  }
  EXPECT_LE(worst, 16);
}

TEST(FastMath, RemainderMatchesTheLibrary) {
  std::uint32_t seed = 99;
  const auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed;
  };
  for (const float b : {1.0f, 20.0f, 100.0f, 7.25f, 0.5f, 3e7f}) {
    for (int i = 0; i < 100000; ++i) {
      const std::uint32_t r = next();
      float a = static_cast<float>(r >> 8) / 16777216.0f * 4000.0f - 1000.0f;
      if (i % 5 == 1) a = std::bit_cast<float>(0x30000000u + (r >> 4));  // any magnitude up to 2^25 and beyond
      if (i % 5 == 2) a = b * static_cast<float>(r % 3000);              // exact multiples
      if (i % 5 == 3) a = std::nextafter(b * static_cast<float>(r % 3000), 0.0f);
      const float fast = FastFmod(a, b), lib = kalt::Fmod(a, b);
      if (std::bit_cast<std::uint32_t>(fast) != std::bit_cast<std::uint32_t>(lib))
        ADD_FAILURE() << a << " mod " << b << ": " << fast << " vs " << lib;
    }
  }
  // Four lanes, some of them out of the fast range.
  for (int i = 0; i < 10000; ++i) {
    F4 a;
    for (int lane = 0; lane < kLaneCount; ++lane)
      a[lane] = static_cast<float>(next() >> 8) / 16777216.0f * 6000.0f - (i % 3 ? 1000.0f : 3000.0f);
    for (const float b : {1.0f, 20.0f, 100.0f}) {
      const F4 r = FastFmod(a, b);
      for (int lane = 0; lane < kLaneCount; ++lane)
        if (std::bit_cast<std::uint32_t>(r[lane]) != std::bit_cast<std::uint32_t>(kalt::Fmod(a[lane], b)))
          ADD_FAILURE() << a[lane] << " mod " << b;
    }
  }
  EXPECT_TRUE(std::isnan(FastFmod(std::numeric_limits<float>::quiet_NaN(), 20.0f)));
  EXPECT_TRUE(std::isnan(FastFmod(std::numeric_limits<float>::infinity(), 20.0f)));
  EXPECT_TRUE(std::signbit(FastFmod(-0.0f, 20.0f)));
}

}  // namespace
}  // namespace condemo
