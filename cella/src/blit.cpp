// Blending one cell onto another, and blitting rectangles of cells.
#include <algorithm>
#include <cstdint>

#include "cella/cella.h"

namespace cella {

const std::uint8_t GlyphCoverage[256] = {
    0,   127, 207, 135, 100, 127, 135, 48,  207, 79,  175, 131, 119, 119, 151, 143,  //   0
    99,  99,  111, 95,  147, 135, 71,  135, 79,  79,  60,  60,  52,  79,  111, 111,  //  16
    0,   47,  47,  135, 99,  79,  115, 24,  56,  56,  95,  56,  24,  24,  16,  52,   //  32
    143, 75,  107, 95,  99,  111, 111, 75,  123, 111, 32,  40,  56,  48,  56,  64,   //  48
    139, 119, 135, 95,  119, 107, 87,  107, 123, 87,  75,  111, 75,  147, 135, 119,  //  64
    103, 139, 127, 107, 79,  115, 111, 127, 107, 95,  95,  71,  52,  71,  48,  31,   //  80
    24,  91,  103, 79,  103, 91,  83,  111, 103, 59,  75,  99,  67,  111, 87,  87,   //  96
    95,  95,  63,  83,  75,  83,  79,  95,  76,  103, 83,  68,  48,  68,  40,  91,   // 112
    107, 103, 103, 119, 107, 103, 107, 91,  123, 107, 103, 67,  79,  63,  115, 103,  // 128
    103, 107, 143, 115, 103, 99,  99,  99,  111, 119, 99,  119, 99,  119, 147, 95,   // 144
    103, 63,  99,  99,  99,  131, 91,  87,  64,  40,  40,  139, 143, 48,  79,  79,   // 160
    64,  127, 191, 63,  75,  87,  135, 75,  71,  135, 127, 107, 91,  91,  63,  43,   // 176
    51,  63,  55,  75,  31,  87,  87,  131, 83,  99,  91,  107, 127, 63,  135, 79,   // 192
    95,  87,  79,  87,  63,  71,  71,  143, 111, 51,  43,  255, 127, 127, 127, 127,  // 208
    91,  115, 75,  91,  95,  83,  99,  72,  127, 127, 119, 103, 95,  127, 75,  111,  // 224
    71,  79,  63,  63,  83,  83,  55,  79,  55,  16,  8,   103, 79,  75,  64,  4,    // 240
};

std::int8_t AddColors(std::int8_t a, std::int8_t b) {
  if (a == b) {
    if (a < 8) return static_cast<std::int8_t>(a + 8);
    return a == 8 ? 7 : 15;
  }
  if ((a & 7) != (b & 7)) {
    const int a0 = a == 8 ? 0 : a;
    const int b0 = b == 8 ? 0 : b;
    return static_cast<std::int8_t>(a0 | b0);
  }
  // The dark and the bright version of one hue.
  static constexpr std::int8_t mix[8] = {8, 13, 11, 11, 14, 13, 14, 15};
  return mix[a & 7];
}

std::int8_t SubtractColors(std::int8_t a, std::int8_t b) {
  if (b == 0) return a;
  if (b == 15) return 0;
  if (a == b) return 0;
  if ((a & 7) == (b & 7)) return b > a ? 0 : b;
  return static_cast<std::int8_t>(static_cast<std::uint8_t>(a & ~b));
}

namespace {

void BlendNormal(Pixel& dst, const Pixel& src) {
  const bool inkSet = src.fg != Transparent;
  const bool paperSet = src.bg != Transparent;
  if (!inkSet && !paperSet) return;
  if (!inkSet) {
    // The new glyph's ink is a hole: the old cell's dominant colour shows
    // through it, the new paper around it.
    if (GlyphCoverage[src.ch] == 255) return;
    const std::uint8_t old = dst.ch;
    dst.ch = src.ch;
    if (GlyphCoverage[old] < 127) dst.fg = dst.bg;
    dst.bg = src.bg;
    return;
  }
  if (!paperSet) {
    if (GlyphCoverage[src.ch] == 0) return;
    const std::uint8_t old = dst.ch;
    dst.ch = src.ch;
    if (GlyphCoverage[old] >= 127) dst.bg = dst.fg;
    dst.fg = src.fg;
    return;
  }
  dst = src;
}

// Applies op to each colour of the source that is set, background first.
template <typename Op>
void BlendColors(Pixel& dst, const Pixel& src, Op op) {
  if (src.bg != Transparent) dst.bg = op(dst.bg, src.bg);
  if (src.fg != Transparent) dst.fg = op(dst.fg, src.fg);
}

}  // namespace

void BlendCell(Pixel& dst, const Pixel& src, int mode) {
  using C = std::int8_t;
  switch (mode) {
    case Add: BlendColors(dst, src, AddColors); break;
    case Subtract: BlendColors(dst, src, SubtractColors); break;
    case Or: BlendColors(dst, src, [](C a, C b) { return C(a | b); }); break;
    case And: BlendColors(dst, src, [](C a, C b) { return C(a & b); }); break;
    case Xor: BlendColors(dst, src, [](C a, C b) { return C(a ^ b); }); break;
    case CharOnly:
      if (src.fg != Transparent && src.bg != Transparent) dst.ch = src.ch;
      break;
    case ColorsOnly:
      if (src.fg != Transparent) dst.fg = src.fg;
      if (src.bg != Transparent) dst.bg = src.bg;
      break;
    case FgOnly:
      if (src.fg != Transparent) dst.fg = src.fg;
      break;
    case BgOnly:
      if (src.bg != Transparent) dst.bg = src.bg;
      break;
    case Denser:
      if (src.fg != Transparent && GlyphCoverage[src.ch] > GlyphCoverage[dst.ch]) dst.ch = src.ch;
      break;
    case Sparser:
      if (src.fg != Transparent && GlyphCoverage[src.ch] < GlyphCoverage[dst.ch]) dst.ch = src.ch;
      break;
    default: BlendNormal(dst, src); break;
  }
}

void Blit(Canvas* dst, Canvas* src) {
  if (!dst || !src) return;
  const int rows = std::min(dst->height, src->height);
  const int columns = std::min(dst->width, src->width);
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < columns; ++x)
      BlendCell(dst->data[y * dst->width + x], src->data[y * src->width + x], src->blendMode);
}

void Blit(Canvas* dst, Canvas* src, int mode) {
  if (!src) return;
  Blit(dst, src, mode, 0, 0, 0, 0, src->width, src->height);
}

void Blit(Canvas* dst, Canvas* src, int mode, int srcX, int srcY) {
  if (!src) return;
  Blit(dst, src, mode, srcX, srcY, 0, 0, src->width, src->height);
}

void Blit(Canvas* dst, Canvas* src, int mode, int srcX, int srcY, int dstX, int dstY) {
  if (!src) return;
  Blit(dst, src, mode, srcX, srcY, dstX, dstY, src->width, src->height);
}

void Blit(Canvas* dst, Canvas* src, int mode, int srcX, int srcY, int dstX, int dstY, int width,
          int height) {
  if (!dst || !src) return;
  if (mode == 0) mode = src->blendMode;

  // The clipping works in 64 bits, so that no int argument can overflow it.
  std::int64_t sx = srcX, sy = srcY, dx = dstX, dy = dstY, w = width, h = height;
  // 1. The destination's left and top edges.
  if (dx < 0) { sx -= dx; w += dx; dx = 0; }
  if (dy < 0) { sy -= dy; h += dy; dy = 0; }
  // 2. The destination's right and bottom edges.
  if (dx + w >= dst->width) w = dst->width - dx;
  if (dy + h >= dst->height) h = dst->height - dy;
  // 3. The source's left and top edges.
  if (sx < 0) { dx -= sx; w += sx; sx = 0; }
  if (sy < 0) { dy -= sy; h += sy; sy = 0; }
  // 4. The source's right and bottom edges.
  if (sx + w >= src->width) w = src->width - sx;
  if (sy + h >= src->height) h = src->height - sy;
  if (w <= 0 || h <= 0) return;

  for (std::int64_t r = 0; r < h; ++r) {
    Pixel* d = dst->data + (dy + r) * dst->width + dx;
    const Pixel* s = src->data + (sy + r) * src->width + sx;
    for (std::int64_t c = 0; c < w; ++c) BlendCell(d[c], s[c], mode);
  }
}

}  // namespace cella
