#include "psf.h"

namespace fontgen {

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Reads the PSF1 Unicode table: per glyph, 16-bit characters up to 0xFFFF,
// sequences introduced by 0xFFFE.
void ReadPsf1Table(const std::uint8_t* p, const std::uint8_t* end, PsfFont& font) {
  int glyph = 0;
  bool sequence = false;
  for (; end - p >= 2 && glyph < font.glyphCount; p += 2) {
    const char32_t c = p[0] | p[1] << 8;
    if (c == 0xFFFF) {
      ++glyph;
      sequence = false;
    } else if (c == 0xFFFE) {
      sequence = true;
    } else if (!sequence) {
      font.glyphOf.emplace(c, glyph);
    }
  }
}

// Reads the PSF2 Unicode table: per glyph, UTF-8 characters up to 0xFF,
// sequences introduced by 0xFE. Malformed bytes are skipped.
void ReadPsf2Table(const std::uint8_t* p, const std::uint8_t* end, PsfFont& font) {
  int glyph = 0;
  bool sequence = false;
  while (p < end && glyph < font.glyphCount) {
    const std::uint8_t lead = *p++;
    if (lead == 0xFF) {
      ++glyph;
      sequence = false;
      continue;
    }
    if (lead == 0xFE) {
      sequence = true;
      continue;
    }
    const int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
    if (extra < 0 || end - p < extra) continue;
    char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    bool valid = true;
    for (int i = 0; i < extra; ++i) {
      valid = valid && (p[i] & 0xC0) == 0x80;
      c = c << 6 | (p[i] & 0x3F);
    }
    if (!valid) continue;
    p += extra;
    if (!sequence) font.glyphOf.emplace(c, glyph);
  }
}

bool Fail(std::string& error, const char* message) {
  error = message;
  return false;
}

}  // namespace

bool ParsePsf(const std::uint8_t* bytes, std::size_t size, PsfFont& font, std::string& error) {
  font = PsfFont();
  const std::uint8_t* end = bytes + size;
  std::size_t headerSize = 0;
  bool hasTable = false;
  bool psf2 = false;
  std::uint64_t glyphCount = 0, glyphBytes = 0, width = 0, height = 0;

  // 1. The header.
  if (size >= 4 && bytes[0] == 0x36 && bytes[1] == 0x04) {
    const std::uint8_t mode = bytes[2];
    headerSize = 4;
    glyphCount = mode & 0x01 ? 512 : 256;
    hasTable = (mode & 0x06) != 0;
    glyphBytes = height = bytes[3];
    width = 8;
  } else if (size >= 32 && Le32(bytes) == 0x864AB572u) {
    psf2 = true;
    headerSize = Le32(bytes + 8);
    hasTable = (Le32(bytes + 12) & 1) != 0;
    glyphCount = Le32(bytes + 16);
    glyphBytes = Le32(bytes + 20);
    height = Le32(bytes + 24);
    width = Le32(bytes + 28);
    if (headerSize < 32 || headerSize > size) return Fail(error, "bad PSF2 header size");
  } else {
    return Fail(error, "not a PSF1 or PSF2 font");
  }

  // 2. The glyphs must fit their byte count and the file.
  const std::uint64_t bytesPerRow = (width + 7) / 8;
  if (width == 0 || height == 0 || width > 256 || height > 256 || glyphCount == 0 ||
      glyphCount > 65536)
    return Fail(error, "bad glyph size or count");
  if (glyphBytes < bytesPerRow * height) return Fail(error, "glyphs smaller than their size");
  if (glyphCount > (size - headerSize) / glyphBytes) return Fail(error, "font shorter than its glyphs");
  font.glyphCount = static_cast<int>(glyphCount);
  font.width = static_cast<int>(width);
  font.height = static_cast<int>(height);
  font.bytesPerRow = static_cast<int>(bytesPerRow);
  font.bytesPerGlyph = static_cast<int>(glyphBytes);
  const std::uint8_t* glyphs = bytes + headerSize;
  const std::uint8_t* table = glyphs + glyphCount * glyphBytes;
  font.bitmaps.assign(glyphs, table);

  // 3. The Unicode table.
  if (hasTable) (psf2 ? ReadPsf2Table : ReadPsf1Table)(table, end, font);
  return true;
}

bool GlyphInk(const PsfFont& font, int glyph, int column, int row) {
  if (glyph < 0 || glyph >= font.glyphCount || column < 0 || column >= font.width || row < 0 || row >= font.height)
    return false;
  const std::size_t at = static_cast<std::size_t>(glyph) * font.bytesPerGlyph +
                         static_cast<std::size_t>(row) * font.bytesPerRow + column / 8;
  return (font.bitmaps[at] >> (7 - column % 8) & 1) != 0;
}

}  // namespace fontgen
