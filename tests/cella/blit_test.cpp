#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "cella/cella.h"

namespace {

using cella::Canvas;
using cella::Pixel;

// Fills a canvas with cells that name their own position.
void Number(Canvas& canvas, std::int8_t colour) {
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x)
      canvas.data[y * canvas.width + x] = {static_cast<std::uint8_t>(y * 16 + x), colour, colour};
}

Pixel At(const Canvas& canvas, int x, int y) { return canvas.data[y * canvas.width + x]; }

TEST(Blit, NormalWithTransparentInkOverFullGlyphLeavesDestination) {
  Canvas dst(4, 4), src(4, 4);
  Number(dst, 7);
  for (int i = 0; i < 16; ++i) src.data[i] = {219, 16, 4};
  cella::Blit(&dst, &src, 1);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(dst.data[i], (Pixel{static_cast<std::uint8_t>(i / 4 * 16 + i % 4), 7, 7}));
}

TEST(Blit, NegativeDestinationOffsetSkipsSourceColumns) {
  Canvas dst(20, 3), src(20, 3);
  Number(src, 2);
  cella::Blit(&dst, &src, cella::Normal, 0, 0, -3, 0, 10, 1);
  for (int x = 0; x < 7; ++x) EXPECT_EQ(At(dst, x, 0), At(src, x + 3, 0)) << x;
  for (int x = 7; x < 20; ++x) EXPECT_EQ(At(dst, x, 0), cella::DefaultPixel) << x;
  for (int x = 0; x < 20; ++x) EXPECT_EQ(At(dst, x, 1), cella::DefaultPixel) << x;
}

TEST(Blit, NegativeSourceOffsetShiftsTheCopyRight) {
  Canvas dst(20, 2), src(20, 2);
  Number(src, 2);
  cella::Blit(&dst, &src, cella::Normal, -2, 0, 0, 0, 10, 1);
  EXPECT_EQ(At(dst, 0, 0), cella::DefaultPixel);
  EXPECT_EQ(At(dst, 1, 0), cella::DefaultPixel);
  for (int x = 2; x < 10; ++x) EXPECT_EQ(At(dst, x, 0), At(src, x - 2, 0)) << x;
  EXPECT_EQ(At(dst, 10, 0), cella::DefaultPixel);
}

TEST(Blit, ClipsAtTheRightAndBottomEdges) {
  Canvas dst(5, 4), src(6, 6);
  Number(src, 3);
  cella::Blit(&dst, &src, cella::Normal, 1, 1, 2, 1, 100, 100);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) {
      const Pixel expected = x >= 2 && y >= 1 ? At(src, x - 1, y) : cella::DefaultPixel;
      EXPECT_EQ(At(dst, x, y), expected) << x << "," << y;
    }
}

TEST(Blit, ModeZeroUsesTheSourceBlendMode) {
  Canvas dst(2, 1), src(2, 1);
  dst.data[0] = {1, 6, 3};
  src.data[0] = {2, 12, 5};
  src.blendMode = cella::And;
  cella::Blit(&dst, &src, 0, 0, 0, 0, 0, 2, 1);
  EXPECT_EQ(dst.data[0], (Pixel{1, 4, 1}));
}

TEST(Blit, TwoArgumentFormUsesStoredModeAndOverlap) {
  Canvas dst(3, 2), src(2, 3);
  Number(src, 5);
  src.blendMode = 0;  // stored 0 acts as Normal in the cell rule
  cella::Blit(&dst, &src);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(At(dst, x, y), x < 2 ? At(src, x, y) : cella::DefaultPixel) << x << "," << y;
}

TEST(Blit, RectanglesOutsideOrEmptyChangeNothing) {
  Canvas dst(8, 8), src(8, 8);
  Number(src, 1);
  const struct { int sx, sy, dx, dy, w, h; } cases[] = {
      {0, 0, 8, 0, 4, 4},   {0, 0, 0, 8, 4, 4},  {0, 0, -4, 0, 4, 4}, {8, 0, 0, 0, 4, 4},
      {0, 0, 0, 0, 0, 4},   {0, 0, 0, 0, 4, -1}, {-9, 0, 0, 0, 9, 9}, {0, 0, -20, -20, 10, 10},
  };
  for (const auto& c : cases) {
    cella::Blit(&dst, &src, cella::Normal, c.sx, c.sy, c.dx, c.dy, c.w, c.h);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(dst.data[i], cella::DefaultPixel);
  }
}

TEST(Blit, NullAndEmptyCanvasesAreSafe) {
  Canvas canvas(4, 4), empty(0, 0);
  cella::Blit(nullptr, &canvas);
  cella::Blit(&canvas, nullptr);
  cella::Blit(&canvas, nullptr, 1, 0, 0, 0, 0, 4, 4);
  cella::Blit(&canvas, &empty, 1);
  cella::Blit(&empty, &canvas, 1, 0, 0, 0, 0, 4, 4);
  cella::Blit(&empty, &canvas);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(canvas.data[i], cella::DefaultPixel);
}

// Any int arguments stay inside both canvases; the sanitizer build turns a
// stray access into a failure.
TEST(Blit, ExtremeArgumentsStayInside) {
  Canvas dst(7, 5), src(6, 9);
  Number(src, 9);
  const int values[] = {INT_MIN, INT_MIN + 1, -100, -7, -1, 0, 1, 3, 6, 7, 100, INT_MAX - 1, INT_MAX};
  std::mt19937 random(20);
  std::uniform_int_distribution<int> pick(0, std::size(values) - 1);
  for (int i = 0; i < 20000; ++i) {
    int a[6];
    for (int& v : a) v = values[pick(random)];
    cella::Blit(&dst, &src, cella::Normal, a[0], a[1], a[2], a[3], a[4], a[5]);
  }
  SUCCEED();
}

}  // namespace
