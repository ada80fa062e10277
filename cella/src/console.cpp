// The console calls: a canvas shown on the OpenGL text screen or in the
// terminal, typed keys.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "console_screen.h"
#include "gldisplay/terminal_display.h"

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
    // The terminal is taken over by the first frame.
    ConsoleScreen = new gldisplay::TerminalDisplay();
    return;
  }
  // 1, 2. The display; it lives to the end of the process.
  auto* window = new gldisplay::RarodIdazer();
  ConsoleScreen = window;
  // 3. The 640 by 400 pixel surface in place of the base's screen.
  window->screen = std::make_unique<gldisplay::Surface>(640, 400);
  // 4. The 80 by 50 cell screen.
  window->cells = std::make_unique<gldisplay::Surface>(80, 50);
  // 5. The show starts in full screen, unless CELLA_FULLSCREEN=0 asks for
  //    the 640 by 400 window.
  const char* fullScreen = std::getenv("CELLA_FULLSCREEN");
  window->fullScreen = Set(fullScreen) && std::strcmp(fullScreen, "0") == 0 ? 0 : 1;
}

void CopyToScreen(const Canvas& canvas, int srcX, int srcY, int width, int height, gldisplay::Surface& cells) {
  ForEachShownCell(canvas, srcX, srcY, width, height, cells.width, cells.height,
                   [&cells](std::int64_t x, std::int64_t y, const Pixel& pixel) {
                     std::uint32_t& word = cells.words[static_cast<std::size_t>(y * cells.width + x)];
                     word = ScreenWord(word, pixel);
                   });
}

void CopyToCells(const Canvas& canvas, int srcX, int srcY, int width, int height,
                 std::span<kalt::Cell, kalt::kConsoleCells> cells) {
  ForEachShownCell(canvas, srcX, srcY, width, height, kalt::kConsoleColumns, kalt::kConsoleRows,
                   [cells](std::int64_t x, std::int64_t y, const Pixel& pixel) {
                     cells[static_cast<std::size_t>(y * kalt::kConsoleColumns + x)] = ConsoleCell(pixel);
                   });
}

void ConsoleBlit(Canvas* canvas, int srcX, int srcY, int /*dstX*/, int /*dstY*/, int width, int height) {
  if (!ConsoleScreen || !canvas) return;
  if (auto* window = dynamic_cast<gldisplay::RarodIdazer*>(ConsoleScreen))
    CopyToScreen(*canvas, srcX, srcY, width, height, *window->cells);
  else if (auto* terminal = dynamic_cast<gldisplay::TerminalDisplay*>(ConsoleScreen))
    CopyToCells(*canvas, srcX, srcY, width, height, terminal->cells);
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
