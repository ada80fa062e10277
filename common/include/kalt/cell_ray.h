// kalt/cell_ray.h - the ray through a cell of the 80 x 50 picture, as each
// demo forms it. Both look through the picture's centre, column 40, row 25,
// but they round differently, so each keeps its own formula.
#pragma once

#include "kalt/vec3.h"

namespace kalt {

// condemo's ray: the point of the screen plane z = 1 that the cell covers,
// ((column - 40) / 40, (row - 25) / 25, 1), not normalised (its length grows
// toward the corners). The differences are taken in int, each divided as a
// float.
inline Vec3 ScreenPlaneRay(int column, int row) {
  return {static_cast<float>(column - 40) / 40.0f, static_cast<float>(row - 25) / 25.0f, 1.0f};
}

// gldemo's ray: the unit direction (column - 40, row - 25, focal) divided by
// its length, the differences taken in float; focal is the distance of the
// screen in cells (larger values narrow the view).
inline Vec3 FocalRay(int column, int row, float focal) {
  const Vec3 ray{static_cast<float>(column) - 40.0f, static_cast<float>(row) - 25.0f, focal};
  return ray / Length(ray);
}

}  // namespace kalt
