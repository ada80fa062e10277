// The display behind the console calls, for the library and its tests.
#pragma once

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

// The display cell of a canvas cell: its character, and the attribute byte
// of its colours' low four bits (ink in the low nibble, paper in the high
// one), so that Transparent shows as colour 0.
inline kalt::Cell ConsoleCell(const Pixel& pixel) {
  const unsigned attribute = (static_cast<unsigned>(pixel.fg) & 15u) | (static_cast<unsigned>(pixel.bg) & 15u) << 4;
  return {pixel.ch, static_cast<std::uint16_t>(attribute)};
}

// Copies the cells of the canvas rectangle that ConsoleBlit shows into a
// frame of columns x rows cells (row-major, cells.size() at least columns *
// rows): each cell at its own position, none outside the frame.
void CopyToFrame(const Canvas& canvas, int srcX, int srcY, int width, int height, std::span<kalt::Cell> cells,
                 int columns, int rows);

}  // namespace cella
