// kalt/lanes.h - several rays at once: the lane kit of both demos.
//
// A march is written once, as a template over its number type T: float for
// one ray, or a vector of 4, 8 or 16 floats (F4, F8, F16: one ray per lane)
// in the vector extensions of GCC, where +, -, *, /, comparisons and
// `mask ? a : b` work lane by lane. The helpers below are overloaded for
// every such T, and each gives in every lane exactly the IEEE result of the
// one-ray version: the pictures do not depend on the lane count.
//
// Comparisons of vectors give masks (IntOf<T>: 0 or all ones per lane);
// comparisons of floats give bool. Double-precision steps widen a float to
// double and a vector to Wide<T> (its lanes in two double vectors of the
// same width) and round back with Narrow.
//
// Instruction sets. F4 needs SSE2 only, which every x86-64 processor has.
// F8 and F16 compile to AVX2 and AVX-512 instructions only inside the
// entries of their paths (kalt/lane_entry.h), which inline everything they
// call: the templates here carry no target of their own, so an
// instantiation for F8 that is not inlined into such an entry would be a
// plain x86-64 function on 256-bit values (and F8's square root would not
// compile there). Every instantiation has the lane type in its name, so no
// code built for one instruction set can stand in for another's at link
// time. kalt/lane_path.h picks the path a processor runs.
//
// Bad input: NaN and infinities pass through as IEEE arithmetic makes them;
// TruncInt saturates, TruncateSmall needs magnitudes below 2^31.
#pragma once

#include <immintrin.h>  // declares the vector built-ins used below

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "kalt/fmath.h"
#include "kalt/vec3.h"

namespace kalt::lanes {

// A vector of N elements of E in the vector extensions of GCC.
template <class E, int N>
using Vector [[gnu::vector_size(N * sizeof(E))]] = E;

// The masks of float vectors, the type their comparisons give: 32-bit
// integers per lane (which GCC calls int, and clang for WebAssembly long).
template <class F>
using MaskLanes = decltype(F{} < F{});

using F4 = Vector<float, 4>;
using F8 = Vector<float, 8>;
using F16 = Vector<float, 16>;
using I4 = MaskLanes<F4>;
using I8 = MaskLanes<F8>;
using I16 = MaskLanes<F16>;
using D2 = Vector<double, 2>;
using D4 = Vector<double, 4>;
using D8 = Vector<double, 8>;

// Vectors of 4, 8 or 16 floats, and their masks.
template <class T>
concept FloatLanes = (sizeof(T) == 16 || sizeof(T) == 32 || sizeof(T) == 64) &&
                     std::is_same_v<T, Vector<float, sizeof(T) / sizeof(float)>>;
template <class T>
concept IntLanes = (sizeof(T) == 16 || sizeof(T) == 32 || sizeof(T) == 64) &&
                   std::is_same_v<T, MaskLanes<Vector<float, sizeof(T) / sizeof(float)>>>;

// The traits of a number type: its lane count and its integer (and mask)
// type; for vectors also Half, the double vector that holds half its lanes.
template <class T>
struct LaneTraits;
template <>
struct LaneTraits<float> {
  static constexpr int kCount = 1;
  using Int = std::int32_t;
};
template <FloatLanes F>
struct LaneTraits<F> {
  static constexpr int kCount = sizeof(F) / sizeof(float);
  using Int = MaskLanes<F>;
  using Half = Vector<double, kCount / 2>;
};

// The number of rays a T holds.
template <class T>
inline constexpr int kLanesOf = LaneTraits<T>::kCount;
// The integers of a T, lane by lane; for vectors also their masks.
template <class T>
using IntOf = typename LaneTraits<T>::Int;
// The type of a comparison of two T: bool, or a mask of all-ones lanes.
template <class T>
using MaskOf = decltype(T{} < T{});

// The same value in every lane, bit for bit (x - 0 is x for every x, -0 and
// NaN included, where 0 + x would turn -0 into +0).
template <class T>
inline T Splat(float x) {
  if constexpr (std::is_same_v<T, float>) {
    return x;
  } else {
    return x - T{};
  }
}

// Lane l of a value, and setting it (one ray has only lane 0).
inline float Lane(float x, int) { return x; }
template <FloatLanes T>
inline float Lane(T x, int l) {
  return x[l];
}
inline void SetLane(float& x, int, float value) { x = value; }
template <FloatLanes T>
inline void SetLane(T& x, int l, float value) {
  x[l] = value;
}

// Per-lane choice: mask ? a : b.
inline float Select(bool mask, float a, float b) { return mask ? a : b; }
inline std::int32_t Select(bool mask, std::int32_t a, std::int32_t b) { return mask ? a : b; }
template <FloatLanes T>
inline T Select(IntOf<T> mask, T a, T b) {
  return mask ? a : b;
}
template <IntLanes M>
inline M Select(M mask, M a, M b) {
  return mask ? a : b;
}
template <IntLanes M>
inline M Select(M mask, std::int32_t a, std::int32_t b) {
  return mask ? M{} + a : M{} + b;
}

// std::min and std::max: the first argument unless the comparison says
// otherwise (so a NaN second argument is passed over), signed zeros as they
// come.
template <class T>
inline T Min(T a, T b) {
  return b < a ? b : a;
}
template <class T>
inline T Max(T a, T b) {
  return a < b ? b : a;
}

inline float Abs(float x) { return std::fabs(x); }
template <FloatLanes T>
inline T Abs(T x) {
  return std::bit_cast<T>(std::bit_cast<IntOf<T>>(x) & 0x7FFFFFFF);
}

// The correctly rounded square root of every lane.
inline float Sqrt(float x) { return std::sqrt(x); }
template <FloatLanes T>
inline T Sqrt(T x) {
#if defined(__clang__)
  for (int l = 0; l < kLanesOf<T>; ++l) x[l] = std::sqrt(x[l]);
  return x;
#else
  if constexpr (std::is_same_v<T, F4>) {
    return __builtin_ia32_sqrtps(x);
  } else if constexpr (std::is_same_v<T, F8>) {
    return __builtin_ia32_sqrtps256(x);
  } else {
    return __builtin_ia32_sqrtps512_mask(x, x, static_cast<std::uint16_t>(-1), _MM_FROUND_CUR_DIRECTION);
  }
#endif
}

// kalt::TruncInt per lane: truncation toward zero, NaN to 0, saturating.
inline std::int32_t TruncInt(float x) { return kalt::TruncInt(x); }
template <FloatLanes T>
inline IntOf<T> TruncInt(T x) {
  using M = IntOf<T>;
  const M high = x >= 2147483648.0f, low = x < -2147483648.0f, nan = x != x;
  const M converted = __builtin_convertvector((high | low | nan) ? T{} : x, M);
  return high ? M{} + INT_MAX : low ? M{} + INT_MIN : converted;
}

// Truncation toward zero through int, as a float, for magnitudes below
// 2^31 (beyond, the result is meaningless).
inline float TruncateSmall(float x) { return static_cast<float>(static_cast<std::int32_t>(x)); }
template <FloatLanes T>
inline T TruncateSmall(T x) {
  return __builtin_convertvector(__builtin_convertvector(x, IntOf<T>), T);
}

inline float ToFloat(std::int32_t n) { return static_cast<float>(n); }
template <IntLanes M>
inline auto ToFloat(M n) {
  return __builtin_convertvector(n, Vector<float, sizeof(M) / sizeof(std::int32_t)>);
}

// Lanes kFirst, kFirst + kStep, kFirst + 2 kStep, ... (kCount of them) of
// the lanes of a followed by those of b, as one vector.
template <int kFirst, int kStep, class V, class W, int... kIndex>
inline auto Pick(V a, W b, std::integer_sequence<int, kIndex...>) {
  return __builtin_shufflevector(a, b, (kFirst + kStep * kIndex)...);
}
template <int kCount, int kFirst, int kStep = 1, class V, class W>
inline auto Pick(V a, W b) {
  return Pick<kFirst, kStep>(a, b, std::make_integer_sequence<int, kCount>{});
}

// The lanes of a mask negated (! of a vector mask can cost a test per lane).
inline bool Not(bool mask) { return !mask; }
template <IntLanes M>
inline M Not(M mask) {
  return ~mask;
}

// The lanes of a mask as the bits of an int, lane 0 the lowest.
inline int LaneBits(bool mask) { return mask ? 1 : 0; }
template <IntLanes M>
inline int LaneBits(M mask) {
#if defined(__clang__)
  int bits = 0;
  for (int l = 0; l < static_cast<int>(sizeof(M) / 4); ++l) bits |= (mask[l] != 0) << l;
  return bits;
#else
  if constexpr (std::is_same_v<M, I4>) {
    return __builtin_ia32_movmskps(std::bit_cast<F4>(mask));
  } else if constexpr (std::is_same_v<M, I8>) {
    return __builtin_ia32_movmskps256(std::bit_cast<F8>(mask));
  } else {
    return static_cast<int>(__builtin_ia32_cvtd2mask512(mask));
  }
#endif
}
// Whether any lane, or every lane, of a mask is set.
inline bool Any(bool mask) { return mask; }
template <IntLanes M>
inline bool Any(M mask) {
  return LaneBits(mask) != 0;
}
inline bool All(bool mask) { return mask; }
template <IntLanes M>
inline bool All(M mask) {
  return LaneBits(mask) == (1 << (sizeof(M) / 4)) - 1;
}

// ---------------------------------------------------------------------------
// Double precision

// The lanes of a float vector widened to double: lanes 0 .. n/2 - 1 in lo,
// the rest in hi.
template <FloatLanes F>
struct Wide {
  using Half = typename LaneTraits<F>::Half;
  Half lo, hi;
};
template <FloatLanes F>
inline Wide<F> operator+(Wide<F> a, Wide<F> b) {
  return {a.lo + b.lo, a.hi + b.hi};
}
template <FloatLanes F>
inline Wide<F> operator-(Wide<F> a, Wide<F> b) {
  return {a.lo - b.lo, a.hi - b.hi};
}
template <FloatLanes F>
inline Wide<F> operator*(Wide<F> a, Wide<F> b) {
  return {a.lo * b.lo, a.hi * b.hi};
}
template <FloatLanes F>
inline Wide<F> operator+(double a, Wide<F> b) {
  return {a + b.lo, a + b.hi};
}
template <FloatLanes F>
inline Wide<F> operator-(double a, Wide<F> b) {
  return {a - b.lo, a - b.hi};
}
template <FloatLanes F>
inline Wide<F> operator*(double a, Wide<F> b) {
  return {a * b.lo, a * b.hi};
}
template <FloatLanes F>
inline Wide<F> operator*(Wide<F> a, double b) {
  return {a.lo * b, a.hi * b};
}
template <FloatLanes F>
inline Wide<F> operator/(Wide<F> a, double b) {
  return {a.lo / b, a.hi / b};
}

inline double Widen(float x) { return x; }
template <FloatLanes F>
inline Wide<F> Widen(F x) {
  using H = typename Wide<F>::Half;
  constexpr int kHalf = kLanesOf<F> / 2;
  return {__builtin_convertvector((Pick<kHalf, 0>(x, x)), H), __builtin_convertvector((Pick<kHalf, kHalf>(x, x)), H)};
}
inline float Narrow(double x) { return static_cast<float>(x); }
template <FloatLanes F>
inline F Narrow(Wide<F> x) {
  using Floats = Vector<float, kLanesOf<F> / 2>;
  const Floats lo = __builtin_convertvector(x.lo, Floats), hi = __builtin_convertvector(x.hi, Floats);
  return Pick<kLanesOf<F>, 0>(lo, hi);
}

// clamp(x, 0, 1) in double, as std::clamp.
inline double Clamp01(double x) { return std::clamp(x, 0.0, 1.0); }
template <FloatLanes F>
inline Wide<F> Clamp01(Wide<F> x) {
  using H = typename Wide<F>::Half;
  const auto clamp = [](H v) { return v < 0.0 ? H{} + 0.0 : (1.0 < v ? H{} + 1.0 : v); };
  return {clamp(x.lo), clamp(x.hi)};
}

// ---------------------------------------------------------------------------
// Points

// Points of T, one per lane.
template <class T>
struct Vec3Lanes {
  T x, y, z;
};
template <class T>
inline Vec3Lanes<T> operator+(Vec3Lanes<T> a, Vec3Lanes<T> b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
template <class T>
inline Vec3Lanes<T> operator-(Vec3Lanes<T> a, Vec3Lanes<T> b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
template <class T>
inline Vec3Lanes<T> operator+(Vec3Lanes<T> a, Vec3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
template <class T>
inline Vec3Lanes<T> operator-(Vec3Lanes<T> a, Vec3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}

// The number type of a point type.
template <class V>
using LaneOf = decltype(V::x);

// Length and absolute value as kalt::Length and kalt::Abs of one point
// (kalt/vec3.h, found for Vec3 by argument-dependent lookup).
template <class T>
inline T Length(Vec3Lanes<T> q) {
  return Sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
}
template <class T>
inline Vec3Lanes<T> Abs(Vec3Lanes<T> q) {
  return {Abs(q.x), Abs(q.y), Abs(q.z)};
}

}  // namespace kalt::lanes
