// kalt/cell.h - one console cell, as condemo renders it and the terminal
// shows it: the same 32-bit record all the way from the renderer to the
// screen, so no frame is converted on its way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kalt {

// One console cell: a 16-bit character slot (the code page 437 code in the
// low byte, high byte 0) followed by a 16-bit attribute word (low nibble
// ink, high nibble paper; in each nibble blue 1, green 2, red 4, intensity
// 8). Readers use only the low byte of each word.
struct Cell {
  std::uint16_t ch = 0;
  std::uint16_t attr = 0;

  bool operator==(const Cell&) const = default;
};
static_assert(sizeof(Cell) == 4);

// The console's size in cells, and a whole screen's cell count: screens are
// row-major (cell index = row * 80 + column).
inline constexpr int kConsoleColumns = 80;
inline constexpr int kConsoleRows = 50;
inline constexpr int kConsoleCells = kConsoleColumns * kConsoleRows;

// A frame of cells that someone else holds: columns x rows cells, row-major
// (cell index = row * columns + column). Readers take a view whose span
// holds fewer than columns * rows cells, or whose size is negative, as an
// empty frame.
struct CellView {
  std::span<const Cell> cells;
  int columns = 0;
  int rows = 0;

  // Whether the span holds the whole frame (an empty one does).
  constexpr bool Whole() const {
    return columns >= 0 && rows >= 0 &&
           static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows) <= cells.size();
  }
};

}  // namespace kalt
