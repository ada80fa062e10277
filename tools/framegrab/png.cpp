// PNG stills: a frame drawn as gldemo's window shows it, 8 by 8 pixels a
// cell with the font atlas and the 16-colour palette (640 by 400 for an 80
// by 50 frame).
#include <png.h>

#include <algorithm>
#include <vector>

#include "frame.h"
#include "gldisplay/cells.h"
#include "kalt/run_tree.h"

namespace framegrab {

namespace {

bool WritePng(const Frame& frame, const std::string& path, std::string& error) {
  // 1. The font atlas of the run tree.
  const std::string fontPath = kalt::RunTreeFile("data/font.tga");
  gldisplay::FontImage font;
  if (!gldisplay::LoadFontTga(fontPath.c_str(), font) || !gldisplay::FontHasGlyphs(font)) {
    error = "cannot read the font atlas " + fontPath;
    return false;
  }

  // 2. The cells, rasterised.
  const std::size_t count = static_cast<std::size_t>(std::max(frame.width, 0)) * std::max(frame.height, 0);
  if (frame.ch.size() < count || frame.attr.size() < count) {
    error = "the frame has fewer cells than its size";
    return false;
  }
  std::vector<kalt::Cell> cells(count);
  for (std::size_t i = 0; i < count; ++i) cells[i] = {frame.ch[i], frame.attr[i]};
  gldisplay::Surface pixels(frame.width * gldisplay::kGlyphSize, frame.height * gldisplay::kGlyphSize);
  gldisplay::RenderCells({cells, frame.width, frame.height}, pixels, gldisplay::kPalette, font);

  // 3. The pixels as 8-bit RGB.
  std::vector<std::uint8_t> rgb;
  rgb.reserve(pixels.words.size() * 3);
  for (const std::uint32_t word : pixels.words)
    rgb.insert(rgb.end(), {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
                           static_cast<std::uint8_t>(word >> 16)});
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(pixels.width);
  image.height = static_cast<png_uint_32>(pixels.height);
  image.format = PNG_FORMAT_RGB;
  const bool written = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
  if (!written) error = "cannot write " + path + ": " + image.message;
  png_image_free(&image);
  return written;
}

[[maybe_unused]] const bool kRegistered = (RegisterWriter(".png", WritePng), true);

}  // namespace

}  // namespace framegrab
