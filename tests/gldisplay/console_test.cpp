// cella's console calls without a window or terminal: the display they
// choose and create, the cells ConsoleBlit copies, the key queue.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <vector>

#include "console_screen.h"
#include "gldisplay/window_display.h"

namespace {

using cella::Canvas;
using cella::Pixel;
using Frame = std::vector<kalt::Cell>;

// Frame cells that name their position, to see which ones a copy changed.
Frame NumberedScreen() {
  Frame cells(80 * 50);
  for (std::size_t i = 0; i < cells.size(); ++i) cells[i] = {static_cast<std::uint16_t>(i), 0x0107};
  return cells;
}

// Canvas cells {x, 4, 1} (red on blue, the column as character).
void Fill(Canvas& canvas) {
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x) canvas.data[y * canvas.width + x] = {static_cast<std::uint8_t>(x), 4, 1};
}

void Copy(const Canvas& canvas, int srcX, int srcY, int width, int height, Frame& cells) {
  cella::CopyToFrame(canvas, srcX, srcY, width, height, cells, 80, 50);
}

bool Copied(const Frame& cells, int x, int y) { return cells[y * 80 + x].attr == 0x14; }

TEST(ConsoleBlit, CellsCarryCharacterAndColoursLowFourBits) {
  EXPECT_TRUE(cella::ConsoleCell(Pixel{219, 12, 1}) == (kalt::Cell{219, 0x1C}));
  EXPECT_TRUE(cella::ConsoleCell(Pixel{65, 16, 16}) == (kalt::Cell{65, 0x00}));  // Transparent shows black
  EXPECT_TRUE(cella::ConsoleCell(Pixel{1, 20, 31}) == (kalt::Cell{1, 0xF4}));    // Add leftovers: low four bits
  EXPECT_TRUE(cella::ConsoleCell(Pixel{1, -1, -1}) == (kalt::Cell{1, 0xFF}));
}

TEST(ConsoleBlit, WholeScreenCanvasReplacesEveryCell) {
  Canvas canvas(80, 50);
  Fill(canvas);
  Frame cells = NumberedScreen();
  Copy(canvas, 0, 0, 80, 50, cells);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 80; ++x) ASSERT_TRUE(cells[y * 80 + x] == (kalt::Cell{static_cast<std::uint16_t>(x), 0x14}));
}

TEST(ConsoleBlit, SmallCanvasUpdatesOnlyItsRectangle) {
  Canvas canvas(10, 5);
  Fill(canvas);
  Frame cells = NumberedScreen();
  Copy(canvas, 0, 0, 10, 5, cells);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 80; ++x) EXPECT_EQ(Copied(cells, x, y), x < 10 && y < 5) << x << "," << y;
  EXPECT_TRUE(cells[5 * 80] == (kalt::Cell{400, 0x0107}));
}

TEST(ConsoleBlit, LargeCanvasShowsItsTopLeftScreenful) {
  Canvas canvas(200, 120);
  Fill(canvas);
  Frame cells = NumberedScreen();
  Copy(canvas, 0, 0, 200, 120, cells);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 80; ++x) ASSERT_TRUE(Copied(cells, x, y));
  EXPECT_EQ(cells[49 * 80 + 79].ch, 79u);
}

TEST(ConsoleBlit, OffsetRectangleKeepsCanvasPositionsAndStaysOnScreen) {
  Canvas canvas(200, 120);
  Fill(canvas);
  Frame cells = NumberedScreen();
  // Columns 70 .. 149 and rows 45 .. 94 of the canvas: only (70..79, 45..49)
  // lie on the screen, each at its own position.
  Copy(canvas, 70, 45, 200, 120, cells);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 80; ++x) EXPECT_EQ(Copied(cells, x, y), x >= 70 && y >= 45) << x << "," << y;
  EXPECT_EQ(cells[45 * 80 + 70].ch, 70u);
}

TEST(ConsoleBlit, AnyRectangleIsSafe) {
  Canvas canvas(100, 60);
  Fill(canvas);
  const int values[] = {INT_MIN, -81, -1, 0, 1, 40, 79, 80, 99, 100, 1000, INT_MAX};
  const Frame original = NumberedScreen();
  for (const int a : values)
    for (const int b : values)
      for (const int w : values)
        for (const int h : {INT_MIN, -1, 0, 3, 50, INT_MAX}) {
          Frame cells = original;
          Copy(canvas, a, b, w, h, cells);
          if (w <= 0 || h <= 0) {
            ASSERT_TRUE(cells == original) << a << " " << b << " " << w;
          }
        }
  Canvas empty(0, 0);
  Frame cells = NumberedScreen();
  Copy(empty, 0, 0, 80, 50, cells);
  EXPECT_TRUE(cells == original);
}

TEST(ConsoleBlit, NegativeSourceStartCountsAsZero) {
  Canvas canvas(20, 20);
  Fill(canvas);
  Frame cells = NumberedScreen();
  Copy(canvas, -5, -5, 3, 2, cells);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 80; ++x) EXPECT_EQ(Copied(cells, x, y), x < 3 && y < 2) << x << "," << y;
}

TEST(ConsoleBlit, ASmallerFrameShowsWhatLiesOnIt) {
  Canvas canvas(100, 60);
  Fill(canvas);
  Frame cells(10 * 4, kalt::Cell{0x2E, 0x07});
  cella::CopyToFrame(canvas, 5, 2, 200, 120, cells, 10, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 10; ++x)
      ASSERT_EQ(cells[y * 10 + x].attr, x >= 5 && y >= 2 ? 0x14 : 0x07) << x << "," << y;
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
  EXPECT_EQ(display->columns(), 80);
  EXPECT_EQ(display->rows(), 50);
  EXPECT_TRUE(display->fullScreen());
  EXPECT_EQ(display->window(), nullptr);  // the first frame opens it
  setenv("CELLA_DISPLAY", "terminal", 1);
  cella::ConsoleInit();  // the display stays the first one
  unsetenv("CELLA_DISPLAY");
  EXPECT_EQ(cella::ConsoleScreen, display);

  cella::ConsoleBlit(nullptr);  // no canvas: no frame either
  cella::ConsoleBlit(nullptr, 0, 0, 0, 0, 80, 50);
  EXPECT_EQ(display->window(), nullptr);

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
