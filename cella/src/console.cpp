// The console calls: a canvas shown on the OpenGL text screen or in the
// terminal, typed keys.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "console_screen.h"
#include "gldisplay/terminal_display.h"
#include "gldisplay/window_display.h"
#include "terminal/terminal.h"

namespace cella {

gldisplay::KaltWindow* ConsoleScreen = nullptr;

namespace {

bool Set(const char* value) { return value != nullptr && *value != '\0'; }

}  // namespace

DisplayChoice ChooseDisplay(const char* setting, const char* display, const char* waylandDisplay,
                            bool outputIsTerminal) {
  if (Set(setting) && std::strcmp(setting, "terminal") == 0) return {ConsoleDriver::kTerminal, false};
  if (Set(setting) && std::strcmp(setting, "window") == 0) return {ConsoleDriver::kWindow, false};
  const bool noDisplay = !Set(display) && !Set(waylandDisplay);
  return {noDisplay && outputIsTerminal ? ConsoleDriver::kTerminal : ConsoleDriver::kWindow, Set(setting)};
}

void ConsoleInit() {
  if (ConsoleScreen) return;
  // The display the environment asks for, or the one there is.
  const char* setting = std::getenv("CELLA_DISPLAY");
  const DisplayChoice choice =
      ChooseDisplay(setting, std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), isatty(STDOUT_FILENO) == 1);
  if (choice.unknownSetting)
    std::fprintf(stderr, "cella: CELLA_DISPLAY=\"%s\" is neither terminal nor window; choosing by itself\n", setting);
  if (choice.driver == ConsoleDriver::kTerminal) {
    // The terminal is taken over by the first frame; colours in 24 bits
    // when COLORTERM asks for them.
    gldisplay::TerminalOptions options;
    options.encoding.trueColour = term::WantsTrueColour(std::getenv("COLORTERM"));
    ConsoleScreen = new gldisplay::TerminalDisplay(options);
    return;
  }
  // The window, opened by the first frame; it starts in full screen, unless
  // CELLA_FULLSCREEN=0 asks for the 640 by 400 window. The display lives to
  // the end of the process.
  const char* fullScreen = std::getenv("CELLA_FULLSCREEN");
  ConsoleScreen = new gldisplay::RarodIdazer({.fullScreen = !(Set(fullScreen) && std::strcmp(fullScreen, "0") == 0)});
}

void CopyToFrame(const Canvas& canvas, int srcX, int srcY, int width, int height, std::span<kalt::Cell> cells,
                 int columns, int rows) {
  // 1. The rectangle starts inside the canvas's top and left edges.
  const std::int64_t left = std::max(srcX, 0);
  const std::int64_t top = std::max(srcY, 0);
  // 2. It ends at the canvas's right and bottom edges, ...
  std::int64_t right = left + std::min<std::int64_t>(width, canvas.width - left);
  std::int64_t bottom = top + std::min<std::int64_t>(height, canvas.height - top);
  // 3. ... after at most a screenful of 80 columns and 50 rows, ...
  right = std::min<std::int64_t>(right, left + 80);
  bottom = std::min<std::int64_t>(bottom, top + 50);
  // 4. ... and at the frame's edges: each cell at its own position.
  right = std::min<std::int64_t>(right, columns);
  bottom = std::min<std::int64_t>(bottom, rows);
  for (std::int64_t y = top; y < bottom; ++y)
    for (std::int64_t x = left; x < right; ++x)
      cells[static_cast<std::size_t>(y * columns + x)] = ConsoleCell(canvas.data[y * canvas.width + x]);
}

void ConsoleBlit(Canvas* canvas, int srcX, int srcY, int /*dstX*/, int /*dstY*/, int width, int height) {
  if (!ConsoleScreen || !canvas) return;
  CopyToFrame(*canvas, srcX, srcY, width, height, ConsoleScreen->cells(), ConsoleScreen->columns(),
              ConsoleScreen->rows());
  // 5. One frame.
  ConsoleScreen->Present();
}

void ConsoleBlit(Canvas* canvas) {
  if (canvas) ConsoleBlit(canvas, 0, 0, 0, 0, canvas->width, canvas->height);
}

void ConsoleBlit(Canvas* canvas, int a, int b) {
  if (canvas) ConsoleBlit(canvas, a, b, 0, 0, canvas->width, canvas->height);
}

void ConsoleBlit(Canvas* canvas, int a, int b, int c, int d) {
  if (canvas) ConsoleBlit(canvas, a, b, c, d, canvas->width, canvas->height);
}

int Keyboard() { return ConsoleScreen ? ConsoleScreen->TakeKey() : 0; }

void Sleep(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace cella
