// The lane kit against the library, bit for bit, on every lane path: the
// vector helpers run in the entries of the paths (kalt/lane_entry.h), as
// the demos run them.
#include "kalt/lane_math.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "kalt/lane_entry.h"
#include "kalt/lanes.h"
#include "kalt_test/lane_paths.h"

namespace {

using namespace kalt::lanes;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr int kPeriods[] = {1, 2, 3, 8, 16, 20, 100};
constexpr int kPeriodCount = 7;
constexpr int kHelpers = 7;  // results per input of Helpers below

template <class T>
T Load(const float* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <class T>
void Store(float* p, T v) {
  std::memcpy(p, &v, sizeof v);
}

// The kit's functions over arrays, n a multiple of the lane count of T:
// kernels of the lane entries (kalt/lane_entry.h).

// FastSin, FastCos, and both of FastSinCos: r[k * n + i].
struct SinCos {
  template <class T>
  static void Run(const float* x, float* r, int n) {
    for (int i = 0; i < n; i += kLanesOf<T>) {
      const T v = Load<T>(x + i);
      T sines, cosines;
      FastSinCos(v, sines, cosines);
      Store(r + 0 * n + i, FastSin(v));
      Store(r + 1 * n + i, FastCos(v));
      Store(r + 2 * n + i, sines);
      Store(r + 3 * n + i, cosines);
    }
  }
};
// Offsets for every period of kPeriods: r[k * n + i] for period k.
struct Offsets {
  template <class T>
  static void Run(const float* a, float* r, int n) {
    for (int i = 0; i < n; i += kLanesOf<T>) {
      const T v = Load<T>(a + i);
      Store(r + 0 * n + i, CellOffset<1>(v));
      Store(r + 1 * n + i, CellOffset<2>(v));
      Store(r + 2 * n + i, CellOffset<3>(v));
      Store(r + 3 * n + i, CellOffset<8>(v));
      Store(r + 4 * n + i, CellOffset<16>(v));
      Store(r + 5 * n + i, CellOffset<20>(v));
      Store(r + 6 * n + i, CellOffset<100>(v));
    }
  }
};
// Sqrt(a), Abs(a), Min(a, b), Max(a, b), TruncInt(a) (as float bits),
// Narrow(Widen(a) * 3) and a lane of Splat(a) for every input:
// r[k * n + i].
struct Helpers {
  template <class T>
  static void Run(const float* a, const float* b, float* r, int n) {
    constexpr int kLanes = kLanesOf<T>;
    for (int i = 0; i < n; i += kLanes) {
      const T x = Load<T>(a + i), y = Load<T>(b + i);
      Store(r + 0 * n + i, Sqrt(x));
      Store(r + 1 * n + i, Abs(x));
      Store(r + 2 * n + i, Min(x, y));
      Store(r + 3 * n + i, Max(x, y));
      const auto truncated = TruncInt(x);
      std::memcpy(r + 4 * n + i, &truncated, sizeof truncated);
      Store(r + 5 * n + i, Narrow(Widen(x) * 3.0));
      for (int l = 0; l < kLanes; ++l) r[6 * n + i + l] = Lane(Splat<T>(a[i + l]), (i + l) % kLanes);
    }
  }
};

using OverArray = LaneEntries<void(const float*, float*, int)>;
using OverTwoArrays = LaneEntries<void(const float*, const float*, float*, int)>;

struct KitFunctions {
  OverArray::Entry sinCos;
  OverArray::Entry offsets;
  OverTwoArrays::Entry helpers;
};

KitFunctions FunctionsOf(kalt::LanePath path) {
  return {OverArray::Of<SinCos>()[path], OverArray::Of<Offsets>()[path], OverTwoArrays::Of<Helpers>()[path]};
}

bool SameFloat(float a, float b) {
  return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b) || (std::isnan(a) && std::isnan(b));
}

// Pads to a whole number of the widest vectors.
void Pad(std::vector<float>& x) {
  while (x.size() % 16 != 0) x.push_back(0.5f);
}

float FromBits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

class LaneKit : public kalt_test::OnLanePath {
 protected:
  KitFunctions kit() const { return FunctionsOf(GetParam()); }
};

// Sines and cosines: a sweep of the whole reduced range and past it, both
// signs; the floats next to multiples of pi/2, where the results are tiny
// and the rounding guard matters most; zeros, tiny and huge arguments,
// infinities and NaN, which go to the library.
TEST_P(LaneKit, SineAndCosineMatchTheLibrary) {
  std::vector<float> x;
  for (std::uint32_t bits = 0; bits < 0x47900000u; bits += 1021) {
    x.push_back(FromBits(bits));
    x.push_back(-FromBits(bits + 17));
  }
  for (int k = -42000; k <= 42000; k += 7) {
    float near = static_cast<float>(k * std::numbers::pi / 2.0);
    for (int step = 0; step < 4; ++step, near = std::nextafter(near, 1e9f)) x.push_back(near);
  }
  for (const float special : {0.0f, -0.0f, 1e-30f, -1e-45f, 0x1p-60f, 65535.9f, 65536.0f, -65536.0f, 1e10f, -1e30f,
                              kInf, -kInf, kNaN})
    x.push_back(special);
  // One lane out of the fast range among safe ones.
  x.insert(x.end(), {0.5f, 1.5f, 1e10f, 2.5f, 3.5f, 4.5f, 5.5f, 6.5f, 7.5f, 8.5f, 9.5f, 10.5f, 11.5f, 12.5f, 13.5f, 14.5f});
  Pad(x);
  const int n = static_cast<int>(x.size());
  std::vector<float> r(x.size() * 4);
  kit().sinCos(x.data(), r.data(), n);
  int failures = 0;
  for (int i = 0; i < n && failures < 10; ++i)
    for (int k = 0; k < 4; ++k) {
      const float want = k % 2 == 0 ? kalt::Sin(x[i]) : kalt::Cos(x[i]);
      if (!SameFloat(r[k * n + i], want)) ++failures, ADD_FAILURE() << (k % 2 ? "cos " : "sin ") << x[i];
    }
}

// Cell offsets: random bit patterns, values near the lattice coordinates
// and just inside their multiples, the edges of the fast range (2^22),
// tiny, huge and non-finite values, each as fmod less half the period.
TEST_P(LaneKit, CellOffsetIsTheRemainderLessHalfThePeriod) {
  std::vector<float> a = {0.0f,      -0.0f,      1.5f,       -1.5f,  3.0f,   -3.0f, 6.0f, -9.0f, 8.0f, -8.0f,
                          16.0f,     20.0f,      -100.0f,    2.9999998f, -2.9999998f, 99.99999f, 4194303.5f,
                          4194304.0f, -4194304.0f, 1e-40f, -1e-40f, 1e30f, -1e30f, kInf, -kInf, kNaN};
  std::mt19937 random(20);
  std::uniform_real_distribution<float> near(-3000.0f, 3000.0f);
  for (int i = 0; i < 60000; ++i) {
    a.push_back(FromBits(static_cast<std::uint32_t>(random())));
    const float x = near(random);
    a.push_back(x);
    a.push_back(std::nextafter(std::round(x), 0.0f));
    a.push_back(std::nextafter(100.0f * std::round(x / 100.0f), 1e9f));
  }
  Pad(a);
  const int n = static_cast<int>(a.size());
  std::vector<float> r(a.size() * kPeriodCount);
  kit().offsets(a.data(), r.data(), n);
  for (int k = 0; k < kPeriodCount; ++k) {
    const float m = static_cast<float>(kPeriods[k]);
    for (int i = 0; i < n; ++i)
      ASSERT_TRUE(SameFloat(r[k * n + i], kalt::Fmod(a[i], m) - m / 2.0f)) << "period " << m << " a " << a[i];
  }
}

// The helpers lane by lane against their one-ray versions, non-finite and
// out-of-range values included.
TEST_P(LaneKit, HelpersGiveTheOneRayResultInEveryLane) {
  std::vector<float> a = {kNaN, kInf, -kInf, -0.0f, 0.0f, 2147483648.0f, -2147483648.0f, 2147483520.0f, -1e-45f,
                          3e9f, -3e9f, 0.5f, -0.5f, 1.0f, -1.0f, 7.9f};
  std::vector<float> b = {1.0f, kNaN, 0.0f, 0.0f, -0.0f, kInf, 1.0f, -kInf, 2.0f, 3.0f, kNaN, -0.5f, 0.5f, 1.0f,
                          -2.0f, 8.0f};
  std::mt19937 random(7);
  for (int i = 0; i < 40000; ++i) {
    a.push_back(FromBits(static_cast<std::uint32_t>(random())));
    b.push_back(FromBits(static_cast<std::uint32_t>(random())));
  }
  const int n = static_cast<int>(a.size());
  std::vector<float> r(a.size() * kHelpers);
  kit().helpers(a.data(), b.data(), r.data(), n);
  for (int i = 0; i < n; ++i) {
    const std::int32_t truncated = kalt::TruncInt(a[i]);
    const float expected[kHelpers] = {std::sqrt(a[i]), std::fabs(a[i]), std::min(a[i], b[i]), std::max(a[i], b[i]),
                                      std::bit_cast<float>(truncated),
                                      static_cast<float>(static_cast<double>(a[i]) * 3.0), a[i]};
    for (int k = 0; k < kHelpers; ++k) {
      const bool same = k == 4 ? std::bit_cast<std::uint32_t>(r[k * n + i]) == std::bit_cast<std::uint32_t>(expected[k])
                               : SameFloat(r[k * n + i], expected[k]);
      ASSERT_TRUE(same) << "helper " << k << " of " << a[i] << ", " << b[i];
    }
  }
}

KALT_ON_EVERY_LANE_PATH(LaneKit);

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

// Every 251st float of the scalar fast range against the library.
TEST(FastMath, ScalarSineAndCosineMatchTheLibraryDensely) {
  int failures = 0;
  for (std::uint32_t bits = 0; bits < 0x47900000u && failures < 10; bits += 251)
    for (const float x : {std::bit_cast<float>(bits), -std::bit_cast<float>(bits)}) {
      if (!SameFloat(FastSin(x), kalt::Sin(x))) ++failures, ADD_FAILURE() << "sin " << x;
      if (!SameFloat(FastCos(x), kalt::Cos(x))) ++failures, ADD_FAILURE() << "cos " << x;
    }
}

}  // namespace
