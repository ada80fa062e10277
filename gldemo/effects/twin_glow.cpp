// TwinGlow: two glowing points in empty space, and GlowPulse, the flicker
// of every glowing point in gldemo.
//
// One point circles the view centre; the other flies in from far away and
// settles into a wider loop. Each ray sums the glow of both points along
// its march; the sum is brightened, folded back at the top and dithered on
// a checkerboard before the gradient lookup.
#include <algorithm>

#include "cella/cella.h"
#include "effect_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"
#include "kalt/fmath.h"

namespace gldemo {

namespace {

using kalt::Vec3;

constexpr int kMarchSteps = 25;
constexpr float kGlowCap = 1.1f;

// The shade of a cell: the glow brightened, folded back down above 1.2
// (continuously) and lowered on the odd checkerboard cells.
float TwinGlowValue(const TwinGlowScene& scene, float checkerDither, int column, int row) {
  float v = scene.gain * TwinGlowGather(scene, column, row);
  if (v > 1.2f) v = 4.8f - 3.0f * v;
  if (detail::Checker(column, row)) v = v - checkerDither;
  return v;
}

}  // namespace

float GlowPulse(float a, float b, float time) {
  const double sines = kalt::SinD(a * time) + kalt::SinD(b * time);
  return static_cast<float>(sines * static_cast<double>(0.01f) + static_cast<double>(0.1f) +
                            static_cast<double>(0.01f));
}

TwinGlowScene TwinGlowSetup(float time, float glowGain) {
  TwinGlowScene scene;
  scene.pulse1 = GlowPulse(20.0f, 49.8f, time);
  scene.pulse2 = GlowPulse(30.0f, 39.8f, time);

  // The circling point.
  const float s1 = static_cast<float>(kalt::SinD(0.4f * time) * 0.1);
  scene.point1 = {2.0f * kalt::Sin(time), 2.0f * kalt::Cos(time), 2.0f * s1};

  // The incoming point: g and the scale S fall from 4 and 68 at time 0
  // towards 0 and 4.
  const float g = 4.0f / (time + 1.0f);
  const float scale = 32.0f / (time + 0.5f) + 4.0f;
  const float s2 = static_cast<float>(kalt::SinD(0.9f * time) * 0.1);
  scene.point2 = {(kalt::Sin(1.4f * time) + g) * scale, (kalt::Cos(0.6f * time) + g) * scale,
                  (s2 + g) * scale};

  scene.gain = 9.0f * glowGain + 1.0f;
  return scene;
}

float TwinGlowGather(const TwinGlowScene& scene, int column, int row) {
  const Vec3 dir = kalt::FocalRay(column, row, 40.0f);
  Vec3 p{0.0f, 0.0f, -8.0f};
  float glow = 0.0f;
  for (int step = 0; step < kMarchSteps; ++step) {
    const float r1 = kalt::Length(scene.point1 - p);
    const float r2 = kalt::Length(scene.point2 - p);
    glow = (scene.pulse1 / r1 + glow) + scene.pulse2 / r2;
    if (glow > kGlowCap) return kGlowCap;
    p = p + dir * std::min(r1, r2);
  }
  return glow;
}

void TwinGlow(cella::Canvas* canvas, const cella::GradientPack* pack, float time, int gradient,
              float glowGain, float checkerDither) {
  const cella::Gradient* const ramp = PackGradient(pack, gradient);
  if (!detail::HoldsPicture(canvas) || !ramp) return;
  const TwinGlowScene scene = TwinGlowSetup(time, glowGain);
  const int width = canvas->width;
  cella::Pixel* const cells = canvas->data;

  detail::ForEachRow(kPictureHeight, [&](int row) {
    cella::Pixel* line = cells + static_cast<long>(row) * width;
    for (int column = 0; column < kPictureWidth; ++column)
      line[column] = ramp->pixels[cella::GradientIndex(*ramp, TwinGlowValue(scene, checkerDither, column, row))];
  });
}

}  // namespace gldemo
