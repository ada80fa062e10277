// condemo/toolbox.h - the vector and distance-field operations the scene
// fields and the camera are built from.
//
// All of them are single precision; sines, cosines, square roots, the
// arctangent, floor and the floating remainder are evaluated in double on
// float arguments and rounded back (kalt/fmath.h). Each function follows its
// formula's float and double steps exactly: the pictures depend on every bit.
// Each works on one number (float, kalt::Vec3) or on the lanes of a vector
// (F4, F8, F16 and their points; kalt/lanes.h) alike. None of them checks its input: NaN and
// infinities pass through as IEEE arithmetic makes them, and integer results
// saturate (kalt::TruncInt).
#pragma once

#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

#include "kalt/fmath.h"
#include "kalt/lane_math.h"
#include "kalt/lanes.h"
#include "kalt/vec3.h"

namespace condemo {

using kalt::Vec3;
using namespace kalt::lanes;

// A pair (u, v) of two coordinates taken from a point.
template <class T>
struct Pair {
  T u, v;
};

template <class T>
T Length2(T u, T v) {
  return Sqrt(u * u + v * v);
}

// The cosine and sine of a rotation angle, each rounded to float. A rotation
// by a fixed angle keeps these instead of evaluating them for every point.
template <class T>
struct Rotation {
  T c, s;
};
template <class T>
Rotation<T> RotationOf(T theta) {
  Rotation<T> r;
  FastSinCos(theta, r.s, r.c);
  return r;
}

// Plane rotation rot(u, v; theta) = (u cos theta + v sin theta,
// v cos theta - u sin theta): turns the pair's angle by -theta.
template <class T, class R>
Pair<T> Rot(T u, T v, Rotation<R> r) {
  return {u * r.c + v * r.s, v * r.c - u * r.s};
}
template <class T>
Pair<T> Rot(T u, T v, T theta) {
  return Rot(u, v, RotationOf(theta));
}

// Mirrors all eight octants onto the first.
template <class V>
V Fold(V q) {
  return Abs(q);
}

// The cell coordinate of w in a lattice of a whole period: the remainder
// of (w + 1000) by kPeriod, minus kPeriod / 2. Cell centres lie where
// w + 1000 is an odd multiple of kPeriod / 2. Below w = -1000 the remainder
// turns negative and the cells no longer repeat.
template <int kPeriod, class T>
T Repeat(T w) {
  return CellOffset<kPeriod>(w + 1000.0f);
}

// The unit slab that w lies in: w truncated toward zero (so slab 0 spans
// -1 < w < 1); and the position within the slab, the remainder of
// (w + 1000) by 1, less 0.5: its offset from the middle of the slab.
template <class T>
auto SlabIndex(T w) {
  return TruncInt(w);
}
template <class T>
T SlabMiddleOffset(T w) {
  return Repeat<1>(w);
}

template <class V>
auto Sphere(V q, float r) {
  return Length(q) - r;
}

// A rod of radius r along the z axis, centred at z = c0, half-length h.
template <class V, class T>
LaneOf<V> CappedRodZ(V q, float c0, float h, T r) {
  return Max(Abs(q.z - c0) - h, Length2(q.x, q.y) - r);
}

// A torus in the x-y plane with ring radius bigR and tube radius r.
template <class V>
LaneOf<V> Torus(V q, float bigR, float r) {
  return Length2(Length2(q.x, q.y) - bigR, q.z) - r;
}

// A bound of the octahedron |x| + |y| + |z| = s.
template <class V>
LaneOf<V> OctahedronBound(V q, float s) {
  return (Abs(q.x) + Abs(q.y) + Abs(q.z) - s) / 3.0f;
}

// Smooth minimum of a and b with blend width k > 0: min(a, b) when they are
// k or more apart, (a + b) / 2 - k / 4 when equal. The ratio and the
// correction term k h (1 - h) are formed in double, the blend in float.
template <class T>
T Smin(T a, T b, float k) {
  const double kd = k;
  const T h = Narrow(Clamp01(0.5 + 0.5 * (Widen(b - a) / kd)));
  const T blend = b * (1.0f - h) + a * h;
  const auto wideH = Widen(h);
  return Narrow(Widen(blend) - kd * wideH * (1.0 - wideH));
}

namespace detail {

inline constexpr double kPi = std::numbers::pi;
inline const double kCosMinusEighthPi = std::cos(-kPi / 8.0);
inline const double kSinMinusEighthPi = std::sin(-kPi / 8.0);

}  // namespace detail

// The sector index k = floor(4 phi / pi) of the polar fold, phi being the
// angle of (a, b), the pair turned by pi/8; k is -4..4 (4 only on the
// negative u axis).
inline float PolarSector(float a, float b) {
  const float phi = kalt::Atan2(b, a);
  return kalt::Floor(static_cast<float>(4.0 * static_cast<double>(phi) / detail::kPi));
}

// The rotation by k pi / 4 that brings sector k onto the u axis.
inline Rotation<float> SectorRotation(float k) {
  return RotationOf(static_cast<float>(static_cast<double>(k) * detail::kPi / 4.0));
}

namespace detail {

// SectorRotation(k) for k = -4..4, at index k + 4.
inline const std::array<Rotation<float>, 9> kSectorRotations = [] {
  std::array<Rotation<float>, 9> rotations{};
  for (int k = -4; k <= 4; ++k) rotations[k + 4] = SectorRotation(static_cast<float>(k));
  return rotations;
}();

// The rotation of the polar fold for the turned pair (a, b). Most pairs lie
// so far from the sector borders (the axes and the diagonals: more than
// 2^-16 of |a| + |b| away) that rounding cannot move them across one; their
// sector follows from comparisons. The rest, NaN, infinities and zeros
// included, take the arctangent.
inline Rotation<float> FoldRotation(float a, float b) {
  const float ax = std::fabs(a), bx = std::fabs(b), margin = (ax + bx) * 0x1p-16f;
  if (!(ax > margin && bx > margin && std::fabs(ax - bx) > margin)) return SectorRotation(PolarSector(a, b));
  const int k = b > 0.0f ? (a > 0.0f ? (bx < ax ? 0 : 1) : (bx > ax ? 2 : 3))
                         : (a > 0.0f ? (bx < ax ? -1 : -2) : (bx > ax ? -3 : -4));
  return kSectorRotations[k + 4];
}
// SectorRotation(k) for k = -4..3 at index k + 4, twice over, as vectors
// of cosines and of sines.
struct SectorTable {
  alignas(64) float c[16];
  alignas(64) float s[16];
};
inline const SectorTable kSectorTable = [] {
  SectorTable table{};
  for (int i = 0; i < 16; ++i) table.c[i] = kSectorRotations[i % 8].c, table.s[i] = kSectorRotations[i % 8].s;
  return table;
}();

// table[index] in every lane, for indices 0..7.
template <FloatLanes F>
F LookUpSector(const float* table, IntOf<F> index) {
#if defined(__clang__)
  F r;
  for (int l = 0; l < kLanesOf<F>; ++l) r[l] = table[index[l]];
  return r;
#else
  if constexpr (std::is_same_v<F, F4>) {
    F4 low, high;
    std::memcpy(&low, table, sizeof low);
    std::memcpy(&high, table + 4, sizeof high);
    return __builtin_shuffle(low, high, index);
  } else {
    F all;
    std::memcpy(&all, table, sizeof all);
    return __builtin_shuffle(all, index);
  }
#endif
}

// The lanes whose sector is not clear (clear[l] == 0), one by one.
[[gnu::noinline, gnu::cold]] inline void FoldRotationsOneByOne(const float* a, const float* b, const int* clear,
                                                              int lanes, float* c, float* s) {
  for (int l = 0; l < lanes; ++l) {
    if (clear[l]) continue;
    const Rotation<float> lane = FoldRotation(a[l], b[l]);
    c[l] = lane.c;
    s[l] = lane.s;
  }
}
template <FloatLanes F>
Rotation<F> FoldRotation(F a, F b) {
  using M = IntOf<F>;
  const F ax = Abs(a), bx = Abs(b), margin = (ax + bx) * 0x1p-16f;
  const M clear = (ax > margin) & (bx > margin) & (Abs(ax - bx) > margin);
  // The sector plus 4, 0..7, as the float version finds it.
  const M less = bx < ax;
  const M index = Select(b > 0.0f, Select(a > 0.0f, Select(less, 4, 5), Select(less, 7, 6)),
                         Select(a > 0.0f, Select(less, 3, 2), Select(less, 0, 1)));
  Rotation<F> r{LookUpSector<F>(kSectorTable.c, index), LookUpSector<F>(kSectorTable.s, index)};
  if (!All(clear))
    FoldRotationsOneByOne(reinterpret_cast<const float*>(&a), reinterpret_cast<const float*>(&b),
                          reinterpret_cast<const int*>(&clear), kLanesOf<F>, reinterpret_cast<float*>(&r.c),
                          reinterpret_cast<float*>(&r.s));
  return r;
}

}  // namespace detail

// Polar fold into 8 sectors: brings the pair's angle into [-pi/8, pi/8)
// around the u axis, so that a shape modelled on +u repeats every 45 degrees.
template <class T>
Pair<T> PolarFold(T u, T v) {
  using detail::kCosMinusEighthPi, detail::kSinMinusEighthPi;
  const T a = Narrow(Widen(u) * kCosMinusEighthPi + Widen(v) * kSinMinusEighthPi);
  const T b = Narrow(Widen(v) * kCosMinusEighthPi - Widen(u) * kSinMinusEighthPi);
  return Rot(u, v, detail::FoldRotation(a, b));
}

}  // namespace condemo
