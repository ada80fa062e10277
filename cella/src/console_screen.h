// The display behind the console calls, for the library and its tests.
#pragma once

#include "cella/cella.h"
#include "gldisplay/display.h"

namespace cella {

// The library's one display, created by ConsoleInit and never destroyed;
// null before.
extern gldisplay::RarodIdazer* ConsoleScreen;

// The screen word of a cell: the character in bits 0-7 and the attribute
// byte (ink in the low nibble, paper in the high one, each colour's low
// four bits) in bits 16-23; the other bits of old are kept.
inline std::uint32_t ScreenWord(std::uint32_t old, const Pixel& pixel) {
  const std::uint32_t attribute = (static_cast<std::uint32_t>(pixel.fg) & 15u) |
                                  ((static_cast<std::uint32_t>(pixel.bg) << 4) & 0xF0u);
  return (old & 0xFF00FF00u) | pixel.ch | attribute << 16;
}

// Copies the cells of the canvas rectangle into the cell screen as
// ConsoleBlit describes: each cell to its own position, none outside the
// screen.
void CopyToScreen(const Canvas& canvas, int srcX, int srcY, int width, int height, gldisplay::Surface& cells);

}  // namespace cella
