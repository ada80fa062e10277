// SphereCluster: four overlapping spheres on the corners of a tumbling
// tetrahedron, lit by one glowing point light that wanders in front of them.
//
// Each ray gathers the light's glow while it marches at half the distance
// to the nearer of spheres and light. Where it stops on a sphere that lies
// inside the ring test (a tube of scrolling rings about the y axis, never
// drawn itself), the cell adds diffuse light, a mirror highlight and
// occlusion from probes of the cluster's distance.
#include <algorithm>

#include "cella/cella.h"
#include "effect_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"
#include "kalt/fmath.h"

namespace gldemo {

namespace {

using kalt::Dot;
using kalt::Length;
using kalt::Vec3;

constexpr int kMaxSteps = 40;
constexpr int kGradient = 16;
constexpr float kRadius = 0.9f;
constexpr float kGlowCap = 1.1f;

// The tetrahedron's corners before it turns.
constexpr Vec3 kCorners[4] = {{0.5f, 1.0f, 0.0f}, {0.5f, -0.5f, 0.866f}, {0.5f, -0.5f, -0.866f}, {-0.9f, 0.0f, 0.0f}};

// The surface term of a ray that stopped at p on a sphere (dmin its distance
// there): diffuse light from the probe towards the light, a mirror term with
// its highlight, and occlusion, the odd checkerboard cells a little darker.
float SurfaceTerm(const SphereClusterScene& scene, Vec3 p, Vec3 dir, float dmin, int checker) {
  // 1. The normal from forward differences.
  const Vec3 gradient{ClusterDistance(scene, {p.x + 0.01f, p.y, p.z}) - dmin,
                      ClusterDistance(scene, {p.x, p.y + 0.01f, p.z}) - dmin,
                      ClusterDistance(scene, {p.x, p.y, p.z + 0.01f}) - dmin};
  const Vec3 n = gradient / Length(gradient);
  // 2. The mirror direction and the direction to the light.
  const Vec3 mirror = dir - 2.0f * Dot(dir, n) * n;
  const Vec3 toLight = (scene.light - p) / Length(scene.light - p);
  // 3. Probes one unit out: occlusion, mirror and light.
  const float occlusion = 0.5f * ClusterDistance(scene, p + n) + 0.5f;
  const float mirrorProbe = std::max(ClusterDistance(scene, p + mirror), 0.0f);
  const float lightProbe = std::max(ClusterDistance(scene, p + toLight), 0.0f);
  const float highlight = kalt::Pow(0.5f * Dot(toLight, mirror) + 0.5f, 40.0f);
  // 4. The sum.
  const float reflected = (2.0f / (0.1f * (p.y * p.y) + 1025.0f) + 2.0f * highlight) * occlusion * mirrorProbe *
                          (0.5f * Dot(mirror, dir) + 0.5f);
  const float diffuse = (0.5f * Dot(toLight, n) + 0.5f) * lightProbe * occlusion * 0.6f;
  return reflected + diffuse + (0.1f * occlusion - 0.05f * static_cast<float>(checker));
}

}  // namespace

SphereClusterScene SphereClusterSetup(float time, float cameraShiftX, float cameraShiftZ, float zoom) {
  SphereClusterScene scene;
  // The corners turn by `time` in their x-y plane, then by 0.7 time in the
  // plane of the turned x and the original z.
  const float c1 = kalt::Cos(time), s1 = kalt::Sin(time);
  const float c2 = kalt::Cos(0.7f * time), s2 = kalt::Sin(0.7f * time);
  for (int k = 0; k < 4; ++k) {
    const Vec3 b = kCorners[k];
    const float x1 = b.x * c1 - b.y * s1;
    const float y = b.x * s1 + b.y * c1;
    scene.centres[k] = {x1 * s2 + b.z * c2, y, x1 * c2 - b.z * s2};
  }
  scene.light = {-4.0f * kalt::Cos(0.5f * time * time), kalt::Sin(2.0f * time), -2.0f};
  scene.glow = GlowPulse(20.0f, 49.8f, time);
  scene.ringPhase = 2.0f * time;
  scene.camera = {cameraShiftX, 0.0f, cameraShiftZ - 4.0f};
  scene.focal = (zoom + 1.0f) * 40.0f;
  return scene;
}

float ClusterDistance(const SphereClusterScene& scene, Vec3 p) {
  float d = Length(p - scene.centres[0]) - kRadius;
  for (int k = 1; k < 4; ++k) d = std::min(d, Length(p - scene.centres[k]) - kRadius);
  return d;
}

float RingTubeDistance(const SphereClusterScene& scene, Vec3 p) {
  const float r = kalt::Sqrt(p.x * p.x + p.z * p.z);
  const float m = detail::CellOffset<16>(scene.ringPhase + p.y + 8.0f);
  return std::max(std::max(std::max(r - 8.0f, 7.8f - r), m - 1.0f), -1.0f - m);
}

float SphereClusterValue(const SphereClusterScene& scene, int column, int row) {
  const Vec3 dir = kalt::FocalRay(column, row, scene.focal);
  const int checker = detail::Checker(column, row);

  // 1. March at half the distance to the nearer of cluster and light,
  //    gathering the light's glow; at most 40 steps.
  Vec3 p = scene.camera;
  float glow = 0.0f;
  float s = 0.0f;
  for (int step = 0; step < kMaxSteps; ++step) {
    const float cluster = ClusterDistance(scene, p);
    const float light = Length(scene.light - p);
    s = 0.5f * std::min(light, cluster);
    glow = glow + (scene.glow / light) * s;
    if (glow > kGlowCap) {
      glow = kGlowCap;
      break;
    }
    p = p + dir * s;
    if (s < 0.01f || s > 10.0f) break;
  }

  // 2. A ray that stopped on a sphere inside the ring test is shaded.
  float surface = 0.0f;
  if (s < 0.1f) {
    const float dmin = ClusterDistance(scene, p);
    if (!(dmin > RingTubeDistance(scene, p))) surface = SurfaceTerm(scene, p, dir, dmin, checker);
  }

  // 3. The square of glow and surface, the odd checkerboard cells darker.
  const float v = glow - 0.05f * static_cast<float>(checker) + surface;
  return kalt::Pow(v, 2.0f);
}

void SphereCluster(cella::Canvas* canvas, const cella::GradientPack* pack, float time, float cameraShiftX,
                   float cameraShiftZ, float zoom) {
  const cella::Gradient* const ramp = PackGradient(pack, kGradient);
  if (!canvas || !canvas->data || !ramp) return;
  const SphereClusterScene scene = SphereClusterSetup(time, cameraShiftX, cameraShiftZ, zoom);
  const int width = canvas->width;
  const int height = canvas->height;
  cella::Pixel* const cells = canvas->data;

  detail::ForEachRow(height, [&](int row) {
    cella::Pixel* line = cells + static_cast<long>(row) * width;
    for (int column = 0; column < width; ++column)
      line[column] = ramp->pixels[cella::GradientIndex(*ramp, SphereClusterValue(scene, column, row))];
  });
}

}  // namespace gldemo
