// fontgen: makes the text screen's font atlas from an 8 by 8 Linux console
// font.
//
//   fontgen FONT.psf[.gz] OUTPUT.tga
//
// The font (PSF1 or PSF2 with a Unicode table, gzip-compressed or not) is
// mapped onto code page 437 by Unicode character; the few characters a font
// may lack are drawn here. The atlas is a 24-bit uncompressed TGA image,
// 128 by 128 texels: 16 rows of 16 glyphs of 8 by 8, glyph 0 at the top
// left, glyph rows stored from the top down (the descriptor says so, so that
// image viewers show it upright), ink black and paper white. The same font
// gives the same bytes.
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "kalt/cp437.h"
#include "psf.h"

namespace {

using fontgen::PsfFont;

// Code page 437 characters that console fonts often lack, drawn in the
// style of the VGA font: 8 rows of 8 pixels, 'X' for ink.
struct DrawnGlyph {
  std::uint8_t code;
  const char* rows[8];
};

constexpr DrawnGlyph kDrawnGlyphs[] = {
    {16,  // black right-pointing pointer
     {"X.......", "XXX.....", "XXXXX...", "XXXXXXX.", "XXXXX...", "XXX.....", "X.......", "........"}},
    {17,  // black left-pointing pointer
     {"......X.", "....XXX.", "..XXXXX.", "XXXXXXX.", "..XXXXX.", "....XXX.", "......X.", "........"}},
    {158,  // peseta sign
     {"XXXX....", "XX.XX...", "XX.XX.X.", "XXXX.XXX", "XX....X.", "XX....X.", "XX.....X", "........"}},
    {169,  // reversed not sign
     {"........", "........", "........", "XXXXXXX.", "XX......", "XX......", "........", "........"}},
    {236,  // infinity
     {"........", "........", ".XX.XX..", "X..X..X.", "X..X..X.", ".XX.XX..", "........", "........"}},
    {239,  // intersection
     {"........", "..XXXX..", ".XX..XX.", ".XX..XX.", ".XX..XX.", ".XX..XX.", ".XX..XX.", "........"}},
    {240,  // identical to
     {"........", ".XXXXXX.", "........", ".XXXXXX.", "........", ".XXXXXX.", "........", "........"}},
};

constexpr int kGlyph = 8;
constexpr int kAtlas = 16 * kGlyph;  // texels across and down

// Reads a file, inflating it when it is gzip-compressed (zlib passes other
// files through); at most 16 MiB.
bool ReadFont(const std::string& path, std::vector<std::uint8_t>& bytes) {
  const gzFile file = gzopen(path.c_str(), "rb");
  if (!file) return false;
  std::uint8_t chunk[65536];
  int got = 0;
  while ((got = gzread(file, chunk, sizeof chunk)) > 0 && bytes.size() < (16u << 20))
    bytes.insert(bytes.end(), chunk, chunk + got);
  return gzclose(file) == Z_OK && got == 0;
}

// The drawn glyph of a code, or null.
const DrawnGlyph* Drawn(int code) {
  for (const DrawnGlyph& drawn : kDrawnGlyphs)
    if (drawn.code == code) return &drawn;
  return nullptr;
}

// The 8 by 8 ink mask of every code page 437 character, rows top down, the
// left pixel in the top bit: the font's glyph, else the drawn one. Names
// the characters that have neither.
bool MapGlyphs(const PsfFont& font, std::uint8_t (&masks)[256][kGlyph], std::string& missing) {
  for (int code = 0; code < 256; ++code) {
    const auto found = font.glyphOf.find(kalt::kCp437[code]);
    const DrawnGlyph* drawn = Drawn(code);
    if (found == font.glyphOf.end() && !drawn) missing.append(" ").append(std::to_string(code));
    for (int row = 0; row < kGlyph; ++row)
      for (int column = 0; column < kGlyph; ++column)
        if (found != font.glyphOf.end() ? fontgen::GlyphInk(font, found->second, column, row)
                                        : drawn && drawn->rows[row][column] == 'X')
          masks[code][row] |= 0x80 >> column;
  }
  return missing.empty();
}

// The atlas as a TGA file: an 18-byte header, then blue-green-red texels.
std::vector<std::uint8_t> AtlasTga(const std::uint8_t (&masks)[256][kGlyph]) {
  std::vector<std::uint8_t> tga = {
      0,                   // no identification field
      0,                   // no colour map
      2,                   // uncompressed true colour
      0, 0, 0, 0, 0,       // colour map: first entry, length, entry size (unused)
      0, 0, 0, 0,          // x and y origin
      kAtlas, 0, kAtlas, 0,  // width and height, little-endian
      24,                  // bits per pixel
      0x20,                // no alpha bits; first stored row is the top one
  };
  for (int y = 0; y < kAtlas; ++y) {
    for (int x = 0; x < kAtlas; ++x) {
      const int code = y / kGlyph * 16 + x / kGlyph;
      const bool ink = masks[code][y % kGlyph] >> (7 - x % kGlyph) & 1;
      const std::uint8_t value = ink ? 0 : 255;
      tga.insert(tga.end(), {value, value, value});
    }
  }
  return tga;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: fontgen FONT.psf[.gz] OUTPUT.tga\n";
    return 2;
  }
  std::vector<std::uint8_t> bytes;
  if (!ReadFont(argv[1], bytes)) {
    std::cerr << "fontgen: cannot read " << argv[1] << "\n";
    return 1;
  }
  PsfFont font;
  std::string error;
  if (!fontgen::ParsePsf(bytes.data(), bytes.size(), font, error)) {
    std::cerr << "fontgen: " << argv[1] << ": " << error << "\n";
    return 1;
  }
  if (font.width != kGlyph || font.height != kGlyph || font.glyphOf.empty()) {
    std::cerr << "fontgen: " << argv[1] << ": need an 8 by 8 font with a Unicode table\n";
    return 1;
  }
  std::uint8_t masks[256][kGlyph] = {};
  std::string missing;
  if (!MapGlyphs(font, masks, missing)) {
    std::cerr << "fontgen: " << argv[1] << " has no glyph for code page 437 codes" << missing << "\n";
    return 1;
  }
  const std::vector<std::uint8_t> tga = AtlasTga(masks);
  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(tga.data()), static_cast<std::streamsize>(tga.size()));
  out.close();
  if (!out) {
    std::cerr << "fontgen: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
