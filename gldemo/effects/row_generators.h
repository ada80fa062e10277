// The two generators of the glitch passes: one draws per row whether the row
// is picked, the other draws the contents of picked rows. Both are 32-bit
// linear congruential generators that wrap modulo 2^32.
#pragma once

#include <cstdint>

namespace gldemo::detail {

// Advanced once per row, picked or not; the row is picked when the low byte
// of the new value is below the threshold.
struct RowPicker {
  std::uint32_t x;
  bool Next(int threshold) {
    x = x * 494121u + 321151u;
    return static_cast<int>(x & 255u) < threshold;
  }
};

// Advanced only for the cells and shifts of picked rows; carries over from
// row to row.
struct CellGenerator {
  std::uint32_t s;
  std::uint32_t Next() {
    s = s * 25912341u + 123411u;
    return s;
  }
};

}  // namespace gldemo::detail
