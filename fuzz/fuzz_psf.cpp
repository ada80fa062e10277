// Feeds arbitrary bytes to fontgen's PSF reader and looks at every glyph
// and Unicode entry it reports.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "psf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fontgen::PsfFont font;
  std::string error;
  if (!fontgen::ParsePsf(data, size, font, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (font.bitmaps.size() != static_cast<std::size_t>(font.glyphCount) * font.bytesPerGlyph) std::abort();
  int ink = 0;
  for (int glyph = 0; glyph < font.glyphCount; ++glyph)
    for (int row = 0; row < font.height; ++row)
      for (int column = 0; column < font.width; ++column) ink += fontgen::GlyphInk(font, glyph, column, row);
  if (ink < 0) std::abort();
  for (const auto& entry : font.glyphOf)
    if (entry.second < 0 || entry.second >= font.glyphCount) std::abort();
  return 0;
}
