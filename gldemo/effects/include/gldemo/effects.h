// gldemo/effects.h - the effects and passes that gldemo's scene timeline
// composes.
//
// Every effect has the same shape: the target canvas, where its cells come
// from (a gradient pack, or one gradient), the effect's animation time, then
// its own parameters. An effect computes its per-frame values once, then
// shades its rows on EffectThreads() threads (rows handed out one at a time
// as each thread becomes free) and returns when every row is done. Each cell
// is written by one thread only and depends on nothing but the inputs, so
// the picture is the same for any number of threads. Nothing is allocated
// per cell.
//
// The threads come from the backend chosen when the project is configured
// (CMake's KALT_EFFECT_THREADS): "openmp", OpenMP's team (the default but
// in a WebAssembly build; OMP_WAIT_POLICY and the other OpenMP settings
// apply), or "pool", a kalt::WorkerPool over std::thread that each calling
// thread keeps (workers stay awake about a millisecond after a frame's rows,
// then sleep). The pool needs no OpenMP; where threads cannot be started
// (a WebAssembly build without threads, for one) it draws the rows on the
// calling thread.
//
// The passes (ShadeFlash, NoiseRows, RowTear) work over a finished canvas on
// the calling thread.
//
// Space: x grows with the column, y with the row (downwards), z away from
// the viewer. A cell's ray leaves the camera through (column - 40,
// row - 25, focal distance): the view centre is column 40, row 25 on any
// canvas.
//
// Bad input, for every function here: a null canvas, a canvas without
// cells, or (for the effects that draw a fixed 80 by 50 picture) a canvas
// smaller than 80 by 50 is left alone. A null pack, a gradient index that
// the pack does not hold, or a gradient without cells draws nothing either.
// A shade value that is not a number takes the gradient's first entry; one
// beyond the int range takes the nearer end (cella::GradientIndex). Any time
// and parameter values are safe: odd ones give odd pictures, never undefined
// behaviour.
#pragma once

#include <cstdint>

#include "cella/cella.h"

namespace gldemo {

// The picture size of the fixed-size effects; their view centre is
// (40, 25).
constexpr int kPictureWidth = 80;
constexpr int kPictureHeight = 50;

// `gradient` when it has cells to look up, else null.
inline const cella::Gradient* UsableGradient(const cella::Gradient* gradient) {
  return gradient && gradient->count > 0 && gradient->pixels ? gradient : nullptr;
}

// Gradient `index` of the pack, or null when the pack does not hold it or it
// has no cells to look up.
inline const cella::Gradient* PackGradient(const cella::GradientPack* pack, int index) {
  if (!pack || !pack->gradients || index < 0 || index >= pack->count) return nullptr;
  return UsableGradient(&pack->gradients[index]);
}

// ---------------------------------------------------------------------------
// Threads

// Sets how many threads draw the effects called from this thread; counts
// below 1 count as 1. Like omp_set_num_threads (which it is, on the OpenMP
// backend), it holds for the calling thread only.
void SetEffectThreads(int count);

// How many threads draw the effects called from this thread: the count
// last set, else the first number of OMP_NUM_THREADS when it is above 0,
// else one per hardware thread.
int EffectThreads();

// ---------------------------------------------------------------------------
// Effects

// An endless flat grid of spheres seen face-on through a fish-eye lens while
// the camera drifts over it, bobs and turns. Cells whose ray ends on a
// sphere take `gradient`'s entry for their shade, all others {0, 8, 8}.
// Draws every cell of a canvas of any size (the view stays centred on
// column 40, row 25).
void SphereGrid(cella::Canvas* canvas, const cella::Gradient* gradient, float time);

// Two glowing points in empty space, one circling the view centre, one
// flying in from afar into a wider loop. The glow along each ray, scaled by
// 9 * glowGain + 1, folded back above 1.2 and lowered by checkerDither on
// the odd cells of a checkerboard, is shaded through gradient `gradient` of
// the pack. Draws the 80 by 50 picture. For a time of -1 or -0.5 the
// formulas divide by zero; the picture is then whatever the resulting
// infinities give.
void TwinGlow(cella::Canvas* canvas, const cella::GradientPack* pack, float time, int gradient,
              float glowGain, float checkerDither);

// Thick tilted plates mirrored into the eight octants, tumbling with a twist
// that grows down the rows, lit by a wandering light, with silhouettes that
// glow by the march steps each ray needed. `focal` is the ray's z before
// normalising (larger narrows the view); `shapeBlend` f bends every plate
// distance h to (1 - f) h + f h^2. Always shades through gradient 33 of the
// pack. Draws the 80 by 50 picture.
void FoldedBlocks(cella::Canvas* canvas, const cella::GradientPack* pack, float time, int focal,
                  float shapeBlend);

// Four spheres on the corners of a tumbling tetrahedron, lit and reflected,
// under a wandering glowing light. The camera stands at
// (cameraShiftX, 0, cameraShiftZ - 4) with a focal distance of
// (zoom + 1) * 40 cells. Always shades through gradient 16 of the pack.
// Draws every cell of a canvas of any size.
void SphereCluster(cella::Canvas* canvas, const cella::GradientPack* pack, float time, float cameraShiftX,
                   float cameraShiftZ, float zoom);

// The three lattices share one march: two flickering point lights circle in
// front of the camera, every ray gathers their glow and, where it ends on a
// surface, surfaceGain times its diffuse light. The glow is scaled by
// 9 * glowGain + 1 and folded back above 1.2. Each draws the 80 by 50
// picture.

// An endless lattice of square bars along all three axes, scrolling along
// x; gradient `gradient` of the pack.
void BarLattice(cella::Canvas* canvas, const cella::GradientPack* pack, float time, int gradient,
                float surfaceGain, float glowGain);

// An endless lattice of tricylinders (the common part of three crossed
// cylinders), scrolling along x; always gradient 16 of the pack.
void TricylinderLattice(cella::Canvas* canvas, const cella::GradientPack* pack, float time,
                        float surfaceGain, float glowGain);

// A thick slab hollowed by a coarse and a fine lattice of spherical
// cavities, scrolling along x and bobbing along y; gradient `gradient` of
// the pack.
void CavitySlab(cella::Canvas* canvas, const cella::GradientPack* pack, float time, int gradient,
                float surfaceGain, float glowGain);

// The flickering strength of a glowing point:
// (sin(a * time) + sin(b * time)) * 0.01 + 0.1 + 0.01, between 0.09 and 0.13.
float GlowPulse(float a, float b, float time);

// ---------------------------------------------------------------------------
// Passes over a finished canvas

// Lays colour `colour` over the canvas with the shade characters in an
// ordered 2 by 2 dither: strength 1 turns every cell into a full block of
// the colour, 0.25 one cell of each block, about 0.061 or less (and
// negative or not-a-number strengths) nothing. Each cell is combined with
// its dither cell under the Normal blend rule. A colour outside 0..15
// changes nothing.
void ShadeFlash(cella::Canvas* canvas, int colour, float strength);

// Signal noise: every row whose draw from the row generator (seeded with
// `seed`) is below `threshold` (0..256 picks none..all) is filled with
// random characters in grey-scale colours. Deterministic for a seed.
void NoiseRows(cella::Canvas* canvas, std::uint32_t seed, int threshold);

// Tearing: rows picked as in NoiseRows are shifted sideways by a random
// amount of up to about `amplitude` / 2 cells either way (consecutive picked
// rows by the same amount), the cells shifted in from outside black
// {0, 0, 0}. A shift of the row's width or more empties the row.
// Deterministic for a seed.
void RowTear(cella::Canvas* canvas, std::uint32_t seed, int threshold, int amplitude);

}  // namespace gldemo
