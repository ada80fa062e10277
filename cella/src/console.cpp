// The console calls: a canvas shown on the OpenGL text screen, typed keys.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>

#include "console_screen.h"

namespace cella {

gldisplay::RarodIdazer* ConsoleScreen = nullptr;

void ConsoleInit() {
  if (ConsoleScreen) return;
  // 1, 2. The display; it lives to the end of the process.
  ConsoleScreen = new gldisplay::RarodIdazer();
  // 3. The 640 by 400 pixel surface in place of the base's screen.
  ConsoleScreen->screen = std::make_unique<gldisplay::Surface>(640, 400);
  // 4. The 80 by 50 cell screen.
  ConsoleScreen->cells = std::make_unique<gldisplay::Surface>(80, 50);
  // 5. The show starts in full screen.
  ConsoleScreen->fullScreen = 1;
}

void CopyToScreen(const Canvas& canvas, int srcX, int srcY, int width, int height, gldisplay::Surface& cells) {
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
  const std::int64_t right = std::min<std::int64_t>(left + columns, cells.width);
  const std::int64_t bottom = std::min<std::int64_t>(top + rows, cells.height);
  for (std::int64_t y = top; y < bottom; ++y) {
    for (std::int64_t x = left; x < right; ++x) {
      std::uint32_t& word = cells.words[static_cast<std::size_t>(y * cells.width + x)];
      word = ScreenWord(word, canvas.data[y * canvas.width + x]);
    }
  }
}

void ConsoleBlit(Canvas* canvas, int srcX, int srcY, int /*dstX*/, int /*dstY*/, int width, int height) {
  if (!ConsoleScreen || !canvas) return;
  CopyToScreen(*canvas, srcX, srcY, width, height, *ConsoleScreen->cells);
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
