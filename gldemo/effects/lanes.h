// Several rays at once. The marches are written once as templates over the
// number type T: float for one ray, Lanes for four rays in one vector
// register (GCC and Clang vector extensions: +, -, *, /, comparisons and
// `mask ? a : b` work lane by lane). The helpers below are overloaded for
// both, and every one gives in each lane exactly the float result of the
// one-ray version.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace gldemo::detail {

using Lanes = float __attribute__((vector_size(16)));
using LaneMask = std::int32_t __attribute__((vector_size(16)));
constexpr int kLaneCount = 4;

// The type of a comparison of two T: bool, or a mask of all-ones lanes.
template <typename T>
using MaskOf = decltype(T{} < T{});

// The number of rays a T holds.
template <typename T>
constexpr int kLanesOf = sizeof(T) / sizeof(float);

// The same value in every lane.
template <typename T>
inline T Splat(float x);
template <>
inline float Splat<float>(float x) {
  return x;
}
template <>
inline Lanes Splat<Lanes>(float x) {
  return Lanes{x, x, x, x};
}

inline float Sqrt(float x) { return std::sqrt(x); }
inline Lanes Sqrt(Lanes x) {
#if defined(__SSE__)
  return _mm_sqrt_ps(x);
#else
  Lanes r;
  for (int l = 0; l < kLaneCount; ++l) r[l] = std::sqrt(x[l]);
  return r;
#endif
}

inline float Abs(float x) { return std::fabs(x); }
inline Lanes Abs(Lanes x) {
  LaneMask bits;
  std::memcpy(&bits, &x, sizeof bits);
  bits &= 0x7fffffff;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

// std::min and std::max: the first argument unless the comparison says
// otherwise (so a NaN second argument is passed over).
template <typename T>
inline T Min(T a, T b) {
  return b < a ? b : a;
}
template <typename T>
inline T Max(T a, T b) {
  return a < b ? b : a;
}

// Truncation toward zero through int, for magnitudes below 2^31.
inline float TruncateSmall(float x) { return static_cast<float>(static_cast<int>(x)); }
inline Lanes TruncateSmall(Lanes x) { return __builtin_convertvector(__builtin_convertvector(x, LaneMask), Lanes); }

// Lane l of a value, and setting it (one ray has only lane 0).
inline float Lane(float x, int) { return x; }
inline float Lane(Lanes x, int l) { return x[l]; }
inline void SetLane(float& x, int, float value) { x = value; }
inline void SetLane(Lanes& x, int l, float value) { x[l] = value; }

// Whether any lane is set.
inline bool Any(bool mask) { return mask; }
inline bool Any(LaneMask mask) { return (mask[0] | mask[1] | mask[2] | mask[3]) != 0; }

}  // namespace gldemo::detail
