// condemo/render.h - rendering frames: the scenes by sceneId, one cell, one
// band of columns, and a whole frame split over worker threads.
//
// A sceneId outside 0..8 (a SceneId made from another number) makes these
// functions throw std::out_of_range.
#pragma once

#include "condemo/frame_state.h"

namespace condemo {

// A short name of the scene's field ("carved sphere lattice").
const char* SceneName(SceneId sceneId);

// The distance from p to the surface of the frame's scene: positive outside,
// negative inside. The folded blob and the spiky ball in a sphere set
// materialTag (0 or 2); the others leave it as it was. Prepares the scene's
// per-frame values on every call: for tests and tools, not for marching.
float SceneDistance(const FrameState& frame, Vec3 p, int& materialTag);

// The cell in the given column (0..79) and row (0..49).
Cell ShadeCell(const FrameState& frame, int column, int row);

// Renders every row, and in each row the columns first up to but not
// including end (clamped to 0..80), into grid.
void RenderBand(const FrameState& frame, int first, int end, CellGrid& grid);

// The columns [first, end) of worker h of n: w = 80 div n columns each,
// the last worker's band ending at column 80. With more than 80 workers all
// bands but the last are empty.
struct Band {
  int first, end;
};
Band BandOf(int worker, int workerCount);

// Renders all 4000 cells. With fewer than 2 workers the calling thread
// renders; otherwise one thread per band is started, in order, and all are
// joined, in order, before the function returns. Threads live for the one
// call. A thread that cannot be started ends the program (std::terminate).
// The grid comes out the same whatever the worker count.
void RenderFrame(const FrameState& frame, int workerCount, CellGrid& grid);

}  // namespace condemo
