// TwinLightMarch: the per-cell march shared by the three lattices.
//
// Two flickering point lights circle in front of the camera at (0, 0, -8).
// Every ray marches by the smallest of its distances to the two lights and
// to the scene (sampled at the ray point moved by the scene's shift),
// gathering the lights' glow; where it ends on the scene, the surface adds
// the lights' diffuse term, and where it ends on a light it counts as lit.
// The scene distance is a template parameter so that it inlines into the
// march.
#pragma once

#include <algorithm>

#include "cella/cella.h"
#include "effect_support.h"
#include "gldemo/effects.h"
#include "kalt/fmath.h"
#include "kalt/vec3.h"

namespace gldemo::detail {

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

// The diffuse light that reaches a surface point p with normal n from a light
// at `light`, falling off with the distance; never negative.
inline float Diffuse(kalt::Vec3 light, kalt::Vec3 p, kalt::Vec3 n) {
  const kalt::Vec3 v = light - p;
  const float r = kalt::Length(v);
  return std::max(kalt::Dot(v / r, n) / (r + 0.1f) * 4.0f, 0.0f);
}

// The shade value of one cell.
template <typename SceneDistance>
float TwinLightValue(const TwinLights& lights, SceneDistance distance, int column, int row) {
  using kalt::Length;
  using kalt::Vec3;
  const Vec3 dir = CellRay(column, row, 40.0f);

  // 1. March at most 50 steps by the smallest distance, gathering glow.
  Vec3 p{0.0f, 0.0f, -8.0f};
  Vec3 sample = p;
  float glow = 0.0f, d1 = 0.0f, d2 = 0.0f, ds = 0.0f;
  for (int step = 0; step < 50; ++step) {
    d1 = Length(lights.light1 - p);
    d2 = Length(lights.light2 - p);
    sample = p + lights.shift;
    ds = distance(sample);
    glow = glow + lights.pulse1 / d1 + lights.pulse2 / d2;
    const float s = std::min(std::min(d1, d2), ds);
    if (glow > 1.1f) {
      glow = 1.1f;
      break;
    }
    p = p + dir * s;
    if (d1 < 0.1f || d2 < 0.1f || s < 0.1f || s > 10.0f) break;
  }

  // 2. A ray that ended on a light counts as lit; one that ended on the
  //    scene takes the lights' diffuse term about the normal at its last
  //    sample point.
  float surface = 0.0f;
  if (d1 < 0.1f || d2 < 0.1f) {
    surface = 1.0f;
  } else if (ds < 0.1f) {
    const float d0 = distance(sample);
    const Vec3 gradient{distance({sample.x + 0.1f, sample.y, sample.z}) - d0,
                        distance({sample.x, sample.y + 0.1f, sample.z}) - d0,
                        distance({sample.x, sample.y, sample.z + 0.1f}) - d0};
    const Vec3 n = gradient / Length(gradient);
    surface = 2.0f * lights.surfaceGain *
              (lights.pulse1 * Diffuse(lights.light1, p, n) + lights.pulse2 * Diffuse(lights.light2, p, n));
  }

  // 3. The glow scaled and folded back above 1.2, to the fourth power.
  float q = lights.glowScale * glow;
  if (q > 1.2f) q = 4.8f - 3.0f * q;
  return kalt::Pow(q, 4.0f) + surface + 0.01f * static_cast<float>(Checker(column, row));
}

// Draws the 80 by 50 picture of a lattice through `gradient`.
template <typename SceneDistance>
void TwinLightMarch(cella::Canvas* canvas, const cella::Gradient* gradient, float time, float surfaceGain,
                    float glowGain, SceneDistance distance, kalt::Vec3 shift) {
  if (!HoldsPicture(canvas) || !gradient) return;
  const TwinLights lights = TwinLightsSetup(time, shift, surfaceGain, glowGain);
  const int width = canvas->width;
  cella::Pixel* const cells = canvas->data;

#pragma omp parallel for schedule(static)
  for (int row = 0; row < kPictureHeight; ++row) {
    cella::Pixel* line = cells + static_cast<long>(row) * width;
    for (int column = 0; column < kPictureWidth; ++column)
      line[column] = gradient->pixels[cella::GradientIndex(*gradient, TwinLightValue(lights, distance, column, row))];
  }
}

}  // namespace gldemo::detail
