#include "condemo/shade.h"

#include <algorithm>
#include <cmath>

#include "condemo/rand15.h"
#include "kalt/cell_ray.h"
#include "kalt/fmath.h"

namespace condemo {

namespace {

// Foreground colours: five groups (yellow, green, cyan, blue, magenta) of
// three levels (dark, bright, white).
constexpr std::uint16_t kForeground[15] = {6, 14, 15, 2, 10, 15, 3, 11, 15, 1, 9, 15, 5, 13, 15};
// Background colours added by a hit after a bounce: the same five groups,
// dark and bright.
constexpr std::uint16_t kReflection[10] = {0x60, 0xE0, 0x20, 0xA0, 0x30, 0xB0, 0x10, 0x90, 0x50, 0xD0};
// Light, medium and dark shade, full block.
constexpr std::uint16_t kShadeChars[4] = {176, 177, 178, 219};
constexpr std::uint16_t kPatternDot = 8, kPatternSquare = 254;
// The ring pattern's units across the view's half-width: 20, half a unit a
// cell on the 80 x 50 grid.
constexpr float kRingHalfWidth = 20.0f;

}  // namespace

ShadePlan PrepareShade(const FrameState& frame, GridSize grid, std::uint16_t patternAttr) {
  const SceneParams& scene = frame.scene;
  ShadePlan plan{};
  plan.scene = scene;
  plan.framing = kalt::FramingOf(grid);
  plan.t = static_cast<float>(frame.sceneTime);
  plan.beatCount = frame.pulse.beatCount;
  plan.frameNumber = frame.frameNumber;
  plan.turnX = RotationOf(scene.camAngleX);
  plan.turnY = RotationOf(scene.camAngleY);
  plan.turnZ = RotationOf(scene.camAngleZ);
  plan.light = CameraTurn(plan, {-0.5f, -0.7f, -1.0f});
  plan.ringX = scene.camPos.x * 10.0f;
  plan.ringY = scene.camPos.y * 10.0f;
  plan.ringShift = 55.0f * plan.t;
  plan.patternAttr = patternAttr;
  return plan;
}

Vec3 CameraTurn(const ShadePlan& plan, Vec3 v) {
  Pair<float> r = Rot(v.y, v.z, plan.turnX);
  v.y = r.u, v.z = r.v;
  r = Rot(v.x, v.z, plan.turnY);
  v.x = r.u, v.z = r.v;
  r = Rot(v.x, v.y, plan.turnZ);
  v.x = r.u, v.y = r.v;
  return v;
}

Vec3 CellDirection(const ShadePlan& plan, int column, int row) {
  return CameraTurn(plan, kalt::ScreenPlaneRay(plan.framing, column, row));
}

Cell BackgroundCell(const ShadePlan& plan, int column, int row) {
  // Rings around the point below the camera, moving outward at 55 units a
  // second in bands 5 units wide, their edges frayed by the noise. The
  // cell's place in units: its half-cell offset from the centre times
  // 20 / spanX, on 80 x 50 exactly half its offset in cells (the same
  // number, rounded once).
  const kalt::ScreenFraming& framing = plan.framing;
  const float px = plan.ringX + kRingHalfWidth * static_cast<float>(2 * column - framing.grid.columns) / framing.spanX;
  const float py = plan.ringY + kRingHalfWidth * static_cast<float>(2 * row - framing.grid.rows) / framing.spanX;
  const float r = kalt::Sqrt(px * px + py * py);
  Rand15 noise{CellSeed(plan.frameNumber, row * framing.grid.columns + column)};
  const float n = static_cast<float>(noise.Next());
  const int k = kalt::TruncInt(std::fabs(r - plan.ringShift + 0.00015f * n)) % 10;
  return {k > 4 ? kPatternSquare : kPatternDot, plan.patternAttr};
}

MarchState StartMarch(const ShadePlan& plan, int column, int row) {
  MarchState m{};
  m.cell = BackgroundCell(plan, column, row);
  m.p = plan.scene.camPos;
  m.dir = CellDirection(plan, column, row);
  m.travel = -1.0f;
  return m;
}

HitLight LightHit(const ShadePlan& plan, const Hit& hit) {
  // 1. The normal, left as it is when the samples are all 0.
  const float length = kalt::Length(hit.samples);
  const Vec3 normal = length == 0.0f ? hit.samples : hit.samples / length;
  // 2. Diffuse light, and the glint along the bent direction.
  const Vec3 d = hit.direction;
  const float diffuse = std::min(std::fabs(kalt::Dot(normal, plan.light)), 1.0f);
  const float x = 2.0f * kalt::Dot(normal, d);
  const Vec3 bent{normal.x * (d.x - x), normal.y * (d.y - x), normal.z * (d.z - x)};
  const float glint = std::max(kalt::Dot(bent, plan.light), 0.0f);
  // 3. The fog.
  return {diffuse, glint, hit.travel / plan.scene.maxTravel, bent};
}

Cell SurfaceCell(const HitLight& light, long long colour) {
  const int shade = std::clamp(Level(3.5f * light.diffuse * (1.0f - light.fog), 3), 0, 3);
  return {kShadeChars[shade], kForeground[Residue(colour, 15)]};
}

void AddReflection(const HitLight& light, long long material, Cell& cell) {
  const int level = Level(2.0f * light.diffuse * (1.0f - 0.7f * light.fog), 1);
  cell.attr = static_cast<std::uint16_t>(cell.attr + kReflection[Residue(level + 2 * material, 10)]);
}

}  // namespace condemo
