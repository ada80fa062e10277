// kalt/vec3.h - a point or direction of three floats, with the few operators
// the ray-marching formulas need. Every operation is single precision and
// evaluates its terms left to right, exactly as the formulas are written.
#pragma once

#include "kalt/fmath.h"

namespace kalt {

struct Vec3 {
  float x, y, z;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(float s, Vec3 a) { return {s * a.x, s * a.y, s * a.z}; }
// Component-wise division (not a multiplication by the reciprocal, which
// rounds differently).
inline Vec3 operator/(Vec3 a, float s) { return {a.x / s, a.y / s, a.z / s}; }

inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float Length(Vec3 q) { return Sqrt(q.x * q.x + q.y * q.y + q.z * q.z); }
inline Vec3 Abs(Vec3 q) { return {std::fabs(q.x), std::fabs(q.y), std::fabs(q.z)}; }

}  // namespace kalt
