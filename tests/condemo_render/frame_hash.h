// A hash of a rendered grid for golden-frame tests: 64-bit FNV-1a over every
// cell's character and attribute words, little-endian, row by row.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "condemo/frame_state.h"

namespace condemo {

inline std::string GridHash(const CellGrid& grid) {
  std::uint64_t hash = 0xCBF29CE484222325u;
  const auto add = [&hash](std::uint16_t word) {
    for (const int shift : {0, 8}) {
      hash ^= (word >> shift) & 0xFFu;
      hash *= 0x100000001B3u;
    }
  };
  for (const Cell& cell : grid.cells) {
    add(cell.ch);
    add(cell.attr);
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

}  // namespace condemo
