// condemo/render.h - rendering frames: the scenes by sceneId, one cell, one
// band of columns, and a whole frame spread over worker threads.
//
// A sceneId outside 0..8 (a SceneId made from another number) makes these
// functions throw std::out_of_range.
#pragma once

#include "condemo/frame_state.h"
#include "kalt/worker_pool.h"

namespace condemo {

// A short name of the scene's field ("carved sphere lattice").
const char* SceneName(SceneId sceneId);

// The distance from p to the surface of the frame's scene: positive outside,
// negative inside. The folded blob and the spiky ball in a sphere set
// materialTag (0 or 2); the others leave it as it was. Prepares the scene's
// per-frame values on every call: for tests and tools, not for marching.
float SceneDistance(const FrameState& frame, Vec3 p, int& materialTag);

// The cell in the given column (0..columns - 1) and row (0..rows - 1) of a
// grid of the given size (the console's 80 x 50 unless given). The view
// keeps its proportions on any grid (kalt::FramingOf): the 80 x 50 view
// fills the grid across or down, and the grid shows more of the scene in
// the other direction; on 80 x 50 the cells are the console's.
Cell ShadeCell(const FrameState& frame, int column, int row, GridSize grid = {});

// Renders every row, and in each row the columns first up to but not
// including end (clamped to 0..columns), into grid, on the calling thread.
void RenderBand(const FrameState& frame, int first, int end, CellGrid& grid);

// Renders every cell of the grid, whatever its size, on the pool's
// workers, the calling thread among them. The workers take the cells in
// small tiles from a shared queue, so that they finish together however
// the work lies in the picture; the lanes the cells are marched in are
// those of kalt::ActiveLanePath(). The grid comes out the same whatever
// the worker count and the lanes.
void RenderFrame(const FrameState& frame, kalt::WorkerPool& pool, CellGrid& grid);

// The same on a pool of workerCount workers started for this one call (for
// tools and tests; the show keeps one pool). A thread that cannot be
// started throws std::system_error.
void RenderFrame(const FrameState& frame, int workerCount, CellGrid& grid);

}  // namespace condemo
