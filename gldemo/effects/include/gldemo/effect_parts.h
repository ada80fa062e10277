// gldemo/effect_parts.h - the per-frame values and per-cell computations
// behind the effects of gldemo/effects.h, for tests and tools that check one
// cell's numbers. The effects themselves are these pieces run over every
// cell; the timeline needs only gldemo/effects.h.
//
// All arithmetic is single precision unless a comment says otherwise; sine,
// cosine and power go through double (kalt/fmath.h). None of these functions
// fails: inputs that are not numbers give values that are not numbers.
#pragma once

#include "kalt/vec3.h"

namespace gldemo {

// ---------------------------------------------------------------------------
// SphereGrid

// The cell wrap of the sphere grid: fmod(x + 128, 2) - 1, in [-1, 1) for x
// above -128. It shifts by one unit modulo 2, so wrapping twice moves a
// point to the neighbouring cell's frame.
float SphereGridWrap(float x);

// Per-frame view: the turn about the view axis and the camera's start.
struct SphereGridView {
  float sinTurn;
  float cosTurn;
  kalt::Vec3 start;
};
SphereGridView SphereGridSetup(float time);

// One cell's ray after its 30 whole-unit march steps.
struct SphereGridRay {
  kalt::Vec3 end;  // the position after the last step
  float distance;  // distance of the end from the centre it is measured against
  bool hit;        // distance below 1.5
  float value;     // the shade of a hit (not a number where the normal vanishes)
};
SphereGridRay SphereGridTrace(const SphereGridView& view, int column, int row);

// ---------------------------------------------------------------------------
// TwinGlow

// Per-frame scene: the two points, their strengths and the brightness gain.
struct TwinGlowScene {
  kalt::Vec3 point1, point2;
  float pulse1, pulse2;  // GlowPulse(20, 49.8, time), GlowPulse(30, 39.8, time)
  float gain;            // 9 * glowGain + 1
};
TwinGlowScene TwinGlowSetup(float time, float glowGain);

// The glow one cell's ray gathers, at most 25 steps, capped at 1.1.
float TwinGlowGather(const TwinGlowScene& scene, int column, int row);

// ---------------------------------------------------------------------------
// FoldedBlocks

// The distance of the folded plates at p, with the shape function
// g(h) = (1 - shapeBlend) h + shapeBlend h^2 applied to each plate; never
// below -4000.
float FoldedBlocksDistance(kalt::Vec3 p, float shapeBlend);

// Per-frame view: the unit light direction and the ray parameters.
struct FoldedBlocksView {
  kalt::Vec3 light;
  float focal;
  float shapeBlend;
};
FoldedBlocksView FoldedBlocksSetup(float time, int focal, float shapeBlend);

// The scene's rotation for one row (it twists from row to row).
struct FoldedBlocksTurn {
  float cosA, sinA;  // about y
  float cosB, sinB;  // about x
};
FoldedBlocksTurn FoldedBlocksRowTurn(float time, int row);

// One cell's march.
struct FoldedBlocksRay {
  float distance;  // the last distance evaluated
  int steps;       // advances made, 0..25
  bool hit;        // distance below 0.1
  float value;     // the shade (not a number for a hit without a normal)
};
FoldedBlocksRay FoldedBlocksTrace(const FoldedBlocksView& view, const FoldedBlocksTurn& turn, int column,
                                  int row);

// ---------------------------------------------------------------------------
// SphereCluster

// Per-frame scene.
struct SphereClusterScene {
  kalt::Vec3 centres[4];  // the spheres (radius 0.9)
  kalt::Vec3 light;
  float glow;       // the light's strength, GlowPulse(20, 49.8, time)
  float ringPhase;  // scroll of the ring tube
  kalt::Vec3 camera;
  float focal;
};
SphereClusterScene SphereClusterSetup(float time, float cameraShiftX, float cameraShiftZ, float zoom);

// The distance to the nearest sphere.
float ClusterDistance(const SphereClusterScene& scene, kalt::Vec3 p);
// The distance to the scrolling rings of the tube about the y axis (radius
// 7.8 to 8), which only decides where spheres are shaded.
float RingTubeDistance(const SphereClusterScene& scene, kalt::Vec3 p);
// One cell's shade value.
float SphereClusterValue(const SphereClusterScene& scene, int column, int row);

// ---------------------------------------------------------------------------
// Lattices

// Square bars 1 unit thick along all three axes, their axes where two
// coordinates are 4 more than a multiple of 8.
float BarLatticeDistance(kalt::Vec3 p);
// Tricylinders of radius 2 centred where all three coordinates are 4 more
// than a multiple of 8.
float TricylinderDistance(kalt::Vec3 p);
// The slab -4 < z < 64 less spherical cavities of radius 4.45 every 8 units
// and of radius 2 every 3 units.
float CavitySlabDistance(kalt::Vec3 p);

}  // namespace gldemo
