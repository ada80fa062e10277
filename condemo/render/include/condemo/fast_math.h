// condemo/fast_math.h - the float sine, cosine and remainder of kalt/fmath.h,
// bit for bit, without the library calls where that is safe.
//
// The renderer spends most of its time in sines and cosines of float
// arguments rounded back to float. These versions evaluate the sine or
// cosine in double with a short argument reduction and the classic
// polynomial kernels (a few double ulps from the true value), and round to
// float only when the double result is far from a float rounding boundary:
// so far that the library's result, also within an ulp or so of the true
// value, must round to the same float. Elsewhere, and for arguments beyond
// the reduction's range, they call the library. Every result therefore
// equals kalt::Sin, kalt::Cos or kalt::Fmod exactly.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

#include "kalt/fmath.h"

namespace condemo {

namespace fast {

// sin r and cos r for |r| <= pi/4 (error below 2^-58 relative), the
// polynomials evaluated in pairs of terms to shorten the chain of dependent
// operations.
inline double KernelSin(double r) {
  constexpr double s1 = -1.66666666666666324348e-01, s2 = 8.33333333332248946124e-03,
                   s3 = -1.98412698298579493134e-04, s4 = 2.75573137070700676789e-06,
                   s5 = -2.50507602534068634195e-08, s6 = 1.58969099521155010221e-10;
  const double z = r * r, z2 = z * z;
  const double p = (s1 + s2 * z) + z2 * ((s3 + s4 * z) + z2 * (s5 + s6 * z));
  return r + (r * z) * p;
}
inline double KernelCos(double r) {
  constexpr double c1 = 4.16666666666666019037e-02, c2 = -1.38888888888741095749e-03,
                   c3 = 2.48015872894767294178e-05, c4 = -2.75573143513906633035e-07,
                   c5 = 2.08757232129817482790e-09, c6 = -1.13596475577881948265e-11;
  const double z = r * r, z2 = z * z;
  const double p = (c1 + c2 * z) + z2 * ((c3 + c4 * z) + z2 * (c5 + c6 * z));
  return (1.0 - 0.5 * z) + z2 * p;
}

// A float argument x written as k pi/2 + r with |r| <= pi/4 (and a hair),
// quadrant = k mod 4; not ok where |x| is too large for this reduction.
struct Reduced {
  double r;
  unsigned quadrant;
  bool ok;
};
inline Reduced Reduce(float x) {
  const double xd = x;
  if (!(std::fabs(xd) < 65536.0)) return {0.0, 0, false};
  constexpr double kTwoOverPi = 6.36619772367581382433e-01;
  // pi/2 in three parts; k times each of the first two is exact.
  constexpr double kPio2a = 1.57079632673412561417e+00, kPio2b = 6.07710050630396597660e-11,
                   kPio2c = 2.02226624879595063154e-21;
  // Rounds to the nearest integer: adding and taking away 1.5 * 2^52 leaves
  // no fraction bits.
  constexpr double kRound = 6755399441055744.0;
  const double k = (xd * kTwoOverPi + kRound) - kRound;
  const double r = ((xd - k * kPio2a) - k * kPio2b) - k * kPio2c;
  return {r, static_cast<unsigned>(static_cast<int>(k)), true};
}

// sin(k pi/2 + r) for quadrant k, from sin r and cos r, without branches:
// odd quadrants take the cosine, quadrants 2 and 3 flip the sign.
inline double InQuadrant(double sinR, double cosR, unsigned quadrant) {
  const std::uint64_t pick = 0 - static_cast<std::uint64_t>(quadrant & 1);
  std::uint64_t bits = (std::bit_cast<std::uint64_t>(sinR) & ~pick) | (std::bit_cast<std::uint64_t>(cosR) & pick);
  bits ^= static_cast<std::uint64_t>(quadrant & 2) << 62;
  return std::bit_cast<double>(bits);
}

// Whether the double y rounds to float the same way as any value within
// 2^12 double ulps of it: y is a normal float magnitude and not near the
// midpoint of two floats.
inline bool RoundsSafely(double y) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(y);
  const std::uint64_t exponent = (bits >> 52) & 0x7FF;
  const std::int64_t low = static_cast<std::int64_t>(bits & 0x1FFFFFFF) - 0x10000000;
  return exponent > 1023 - 125 && exponent < 1023 + 127 && (low > 4096 || low < -4096);
}

}  // namespace fast

// kalt::Sin(x), exactly.
inline float FastSin(float x) {
  if (const fast::Reduced x4 = fast::Reduce(x); x4.ok) {
    const double y = fast::InQuadrant(fast::KernelSin(x4.r), fast::KernelCos(x4.r), x4.quadrant);
    if (fast::RoundsSafely(y)) return static_cast<float>(y);
  }
  return kalt::Sin(x);
}

// kalt::Cos(x), exactly: cos x = sin(x + pi/2).
inline float FastCos(float x) {
  if (const fast::Reduced x4 = fast::Reduce(x); x4.ok) {
    const double y = fast::InQuadrant(fast::KernelSin(x4.r), fast::KernelCos(x4.r), x4.quadrant + 1);
    if (fast::RoundsSafely(y)) return static_cast<float>(y);
  }
  return kalt::Cos(x);
}

// kalt::Fmod(a, b) exactly, for a divisor b >= 1 (other divisors, and
// dividends that are not positive or beyond 2^24, go to the library). The
// quotient is found by one double division and corrected by one step; the
// remainder is then exact in double.
inline float FastFmod(float a, float b) {
  if (!(a > 0.0f && a < 16777216.0f && b >= 1.0f && b < 16777216.0f)) return kalt::Fmod(a, b);
  const double ad = a, bd = b;
  double r = ad - static_cast<double>(static_cast<std::int64_t>(ad / bd)) * bd;
  if (r < 0.0)
    r += bd;
  else if (r >= bd)
    r -= bd;
  return static_cast<float>(r);
}

}  // namespace condemo
