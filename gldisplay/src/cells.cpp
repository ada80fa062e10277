// Software rasterisation of the cell screen.
#include "gldisplay/cells.h"

#include "kalt/palette.h"

namespace gldisplay {

Surface::Surface(int width, int height)
    : width(width > 0 ? width : 0),
      height(height > 0 ? height : 0),
      words(static_cast<std::size_t>(this->width) * static_cast<std::size_t>(this->height), 0) {}

namespace {

constexpr Rgb PaletteEntry(int index) {
  return {kalt::kPcPalette[index][0], kalt::kPcPalette[index][1], kalt::kPcPalette[index][2]};
}

}  // namespace

const Rgb kPalette[16] = {
    PaletteEntry(0),  PaletteEntry(1),  PaletteEntry(2),  PaletteEntry(3),  PaletteEntry(4),  PaletteEntry(5),
    PaletteEntry(6),  PaletteEntry(7),  PaletteEntry(8),  PaletteEntry(9),  PaletteEntry(10), PaletteEntry(11),
    PaletteEntry(12), PaletteEntry(13), PaletteEntry(14), PaletteEntry(15),
};

namespace {

constexpr std::size_t kAtlasWidth = 128;
constexpr std::size_t kTexelBytes = 3;

std::size_t GlyphStart(unsigned c) { return ((c / 16) * kAtlasWidth + c % 16) * kGlyphSize * kTexelBytes; }

std::size_t LineBytes(const FontImage& font) {
  return static_cast<std::size_t>(font.bitsPerPixel / 8) * font.width;
}

}  // namespace

bool FontHasGlyphs(const FontImage& font) {
  if (font.data.empty()) return false;
  const std::size_t last = GlyphStart(255) + (kGlyphSize - 1) * LineBytes(font) + (kGlyphSize - 1) * kTexelBytes;
  return last < font.data.size();
}

void RenderCells(kalt::CellView frame, Surface& pixels, const Rgb* palette, const FontImage& font) {
  if (!frame.Whole()) return;
  const bool glyphs = FontHasGlyphs(font);
  const std::size_t line = LineBytes(font);
  for (int row = 0; row < frame.rows; ++row) {
    for (int column = 0; column < frame.columns; ++column) {
      // 1. The cell's glyph and its two colours.
      const kalt::Cell cell = frame.cells[static_cast<std::size_t>(row) * frame.columns + column];
      const unsigned c = cell.ch & 0xFF;
      const std::uint32_t fg = PixelWord(palette[cell.attr & 15]);
      const std::uint32_t bg = PixelWord(palette[(cell.attr >> 4) & 15]);
      // 2. Its 8 by 8 pixels, ink in the foreground colour.
      for (int k = 0; k < kGlyphSize; ++k) {
        const int y = row * kGlyphSize + k;
        if (y >= pixels.height) break;
        const std::uint8_t* texels = glyphs ? font.data.data() + GlyphStart(c) + k * line : nullptr;
        std::uint32_t* out = pixels.words.data() + static_cast<std::size_t>(y) * pixels.width;
        for (int l = 0; l < kGlyphSize; ++l) {
          const int x = column * kGlyphSize + l;
          if (x >= pixels.width) break;
          out[x] = texels && texels[l * kTexelBytes] == 0 ? fg : bg;
        }
      }
    }
  }
}

}  // namespace gldisplay
