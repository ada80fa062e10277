// The text screen in pixels: cell and pixel surfaces, the 16-colour palette
// and the software rasteriser that draws cells with the glyphs of a font
// atlas. Nothing here touches a window or the GL.
#pragma once

#include <cstdint>
#include <vector>

#include "gldisplay/font_tga.h"
#include "kalt/cell.h"

namespace gldisplay {

// A row-major rectangle of 32-bit words. A cell screen holds one word per
// cell: bits 0-7 the character, bits 16-19 the foreground colour index, bits
// 20-23 the background colour index (other bits not read). A pixel surface
// holds one word per pixel: red in bits 0-7, green 8-15, blue 16-23, 0 in
// 24-31, so that the words read as bytes are R, G, B, A.
struct Surface {
  // All words 0. A negative width or height counts as 0.
  Surface(int width, int height);

  int width;
  int height;
  std::vector<std::uint32_t> words;  // width * height
};

// The cell screen word of a console cell: its character byte in bits 0-7,
// its attribute byte (ink in the low nibble, paper in the high one) in bits
// 16-23.
constexpr std::uint32_t ScreenWord(kalt::Cell cell) {
  return (cell.ch & 0xFFu) | (cell.attr & 0xFFu) << 16;
}

// One palette colour, each channel 0..255.
struct Rgb {
  std::int32_t r, g, b;
};

// The 16 colours of the PC text palette, indexed by colour number.
extern const Rgb kPalette[16];

// The pixel word of a colour: r + g * 256 + b * 65536.
inline std::uint32_t PixelWord(const Rgb& c) {
  return static_cast<std::uint32_t>(c.r) + static_cast<std::uint32_t>(c.g) * 256u +
         static_cast<std::uint32_t>(c.b) * 65536u;
}

// Glyphs in the atlas: 16 rows of 16 glyphs of 8 by 8 texels, 128 texels
// wide, 3 bytes per texel; glyph c starts at byte
// ((c / 16) * 128 + c % 16) * 24, its line k is k image lines further on,
// texel l 3 * l bytes further. A texel whose first (red) byte is 0 is ink,
// anything else paper.
constexpr int kGlyphSize = 8;

// Whether every glyph texel lies inside the image's data, so that the
// rasteriser may read them. False for an image without data.
bool FontHasGlyphs(const FontImage& font);

// Rasterises the cell screen into the pixel surface: cell (x, y) covers the
// 8 by 8 pixels from (8x, 8y), each the palette colour of the cell's
// foreground where its glyph texel is ink and of its background elsewhere.
// Pixels outside the pixel surface are not written (a small surface shows
// the top-left cells); pixels the cells do not cover keep their value. A
// font without glyphs (see FontHasGlyphs) draws every cell in its
// background colour alone.
void RenderCells(const Surface& cells, Surface& pixels, const Rgb* palette, const FontImage& font);

}  // namespace gldisplay
