// Helpers shared by the effects: the checks every effect makes before it
// draws, the checkerboard and the ray of a cell.
#pragma once

#include "cella/cella.h"
#include "gldemo/effects.h"
#include "kalt/vec3.h"

namespace gldemo::detail {

// Whether the canvas can take the fixed 80 by 50 picture.
inline bool HoldsPicture(const cella::Canvas* canvas) {
  return canvas && canvas->data && canvas->width >= kPictureWidth && canvas->height >= kPictureHeight;
}

// The odd cells of the checkerboard: exactly one of column and row odd.
inline int Checker(int column, int row) { return (column ^ row) & 1; }

// The unit direction of the ray through a cell, for a focal distance in
// cells: (column - 40, row - 25, focal) divided by its length.
inline kalt::Vec3 CellRay(int column, int row, float focal) {
  const kalt::Vec3 ray{static_cast<float>(column) - 40.0f, static_cast<float>(row) - 25.0f, focal};
  return ray / kalt::Length(ray);
}

}  // namespace gldemo::detail
