// FoldedBlocks: thick tilted plates mirrored into the eight octants.
//
// The plates are slabs in a skewed frame, folded by absolute values about
// the centre of rotation. The scene's rotation depends on the row, so the
// picture twists and wobbles down the screen. Every cell, hit or not, is
// brightened by the number of march steps its ray needed, so silhouettes
// glow.
#include <algorithm>
#include <cmath>

#include "cella/cella.h"
#include "effect_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"
#include "kalt/fmath.h"

namespace gldemo {

namespace {

using kalt::Vec3;

constexpr int kMaxAdvances = 25;
constexpr int kGradient = 33;

// The shape function g(h) = (1 - f) h + f h^2: f = 0 keeps the plain slab
// distance, f = -1 flattens it away from the surface.
float Shape(float h, float f) { return (1.0f - f) * h + f * (h * h); }

// The fold: every octant mirrored onto the first, then moved by -2 along
// each axis.
Vec3 Fold(Vec3 p) { return {std::fabs(p.x) - 2.0f, std::fabs(p.y) - 2.0f, std::fabs(p.z) - 2.0f}; }

// The distance at a point already folded.
float FoldedDistance(Vec3 b, float f) {
  // The skewed frame is formed in double precision.
  const float u1 = static_cast<float>(0.7 * b.x + 0.2 * b.y + 0.1 * b.z);
  const float u2 = static_cast<float>(0.7 * b.y - 0.2 * b.x + 0.1 * b.z);
  const float h1 = std::fabs(std::fabs(u1) - 1.0f) - 0.5f;
  const float h2 = std::fabs(std::fabs(u2) - 1.0f) - 0.5f;
  const float h3 = std::fabs(std::fabs(b.z) - 2.0f) - 0.5f;
  float d = -4000.0f;
  d = std::max(d, Shape(h1, f));
  d = std::max(d, Shape(h2, f));
  d = std::max(d, Shape(h3, f));
  return d;
}

// The shade of a hit: diffuse light plus the glow of the march steps, the
// odd checkerboard cells a little brighter. Terms in single precision,
// summed in double.
float HitValue(Vec3 normal, Vec3 light, int steps, int checker) {
  const float m = kalt::Length(normal);
  const float diffuse = 0.5f * (0.5f * kalt::Dot(normal, light) / m + 0.5f);
  const float c = 0.04f * static_cast<float>(steps);
  return static_cast<float>(static_cast<double>(diffuse) + static_cast<double>(0.5f * (c * c)) +
                            static_cast<double>(0.5f * c) +
                            static_cast<double>(0.05f * static_cast<float>(checker)));
}

// The shade of a miss: the (column XOR row) mod 4 background pattern plus
// the glow of the march steps.
float MissValue(int steps, int pattern) {
  const float c = 0.13f * static_cast<float>(steps);
  return static_cast<float>(static_cast<double>(0.05f * static_cast<float>(pattern)) +
                            static_cast<double>(c * c) + 0.3);
}

}  // namespace

float FoldedBlocksDistance(Vec3 p, float shapeBlend) { return FoldedDistance(Fold(p), shapeBlend); }

FoldedBlocksView FoldedBlocksSetup(float time, int focal, float shapeBlend) {
  const Vec3 light{kalt::Sin(time), kalt::Cos(3.0f * time), kalt::Sin(4.0f * time)};
  return {light / kalt::Length(light), static_cast<float>(focal), shapeBlend};
}

FoldedBlocksTurn FoldedBlocksRowTurn(float time, int row) {
  // The twist grows with the row (row 0 has none); it is formed in double.
  const double i = static_cast<double>(row);
  const float twist = static_cast<float>(0.002 * static_cast<double>(time) * kalt::SinD(time) * i *
                                         kalt::SinD(0.1f * static_cast<float>(row)));
  const double a1 = static_cast<double>(twist) + static_cast<double>(time);
  const double a2 = 0.25 * static_cast<double>(twist) + 2.7 * static_cast<double>(time);
  return {static_cast<float>(std::cos(a1)), static_cast<float>(std::sin(a1)), static_cast<float>(std::cos(a2)),
          static_cast<float>(std::sin(a2))};
}

FoldedBlocksRay FoldedBlocksTrace(const FoldedBlocksView& view, const FoldedBlocksTurn& turn, int column,
                                  int row) {
  const float f = view.shapeBlend;
  const Vec3 dir = kalt::FocalRay(column, row, view.focal);

  // 1. March from (0, 0, -8) through the turned scene, at most 25 advances;
  //    keep the folded point of the last evaluation for the normal.
  Vec3 p{0.0f, 0.0f, -8.0f};
  int steps = 0;
  float s;
  Vec3 folded;
  for (;;) {
    const float x1 = p.x * turn.cosA + p.z * turn.sinA;
    const float z1 = p.z * turn.cosA - p.x * turn.sinA;
    const float y2 = p.y * turn.cosB + z1 * turn.sinB;
    const float z2 = z1 * turn.cosB - p.y * turn.sinB;
    folded = Fold({x1, y2, z2});
    s = FoldedDistance(folded, f);
    if (s < 0.01f || s > 7.0f) break;
    p = p + dir * s;
    if (++steps == kMaxAdvances) break;
  }

  // 2. Shade: hits by the normal at the folded point (which the distance
  //    folds once more), misses by the background pattern.
  FoldedBlocksRay ray;
  ray.distance = s;
  ray.steps = steps;
  ray.hit = s < 0.1f;
  if (ray.hit) {
    const float f0 = FoldedBlocksDistance(folded, f);
    const Vec3 normal{FoldedBlocksDistance({folded.x + 0.1f, folded.y, folded.z}, f) - f0,
                      FoldedBlocksDistance({folded.x, folded.y + 0.1f, folded.z}, f) - f0,
                      FoldedBlocksDistance({folded.x, folded.y, folded.z + 0.1f}, f) - f0};
    ray.value = HitValue(normal, view.light, steps, detail::Checker(column, row));
  } else {
    ray.value = MissValue(steps, (column ^ row) & 3);
  }
  return ray;
}

void FoldedBlocks(cella::Canvas* canvas, const cella::GradientPack* pack, float time, int focal,
                  float shapeBlend) {
  const cella::Gradient* const ramp = PackGradient(pack, kGradient);
  if (!detail::HoldsPicture(canvas) || !ramp) return;
  const FoldedBlocksView view = FoldedBlocksSetup(time, focal, shapeBlend);
  const int width = canvas->width;
  cella::Pixel* const cells = canvas->data;

  detail::ForEachRow(kPictureHeight, [&](int row) {
    const FoldedBlocksTurn turn = FoldedBlocksRowTurn(time, row);
    cella::Pixel* line = cells + static_cast<long>(row) * width;
    for (int column = 0; column < kPictureWidth; ++column) {
      const FoldedBlocksRay ray = FoldedBlocksTrace(view, turn, column, row);
      line[column] = ramp->pixels[cella::GradientIndex(*ramp, ray.value)];
    }
  });
}

}  // namespace gldemo
