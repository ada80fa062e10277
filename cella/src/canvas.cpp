// Canvas: a rectangle of cells that owns its memory.
#include <cstddef>
#include <cstdint>
#include <new>

#include "cella/cella.h"

namespace cella {

namespace {

// Canvases are limited to what a 32-bit byte count can describe; a larger
// request fails the way a failed allocation does.
std::size_t CellCount(int width, int height) {
  const std::uint64_t cells = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  if (cells * sizeof(Pixel) > UINT32_MAX) throw std::bad_alloc();
  return static_cast<std::size_t>(cells);
}

}  // namespace

Canvas::Canvas(int width, int height)
    : data(nullptr), width(width > 0 ? width : 0), height(height > 0 ? height : 0), blendMode(Normal) {
  const std::size_t cells = CellCount(this->width, this->height);
  data = new Pixel[cells];
  for (std::size_t i = 0; i < cells; ++i) data[i] = DefaultPixel;
}

Canvas::~Canvas() { delete[] data; }

}  // namespace cella
