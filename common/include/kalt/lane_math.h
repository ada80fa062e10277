// kalt/lane_math.h - the float sine, cosine and remainder of kalt/fmath.h
// without the library calls where that is safe, bit for bit; for one float
// or for every lane of a vector (kalt/lanes.h).
//
// Sine and cosine: evaluated in double with a short argument reduction and
// the classic polynomial kernels (a few double ulps from the true value),
// and rounded to float only when the double result is far from a float
// rounding boundary: so far that the library's result, also within an ulp
// or so of the true value, must round to the same float. Elsewhere, for
// arguments of 2^16 and beyond and for NaN and infinities, the library
// decides. Every result equals kalt::Sin or kalt::Cos exactly. A vector
// whose lanes are not all safe is computed lane by lane.
//
// Remainders: CellOffset<M>(a) = kalt::Fmod(a, M) - M / 2 exactly, for
// every float a. The quotient is truncated in float and corrected by one
// step, and the remainder a - M q is then exact; this holds while |a| is
// below 2^22, and lanes beyond (or not numbers) take the library call.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "kalt/fmath.h"
#include "kalt/lanes.h"

namespace kalt::lanes {

namespace fast {

// The bit patterns of a double or of the lanes of a double vector, and the
// same bits as twice as many 32-bit words.
template <class D>
struct DoubleBits {
  static constexpr int kCount = sizeof(D) / sizeof(double);
  using Bits = Vector<std::uint64_t, kCount>;
  using Signed = Vector<std::int64_t, kCount>;
  using Words = Vector<std::uint32_t, 2 * kCount>;
  using SignedWords = MaskLanes<Vector<float, 2 * kCount>>;
};
template <>
struct DoubleBits<double> {
  using Bits = std::uint64_t;
  using Signed = std::int64_t;
};

template <class D>
inline auto Bits(D x) {
  return std::bit_cast<typename DoubleBits<D>::Bits>(x);
}
template <class D>
inline D FromBits(typename DoubleBits<D>::Bits x) {
  return std::bit_cast<D>(x);
}

// sin r and cos r for |r| <= pi/4 (error below 2^-58 relative), the
// polynomials evaluated in pairs of terms to shorten the chain of dependent
// operations. D is double or a double vector.
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

// A float argument x (widened to D) written as k pi/2 + r with |r| <= pi/4
// (and a hair), quadrant = k mod 4 in its low bits; ok is false (0) where
// |x| is too large for this reduction.
template <class D>
struct Reduced {
  using Quadrant = typename DoubleBits<D>::Signed;
  D r;
  Quadrant quadrant;
  Quadrant ok;
};
template <class D>
Reduced<D> Reduce(D x) {
  using Quadrant = typename Reduced<D>::Quadrant;
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
  if constexpr (std::is_same_v<D, double>) {
    return {r, std::bit_cast<Quadrant>(Bits(shifted)), (x < 65536.0 && x > -65536.0) ? 1 : 0};
  } else {
    return {r, std::bit_cast<Quadrant>(Bits(shifted)), x < 65536.0 && x > -65536.0};
  }
}

// sin(k pi/2 + r) for quadrant k, from sin r and cos r, without branches:
// odd quadrants take the cosine, quadrants 2 and 3 flip the sign.
template <class D, class Q>
D InQuadrant(D sinR, D cosR, Q quadrant) {
  using B = typename DoubleBits<D>::Bits;
  const B pick = B{} - std::bit_cast<B>(quadrant & 1);
  B bits = (Bits(sinR) & ~pick) | (Bits(cosR) & pick);
  bits ^= std::bit_cast<B>(quadrant & 2) << 62;
  return FromBits<D>(bits);
}

// Whether the double y rounds to float the same way as any value within
// 2^12 double ulps of it: y is a normal float magnitude and not near the
// midpoint of two floats.
inline bool RoundsSafely(double y) {
  const std::uint64_t bits = Bits(y);
  const std::uint64_t exponent = (bits >> 52) & 0x7FF;
  const std::int64_t low = static_cast<std::int64_t>(bits & 0x1FFFFFFF) - 0x10000000;
  return exponent > 1023 - 125 && exponent < 1023 + 127 && (low > 4096 || low < -4096);
}

// The lanes of a widened vector that are far from the midpoint of two
// floats, as RoundsSafely, leaving out its range test: for arguments of at
// least 2^-60 in magnitude a sine or cosine is a normal float, never tiny.
// Worked out on the low 32-bit words of the doubles (SSE2 compares no 64-bit
// integers): their low 29 bits must not lie within 4096 of 2^28. A mask of
// the float lanes.
template <FloatLanes F>
inline IntOf<F> FarFromMidpoints(Wide<F> y) {
  using D = typename LaneTraits<F>::Half;
  using Words = typename DoubleBits<D>::Words;
  using SignedWords = typename DoubleBits<D>::SignedWords;
  const auto offset = [](D half) {
    return std::bit_cast<SignedWords>((std::bit_cast<Words>(half) - (0x10000000u - 4096u)) & 0x1FFFFFFFu);
  };
  const SignedWords lo = offset(y.lo), hi = offset(y.hi);
  // The low words (even positions) of both halves, in the order of the lanes.
  const IntOf<F> low = Pick<kLanesOf<F>, 0, 2>(lo, hi);
  return low > 8192;
}

// The sine (quadrant offset 0) or the cosine (offset 1) of every lane;
// allSafe tells whether every lane came out safely.
template <int kOffset, FloatLanes F>
[[gnu::always_inline]] inline F SineLanes(F x, bool& allSafe) {
  const Wide<F> w = Widen(x);
  const auto lo = Reduce(w.lo), hi = Reduce(w.hi);
  const Wide<F> y{InQuadrant(KernelSin(lo.r), KernelCos(lo.r), lo.quadrant + kOffset),
                  InQuadrant(KernelSin(hi.r), KernelCos(hi.r), hi.quadrant + kOffset)};
  const F magnitude = Abs(x);
  allSafe = All((magnitude >= 0x1p-60f) & (magnitude < 65536.0f) & FarFromMidpoints(y));
  return Narrow(y);
}

// The lanes one by one, for the rare arguments that the vector path leaves
// to the library: x[0 .. count - 1] replaced by their sines or cosines.
[[gnu::noinline, gnu::cold]] void SinEach(float* x, int count);
[[gnu::noinline, gnu::cold]] void CosEach(float* x, int count);

// a[l] = CellOffset<M>(a[l]) for l < count, one at a time.
template <int M>
[[gnu::noinline, gnu::cold]] void CellOffsetEach(float* a, int count);

}  // namespace fast

// kalt::Sin(x), exactly.
inline float FastSin(float x) {
  const auto reduced = fast::Reduce(static_cast<double>(x));
  if (reduced.ok) {
    const double y = fast::InQuadrant(fast::KernelSin(reduced.r), fast::KernelCos(reduced.r), reduced.quadrant);
    if (fast::RoundsSafely(y)) return static_cast<float>(y);
  }
  return kalt::Sin(x);
}

// kalt::Cos(x), exactly: cos x = sin(x + pi/2).
inline float FastCos(float x) {
  const auto reduced = fast::Reduce(static_cast<double>(x));
  if (reduced.ok) {
    const double y =
        fast::InQuadrant(fast::KernelSin(reduced.r), fast::KernelCos(reduced.r), reduced.quadrant + 1);
    if (fast::RoundsSafely(y)) return static_cast<float>(y);
  }
  return kalt::Cos(x);
}

// Both at once.
inline void FastSinCos(float x, float& s, float& c) {
  s = FastSin(x);
  c = FastCos(x);
}

// kalt::Sin and kalt::Cos of every lane, exactly.
namespace fast {

// f(x) lane by lane through an array (the vector itself stays in registers).
template <FloatLanes F>
[[gnu::always_inline]] inline F EachLane(F x, void (*f)(float*, int)) {
  alignas(F) float lanes[kLanesOf<F>];
  std::memcpy(lanes, &x, sizeof x);
  f(lanes, kLanesOf<F>);
  std::memcpy(&x, lanes, sizeof x);
  return x;
}

}  // namespace fast

template <FloatLanes F>
[[gnu::always_inline]] inline F FastSin(F x) {
  bool safe;
  const F s = fast::SineLanes<0>(x, safe);
  return safe ? s : fast::EachLane(x, fast::SinEach);
}
template <FloatLanes F>
[[gnu::always_inline]] inline F FastCos(F x) {
  bool safe;
  const F c = fast::SineLanes<1>(x, safe);
  return safe ? c : fast::EachLane(x, fast::CosEach);
}
// Both at once: the reduction and the kernels are shared.
template <FloatLanes F>
[[gnu::always_inline]] inline void FastSinCos(F x, F& s, F& c) {
  bool sinSafe, cosSafe;
  s = fast::SineLanes<0>(x, sinSafe);
  c = fast::SineLanes<1>(x, cosSafe);
  if (!(sinSafe && cosSafe)) {
    s = fast::EachLane(x, fast::SinEach);
    c = fast::EachLane(x, fast::CosEach);
  }
}

// kalt::Atan2 of every lane (the library, lane by lane).
inline float Atan2(float y, float x) { return kalt::Atan2(y, x); }
template <FloatLanes F>
inline F Atan2(F y, F x) {
  for (int l = 0; l < kLanesOf<F>; ++l) y[l] = kalt::Atan2(y[l], x[l]);
  return y;
}

// Below this magnitude the truncated quotient of a cell offset fits an int
// and a - M q is exact.
inline constexpr float kCellOffsetLimit = 4194304.0f;  // 2^22

// The offset of a within its cell of a lattice of period M, by the fast
// path alone and without branches: fmod(a, M) - M / 2, exact where |a| <
// 2^22. Lanes with larger magnitudes (or not numbers) are set in `wild` and
// give meaningless numbers. M is a whole number of at least 1.
template <int M, class T>
inline T CellOffsetFast(T a, MaskOf<T>& wild) {
  static_assert(M >= 1 && M <= 1024, "a whole period the fast path is proven for");
  constexpr float m = static_cast<float>(M);
  const auto tame = Abs(a) < kCellOffsetLimit;
  wild = wild | Not(tame);
  const T x = tame ? a : T{};
  // m q is exact, and so is x - m q, the remainder when q is the truncated
  // quotient. Multiplying by 1/m is exact for powers of two, so q is; for
  // other periods q may be one off, and the remainder is moved back into
  // [0, m) or (-m, 0], where the true remainder lies (and is a float).
  const T q = TruncateSmall(x * (1.0f / m));
  T r = x - m * q;
  if constexpr ((M & (M - 1)) != 0) {
    const auto low = r < 0.0f, high = r >= m, positive = r > 0.0f, lowest = r <= -m;
    const T up = r + m, down = r - m;
    r = x >= 0.0f ? (low ? up : (high ? down : r)) : (positive ? down : (lowest ? up : r));
  }
  // Only the sign of a zero remainder may differ from fmod's; taking M / 2
  // away removes it.
  return r - m / 2.0f;
}

// Bit for bit kalt::Fmod(a, M) - M / 2.0f for every float a (and every
// lane).
template <int M>
inline float CellOffset(float a) {
  bool wild = false;
  const float offset = CellOffsetFast<M>(a, wild);
  return wild ? kalt::Fmod(a, static_cast<float>(M)) - static_cast<float>(M) / 2.0f : offset;
}
template <int M, FloatLanes F>
inline F CellOffset(F a) {
  IntOf<F> wild{};
  const F offset = CellOffsetFast<M>(a, wild);
  return Any(wild) ? fast::EachLane(a, fast::CellOffsetEach<M>) : offset;
}

namespace fast {

template <int M>
void CellOffsetEach(float* a, int count) {
  for (int l = 0; l < count; ++l) a[l] = CellOffset<M>(a[l]);
}

}  // namespace fast

}  // namespace kalt::lanes
