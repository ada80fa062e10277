// The text screen in pixels: the pixel surface, the 16-colour palette and
// the software rasteriser that draws a frame of cells (kalt/cell.h) with the
// glyphs of a font atlas. Nothing here touches a window or the GL.
#pragma once

#include <cstdint>
#include <vector>

#include "gldisplay/font_tga.h"
#include "kalt/cell.h"

namespace gldisplay {

// A row-major rectangle of pixel words: red in bits 0-7, green 8-15, blue
// 16-23, 0 in 24-31, so that the words read as bytes are R, G, B, A.
struct Surface {
  // All words 0. A negative width or height counts as 0.
  Surface(int width, int height);

  int width;
  int height;
  std::vector<std::uint32_t> words;  // width * height
};

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

// Rasterises the frame into the pixel surface: cell (x, y) covers the 8 by
// 8 pixels from (8x, 8y), each the palette colour of the cell's ink (low
// nibble of the attribute's low byte) where its glyph (the character's low
// byte) has an ink texel and of its paper (high nibble) elsewhere. Pixels
// outside the pixel surface are not written (a small surface shows the
// top-left cells); pixels the cells do not cover keep their value. A font
// without glyphs (see FontHasGlyphs) draws every cell in its paper colour
// alone. A frame that is not whole (see kalt::CellView) draws nothing.
void RenderCells(kalt::CellView frame, Surface& pixels, const Rgb* palette, const FontImage& font);

}  // namespace gldisplay
