// condemo/fast_math.h - the float sine, cosine and remainder of kalt/fmath.h,
// bit for bit, without the library calls where that is safe; for one float
// or for the four lanes of an F4.
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
#include <type_traits>

#include "condemo/lanes.h"
#include "kalt/fmath.h"

namespace condemo {

namespace fast {

// sin r and cos r for |r| <= pi/4 (error below 2^-58 relative), the
// polynomials evaluated in pairs of terms to shorten the chain of dependent
// operations. D is double or D2.
template <class D>
D KernelSin(D r) {
  constexpr double s1 = -1.66666666666666324348e-01, s2 = 8.33333333332248946124e-03,
                   s3 = -1.98412698298579493134e-04, s4 = 2.75573137070700676789e-06,
                   s5 = -2.50507602534068634195e-08, s6 = 1.58969099521155010221e-10;
  const D z = r * r, z2 = z * z;
  const D p = (s1 + s2 * z) + z2 * ((s3 + s4 * z) + z2 * (s5 + s6 * z));
  return r + (r * z) * p;
}
template <class D>
D KernelCos(D r) {
  constexpr double c1 = 4.16666666666666019037e-02, c2 = -1.38888888888741095749e-03,
                   c3 = 2.48015872894767294178e-05, c4 = -2.75573143513906633035e-07,
                   c5 = 2.08757232129817482790e-09, c6 = -1.13596475577881948265e-11;
  const D z = r * r, z2 = z * z;
  const D p = (c1 + c2 * z) + z2 * ((c3 + c4 * z) + z2 * (c5 + c6 * z));
  return (1.0 - 0.5 * z) + z2 * p;
}

// The bits of a double or of the lanes of a D2, and back.
inline std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }
inline U2 Bits(D2 x) { return std::bit_cast<U2>(x); }
inline std::int64_t Signed(std::uint64_t x) { return std::bit_cast<std::int64_t>(x); }
inline L2 Signed(U2 x) { return std::bit_cast<L2>(x); }
inline double FromBits(std::uint64_t x) { return std::bit_cast<double>(x); }
inline D2 FromBits(U2 x) { return std::bit_cast<D2>(x); }

// A float argument x (widened to D: double or D2) written as k pi/2 + r
// with |r| <= pi/4 (and a hair), quadrant = k mod 4; ok is false (0) where
// |x| is too large for this reduction. Q is the integer type of D.
template <class D, class Q>
struct Reduced {
  D r;
  Q quadrant;
  Q ok;
};
template <class D>
auto Reduce(D x) {
  using Q = decltype(x < x);
  constexpr double kTwoOverPi = 6.36619772367581382433e-01;
  // pi/2 in three parts; k times each of the first two is exact.
  constexpr double kPio2a = 1.57079632673412561417e+00, kPio2b = 6.07710050630396597660e-11,
                   kPio2c = 2.02226624879595063154e-21;
  // Rounds to the nearest integer: adding and taking away 1.5 * 2^52 leaves
  // no fraction bits (the low bits then hold k as an integer).
  constexpr double kRound = 6755399441055744.0;
  const D shifted = x * kTwoOverPi + kRound;
  const D k = shifted - kRound;
  const D r = ((x - k * kPio2a) - k * kPio2b) - k * kPio2c;
  const Q ok = x < 65536.0 && x > -65536.0;
  if constexpr (std::is_same_v<D, double>) {
    return Reduced<D, std::int64_t>{r, static_cast<std::int64_t>(Bits(shifted)), ok ? 1 : 0};
  } else {
    return Reduced<D, Q>{r, std::bit_cast<Q>(Bits(shifted)), ok};
  }
}

// sin(k pi/2 + r) for quadrant k, from sin r and cos r, without branches:
// odd quadrants take the cosine, quadrants 2 and 3 flip the sign.
template <class D, class Q>
D InQuadrant(D sinR, D cosR, Q quadrant) {
  using B = decltype(Bits(sinR));
  const B pick = B{} - std::bit_cast<B>(quadrant & 1);
  B bits = (Bits(sinR) & ~pick) | (Bits(cosR) & pick);
  bits ^= std::bit_cast<B>(quadrant & 2) << 62;
  return FromBits(bits);
}

// Whether the double y rounds to float the same way as any value within
// 2^12 double ulps of it: y is a normal float magnitude and not near the
// midpoint of two floats. True (all ones) or false per lane.
template <class D>
auto RoundsSafely(D y) {
  using B = decltype(Bits(y));
  const B bits = Bits(y);
  const B exponent = (bits >> 52) & 0x7FF;
  const auto low = Signed(bits & 0x1FFFFFFF) - 0x10000000;
  return exponent > 1023 - 125 && exponent < 1023 + 127 && (low > 4096 || low < -4096);
}

// Whether both lanes of a D2 are far from the midpoint of two floats, as
// RoundsSafely, leaving out its range test: for arguments of at least 2^-60
// in magnitude a sine or cosine is a normal float, never tiny. Worked out on
// the low 32-bit halves (SSE2 compares no 64-bit integers): the low 29 bits
// must not lie within 4096 of 2^28. All ones in the low half of a safe lane;
// the high halves are all ones.
inline I4 FarFromMidpoints(D2 y) {
  using U4 = std::uint32_t __attribute__((vector_size(16)));
  const I4 offset = std::bit_cast<I4>((std::bit_cast<U4>(y) - (0x10000000u - 4096u)) & 0x1FFFFFFFu);
  return offset > 8192 || I4{0, -1, 0, -1};
}

}  // namespace fast

// kalt::Sin(x), exactly.
inline float FastSin(float x) {
  const auto x4 = fast::Reduce(static_cast<double>(x));
  if (x4.ok) {
    const double y = fast::InQuadrant(fast::KernelSin(x4.r), fast::KernelCos(x4.r), x4.quadrant);
    if (fast::RoundsSafely(y)) return static_cast<float>(y);
  }
  return kalt::Sin(x);
}

// kalt::Cos(x), exactly: cos x = sin(x + pi/2).
inline float FastCos(float x) {
  const auto x4 = fast::Reduce(static_cast<double>(x));
  if (x4.ok) {
    const double y = fast::InQuadrant(fast::KernelSin(x4.r), fast::KernelCos(x4.r), x4.quadrant + 1);
    if (fast::RoundsSafely(y)) return static_cast<float>(y);
  }
  return kalt::Cos(x);
}

namespace fast {

// The sine (quadrant offset 0) or the cosine (offset 1) of four floats; the
// mask is all ones in the lanes that came out safely.
template <int kOffset>
[[gnu::always_inline]] inline F4 Lanes(F4 x, I4& safe) {
  const W4 w = Widen(x);
  const auto lo = Reduce(w.lo), hi = Reduce(w.hi);
  const W4 y{InQuadrant(KernelSin(lo.r), KernelCos(lo.r), lo.quadrant + kOffset),
             InQuadrant(KernelSin(hi.r), KernelCos(hi.r), hi.quadrant + kOffset)};
  const F4 magnitude = Abs(x);
  safe = (magnitude >= 0x1p-60f && magnitude < 65536.0f) & FarFromMidpoints(y.lo) & FarFromMidpoints(y.hi);
  return Narrow(y);
}

inline bool All(I4 mask) {
#if defined(__SSE2__)
  return _mm_movemask_ps(std::bit_cast<F4>(mask)) == 0xF;
#else
  return (mask[0] & mask[1] & mask[2] & mask[3]) == -1;
#endif
}

// The lanes one by one, for the rare arguments that the four-lane path
// leaves to the library.
[[gnu::noinline, gnu::cold]] F4 SinOneByOne(F4 x);
[[gnu::noinline, gnu::cold]] F4 CosOneByOne(F4 x);

}  // namespace fast

// kalt::Sin and kalt::Cos of every lane, exactly.
[[gnu::always_inline]] inline F4 FastSin(F4 x) {
  I4 safe;
  const F4 s = fast::Lanes<0>(x, safe);
  return fast::All(safe) ? s : fast::SinOneByOne(x);
}
[[gnu::always_inline]] inline F4 FastCos(F4 x) {
  I4 safe;
  const F4 c = fast::Lanes<1>(x, safe);
  return fast::All(safe) ? c : fast::CosOneByOne(x);
}
// Both at once: the reduction and the kernels are shared.
[[gnu::always_inline]] inline void FastSinCos(F4 x, F4& s, F4& c) {
  I4 sinSafe, cosSafe;
  s = fast::Lanes<0>(x, sinSafe);
  c = fast::Lanes<1>(x, cosSafe);
  if (!fast::All(sinSafe & cosSafe)) {
    s = fast::SinOneByOne(x);
    c = fast::CosOneByOne(x);
  }
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
inline F4 FastFmod(F4 a, float b) {
  const I4 inRange = a > 0.0f && a < 16777216.0f;
  if (!(b >= 1.0f && b < 16777216.0f) || (inRange[0] & inRange[1] & inRange[2] & inRange[3]) == 0) {
    for (int i = 0; i < kLaneCount; ++i) a[i] = FastFmod(a[i], b);
    return a;
  }
  const W4 ad = Widen(a);
  const auto remainder = [b](D2 x) {
    const double bd = b;
    using I2 = std::int32_t __attribute__((vector_size(8)));  // the quotient is below 2^24
    const D2 q = __builtin_convertvector(__builtin_convertvector(x / bd, I2), D2);
    D2 r = x - q * bd;
    r = Select(r < 0.0, r + bd, Select(r >= bd, r - bd, r));
    return r;
  };
  return Narrow(W4{remainder(ad.lo), remainder(ad.hi)});
}

// kalt::Atan2 of every lane.
inline float Atan2(float y, float x) { return kalt::Atan2(y, x); }
inline F4 Atan2(F4 y, F4 x) {
  for (int i = 0; i < kLaneCount; ++i) y[i] = kalt::Atan2(y[i], x[i]);
  return y;
}

}  // namespace condemo
