// SphereGrid: an endless flat grid of spheres through a fish-eye lens.
//
// The spheres (radius 0.5) repeat with period 2 along x and y in one layer
// about z = 0. Every ray marches a fixed 30 whole-unit steps through the
// wrapped space; where it ends within 1.5 of a centre, the cell is shaded
// from the surface normal and from the sphere distance one unit out along
// it.
#include <cmath>

#include "cella/cella.h"
#include "effect_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"
#include "kalt/fmath.h"

namespace gldemo {

namespace {

using kalt::Sqrt;
using kalt::Vec3;
using Wrap = float (*)(float);

constexpr int kMarchSteps = 30;
constexpr cella::Pixel kMissCell = {0, 8, 8};

// A march step: the distance less 0.5, truncated toward zero as a whole
// number. Beyond 2^23 every float is whole already, so the value itself is
// the truncation (and a value that is not a number stays one).
float WholeStep(float x) {
  return std::fabs(x) < 8388608.0f ? static_cast<float>(static_cast<int>(x)) : x;
}

float SquaredSum(float a, float b, float c) { return a * a + b * b + c * c; }

}  // namespace

float SphereGridWrap(float x) { return kalt::Fmod(x + 128.0f, 2.0f) - 1.0f; }

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
  const Wrap w = SphereGridWrap;

  // 1. The fish-eye ray, turned about the view axis.
  const float u = static_cast<float>(column) - 40.0f;
  const float v = static_cast<float>(row) - 25.0f;
  const float rho = Sqrt(u * u + v * v);
  const float wz = 25.0f - 0.01f * rho * rho;
  const float len = Sqrt(wz * wz + (u * u + v * v));
  const float ux = u / len, vy = v / len;
  const Vec3 dir{ux * view.cosTurn + vy * view.sinTurn, vy * view.cosTurn - ux * view.sinTurn, wz / len};

  // 2. Thirty whole-unit steps, each built on the wrapped x and y: a step of
  //    0 still moves the ray into the next cell's frame.
  Vec3 p = view.start;
  for (int step = 0; step < kMarchSteps; ++step) {
    const float qx = w(p.x), qy = w(p.y);
    const float s = WholeStep(Sqrt(SquaredSum(qx, qy, p.z)) - 0.5f);
    p = {qx + s * dir.x, qy + s * dir.y, p.z + s * dir.z};
  }

  // 3. A hit ends within 1.5 of the centre (a whole step of 0 would follow).
  const float qx = w(p.x), qy = w(p.y), z = p.z;
  SphereGridRay ray;
  ray.end = p;
  ray.distance = Sqrt(SquaredSum(qx, qy, z));
  ray.hit = ray.distance < 1.5f;
  ray.value = 0.0f;
  if (!ray.hit) return ray;

  // 4. The normal from forward differences, and the distance one unit out
  //    along it.
  const float a = w(qx), b = w(qy);
  const float f0 = Sqrt(SquaredSum(a, b, z)) - 0.5f;
  const float nx = Sqrt(SquaredSum(w(qx + 0.01f), b, z)) - 0.5f - f0;
  const float ny = Sqrt(SquaredSum(w(qy + 0.01f), a, z)) - 0.5f - f0;
  const float nz = Sqrt(SquaredSum(z + 0.01f, a, b)) - 0.5f - f0;
  const Vec3 n = Vec3{nx, ny, nz} / Sqrt(SquaredSum(nx, ny, nz));
  const float f1 = Sqrt(SquaredSum(w(a + n.x), w(b + n.y), z + n.z)) - 0.5f;

  // 5. Surfaces facing the camera (n.z negative) come out bright.
  ray.value = static_cast<float>(-2.0 * static_cast<double>(n.z) - static_cast<double>(f1));
  return ray;
}

void SphereGrid(cella::Canvas* canvas, const cella::Gradient* gradient, float time) {
  if (!canvas || !canvas->data || !gradient || gradient->count <= 0 || !gradient->pixels) return;
  const SphereGridView view = SphereGridSetup(time);
  const int width = canvas->width;
  const int height = canvas->height;
  cella::Pixel* const cells = canvas->data;

#pragma omp parallel for schedule(static)
  for (int row = 0; row < height; ++row) {
    cella::Pixel* line = cells + static_cast<long>(row) * width;
    for (int column = 0; column < width; ++column) {
      const SphereGridRay ray = SphereGridTrace(view, column, row);
      line[column] = ray.hit ? gradient->pixels[cella::GradientIndex(*gradient, ray.value)] : kMissCell;
    }
  }
}

}  // namespace gldemo
