// condemo/lanes.h - four rays at once.
//
// The scene fields and the toolbox are written once, as templates over the
// number type: float for one point, F4 for four points (one per ray) that
// the band renderer marches side by side. Every operation on an F4 is the
// same IEEE single-precision operation on each lane, so a lane's result is
// bit for bit the result for that point alone. The helpers below have an
// overload for each of the two types; double-precision steps widen a float
// to double and an F4 to a W4.
#pragma once

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "kalt/fmath.h"
#include "kalt/vec3.h"

namespace condemo {

inline constexpr int kLaneCount = 4;

using F4 = float __attribute__((vector_size(16)));
using I4 = std::int32_t __attribute__((vector_size(16)));  // also the masks of F4 comparisons
using D2 = double __attribute__((vector_size(16)));
using L2 = std::int64_t __attribute__((vector_size(16)));  // also the masks of D2 comparisons
using U2 = std::uint64_t __attribute__((vector_size(16)));

// The four lanes of an F4 widened to double.
struct W4 {
  D2 lo, hi;
};
inline W4 operator+(W4 a, W4 b) { return {a.lo + b.lo, a.hi + b.hi}; }
inline W4 operator-(W4 a, W4 b) { return {a.lo - b.lo, a.hi - b.hi}; }
inline W4 operator*(W4 a, W4 b) { return {a.lo * b.lo, a.hi * b.hi}; }
inline W4 operator/(W4 a, W4 b) { return {a.lo / b.lo, a.hi / b.hi}; }
inline W4 operator+(double a, W4 b) { return {a + b.lo, a + b.hi}; }
inline W4 operator-(double a, W4 b) { return {a - b.lo, a - b.hi}; }
inline W4 operator*(double a, W4 b) { return {a * b.lo, a * b.hi}; }
inline W4 operator*(W4 a, double b) { return {a.lo * b, a.hi * b}; }
inline W4 operator/(W4 a, double b) { return {a.lo / b, a.hi / b}; }

// Four points.
struct Vec3x4 {
  F4 x, y, z;
};
inline Vec3x4 operator+(Vec3x4 a, Vec3x4 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3x4 operator-(Vec3x4 a, Vec3x4 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3x4 operator+(Vec3x4 a, kalt::Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3x4 operator-(Vec3x4 a, kalt::Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

// The number type of a point type (float or F4) and the type of its
// material tags (int or I4).
template <class V>
using LaneOf = decltype(V::x);
template <class T>
using TagOf = std::conditional_t<std::is_same_v<T, float>, int, I4>;

// Widening to double and rounding back to float.
inline double Widen(float x) { return x; }
inline W4 Widen(F4 x) {
  return {__builtin_convertvector(__builtin_shufflevector(x, x, 0, 1), D2),
          __builtin_convertvector(__builtin_shufflevector(x, x, 2, 3), D2)};
}
inline float Narrow(double x) { return static_cast<float>(x); }
inline F4 Narrow(W4 x) {
  using F2 = float __attribute__((vector_size(8)));
  return __builtin_shufflevector(__builtin_convertvector(x.lo, F2), __builtin_convertvector(x.hi, F2), 0, 1, 2, 3);
}

// Per-lane choice: mask ? a : b.
inline float Select(bool mask, float a, float b) { return mask ? a : b; }
inline F4 Select(I4 mask, F4 a, F4 b) { return mask ? a : b; }
inline int Select(bool mask, int a, int b) { return mask ? a : b; }
inline I4 Select(I4 mask, int a, int b) { return mask ? I4{} + a : I4{} + b; }
inline I4 Select(I4 mask, I4 a, I4 b) { return mask ? a : b; }
inline D2 Select(L2 mask, D2 a, D2 b) { return mask ? a : b; }

// max(a, b) = a < b ? b : a and min(a, b) = b < a ? b : a, NaN and signed
// zeros as std::max and std::min leave them.
inline float Max(float a, float b) { return std::max(a, b); }
inline F4 Max(F4 a, F4 b) { return a < b ? b : a; }
inline float Min(float a, float b) { return std::min(a, b); }
inline F4 Min(F4 a, F4 b) { return b < a ? b : a; }
// clamp(x, 0, 1) in double, as std::clamp.
inline double Clamp01(double x) { return std::clamp(x, 0.0, 1.0); }
inline W4 Clamp01(W4 x) {
  const auto clamp = [](D2 v) { return Select(v < 0.0, D2{} + 0.0, Select(1.0 < v, D2{} + 1.0, v)); };
  return {clamp(x.lo), clamp(x.hi)};
}

inline float Abs(float x) { return std::fabs(x); }
inline F4 Abs(F4 x) { return std::bit_cast<F4>(std::bit_cast<I4>(x) & 0x7FFFFFFF); }

inline float Sqrt(float x) { return kalt::Sqrt(x); }
inline F4 Sqrt(F4 x) {
#if defined(__SSE2__)
  return _mm_sqrt_ps(x);
#else
  for (int i = 0; i < kLaneCount; ++i) x[i] = kalt::Sqrt(x[i]);
  return x;
#endif
}

// kalt::TruncInt per lane: truncation toward zero, NaN to 0, saturating.
inline int TruncInt(float x) { return kalt::TruncInt(x); }
inline I4 TruncInt(F4 x) {
  const I4 high = x >= 2147483648.0f, low = x < -2147483648.0f, nan = x != x;
  const I4 converted = __builtin_convertvector(Select(high | low | nan, F4{}, x), I4);
  return high ? I4{} + INT_MAX : low ? I4{} + INT_MIN : converted;
}
inline float ToFloat(int n) { return static_cast<float>(n); }
inline F4 ToFloat(I4 n) { return __builtin_convertvector(n, F4); }

// Whether any lane of a mask is set.
inline bool Any(bool mask) { return mask; }
inline bool Any(I4 mask) { return (mask[0] | mask[1] | mask[2] | mask[3]) != 0; }

// Length and absolute value of four points, as kalt::Length and kalt::Abs
// of one.
inline F4 Length(Vec3x4 q) { return Sqrt(q.x * q.x + q.y * q.y + q.z * q.z); }
inline Vec3x4 Abs(Vec3x4 q) { return {Abs(q.x), Abs(q.y), Abs(q.z)}; }

}  // namespace condemo
