// SphereGrid: an endless flat grid of spheres through a fish-eye lens.
//
// The spheres (radius 0.5) repeat with period 2 along x and y in one layer
// about z = 0. Every ray marches a fixed 30 whole-unit steps through the
// wrapped space; where it ends within 1.5 of a centre, the cell is shaded
// from the surface normal and from the sphere distance one unit out along
// it. Since every ray takes the same steps, the rays of 16 neighbouring
// cells (8 with SSE2) march in lockstep in the lanes of two vector
// registers.
#include <cmath>
#include <type_traits>

#include "cella/cella.h"
#include "effect_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"
#include "kalt/fmath.h"
#include "kalt/lane_entry.h"
#include "kalt/lane_path.h"

namespace gldemo {

namespace {

using kalt::Sqrt;
using kalt::Vec3;

constexpr int kMarchSteps = 30;
constexpr cella::Pixel kMissCell = {0, 8, 8};
constexpr float kWholeLimit = 8388608.0f;  // 2^23: every float beyond is whole

float SquaredSum(float a, float b, float c) { return a * a + b * b + c * c; }

// A march step: the distance less 0.5, truncated toward zero as a whole
// number. Beyond 2^23 every float is whole already, so the value itself is
// the truncation (and a value that is not a number stays one).
float WholeStep(float x) { return std::fabs(x) < kWholeLimit ? detail::TruncateSmall(x) : x; }

// The exact wrap and step, for one ray at any position.
struct ExactSteps {
  float Wrap(float x) { return SphereGridWrap(x); }
  float Step(float x) { return WholeStep(x); }
};

// The same without branches, for one ray or a vector of them: exact while
// positions stay below 2^22 and distances below 2^23; `wild` records when
// they do not.
template <typename T>
struct FastSteps {
  detail::MaskOf<T> wild{};
  T Wrap(T x) { return detail::CellOffsetFast<2>(x + 128.0f, wild); }
  T Step(T x) {
    const auto tame = detail::Abs(x) < kWholeLimit;
    wild = wild | detail::Not(tame);
    return detail::TruncateSmall(tame ? x : T{});
  }
};

// Rays in G groups of T (one float, or the lanes of a vector each):
// directions in, end positions out.
template <int G, typename T>
struct Rays {
  T dx[G], dy[G], dz[G];
  T px[G], py[G], pz[G];
};

// The fish-eye direction of a cell, turned about the view axis.
Vec3 FishEyeRay(const SphereGridView& view, int column, int row) {
  const float u = static_cast<float>(column) - 40.0f;
  const float v = static_cast<float>(row) - 25.0f;
  const float rho = Sqrt(u * u + v * v);
  const float wz = 25.0f - 0.01f * rho * rho;
  const float len = Sqrt(wz * wz + (u * u + v * v));
  const float ux = u / len, vy = v / len;
  return {ux * view.cosTurn + vy * view.sinTurn, vy * view.cosTurn - ux * view.sinTurn, wz / len};
}

// Thirty whole-unit steps from the camera, each built on the wrapped x and
// y: a step of 0 still moves a ray into the next cell's frame. The groups
// are independent, so their steps overlap in the processor.
template <int G, typename T, typename Steps>
void March(const SphereGridView& view, Rays<G, T>& rays, Steps& steps) {
  for (int g = 0; g < G; ++g) {
    rays.px[g] = detail::Splat<T>(view.start.x);
    rays.py[g] = detail::Splat<T>(view.start.y);
    rays.pz[g] = detail::Splat<T>(view.start.z);
  }
  for (int step = 0; step < kMarchSteps; ++step)
    for (int g = 0; g < G; ++g) {
      const T qx = steps.Wrap(rays.px[g]), qy = steps.Wrap(rays.py[g]);
      const T s = steps.Step(detail::Sqrt(qx * qx + qy * qy + rays.pz[g] * rays.pz[g]) - 0.5f);
      rays.px[g] = qx + s * rays.dx[g];
      rays.py[g] = qy + s * rays.dy[g];
      rays.pz[g] = rays.pz[g] + s * rays.dz[g];
    }
}

// The result of a ray that ended at p.
SphereGridRay Finish(Vec3 p) {
  const auto w = SphereGridWrap;

  // 1. A hit ends within 1.5 of the centre (a whole step of 0 would follow).
  const float qx = w(p.x), qy = w(p.y), z = p.z;
  SphereGridRay ray;
  ray.end = p;
  ray.distance = Sqrt(SquaredSum(qx, qy, z));
  ray.hit = ray.distance < 1.5f;
  ray.value = 0.0f;
  if (!ray.hit) return ray;

  // 2. The normal from forward differences, and the distance one unit out
  //    along it.
  const float a = w(qx), b = w(qy);
  const float f0 = Sqrt(SquaredSum(a, b, z)) - 0.5f;
  const float nx = Sqrt(SquaredSum(w(qx + 0.01f), b, z)) - 0.5f - f0;
  const float ny = Sqrt(SquaredSum(w(qy + 0.01f), a, z)) - 0.5f - f0;
  const float nz = Sqrt(SquaredSum(z + 0.01f, a, b)) - 0.5f - f0;
  const Vec3 n = Vec3{nx, ny, nz} / Sqrt(SquaredSum(nx, ny, nz));
  const float f1 = Sqrt(SquaredSum(w(a + n.x), w(b + n.y), z + n.z)) - 0.5f;

  // 3. Surfaces facing the camera (n.z negative) come out bright.
  ray.value = static_cast<float>(-2.0 * static_cast<double>(n.z) - static_cast<double>(f1));
  return ray;
}

cella::Pixel Shade(const cella::Gradient& gradient, const SphereGridRay& ray) {
  return ray.hit ? gradient.pixels[cella::GradientIndex(gradient, ray.value)] : kMissCell;
}

// The cells of one row from `first`, G groups of T marched together; a
// batch whose rays stray out of the fast range is traced again exactly.
template <int G, typename T>
void ShadeBatch(const SphereGridView& view, const cella::Gradient& gradient, int first, int row,
                cella::Pixel* cells) {
  constexpr int kLanes = detail::kLanesOf<T>;
  Rays<G, T> rays;
  for (int g = 0; g < G; ++g)
    for (int l = 0; l < kLanes; ++l) {
      const Vec3 dir = FishEyeRay(view, first + g * kLanes + l, row);
      rays.dx[g][l] = dir.x;
      rays.dy[g][l] = dir.y;
      rays.dz[g][l] = dir.z;
    }
  FastSteps<T> steps;
  March(view, rays, steps);
  const bool wild = detail::Any(steps.wild);
  for (int g = 0; g < G; ++g)
    for (int l = 0; l < kLanes; ++l) {
      const int i = g * kLanes + l;
      cells[i] = Shade(gradient, wild ? SphereGridTrace(view, first + i, row)
                                      : Finish({rays.px[g][l], rays.py[g][l], rays.pz[g][l]}));
    }
}

// One row of `width` cells: batches of G groups of T, the last columns ray
// by ray.
template <int G, typename T>
void ShadeRow(const SphereGridView& view, const cella::Gradient& gradient, int row, int width, cella::Pixel* line) {
  constexpr int kBatch = G * detail::kLanesOf<T>;
  int column = 0;
  if constexpr (!std::is_same_v<T, float>)
    for (; column + kBatch <= width; column += kBatch) ShadeBatch<G, T>(view, gradient, column, row, line + column);
  for (; column < width; ++column) line[column] = Shade(gradient, SphereGridTrace(view, column, row));
}

// One row on the lanes of a path (kalt/lane_entry.h): G groups of T for
// vectors, ray by ray for one float. AVX-512 runs AVX2's 8 lanes, which
// measured faster than 16.
struct RowOfCellsOn {
  template <typename T>
  static void Run(const SphereGridView& view, const cella::Gradient& gradient, int row, int width,
                  cella::Pixel* line) {
    ShadeRow<std::is_same_v<T, float> ? 1 : 2, T>(view, gradient, row, width, line);
  }
};
using RowOfCells = detail::LaneEntries<void(const SphereGridView&, const cella::Gradient&, int, int, cella::Pixel*)>;
constexpr RowOfCells kRows = RowOfCells::Of<RowOfCellsOn, kalt::LanePath::kAvx2>();

}  // namespace

float SphereGridWrap(float x) { return detail::CellOffset<2>(x + 128.0f); }

SphereGridView SphereGridSetup(float time) {
  const float turn = 0.2f * time + 1.256636f;
  SphereGridView view;
  view.sinTurn = kalt::Sin(turn);
  view.cosTurn = kalt::Cos(turn);
  view.start = {static_cast<float>(static_cast<double>(time) * 0.5), time,
                static_cast<float>(kalt::SinD(time) - 4.0)};
  return view;
}

SphereGridRay SphereGridTrace(const SphereGridView& view, int column, int row) {
  Rays<1, float> ray;
  const Vec3 dir = FishEyeRay(view, column, row);
  ray.dx[0] = dir.x;
  ray.dy[0] = dir.y;
  ray.dz[0] = dir.z;
  ExactSteps steps;
  March(view, ray, steps);
  return Finish({ray.px[0], ray.py[0], ray.pz[0]});
}

void SphereGrid(cella::Canvas* canvas, const cella::Gradient* gradient, float time) {
  if (!canvas || !canvas->data || !UsableGradient(gradient)) return;
  const SphereGridView view = SphereGridSetup(time);
  const int width = canvas->width;
  const int height = canvas->height;
  cella::Pixel* const cells = canvas->data;

  const RowOfCells::Entry drawRow = kRows[kalt::ActiveLanePath()];

  detail::ForEachRow(height, [&](int row) { drawRow(view, *gradient, row, width, cells + static_cast<long>(row) * width); });
}

}  // namespace gldemo
