// kalt/cell.h - one console cell, as condemo renders it and the terminal
// shows it: the same 32-bit record all the way from the renderer to the
// screen, so no frame is converted on its way.
#pragma once

#include <cstdint>

namespace kalt {

// One console cell: a 16-bit character slot (the code page 437 code in the
// low byte, high byte 0) followed by a 16-bit attribute word (low nibble
// ink, high nibble paper; in each nibble blue 1, green 2, red 4, intensity
// 8). Readers use only the low byte of each word.
struct Cell {
  std::uint16_t ch = 0;
  std::uint16_t attr = 0;
};
static_assert(sizeof(Cell) == 4);

// The console's size in cells, and a whole screen's cell count: screens are
// row-major (cell index = row * 80 + column).
inline constexpr int kConsoleColumns = 80;
inline constexpr int kConsoleRows = 50;
inline constexpr int kConsoleCells = kConsoleColumns * kConsoleRows;

}  // namespace kalt
