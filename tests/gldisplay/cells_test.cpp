#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gldisplay/cells.h"

namespace {

using gldisplay::FontImage;
using gldisplay::kPalette;
using gldisplay::RenderCells;
using gldisplay::Surface;

constexpr std::uint32_t kRed = 0x0000FF, kBlue = 0x800000, kWhite = 0xFFFFFF, kBlack = 0;

// A 128 by 128 atlas of blank glyphs (paper of red 255).
FontImage BlankAtlas() {
  FontImage font;
  font.width = font.height = 128;
  font.bitsPerPixel = 24;
  font.format = gldisplay::kFormatRgb;
  font.data.assign(128 * 128 * 3, 255);
  return font;
}

// Sets texel (l, k) of glyph c to ink.
void Ink(FontImage& font, int c, int l, int k) {
  font.data[static_cast<std::size_t>(((c / 16) * 8 + k) * 128 + (c % 16) * 8 + l) * 3] = 0;
}

kalt::Cell CellOf(int c, int fg, int bg) { return {static_cast<std::uint16_t>(c), static_cast<std::uint16_t>(fg | bg << 4)}; }

// A frame of columns x rows cells, all {0, 0}.
struct Frame {
  Frame(int columns, int rows) : columns(columns), rows(rows), cells(static_cast<std::size_t>(columns * rows)) {}
  kalt::CellView view() const { return {cells, columns, rows}; }
  int columns, rows;
  std::vector<kalt::Cell> cells;
};

std::uint32_t PixelAt(const Surface& pixels, int x, int y) { return pixels.words[y * pixels.width + x]; }

TEST(Palette, WordsReadAsRedGreenBlueBytes) {
  EXPECT_EQ(gldisplay::PixelWord(kPalette[12]), kRed);
  EXPECT_EQ(gldisplay::PixelWord(kPalette[1]), kBlue);
  EXPECT_EQ(gldisplay::PixelWord(kPalette[7]), 0xCCCCCCu);
  EXPECT_EQ(gldisplay::PixelWord(kPalette[6]), 0x008080u);
  EXPECT_EQ(gldisplay::PixelWord(kPalette[15]), kWhite);
}

TEST(RenderCells, InkGlyphInForegroundBlankGlyphInBackground) {
  FontImage font = BlankAtlas();
  for (int k = 0; k < 8; ++k)
    for (int l = 0; l < 8; ++l) Ink(font, 219, l, k);
  Frame cells(80, 50);
  Surface pixels(640, 400);
  cells.cells[0] = CellOf(219, 12, 1);
  cells.cells[1] = CellOf(32, 12, 1);
  RenderCells(cells.view(), pixels, kPalette, font);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(PixelAt(pixels, x, y), kRed) << x << "," << y;
      EXPECT_EQ(PixelAt(pixels, 8 + x, y), kBlue) << x << "," << y;
    }
  }
}

TEST(RenderCells, GlyphTexelsLandOnTheirPixels) {
  // Glyph 'A' (atlas row 4, column 1) with ink on its diagonal and in the
  // top-right texel; the high bytes of the cell's words are not read.
  FontImage font = BlankAtlas();
  for (int d = 0; d < 8; ++d) Ink(font, 'A', d, d);
  Ink(font, 'A', 7, 0);
  Frame cells(80, 50);
  Surface pixels(640, 400);
  cells.cells[2 * 80 + 3] = {'A' | 0xFF00, 15 | 0xFF00};
  RenderCells(cells.view(), pixels, kPalette, font);
  for (int k = 0; k < 8; ++k)
    for (int l = 0; l < 8; ++l)
      EXPECT_EQ(PixelAt(pixels, 24 + l, 16 + k), k == l || (k == 0 && l == 7) ? kWhite : kBlack) << l << "," << k;
}

TEST(RenderCells, LastCellCoversTheBottomRightCorner) {
  FontImage font = BlankAtlas();
  Frame cells(80, 50);
  Surface pixels(640, 400);
  cells.cells[49 * 80 + 79] = CellOf(0, 0, 15);
  RenderCells(cells.view(), pixels, kPalette, font);
  for (int y = 390; y < 400; ++y)
    for (int x = 630; x < 640; ++x) EXPECT_EQ(PixelAt(pixels, x, y), x >= 632 && y >= 392 ? kWhite : kBlack);
}

TEST(RenderCells, FontWithoutGlyphsShowsPaperOnly) {
  FontImage none;
  FontImage cut = BlankAtlas();
  cut.height = 64;  // the lower glyph rows are missing
  cut.data.resize(128 * 64 * 3);
  cut.data.assign(cut.data.size(), 0);
  EXPECT_FALSE(gldisplay::FontHasGlyphs(none));
  EXPECT_FALSE(gldisplay::FontHasGlyphs(cut));
  EXPECT_TRUE(gldisplay::FontHasGlyphs(BlankAtlas()));
  for (const FontImage* font : {&none, &cut}) {
    Frame cells(2, 1);
    Surface pixels(16, 8);
    cells.cells = {CellOf(219, 15, 4), CellOf(1, 15, 2)};
    RenderCells(cells.view(), pixels, kPalette, *font);
    for (int x = 0; x < 16; ++x) EXPECT_EQ(PixelAt(pixels, x, 7), x < 8 ? 0x000080u : 0x008000u);
  }
}

TEST(RenderCells, SmallPixelSurfaceShowsTheTopLeftCells) {
  FontImage font = BlankAtlas();
  Frame cells(3, 3);
  Surface pixels(12, 10);
  cells.cells.assign(9, CellOf(0, 0, 15));
  RenderCells(cells.view(), pixels, kPalette, font);
  for (const std::uint32_t word : pixels.words) EXPECT_EQ(word, kWhite);
  Surface none(0, 0);
  RenderCells(cells.view(), none, kPalette, font);  // nothing to write
  Surface negative(-4, 7);
  EXPECT_EQ(negative.width, 0);
  EXPECT_TRUE(negative.words.empty());
}

TEST(RenderCells, AFrameShortOfCellsDrawsNothing) {
  FontImage font = BlankAtlas();
  Frame cells(3, 3);
  cells.cells.assign(9, CellOf(0, 0, 15));
  Surface pixels(24, 24);
  for (const kalt::CellView view : {kalt::CellView{cells.cells, 4, 3}, kalt::CellView{cells.cells, -3, -3}}) {
    RenderCells(view, pixels, kPalette, font);
    for (const std::uint32_t word : pixels.words) ASSERT_EQ(word, kBlack);
  }
}

// The atlas that the build generates into the run tree.
TEST(GeneratedFont, IsAComplete24BitAtlas) {
  FontImage font;
  ASSERT_TRUE(gldisplay::LoadFontTga(gldisplay::kFontPath, font));
  EXPECT_EQ(font.width, 128u);
  EXPECT_EQ(font.height, 128u);
  EXPECT_EQ(font.bitsPerPixel, 24u);
  ASSERT_TRUE(gldisplay::FontHasGlyphs(font));

  const auto inkCount = [&font](int c) {
    const kalt::Cell cell = CellOf(c, 15, 0);
    Surface pixels(8, 8);
    RenderCells({{&cell, 1}, 1, 1}, pixels, kPalette, font);
    int ink = 0;
    for (const std::uint32_t word : pixels.words) ink += word == kWhite;
    return ink;
  };
  EXPECT_EQ(inkCount(0), 0);
  EXPECT_EQ(inkCount(32), 0);
  EXPECT_EQ(inkCount(255), 0);
  EXPECT_EQ(inkCount(219), 64);
  EXPECT_EQ(inkCount(220), 32);  // lower half block
  for (int c = 1; c < 255; ++c) {
    if (c != 32) {
      EXPECT_GT(inkCount(c), 0) << c;
    }
  }

  // The whole atlas, bit for bit (FNV-1a of the pixel data).
  std::uint64_t hash = 1469598103934665603ull;
  for (const std::uint8_t byte : font.data) hash = (hash ^ byte) * 1099511628211ull;
  EXPECT_EQ(hash, 6420374175258212457ull);
}

}  // namespace
