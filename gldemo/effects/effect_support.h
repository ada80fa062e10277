// Helpers shared by the effects: the checks every effect makes before it
// draws, the checkerboard and the row loop (row_loop.h); and the lane kit that the
// vector paths are written with (kalt/lanes.h, kalt/lane_math.h).
#pragma once

#include "cella/cella.h"
#include "gldemo/effects.h"
#include "kalt/cell_ray.h"
#include "kalt/lane_math.h"
#include "kalt/lanes.h"
#include "kalt/vec3.h"
#include "row_loop.h"

namespace gldemo::detail {

using namespace kalt::lanes;

// Whether the canvas can take the fixed 80 by 50 picture.
inline bool HoldsPicture(const cella::Canvas* canvas) {
  return canvas && canvas->data && canvas->width >= kPictureWidth && canvas->height >= kPictureHeight;
}

// The odd cells of the checkerboard: exactly one of column and row odd.
inline int Checker(int column, int row) { return (column ^ row) & 1; }

}  // namespace gldemo::detail
