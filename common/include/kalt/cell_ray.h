// kalt/cell_ray.h - the ray through a cell of the picture, as each demo
// forms it. Both look through the picture's centre, column 40, row 25 of the
// 80 x 50 console, but they round differently, so each keeps its own
// formula. condemo's rays also serve pictures of other sizes.
#pragma once

#include "kalt/grid_size.h"
#include "kalt/vec3.h"

namespace kalt {

// How condemo's view lies on a grid of cells: the 80 x 50 view, whose
// screen plane spans -1..1 across and down, keeps its proportions (a cell
// is 1/40 of the half-width across and 1/25 of the half-height down, a
// ratio of 8 to 5) and fills the grid in one direction; in the other the
// grid shows more of the scene. spanX and spanY are the grid's extent in
// half-cells per unit of the screen plane: a cell's offset from the grid's
// centre in half-cells, 2 column - columns, divided by spanX is its x on
// the plane. Counted in half-cells, the offsets are whole numbers on a grid
// of any size, odd or even.
struct ScreenFraming {
  GridSize grid;
  float spanX = 80.0f;
  float spanY = 50.0f;
};

// The framing of a grid: spanX = columns and spanY = 5 columns / 8 where
// the grid is at most 8 to 5 wide (it shows more height), else spanY = rows
// and spanX = 8 rows / 5 (it shows more width). At 80 x 50 the spans are 80
// and 50.
inline ScreenFraming FramingOf(GridSize grid) {
  if (5 * grid.columns <= 8 * grid.rows)
    return {grid, static_cast<float>(grid.columns), static_cast<float>(5 * grid.columns) / 8.0f};
  return {grid, static_cast<float>(8 * grid.rows) / 5.0f, static_cast<float>(grid.rows)};
}

// condemo's ray: the point of the screen plane z = 1 that the cell covers,
// ((2 column - columns) / spanX, (2 row - rows) / spanY, 1), not normalised
// (its length grows toward the corners). The differences are taken in int,
// each divided as a float. On the 80 x 50 grid this is ((column - 40) /
// 40, (row - 25) / 25, 1), to the bit: both quotients are the same number,
// rounded once.
inline Vec3 ScreenPlaneRay(const ScreenFraming& framing, int column, int row) {
  return {static_cast<float>(2 * column - framing.grid.columns) / framing.spanX,
          static_cast<float>(2 * row - framing.grid.rows) / framing.spanY, 1.0f};
}

// gldemo's ray: the unit direction (column - 40, row - 25, focal) divided by
// its length, the differences taken in float; focal is the distance of the
// screen in cells (larger values narrow the view).
inline Vec3 FocalRay(int column, int row, float focal) {
  const Vec3 ray{static_cast<float>(column) - 40.0f, static_cast<float>(row) - 25.0f, focal};
  return ray / Length(ray);
}

}  // namespace kalt
