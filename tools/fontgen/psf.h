// PC Screen Font files (PSF1 and PSF2, as the Linux console uses them), with
// their Unicode tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace fontgen {

struct PsfFont {
  int glyphCount = 0;
  int width = 0;        // pixels per glyph row
  int height = 0;       // rows per glyph
  int bytesPerRow = 0;  // (width + 7) / 8, left pixel in the top bit
  int bytesPerGlyph = 0;
  std::vector<std::uint8_t> bitmaps;   // glyphCount * bytesPerGlyph
  std::map<char32_t, int> glyphOf;     // the first glyph listed for each character
};

// Parses the bytes of an uncompressed PSF1 or PSF2 font. Returns false with a
// message for a file that is not one, is cut short, or whose sizes do not
// fit the file. Unicode sequences (several characters drawn as one glyph)
// are skipped; a font without a Unicode table has an empty glyphOf.
bool ParsePsf(const std::uint8_t* bytes, std::size_t size, PsfFont& font, std::string& error);

// Whether the pixel at (column, row) of a glyph is ink; false outside the
// font.
bool GlyphInk(const PsfFont& font, int glyph, int column, int row);

}  // namespace fontgen
