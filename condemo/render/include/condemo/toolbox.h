// condemo/toolbox.h - the vector and distance-field operations the scene
// fields and the camera are built from.
//
// All of them are single precision; sines, cosines, square roots, the
// arctangent, floor and the floating remainder are evaluated in double on
// float arguments and rounded back (kalt/fmath.h). Each function follows its
// formula's float and double steps exactly: the pictures depend on every bit.
// None of them checks its input: NaN and infinities pass through as IEEE
// arithmetic makes them, and integer results saturate (kalt::TruncInt).
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "condemo/fast_math.h"
#include "kalt/fmath.h"
#include "kalt/vec3.h"

namespace condemo {

using kalt::Vec3;

// A pair (u, v) of two coordinates taken from a point.
struct Pair {
  float u, v;
};

inline float Length2(float u, float v) { return kalt::Sqrt(u * u + v * v); }

// The cosine and sine of a rotation angle, each rounded to float. A rotation
// by a fixed angle keeps these instead of evaluating them for every point.
struct Rotation {
  float c, s;
};
inline Rotation RotationOf(float theta) { return {FastCos(theta), FastSin(theta)}; }

// Plane rotation rot(u, v; theta) = (u cos theta + v sin theta,
// v cos theta - u sin theta): turns the pair's angle by -theta.
inline Pair Rot(float u, float v, Rotation r) { return {u * r.c + v * r.s, v * r.c - u * r.s}; }
inline Pair Rot(float u, float v, float theta) { return Rot(u, v, RotationOf(theta)); }

// Mirrors all eight octants onto the first.
inline Vec3 Fold(Vec3 q) { return kalt::Abs(q); }

// The cell coordinate of w in a lattice of the given period: the remainder
// of (w + 1000) by period, minus period / 2. Cell centres lie where w + 1000
// is an odd multiple of period / 2. Below w = -1000 the remainder turns
// negative and the cells no longer repeat.
inline float Repeat(float w, float period) { return FastFmod(w + 1000.0f, period) - period / 2.0f; }

// The unit slab that w lies in: w truncated toward zero (so slab 0 spans
// -1 < w < 1), and the position within the slab, the remainder of
// (w + 1000) by 1.
inline int SlabIndex(float w) { return kalt::TruncInt(w); }
inline float SlabOffset(float w) { return FastFmod(w + 1000.0f, 1.0f); }

inline float Sphere(Vec3 q, float r) { return kalt::Length(q) - r; }

// A rod of radius r along the z axis, centred at z = c0, half-length h.
inline float CappedRodZ(Vec3 q, float c0, float h, float r) {
  return std::max(std::fabs(q.z - c0) - h, Length2(q.x, q.y) - r);
}

// A torus in the x-y plane with ring radius bigR and tube radius r.
inline float Torus(Vec3 q, float bigR, float r) { return Length2(Length2(q.x, q.y) - bigR, q.z) - r; }

// A bound of the octahedron |x| + |y| + |z| = s.
inline float OctahedronBound(Vec3 q, float s) {
  return (std::fabs(q.x) + std::fabs(q.y) + std::fabs(q.z) - s) / 3.0f;
}

// Smooth minimum of a and b with blend width k > 0: min(a, b) when they are
// k or more apart, (a + b) / 2 - k / 4 when equal. The ratio and the
// correction term k h (1 - h) are formed in double, the blend in float.
inline float Smin(float a, float b, float k) {
  const double ratio = static_cast<double>(b - a) / static_cast<double>(k);
  const float h = static_cast<float>(std::clamp(0.5 + 0.5 * ratio, 0.0, 1.0));
  const float blend = b * (1.0f - h) + a * h;
  const double correction = static_cast<double>(k) * static_cast<double>(h) * (1.0 - static_cast<double>(h));
  return static_cast<float>(static_cast<double>(blend) - correction);
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
inline Rotation SectorRotation(float k) {
  return RotationOf(static_cast<float>(static_cast<double>(k) * detail::kPi / 4.0));
}

namespace detail {

// SectorRotation(k) for k = -4..4, at index k + 4.
inline const std::array<Rotation, 9> kSectorRotations = [] {
  std::array<Rotation, 9> rotations{};
  for (int k = -4; k <= 4; ++k) rotations[k + 4] = SectorRotation(static_cast<float>(k));
  return rotations;
}();

// PolarSector(a, b) found by comparisons, where (a, b) is so far from the
// sector borders (the axes and the diagonals) that rounding cannot move it
// across one: more than 2^-16 of |a| + |b| away. False elsewhere, also for
// NaN, infinities and zeros.
inline bool ClearSector(float a, float b, int& k) {
  const float ax = std::fabs(a), bx = std::fabs(b), margin = (ax + bx) * 0x1p-16f;
  if (!(ax > margin && bx > margin && std::fabs(ax - bx) > margin)) return false;
  if (b > 0.0f)
    k = a > 0.0f ? (bx < ax ? 0 : 1) : (bx > ax ? 2 : 3);
  else
    k = a > 0.0f ? (bx < ax ? -1 : -2) : (bx > ax ? -3 : -4);
  return true;
}

}  // namespace detail

// Polar fold into 8 sectors: brings the pair's angle into [-pi/8, pi/8)
// around the u axis, so that a shape modelled on +u repeats every 45 degrees.
inline Pair PolarFold(float u, float v) {
  using detail::kCosMinusEighthPi, detail::kSinMinusEighthPi;
  const float a = static_cast<float>(static_cast<double>(u) * kCosMinusEighthPi +
                                     static_cast<double>(v) * kSinMinusEighthPi);
  const float b = static_cast<float>(static_cast<double>(v) * kCosMinusEighthPi -
                                     static_cast<double>(u) * kSinMinusEighthPi);
  // Most pairs lie clearly inside a sector; the rest take the arctangent.
  int k;
  if (detail::ClearSector(a, b, k)) return Rot(u, v, detail::kSectorRotations[k + 4]);
  return Rot(u, v, SectorRotation(PolarSector(a, b)));
}

}  // namespace condemo
