// The pictures of a capture: the cells drawn with the font atlas exactly as
// gldemo's window draws them (8 x 8 pixels a cell, 640 x 400 for the 80 x
// 50 screen), then enlarged by nearest neighbour.
#pragma once

#include <cstdint>
#include <vector>

#include "gldisplay/cells.h"
#include "kalt/grid_size.h"
#include "shows.h"

namespace capture {

class Picture {
 public:
  // Loads the font atlas from the show's path (../data/font.tga, found as
  // kalt::ShowFile finds it). Throws
  // CaptureError when it cannot be read or lacks glyphs. scale is 1..4;
  // the pictures are of grids of the given size.
  Picture(int scale, kalt::GridSize grid);

  int width() const { return scaled_.width; }
  int height() const { return scaled_.height; }

  // The pixels of the cells: width() x height() words, row-major, each
  // red | green << 8 | blue << 16 (bytes R, G, B, 0), every cell pixel a
  // scale x scale square.
  // A frame of another size than the picture's draws nothing.
  const std::vector<std::uint32_t>& Draw(kalt::CellView cells);

 private:
  int scale_;
  kalt::GridSize grid_;
  gldisplay::FontImage font_;
  gldisplay::Surface pixels_;
  gldisplay::Surface scaled_;
};

}  // namespace capture
