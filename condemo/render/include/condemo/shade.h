// condemo/shade.h - the cell shader: a ring pattern as the background, then
// a ray marched from the camera through the cell into a scene field, a hit
// shaded into one of four shade characters and a colour, and with one bounce
// allowed a second hit along a bent ray adding a background colour. The
// colours are the scene's look (condemo/scene_look.h), taken from the scene
// struct that the templates below are given.
#pragma once

#include <cstdint>

#include "condemo/frame_state.h"
#include "condemo/scene_look.h"
#include "condemo/toolbox.h"
#include "kalt/cell_ray.h"

namespace condemo {

// The values of the shader that depend only on the frame and the grid,
// computed once.
struct ShadePlan {
  SceneParams scene;
  kalt::ScreenFraming framing;  // the grid and how the view lies on it
  float t;  // sceneTime in single precision
  std::int32_t beatCount;
  std::uint32_t frameNumber;
  Rotation<float> turnX, turnY, turnZ;  // the camera angles
  Vec3 light;                    // (-0.5, -0.7, -1) turned like the camera
  float ringX, ringY;            // 10 camPos.x, 10 camPos.y
  float ringShift;               // 55 t
  std::uint16_t patternAttr;     // the colour of the background pattern
};

// The plan of a frame on a grid of the given size whose background pattern
// has the attribute patternAttr.
ShadePlan PrepareShade(const FrameState& frame, GridSize grid, std::uint16_t patternAttr);

// The plan of a frame in the look of Scene (on the 80 x 50 grid unless
// given).
template <class Scene>
ShadePlan PrepareShade(const FrameState& frame, GridSize grid = {}) {
  return PrepareShade(frame, grid, Scene::PatternAttr(frame.pulse.beatCount));
}

// Turns v like the camera: (y, z) by the X angle, then (x, z) by the Y angle,
// then (x, y) by the Z angle.
Vec3 CameraTurn(const ShadePlan& plan, Vec3 v);

// The direction of the ray through a cell (kalt::ScreenPlaneRay): on the
// 80 x 50 grid (u', v', 1) with u' = (column - 40) / 40 and v' = (row - 25)
// / 25, turned like the camera and not normalised.
Vec3 CellDirection(const ShadePlan& plan, int column, int row);

// The moving ring pattern that a cell shows when its ray hits nothing:
// character 254 or 8, in the plan's pattern colour. Draws the cell's one
// pseudo-random number, seeded by the frame and the cell's index in the
// grid. The rings lie on the view as on the 80 x 50 grid, where a cell is
// half a unit of the pattern: on other grids a cell is 40 / spanX units.
Cell BackgroundCell(const ShadePlan& plan, int column, int row);

// The light at a hit: the normal from the samples, the diffuse term, the
// glint, the fog and the bent direction.
HitLight LightHit(const ShadePlan& plan, const Hit& hit);

// A first hit: the shade character min(trunc(3.5 W (1 - q)), 3), in the
// foreground of the colour index taken mod 15.
Cell SurfaceCell(const HitLight& light, long long colour);

// A hit after a bounce adds to the attribute the reflection background of
// the group material mod 5, at the level min(trunc(2 W (1 - 0.7 q)), 1).
void AddReflection(const HitLight& light, long long material, Cell& cell);

// Shades a hit into the cell in the look of Scene: on the first hit (bounce
// 0) the shade character and the foreground colour replace the cell; on a
// later hit a background colour is added to the attribute. Returns the bent
// direction N * (D - 2 N.D), component-wise, along which the march goes on
// if another bounce is allowed. A non-finite fog ratio (maxTravel 0) makes
// every level taken from it 0; colour indices are reduced to their
// non-negative residues and the shade level to 0..3, so no input indexes
// outside the tables.
template <class Scene>
Vec3 ShadeHit(const ShadePlan& plan, const Hit& hit, int bounce, Cell& cell) {
  const HitLight light = LightHit(plan, hit);
  const long long material = Scene::Material(hit, plan.beatCount);
  if (bounce == 0)
    cell = SurfaceCell(light, Scene::SurfaceColour(light, hit, material));
  else
    AddReflection(light, material, cell);
  return light.bent;
}

// The rules of the march, shared by the one-ray march below and the lane
// march of the renderer, which takes the same steps for many cells at once.

// The hit found by a step that measured the distance d and moved the ray
// along dir to `moved` (by stepScale d): at the point the full step d leads
// to.
inline Hit HitAfterStep(const SceneParams& scene, Vec3 moved, float d, Vec3 dir, float travel) {
  return {moved + ((1.0f - scene.stepScale) * d) * dir, {}, dir, travel, 0};
}

// The normal at a hit comes from kNormalProbes samples of the field: sample
// k (0, 1, 2) at the hit point moved 0.001 along x, y or z, kept as that
// component of hit.samples. Any other k counts as 2.
inline constexpr int kNormalProbes = 3;
inline Vec3 NormalProbe(const Hit& hit, int k) {
  return hit.point + Vec3{k == 0 ? 0.001f : 0.0f, k == 1 ? 0.001f : 0.0f, k != 0 && k != 1 ? 0.001f : 0.0f};
}
inline void SetNormalSample(Hit& hit, int k, float d) {
  (k == 0 ? hit.samples.x : k == 1 ? hit.samples.y : hit.samples.z) = d;
}

// Where the march goes on after a hit whose light bends the ray to `bent`:
// from the hit point moved 2 hitEpsilon along it.
inline Vec3 BounceStart(const SceneParams& scene, const Hit& hit, Vec3 bent) {
  return hit.point + (2.0f * scene.hitEpsilon) * bent;
}

// Whether a march ends after a step that brought its travel to `travel` and
// its step count, bounces included, to `steps`: when travel reaches
// maxTravel (at once when maxTravel is 0 or less), or after kLastMarchStep
// + 1 steps. For one march (a bool) or for lanes (a mask).
template <class T, class I>
MaskOf<T> MarchEnds(const SceneParams& scene, T travel, I steps) {
  using M = MaskOf<T>;
  const M travelLeft = scene.maxTravel > 0.0f ? M(travel < scene.maxTravel) : M{};
  return Not(travelLeft) | M(steps > kLastMarchStep);
}

// Whether a march ends after the step that hit, the hit counted in
// `bounces`: when no bounce is left, or as after any step.
inline bool EndsAfterHit(const SceneParams& scene, int bounces, float travel, int steps) {
  return bounces > scene.maxBounce || MarchEnds(scene, travel, steps);
}

// A cell's march between two steps.
struct MarchState {
  Cell cell;     // the background pattern until a hit shades it
  Vec3 p, dir;   // where the ray is and where it goes
  float travel;  // the march distance so far, starting at -1
  int step;      // steps taken, bounces included
  int bounce;    // hits so far
  int tag;       // materialTag as the field last left it
  bool done;
};

// Paints the cell's background and sets its ray off from the camera.
MarchState StartMarch(const ShadePlan& plan, int column, int row);

// Shades the hit found by a step whose distance estimate was d, with the
// normal from the field's samples around it, counts the bounce and bends
// the ray.
template <class Scene>
void HitStep(const ShadePlan& plan, const Scene& field, float d, MarchState& m) {
  Hit hit = HitAfterStep(plan.scene, m.p, d, m.dir, m.travel);
  for (int k = 0; k < kNormalProbes; ++k) SetNormalSample(hit, k, field.Distance(NormalProbe(hit, k), m.tag));
  hit.fieldTag = m.tag;
  m.dir = ShadeHit<Scene>(plan, hit, m.bounce++, m.cell);
  m.p = BounceStart(plan.scene, hit, m.dir);
}

// One step of the march after the field has given its distance d at m.p:
// advance, shade a hit, and decide whether the march goes on (MarchEnds,
// EndsAfterHit).
template <class Scene>
void StepBy(const ShadePlan& plan, const Scene& field, float d, MarchState& m) {
  const SceneParams& scene = plan.scene;
  const float advance = scene.stepScale * d;
  m.p = m.p + advance * m.dir;
  m.travel = m.travel + advance;
  ++m.step;
  if (d < scene.hitEpsilon) {
    HitStep(plan, field, d, m);
    m.done = EndsAfterHit(scene, m.bounce, m.travel, m.step);
  } else {
    m.done = MarchEnds(scene, m.travel, m.step);
  }
}

// One step of the march. The field is given as a scene object whose
// `Distance(Vec3 p, int& materialTag) const` is the distance estimate
// (positive outside) and may set the tag, and whose type carries the look.
template <class Scene>
void MarchStep(const ShadePlan& plan, const Scene& field, MarchState& m) {
  StepBy(plan, field, field.Distance(m.p, m.tag), m);
}

// One cell of the frame.
template <class Scene>
Cell ShadeCellWith(const ShadePlan& plan, const Scene& field, int column, int row) {
  MarchState m = StartMarch(plan, column, row);
  while (!m.done) MarchStep(plan, field, m);
  return m.cell;
}

}  // namespace condemo
