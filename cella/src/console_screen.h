// The display behind the console calls, for the library and its tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>

#include "cella/cella.h"
#include "gldisplay/display.h"
#include "kalt/cell.h"

namespace cella {

// The library's one display, created by ConsoleInit and never destroyed;
// null before. A gldisplay::RarodIdazer (the window) or a
// gldisplay::TerminalDisplay.
extern gldisplay::KaltWindow* ConsoleScreen;

// Where ConsoleInit shows the screen.
enum class ConsoleDriver { kWindow, kTerminal };

struct DisplayChoice {
  ConsoleDriver driver = ConsoleDriver::kWindow;
  bool unknownSetting = false;  // CELLA_DISPLAY named neither driver
};

// The choice of ConsoleInit from the values of CELLA_DISPLAY, DISPLAY and
// WAYLAND_DISPLAY (null when unset) and whether standard output is a
// terminal. "terminal" or "window" in CELLA_DISPLAY decides. Otherwise
// (unset, empty, or any other value, which is reported as unknown) the
// terminal when there is no display (DISPLAY and WAYLAND_DISPLAY both unset
// or empty) and standard output is a terminal, else the window.
DisplayChoice ChooseDisplay(const char* setting, const char* display, const char* waylandDisplay,
                            bool outputIsTerminal);

// The attribute byte of a cell: ink in the low nibble, paper in the high
// one, each colour's low four bits.
inline std::uint32_t AttributeByte(const Pixel& pixel) {
  return (static_cast<std::uint32_t>(pixel.fg) & 15u) | ((static_cast<std::uint32_t>(pixel.bg) << 4) & 0xF0u);
}

// The screen word of a cell: the character in bits 0-7 and the attribute
// byte in bits 16-23; the other bits of old are kept.
inline std::uint32_t ScreenWord(std::uint32_t old, const Pixel& pixel) {
  return (old & 0xFF00FF00u) | pixel.ch | AttributeByte(pixel) << 16;
}

// The console cell (kalt/cell.h) of a cell: its character and attribute
// byte.
inline kalt::Cell ConsoleCell(const Pixel& pixel) {
  return {pixel.ch, static_cast<std::uint16_t>(AttributeByte(pixel))};
}

// Calls copy(x, y, pixel) for every cell of the canvas rectangle that
// ConsoleBlit shows on a screen of screenWidth by screenHeight cells: each
// cell at its own position, none outside the screen.
template <class Copy>
void ForEachShownCell(const Canvas& canvas, int srcX, int srcY, int width, int height, int screenWidth,
                      int screenHeight, Copy copy) {
  // 1. The rectangle starts inside the canvas's top and left edges.
  const std::int64_t left = std::max(srcX, 0);
  const std::int64_t top = std::max(srcY, 0);
  // 2. It ends at the canvas's right and bottom edges.
  std::int64_t columns = std::min<std::int64_t>(width, canvas.width - left);
  std::int64_t rows = std::min<std::int64_t>(height, canvas.height - top);
  // 3. At most a screenful of columns and rows ...
  columns = std::min<std::int64_t>(columns, 80);
  rows = std::min<std::int64_t>(rows, 50);
  // 4. ... each cell at its own position, where that is on the screen.
  const std::int64_t right = std::min<std::int64_t>(left + columns, screenWidth);
  const std::int64_t bottom = std::min<std::int64_t>(top + rows, screenHeight);
  for (std::int64_t y = top; y < bottom; ++y)
    for (std::int64_t x = left; x < right; ++x) copy(x, y, canvas.data[y * canvas.width + x]);
}

// Copies the cells of the canvas rectangle as ConsoleBlit describes into
// the window's cell screen, as screen words ...
void CopyToScreen(const Canvas& canvas, int srcX, int srcY, int width, int height, gldisplay::Surface& cells);
// ... or into the terminal's 80 by 50 console cells.
void CopyToCells(const Canvas& canvas, int srcX, int srcY, int width, int height,
                 std::span<kalt::Cell, kalt::kConsoleCells> cells);

}  // namespace cella
