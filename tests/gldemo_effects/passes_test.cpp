#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "effects_test_support.h"
#include "gldemo/effects.h"

namespace {

using cella::Pixel;
using effects_test::At;
using effects_test::FilledCanvas;
using effects_test::Hash;

constexpr Pixel kSpace{32, 7, 1};

// The shade level that ShadeFlash gives dither cell n (0..3) at a strength.
int Level(float strength, int n) {
  auto canvas = FilledCanvas(2, 2, kSpace);
  gldemo::ShadeFlash(canvas.get(), 12, strength);
  const Pixel cell = At(*canvas, n & 1, n >> 1);
  if (cell == kSpace) return 0;
  EXPECT_EQ(cell.fg, 12);
  EXPECT_EQ(cell.bg, 1);
  switch (cell.ch) {
    case 176: return 1;
    case 177: return 2;
    case 178: return 3;
    case 219: return 4;
  }
  ADD_FAILURE() << "character " << int(cell.ch);
  return -1;
}

TEST(ShadeFlash, LevelsByStrength) {
  struct Row {
    float strength;
    int levels[4];
  };
  const Row table[] = {
      {1.0f, {4, 4, 4, 4}}, {0.75f, {4, 4, 4, 0}}, {0.5f, {4, 4, 0, 0}}, {0.25f, {4, 0, 0, 0}},
      {0.2f, {3, 0, 0, 0}}, {0.1f, {1, 0, 0, 0}},  {0.06f, {0, 0, 0, 0}}, {0.0f, {0, 0, 0, 0}},
      {-3.0f, {0, 0, 0, 0}}, {1e30f, {4, 4, 4, 4}}, {std::nanf(""), {0, 0, 0, 0}},
  };
  for (const Row& row : table)
    for (int n = 0; n < 4; ++n) EXPECT_EQ(Level(row.strength, n), row.levels[n]) << row.strength << " cell " << n;
}

TEST(ShadeFlash, OldInkBecomesPaperUnderMostlyInkGlyphs) {
  auto canvas = std::make_unique<cella::Canvas>(4, 1);
  canvas->data[0] = {219, 2, 0};  // coverage 255: the old ink moves to the paper
  canvas->data[1] = {32, 7, 1};   // coverage 0: the paper stays
  canvas->data[2] = {177, 9, 4};  // coverage 127: moves
  canvas->data[3] = {176, 9, 4};  // coverage 64: stays
  gldemo::ShadeFlash(canvas.get(), 12, 1.0f);
  EXPECT_EQ(canvas->data[0], (Pixel{219, 12, 2}));
  EXPECT_EQ(canvas->data[1], (Pixel{219, 12, 1}));
  EXPECT_EQ(canvas->data[2], (Pixel{219, 12, 9}));
  EXPECT_EQ(canvas->data[3], (Pixel{219, 12, 4}));
}

TEST(ShadeFlash, ColoursOutsideThePaletteAndEmptyCanvasesChangeNothing) {
  auto canvas = FilledCanvas(6, 4, kSpace);
  const auto before = Hash(*canvas);
  gldemo::ShadeFlash(canvas.get(), 16, 1.0f);
  gldemo::ShadeFlash(canvas.get(), -1, 1.0f);
  EXPECT_EQ(Hash(*canvas), before);
  cella::Canvas none(0, 3), flat(3, 0);
  gldemo::ShadeFlash(&none, 1, 1.0f);
  gldemo::ShadeFlash(&flat, 1, 1.0f);
  gldemo::ShadeFlash(nullptr, 1, 1.0f);
}

// A row whose cells are {column + 1, 7, 1}, to follow shifts.
std::unique_ptr<cella::Canvas> Numbered(int width, int height) {
  auto canvas = std::make_unique<cella::Canvas>(width, height);
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column)
      canvas->data[row * width + column] = {static_cast<std::uint8_t>(column + 1), 7, 1};
  return canvas;
}

TEST(NoiseRows, PicksRowsByTheLowByteOfTheRowGenerator) {
  // Seed 0: the first row draw is 321151, low byte 127; the first cell draw
  // is 123411: character 19, colours from bits 8..10 and 10..12 (both 0).
  auto canvas = Numbered(8, 1);
  gldemo::NoiseRows(canvas.get(), 0, 127);
  EXPECT_EQ(canvas->data[0], (Pixel{1, 7, 1}));
  gldemo::NoiseRows(canvas.get(), 0, 128);
  EXPECT_EQ(canvas->data[0], (Pixel{19, 0, 0}));
}

TEST(NoiseRows, ThresholdsAndDeterminism) {
  auto canvas = Numbered(80, 50);
  const auto original = Hash(*canvas);
  gldemo::NoiseRows(canvas.get(), 1234, 0);
  gldemo::NoiseRows(canvas.get(), 1234, INT_MIN);
  EXPECT_EQ(Hash(*canvas), original);

  gldemo::NoiseRows(canvas.get(), 0xFFFFFFFFu, 256);  // every row
  for (int row = 0; row < 50; ++row) {
    int changed = 0;
    for (int column = 0; column < 80; ++column) {
      const Pixel cell = At(*canvas, column, row);
      changed += cell.fg != 7 || cell.bg != 1;
      EXPECT_TRUE(cell.fg == 0 || cell.fg == 7 || cell.fg == 8 || cell.fg == 15);
    }
    EXPECT_GT(changed, 40) << "row " << row;
  }

  auto a = Numbered(80, 50), b = Numbered(80, 50);
  gldemo::NoiseRows(a.get(), 77, 100);
  gldemo::NoiseRows(b.get(), 77, 100);
  EXPECT_EQ(Hash(*a), Hash(*b));
  EXPECT_NE(Hash(*a), original);
  cella::Canvas none(0, 5), flat(5, 0);
  gldemo::NoiseRows(&none, 1, 256);
  gldemo::NoiseRows(&flat, 1, 256);
}

TEST(RowTear, ShiftsRightRoundingTowardsMinusInfinity) {
  // Seed 0 draws s mod 256 = 19: d = (19 - 128) * 16 / 256 = -6.8, so -7.
  auto canvas = Numbered(10, 3);
  gldemo::RowTear(canvas.get(), 0, 256, 16);
  for (int row = 0; row < 3; ++row) {  // consecutive rows keep the shift
    for (int column = 0; column < 7; ++column) EXPECT_EQ(At(*canvas, column, row), (Pixel{0, 0, 0}));
    for (int column = 7; column < 10; ++column) EXPECT_EQ(At(*canvas, column, row).ch, column - 6);
  }
}

TEST(RowTear, ShiftsLeft) {
  // Seed 10 draws s mod 256 = 229: d = 101 * 16 / 256 = 6.3, so 6.
  auto canvas = Numbered(10, 1);
  gldemo::RowTear(canvas.get(), 10, 256, 16);
  for (int column = 0; column < 4; ++column) EXPECT_EQ(At(*canvas, column, 0).ch, column + 7);
  for (int column = 4; column < 10; ++column) EXPECT_EQ(At(*canvas, column, 0), (Pixel{0, 0, 0}));
}

TEST(RowTear, ShiftsOfTheWholeWidthEmptyTheRow) {
  auto canvas = Numbered(80, 50);
  gldemo::RowTear(canvas.get(), 0, 256, 1700);  // d = -724 on every row
  for (int i = 0; i < 80 * 50; ++i) ASSERT_EQ(canvas->data[i], (Pixel{0, 0, 0}));
}

TEST(RowTear, ThresholdsAndDeterminism) {
  auto canvas = Numbered(80, 50);
  const auto original = Hash(*canvas);
  gldemo::RowTear(canvas.get(), 99, 0, 1700);
  gldemo::RowTear(canvas.get(), 99, -5, 1700);
  gldemo::RowTear(canvas.get(), 99, 256, 0);  // every row, but no shift
  EXPECT_EQ(Hash(*canvas), original);

  auto a = Numbered(80, 50), b = Numbered(80, 50);
  gldemo::RowTear(a.get(), 5120, 90, 1690);
  gldemo::RowTear(b.get(), 5120, 90, 1690);
  EXPECT_EQ(Hash(*a), Hash(*b));
  EXPECT_NE(Hash(*a), original);

  // Extreme amplitudes wrap like the 32-bit product and stay in bounds.
  for (const int amplitude : {INT_MAX, INT_MIN, -1700}) gldemo::RowTear(a.get(), 3, 256, amplitude);
  cella::Canvas none(0, 5), flat(5, 0);
  gldemo::RowTear(&none, 1, 256, 100);
  gldemo::RowTear(&flat, 1, 256, 100);
}

}  // namespace
