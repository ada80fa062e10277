// Feeds arbitrary bytes to the font atlas loader, and draws a screen of
// cells with whatever it accepted.
#include <cstdint>
#include <cstdlib>

#include "gldisplay/cells.h"
#include "gldisplay/font_tga.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  gldisplay::FontImage image;
  const bool loaded = gldisplay::DecodeFontTga(data, size, image);
  if (loaded != !image.data.empty()) std::abort();
  if (loaded && image.data.size() != std::size_t{image.width} * image.height * (image.bitsPerPixel / 8)) std::abort();

  // Every character over the image, whatever its size.
  gldisplay::Surface cells(16, 16), pixels(128, 128);
  for (std::size_t i = 0; i < cells.words.size(); ++i) cells.words[i] = static_cast<std::uint32_t>(i) | 0x7A0000u;
  gldisplay::RenderCells(cells, pixels, gldisplay::kPalette, image);
  return 0;
}
