// condemo/scene_look.h - how a scene colours what the shader finds: the
// records the shader hands a scene's look, and the colour rules that several
// scenes share.
//
// Every scene struct (condemo/scenes/*.h) carries its look beside its field,
// as three static functions with these signatures, which the shader calls at
// compile time:
//
//   static std::uint16_t PatternAttr(std::int32_t beatCount);
//     The attribute of the background ring pattern in a frame with this beat
//     count.
//   static long long Material(const Hit& hit, std::int32_t beatCount);
//     The colour group of a hit (its materialTag), any integer. A hit after
//     a bounce adds the reflection background of this group, taken mod 5.
//   static long long SurfaceColour(const HitLight& light, const Hit& hit, long long material);
//     The foreground of a first hit as an index into the five colour groups
//     of three levels (dark, bright, white): 3 group + level, any integer,
//     taken mod 15.
//
// The shade character of a first hit and the level of a reflection are the
// same in every scene (condemo/shade.h).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "kalt/fmath.h"
#include "kalt/vec3.h"

namespace condemo {

using kalt::Vec3;

// A surface hit as the march found it.
struct Hit {
  Vec3 point;      // h: the full step from where the hit distance was measured
  Vec3 samples;    // the field at h + 0.001 along x, y and z, in that order
  Vec3 direction;  // the ray direction that hit
  float travel;    // the march distance so far
  int fieldTag;    // materialTag as the last of the samples left it
};

// The light at a hit, from the normal N that its samples give (the samples
// divided by their length, or as they are when that length is 0) and the
// camera-turned light vector L.
struct HitLight {
  float diffuse;  // W = |N.L| limited to 1
  float glint;    // G = max(B.L, 0)
  float fog;      // q = travel / maxTravel; not finite when maxTravel is 0
  Vec3 bent;      // B = N * (D - 2 N.D), component-wise: where the ray goes on
};

// The residue of value modulo m in 0..m-1, also for negative values.
inline int Residue(long long value, int m) {
  const long long r = value % m;
  return static_cast<int>(r < 0 ? r + m : r);
}

// trunc(x) lowered to top; 0 where x is not finite (the fog ratio of a
// frame whose maxTravel is 0).
inline int Level(float x, int top) { return std::isfinite(x) ? std::min(kalt::TruncInt(x), top) : 0; }

// A pattern in black on black: the rings stay unseen.
inline constexpr std::uint16_t kHiddenPattern = 0;

// A pattern in one of the five dark colours 1..5, stepping with the beat:
// (beatCount + offset) mod 5 + 1.
inline std::uint16_t BeatPattern(std::int32_t beatCount, int offset) {
  return static_cast<std::uint16_t>(Residue(static_cast<long long>(beatCount) + offset, 5) + 1);
}

// The first-hit colour of the scenes coloured by their material: the level
// min(trunc(3 W (1 - 0.7 q)), 2) in the material's group.
inline long long ColourByMaterial(const HitLight& light, long long material) {
  const int level = Level(3.0f * light.diffuse * (1.0f - 0.7f * light.fog), 2);
  return level + 3 * material;
}

}  // namespace condemo
