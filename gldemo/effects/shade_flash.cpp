// ShadeFlash: a colour laid over the whole canvas in an ordered 2 by 2
// dither of the shade characters, its coverage following the strength.
#include <algorithm>

#include "cella/cella.h"
#include "gldemo/effects.h"
#include "kalt/fmath.h"

namespace gldemo {

namespace {

// Space, light, medium and dark shade, full block.
constexpr std::uint8_t kShades[5] = {32, 176, 177, 178, 219};

}  // namespace

void ShadeFlash(cella::Canvas* canvas, int colour, float strength) {
  if (!canvas || !canvas->data || colour < 0 || colour > 15) return;

  // 1. The dither cell n of each 2 by 2 block (n = column mod 2 + 2 (row
  //    mod 2)) takes shade level trunc((4 strength - n) * 4.1), kept to
  //    0..4: full strength covers all four cells, and each quarter of the
  //    strength brings one more cell to the full block.
  cella::Pixel pattern[4];
  const float q = 4.0f * strength;
  for (int n = 0; n < 4; ++n) {
    const int level = std::clamp(kalt::TruncInt((q - static_cast<float>(n)) * 4.1f), 0, 4);
    pattern[n] = {kShades[level], static_cast<std::int8_t>(colour), cella::Transparent};
  }

  // 2. Every cell takes its dither cell under the Normal rule: over a space
  //    nothing changes; otherwise the shade character in the colour, with
  //    the old ink kept as paper where the old glyph was mostly ink.
  for (int row = 0; row < canvas->height; ++row) {
    cella::Pixel* line = canvas->data + static_cast<long>(row) * canvas->width;
    for (int column = 0; column < canvas->width; ++column)
      cella::BlendCell(line[column], pattern[(column & 1) + 2 * (row & 1)], cella::Normal);
  }
}

}  // namespace gldemo
