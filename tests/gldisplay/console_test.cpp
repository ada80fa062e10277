// cella's console calls without a window or terminal: the display they
// choose and create, the cells ConsoleBlit copies, the key queue.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <climits>

#include "console_screen.h"

namespace {

using cella::Canvas;
using cella::Pixel;
using gldisplay::Surface;

// Screen cells that name their position, to see which ones a copy changed.
Surface NumberedScreen() {
  Surface cells(80, 50);
  for (std::size_t i = 0; i < cells.words.size(); ++i) cells.words[i] = 0x01000000u | static_cast<std::uint32_t>(i);
  return cells;
}

// Canvas cells {x, 4, 1} (red on blue, the column as character).
void Fill(Canvas& canvas) {
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x) canvas.data[y * canvas.width + x] = {static_cast<std::uint8_t>(x), 4, 1};
}

bool Copied(const Surface& cells, int x, int y) { return (cells.words[y * 80 + x] & 0x00FF0000u) == 0x00140000u; }

TEST(ConsoleBlit, CellWordsCarryCharacterAndAttribute) {
  EXPECT_EQ(cella::ScreenWord(0, Pixel{219, 12, 1}), 0x001C00DBu);
  EXPECT_EQ(cella::ScreenWord(0, Pixel{65, 16, 16}), 0x00000041u);  // Transparent shows black
  EXPECT_EQ(cella::ScreenWord(0, Pixel{1, 20, 31}), 0x00F40001u);   // Add leftovers: low four bits
  EXPECT_EQ(cella::ScreenWord(0, Pixel{1, -1, -1}), 0x00FF0001u);
  EXPECT_EQ(cella::ScreenWord(0xAABBCCDDu, Pixel{7, 2, 3}), 0xAA32CC07u);  // bits 8-15, 24-31 kept
}

TEST(ConsoleBlit, WholeScreenCanvasReplacesEveryCell) {
  Canvas canvas(80, 50);
  Fill(canvas);
  Surface cells = NumberedScreen();
  cella::CopyToScreen(canvas, 0, 0, 80, 50, cells);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 80; ++x) {
      const std::uint32_t old = 0x01000000u | static_cast<std::uint32_t>(y * 80 + x);
      ASSERT_EQ(cells.words[y * 80 + x], (old & 0xFF00FF00u) | 0x00140000u | x) << x << "," << y;
    }
}

TEST(ConsoleBlit, SmallCanvasUpdatesOnlyItsRectangle) {
  Canvas canvas(10, 5);
  Fill(canvas);
  Surface cells = NumberedScreen();
  cella::CopyToScreen(canvas, 0, 0, 10, 5, cells);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 80; ++x) EXPECT_EQ(Copied(cells, x, y), x < 10 && y < 5) << x << "," << y;
  EXPECT_EQ(cells.words[5 * 80], 0x01000000u | 400u);
}

TEST(ConsoleBlit, LargeCanvasShowsItsTopLeftScreenful) {
  Canvas canvas(200, 120);
  Fill(canvas);
  Surface cells = NumberedScreen();
  cella::CopyToScreen(canvas, 0, 0, 200, 120, cells);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 80; ++x) ASSERT_TRUE(Copied(cells, x, y));
  EXPECT_EQ(cells.words[49 * 80 + 79] & 0xFF, 79u);
}

TEST(ConsoleBlit, OffsetRectangleKeepsCanvasPositionsAndStaysOnScreen) {
  Canvas canvas(200, 120);
  Fill(canvas);
  Surface cells = NumberedScreen();
  // Columns 70 .. 149 and rows 45 .. 94 of the canvas: only (70..79, 45..49)
  // lie on the screen, each at its own position.
  cella::CopyToScreen(canvas, 70, 45, 200, 120, cells);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 80; ++x) EXPECT_EQ(Copied(cells, x, y), x >= 70 && y >= 45) << x << "," << y;
  EXPECT_EQ(cells.words[45 * 80 + 70] & 0xFF, 70u);
}

TEST(ConsoleBlit, AnyRectangleIsSafe) {
  Canvas canvas(100, 60);
  Fill(canvas);
  const int values[] = {INT_MIN, -81, -1, 0, 1, 40, 79, 80, 99, 100, 1000, INT_MAX};
  const Surface original = NumberedScreen();
  for (const int a : values)
    for (const int b : values)
      for (const int w : values)
        for (const int h : {INT_MIN, -1, 0, 3, 50, INT_MAX}) {
          Surface cells = original;
          cella::CopyToScreen(canvas, a, b, w, h, cells);
          if (w <= 0 || h <= 0) {
            ASSERT_EQ(cells.words, original.words) << a << " " << b << " " << w;
          }
        }
  Canvas empty(0, 0);
  Surface cells = NumberedScreen();
  cella::CopyToScreen(empty, 0, 0, 80, 50, cells);
  EXPECT_EQ(cells.words, original.words);
}

TEST(ConsoleBlit, NegativeSourceStartCountsAsZero) {
  Canvas canvas(20, 20);
  Fill(canvas);
  Surface cells = NumberedScreen();
  cella::CopyToScreen(canvas, -5, -5, 3, 2, cells);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 80; ++x) EXPECT_EQ(Copied(cells, x, y), x < 3 && y < 2) << x << "," << y;
}

TEST(ConsoleBlit, TerminalCellsCarryCharacterAndAttributeAtCanvasPositions) {
  Canvas canvas(100, 60);
  Fill(canvas);
  canvas.data[45 * 100 + 70] = {65, 16, 16};  // Transparent shows black
  canvas.data[49 * 100 + 79] = {1, 20, 31};  // Add leftovers: low four bits
  std::array<kalt::Cell, kalt::kConsoleCells> cells{};
  cells.fill({0x2E, 0x07});
  cella::CopyToCells(canvas, 70, 45, 200, 120, cells);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 80; ++x) {
      const kalt::Cell cell = cells[y * 80 + x];
      const bool copied = x >= 70 && y >= 45;
      ASSERT_EQ(cell.ch, copied ? (x == 70 && y == 45 ? 65 : x == 79 && y == 49 ? 1 : x) : 0x2E) << x << "," << y;
      ASSERT_EQ(cell.attr, copied ? (x == 70 && y == 45 ? 0x00 : x == 79 && y == 49 ? 0xF4 : 0x14) : 0x07)
          << x << "," << y;
    }
}

TEST(ConsoleDisplay, SettingDecidesElseTheTerminalWithoutADesktop) {
  using cella::ChooseDisplay;
  using Driver = cella::ConsoleDriver;
  const auto driver = [](const char* setting, const char* display, const char* wayland, bool terminal) {
    const cella::DisplayChoice choice = ChooseDisplay(setting, display, wayland, terminal);
    EXPECT_FALSE(choice.unknownSetting) << (setting ? setting : "(unset)");
    return choice.driver;
  };
  // Asked for: whatever there is.
  for (const bool terminal : {false, true}) {
    EXPECT_EQ(driver("terminal", ":0", "wayland-0", terminal), Driver::kTerminal);
    EXPECT_EQ(driver("window", nullptr, nullptr, terminal), Driver::kWindow);
  }
  // Chosen: the terminal only without a desktop display and with a
  // terminal on standard output; empty values count as unset.
  for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
    EXPECT_EQ(driver(unset, nullptr, nullptr, true), Driver::kTerminal);
    EXPECT_EQ(driver(unset, "", "", true), Driver::kTerminal);
    EXPECT_EQ(driver(unset, nullptr, nullptr, false), Driver::kWindow);
    EXPECT_EQ(driver(unset, ":0", nullptr, true), Driver::kWindow);
    EXPECT_EQ(driver(unset, nullptr, "wayland-0", true), Driver::kWindow);
  }
  // Anything else is reported, then chosen as without it.
  for (const char* unknown : {"Terminal", "tty", "window "}) {
    EXPECT_EQ(ChooseDisplay(unknown, nullptr, nullptr, true).driver, Driver::kTerminal) << unknown;
    EXPECT_EQ(ChooseDisplay(unknown, ":0", nullptr, true).driver, Driver::kWindow) << unknown;
    EXPECT_TRUE(ChooseDisplay(unknown, ":0", nullptr, true).unknownSetting) << unknown;
  }
}

// One process-wide display: these run in order in one test.
TEST(Console, CallsBeforeAndAfterInit) {
  Canvas canvas(80, 50);
  // Before ConsoleInit: nothing happens, no window opens.
  cella::ConsoleBlit(&canvas);
  cella::ConsoleBlit(&canvas, 1, 2);
  cella::ConsoleBlit(&canvas, 1, 2, 3, 4);
  EXPECT_EQ(cella::Keyboard(), 0);
  EXPECT_EQ(cella::ConsoleScreen, nullptr);

  setenv("CELLA_DISPLAY", "window", 1);
  cella::ConsoleInit();
  auto* display = dynamic_cast<gldisplay::RarodIdazer*>(cella::ConsoleScreen);
  ASSERT_NE(display, nullptr) << "the window, as CELLA_DISPLAY asks";
  EXPECT_EQ(display->screen->width, 640);
  EXPECT_EQ(display->screen->height, 400);
  ASSERT_NE(display->cells, nullptr);
  EXPECT_EQ(display->cells->width, 80);
  EXPECT_EQ(display->cells->height, 50);
  EXPECT_EQ(display->fullScreen, 1);
  EXPECT_EQ(display->window, nullptr);  // the first frame opens it
  setenv("CELLA_DISPLAY", "terminal", 1);
  cella::ConsoleInit();  // the display stays the first one
  unsetenv("CELLA_DISPLAY");
  EXPECT_EQ(cella::ConsoleScreen, display);

  cella::ConsoleBlit(nullptr);  // no canvas: no frame either
  cella::ConsoleBlit(nullptr, 0, 0, 0, 0, 80, 50);
  EXPECT_EQ(display->window, nullptr);

  EXPECT_EQ(cella::Keyboard(), 0);
  display->QueueKey('a');
  display->QueueKey('b');
  EXPECT_EQ(cella::Keyboard(), 97);
  EXPECT_EQ(cella::Keyboard(), 98);
  EXPECT_EQ(cella::Keyboard(), 0);
}

TEST(Console, SleepWaitsAtLeastTheTime) {
  const auto start = std::chrono::steady_clock::now();
  cella::Sleep(20);
  cella::Sleep(-5);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
}

}  // namespace
