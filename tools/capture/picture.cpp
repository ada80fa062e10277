#include "picture.h"

#include <algorithm>
#include <string>

#include "kalt/run_tree.h"

namespace capture {

Picture::Picture(int scale, kalt::GridSize grid)
    : scale_(scale),
      grid_(grid),
      pixels_(grid.columns * gldisplay::kGlyphSize, grid.rows * gldisplay::kGlyphSize),
      scaled_(pixels_.width * scale, pixels_.height * scale) {
  const std::string path = kalt::ShowFile(gldisplay::kFontPath);
  if (!gldisplay::LoadFontTga(path.c_str(), font_) || !gldisplay::FontHasGlyphs(font_))
    throw CaptureError("cannot read the font atlas " + path);
}

const std::vector<std::uint32_t>& Picture::Draw(kalt::CellView cells) {
  // 1. The cells in pixels.
  if (cells.columns != grid_.columns || cells.rows != grid_.rows) cells = {};
  gldisplay::RenderCells(cells, pixels_, gldisplay::kPalette, font_);
  if (scale_ == 1) return pixels_.words;
  // 2. Each pixel a square: a row widened, then repeated.
  for (int y = 0; y < pixels_.height; ++y) {
    const std::uint32_t* in = pixels_.words.data() + static_cast<std::size_t>(y) * pixels_.width;
    std::uint32_t* out = scaled_.words.data() + static_cast<std::size_t>(y) * scale_ * scaled_.width;
    for (int x = 0; x < pixels_.width; ++x) std::fill_n(out + x * scale_, scale_, in[x]);
    for (int copy = 1; copy < scale_; ++copy) std::copy_n(out, scaled_.width, out + copy * scaled_.width);
  }
  return scaled_.words;
}

}  // namespace capture
