// Feeds arbitrary bytes to the font atlas loader, and draws a screen of
// cells with whatever it accepted.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "gldisplay/cells.h"
#include "gldisplay/font_tga.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  gldisplay::FontImage image;
  const bool loaded = gldisplay::DecodeFontTga(data, size, image);
  if (loaded != !image.data.empty()) std::abort();
  if (loaded && image.data.size() != std::size_t{image.width} * image.height * (image.bitsPerPixel / 8)) std::abort();

  // Every character over the image, whatever its size.
  std::vector<kalt::Cell> cells(16 * 16);
  for (std::size_t i = 0; i < cells.size(); ++i) cells[i] = {static_cast<std::uint16_t>(i), 0x7A};
  gldisplay::Surface pixels(128, 128);
  gldisplay::RenderCells({cells, 16, 16}, pixels, gldisplay::kPalette, image);
  return 0;
}
