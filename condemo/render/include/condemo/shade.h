// condemo/shade.h - the cell shader: a ring pattern as the background, then
// a ray marched from the camera through the cell into a scene field, a hit
// shaded into one of four shade characters and a colour, and with one bounce
// allowed a second hit along a bent ray adding a background colour.
#pragma once

#include <cstdint>

#include "condemo/frame_state.h"
#include "condemo/toolbox.h"

namespace condemo {

// The values of the shader that depend only on the frame, computed once.
struct ShadePlan {
  SceneParams scene;
  float t;  // sceneTime in single precision
  std::int32_t beatCount;
  std::uint32_t frameNumber;
  Rotation<float> turnX, turnY, turnZ;  // the camera angles
  Vec3 light;                    // (-0.5, -0.7, -1) turned like the camera
  float ringX, ringY;            // 10 camPos.x, 10 camPos.y
  float ringShift;               // 55 t
  std::uint16_t patternAttr;     // the colour of the background pattern
};

ShadePlan PrepareShade(const FrameState& frame);

// Turns v like the camera: (y, z) by the X angle, then (x, z) by the Y angle,
// then (x, y) by the Z angle.
Vec3 CameraTurn(const ShadePlan& plan, Vec3 v);

// The direction of the ray through a cell: (u', v', 1) with u' = (column -
// 40) / 40 and v' = (row - 25) / 25, turned like the camera and not
// normalised.
Vec3 CellDirection(const ShadePlan& plan, int column, int row);

// The moving ring pattern that a cell shows when its ray hits nothing:
// character 254 or 8, in the scene's pattern colour (black on black in the
// scenes 0, 1, 2 and 4). Draws the cell's one pseudo-random number.
Cell BackgroundCell(const ShadePlan& plan, int column, int row);

// A surface hit as the march found it.
struct Hit {
  Vec3 point;      // h: the full step from where the hit distance was measured
  Vec3 samples;    // the field at h + 0.001 along x, y and z, in that order
  Vec3 direction;  // the ray direction that hit
  float travel;    // the march distance so far
  int fieldTag;    // materialTag as the last of the samples left it
};

// Shades a hit into the cell: on the first hit (bounce 0) the shade character
// and the foreground colour replace the cell; on a later hit a background
// colour is added to the attribute. Returns the bent direction
// N * (D - 2 N.D), component-wise, along which the march goes on if another
// bounce is allowed. A non-finite fog ratio (maxTravel 0) makes every level
// taken from it 0; colour indices are reduced to their non-negative residues
// and the shade level to 0..3, so no input indexes outside the tables.
Vec3 ShadeHit(const ShadePlan& plan, const Hit& hit, int bounce, Cell& cell);

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
// normal from three samples of the field around it, and ends the march or
// bends the ray.
template <class Field>
void HitStep(const ShadePlan& plan, const Field& field, float d, MarchState& m) {
  const SceneParams& scene = plan.scene;
  Hit hit{m.p + ((1.0f - scene.stepScale) * d) * m.dir, {}, m.dir, m.travel, 0};
  hit.samples.x = field.Distance(hit.point + Vec3{0.001f, 0.0f, 0.0f}, m.tag);
  hit.samples.y = field.Distance(hit.point + Vec3{0.0f, 0.001f, 0.0f}, m.tag);
  hit.samples.z = field.Distance(hit.point + Vec3{0.0f, 0.0f, 0.001f}, m.tag);
  hit.fieldTag = m.tag;
  const Vec3 bent = ShadeHit(plan, hit, m.bounce, m.cell);
  if (++m.bounce > scene.maxBounce) {
    m.done = true;
    return;
  }
  // Go on along the bent ray, with the same step count and travel.
  m.dir = bent;
  m.p = hit.point + (2.0f * scene.hitEpsilon) * bent;
}

// One step of the march after the field has given its distance d at m.p:
// advance, shade a hit, and decide whether the march goes on. The march ends
// after a hit when no bounce is left, when travel reaches maxTravel (at once
// when maxTravel is 0 or less), or after kLastMarchStep + 1 steps.
template <class Field>
void StepBy(const ShadePlan& plan, const Field& field, float d, MarchState& m) {
  const SceneParams& scene = plan.scene;
  const float advance = scene.stepScale * d;
  m.p = m.p + advance * m.dir;
  m.travel = m.travel + advance;
  if (d < scene.hitEpsilon) {
    HitStep(plan, field, d, m);
    if (m.done) return;
  }
  m.done = !(m.travel < scene.maxTravel && scene.maxTravel > 0.0f) || ++m.step > kLastMarchStep;
}

// One step of the march. The field is given as an object whose
// `Distance(Vec3 p, int& materialTag) const` is the distance estimate
// (positive outside) and may set the tag.
template <class Field>
void MarchStep(const ShadePlan& plan, const Field& field, MarchState& m) {
  StepBy(plan, field, field.Distance(m.p, m.tag), m);
}

// One cell of the frame.
template <class Field>
Cell ShadeCellWith(const ShadePlan& plan, const Field& field, int column, int row) {
  MarchState m = StartMarch(plan, column, row);
  while (!m.done) MarchStep(plan, field, m);
  return m.cell;
}

}  // namespace condemo
