// TwinLightMarch: the per-cell march shared by the three lattices.
//
// Two flickering point lights circle in front of the camera at (0, 0, -8).
// Every ray marches by the smallest of its distances to the two lights and
// to the scene (sampled at the ray point moved by the scene's shift),
// gathering the lights' glow; where it ends on the scene, the surface adds
// the lights' diffuse term, and where it ends on a light it counts as lit.
//
// The march is a template over the number type (kalt/lanes.h): one ray
// alone, or 16 rays of neighbouring cells in two vector registers of 8 lanes
// (8 rays in two of 4 with SSE2), marching in lockstep (a ray that has
// stopped keeps its state while the others go on).
// The scene distance is a function object `scene(x, y, z, offsets)`,
// inlined into the step; `offsets` supplies the lattice's cell offsets:
// exact ones for a single ray, branch-free ones for the vectors, which
// record positions out of their fast range so that such a batch is traced
// again exactly.
#pragma once

#include <type_traits>

#include "cella/cella.h"
#include "effect_support.h"
#include "gldemo/effects.h"
#include "kalt/fmath.h"
#include "kalt/lane_entry.h"
#include "kalt/lane_path.h"
#include "kalt/vec3.h"

namespace gldemo::detail {

// Cell offsets for one ray at any position.
struct ExactOffsets {
  template <int M>
  float Offset(float a) {
    return CellOffset<M>(a);
  }
};

// Cell offsets without branches; `wild` records positions beyond 2^22.
template <typename T>
struct FastOffsets {
  MaskOf<T> wild{};
  template <int M>
  T Offset(T a) {
    return CellOffsetFast<M>(a, wild);
  }
};

// The per-frame values of the march, the same for every cell.
struct TwinLights {
  kalt::Vec3 light1, light2;
  float pulse1, pulse2;  // GlowPulse(20, 49.8, time), GlowPulse(30, 39.8, time)
  kalt::Vec3 shift;      // added to a ray point before the scene distance
  float surfaceGain;
  float glowScale;  // 9 * glowGain + 1
};

inline TwinLights TwinLightsSetup(float time, kalt::Vec3 shift, float surfaceGain, float glowGain) {
  using kalt::Cos;
  using kalt::Sin;
  TwinLights lights;
  lights.light1 = {4.0f * Sin(time), 4.0f * Cos(time), 0.4f * Sin(0.4f * time)};
  lights.light2 = {4.0f * Sin(1.4f * time), 4.0f * Cos(0.6f * time), 0.4f * Sin(0.9f * time)};
  lights.pulse1 = GlowPulse(20.0f, 49.8f, time);
  lights.pulse2 = GlowPulse(30.0f, 39.8f, time);
  lights.shift = shift;
  lights.surfaceGain = surfaceGain;
  lights.glowScale = glowGain * 9.0f + 1.0f;
  return lights;
}

// The rays of G groups of T: their directions, and where the march left
// them.
template <int G, typename T>
struct LightRays {
  T dx[G], dy[G], dz[G];
  T px[G], py[G], pz[G];  // position after the last move
  T sx[G], sy[G], sz[G];  // the last step's sample point
  T glow[G];
  T d1[G], d2[G], ds[G];  // the last step's distances to the lights and the scene
};

// The distance from a light to the ray points.
template <typename T>
inline T LightDistance(kalt::Vec3 light, T x, T y, T z) {
  const T vx = light.x - x, vy = light.y - y, vz = light.z - z;
  return Sqrt(vx * vx + vy * vy + vz * vz);
}

// 1. March at most 50 steps by the smallest distance, gathering glow; a ray
//    stops when the glow passes 1.1 (without moving), or after a move when
//    it came within 0.1 of a light or the scene, or the step exceeded 10.
//    `rays` holds the directions on entry. (Conditions are combined with &
//    and |, which treat every lane alike.)
template <int G, typename T, typename Scene, typename Offsets>
void MarchLights(const TwinLights& lights, const Scene& scene, LightRays<G, T>& rays, Offsets& offsets) {
  MaskOf<T> running[G];
  for (int g = 0; g < G; ++g) {
    rays.px[g] = T{};
    rays.py[g] = T{};
    rays.pz[g] = Splat<T>(-8.0f);
    rays.glow[g] = T{};
    rays.sx[g] = rays.sy[g] = rays.sz[g] = T{};
    rays.d1[g] = rays.d2[g] = rays.ds[g] = T{};
    running[g] = T{} == T{};
  }
  for (int step = 0; step < 50; ++step) {
    bool anyRunning = false;
    for (int g = 0; g < G; ++g) {
      const T px = rays.px[g], py = rays.py[g], pz = rays.pz[g];
      const T d1 = LightDistance(lights.light1, px, py, pz);
      const T d2 = LightDistance(lights.light2, px, py, pz);
      const T sx = px + lights.shift.x, sy = py + lights.shift.y, sz = pz + lights.shift.z;
      const T ds = scene(sx, sy, sz, offsets);
      const T glow = rays.glow[g] + lights.pulse1 / d1 + lights.pulse2 / d2;
      const T s = Min(Min(d1, d2), ds);
      const MaskOf<T> live = running[g];
      const MaskOf<T> moves = live & Not(glow > 1.1f);
      rays.d1[g] = live ? d1 : rays.d1[g];
      rays.d2[g] = live ? d2 : rays.d2[g];
      rays.ds[g] = live ? ds : rays.ds[g];
      rays.sx[g] = live ? sx : rays.sx[g];
      rays.sy[g] = live ? sy : rays.sy[g];
      rays.sz[g] = live ? sz : rays.sz[g];
      rays.glow[g] = moves ? glow : (live ? Splat<T>(1.1f) : rays.glow[g]);
      rays.px[g] = moves ? px + rays.dx[g] * s : px;
      rays.py[g] = moves ? py + rays.dy[g] * s : py;
      rays.pz[g] = moves ? pz + rays.dz[g] * s : pz;
      running[g] = moves & Not((d1 < 0.1f) | (d2 < 0.1f) | (s < 0.1f) | (s > 10.0f));
      anyRunning |= Any(running[g]);
    }
    if (!anyRunning) break;
  }
}

// Where one ray's march left it.
struct LightRayEnd {
  kalt::Vec3 position, sample;
  float glow, d1, d2, ds;
};

template <int G, typename T>
LightRayEnd EndOf(const LightRays<G, T>& rays, int g, int l) {
  return {{Lane(rays.px[g], l), Lane(rays.py[g], l), Lane(rays.pz[g], l)},
          {Lane(rays.sx[g], l), Lane(rays.sy[g], l), Lane(rays.sz[g], l)},
          Lane(rays.glow[g], l),
          Lane(rays.d1[g], l),
          Lane(rays.d2[g], l),
          Lane(rays.ds[g], l)};
}

// The diffuse light that reaches a surface point p with normal n from a light
// at `light`, falling off with the distance; never negative.
inline float Diffuse(kalt::Vec3 light, kalt::Vec3 p, kalt::Vec3 n) {
  const kalt::Vec3 v = light - p;
  const float r = kalt::Length(v);
  return Max(kalt::Dot(v / r, n) / (r + 0.1f) * 4.0f, 0.0f);
}

// 2. The shade value of a finished ray.
template <typename Scene>
float LightValue(const TwinLights& lights, const Scene& scene, const LightRayEnd& ray, int column, int row) {
  // A ray that ended on a light counts as lit; one that ended on the scene
  // takes the lights' diffuse term about the normal at its last sample
  // point.
  float surface = 0.0f;
  if (ray.d1 < 0.1f || ray.d2 < 0.1f) {
    surface = 1.0f;
  } else if (ray.ds < 0.1f) {
    ExactOffsets exact;
    const kalt::Vec3 s = ray.sample;
    const float d0 = scene(s.x, s.y, s.z, exact);
    const kalt::Vec3 gradient{scene(s.x + 0.1f, s.y, s.z, exact) - d0, scene(s.x, s.y + 0.1f, s.z, exact) - d0,
                              scene(s.x, s.y, s.z + 0.1f, exact) - d0};
    const kalt::Vec3 n = gradient / kalt::Length(gradient);
    surface = 2.0f * lights.surfaceGain * (lights.pulse1 * Diffuse(lights.light1, ray.position, n) +
                                           lights.pulse2 * Diffuse(lights.light2, ray.position, n));
  }
  // The glow scaled and folded back above 1.2, to the fourth power.
  float q = lights.glowScale * ray.glow;
  if (q > 1.2f) q = 4.8f - 3.0f * q;
  return kalt::Pow(q, 4.0f) + surface + 0.01f * static_cast<float>(Checker(column, row));
}

// Points the rays at the cells of a row from `first`, lane by lane.
template <int G, typename T>
void AimLightRays(LightRays<G, T>& rays, int first, int row) {
  for (int g = 0; g < G; ++g)
    for (int l = 0; l < kLanesOf<T>; ++l) {
      const kalt::Vec3 dir = kalt::FocalRay(first + g * kLanesOf<T> + l, row, 40.0f);
      SetLane(rays.dx[g], l, dir.x);
      SetLane(rays.dy[g], l, dir.y);
      SetLane(rays.dz[g], l, dir.z);
    }
}

// The shade value of one cell, marched alone.
template <typename Scene>
float TwinLightValue(const TwinLights& lights, const Scene& scene, int column, int row) {
  LightRays<1, float> ray;
  AimLightRays(ray, column, row);
  ExactOffsets exact;
  MarchLights(lights, scene, ray, exact);
  return LightValue(lights, scene, EndOf(ray, 0, 0), column, row);
}

// One row of the picture, the rays of G groups of T marching together; a
// batch whose rays stray beyond the fast cell offsets is traced again ray by
// ray.
template <int G, typename T, typename Scene>
void TwinLightRow(const TwinLights& lights, const Scene& scene, const cella::Gradient& gradient, int row,
                  cella::Pixel* line) {
  constexpr int kBatch = G * kLanesOf<T>;
  static_assert(kPictureWidth % kBatch == 0);
  for (int first = 0; first < kPictureWidth; first += kBatch) {
    LightRays<G, T> rays;
    AimLightRays(rays, first, row);
    FastOffsets<T> fast;
    MarchLights(lights, scene, rays, fast);
    const bool wild = Any(fast.wild);
    for (int g = 0; g < G; ++g)
      for (int l = 0; l < kLanesOf<T>; ++l) {
        const int column = first + g * kLanesOf<T> + l;
        const float v = wild ? TwinLightValue(lights, scene, column, row)
                             : LightValue(lights, scene, EndOf(rays, g, l), column, row);
        line[column] = gradient.pixels[cella::GradientIndex(gradient, v)];
      }
  }
}

// One row on the lanes of a path (kalt/lane_entry.h): two groups of T for
// vectors, ray by ray for one float.
template <typename Scene>
struct TwinLightRows {
  template <typename T>
  static void Run(const TwinLights& lights, const Scene& scene, const cella::Gradient& gradient, int row,
                  cella::Pixel* line) {
    if constexpr (std::is_same_v<T, float>) {
      for (int column = 0; column < kPictureWidth; ++column)
        line[column] = gradient.pixels[cella::GradientIndex(gradient, TwinLightValue(lights, scene, column, row))];
    } else {
      TwinLightRow<2, T>(lights, scene, gradient, row, line);
    }
  }
};
// AVX-512 runs AVX2's 8 lanes: 16 rays in lockstep measured two to three
// times slower (the batch waits for its slowest ray, and GCC 12 tests some
// of their masks lane by lane).
template <typename Scene>
inline constexpr auto kTwinLightRows =
    LaneEntries<void(const TwinLights&, const Scene&, const cella::Gradient&, int, cella::Pixel*)>::template Of<
        TwinLightRows<Scene>, kalt::LanePath::kAvx2>();

// Draws the 80 by 50 picture of a lattice through `gradient`, a row at a
// time on the effects' threads (row_loop.h).
template <typename Scene>
void TwinLightMarch(cella::Canvas* canvas, const cella::Gradient* gradient, float time, float surfaceGain,
                    float glowGain, Scene scene, kalt::Vec3 shift) {
  if (!HoldsPicture(canvas) || !gradient) return;
  const TwinLights lights = TwinLightsSetup(time, shift, surfaceGain, glowGain);
  const auto drawRow = kTwinLightRows<Scene>[kalt::ActiveLanePath()];
  const int width = canvas->width;
  cella::Pixel* const cells = canvas->data;

  ForEachRow(kPictureHeight, [&](int row) { drawRow(lights, scene, *gradient, row, cells + static_cast<long>(row) * width); });
}

}  // namespace gldemo::detail
