// TGA true-colour images into memory, with the colour bytes put in red,
// green, blue (alpha) order.
#include <cstdio>
#include <memory>

#include "gldisplay/font_tga.h"

namespace gldisplay {

namespace {

constexpr std::size_t kHeaderSize = 18;
constexpr std::uint8_t kUncompressed = 2;
constexpr std::uint8_t kRunLength = 10;

// Stores one file pixel (blue, green, red[, alpha]) as red, green, blue[, alpha].
void StorePixel(const std::uint8_t* file, std::uint8_t* out, std::size_t bytesPerPixel) {
  out[0] = file[2];
  out[1] = file[1];
  out[2] = file[0];
  if (bytesPerPixel == 4) out[3] = file[3];
}

// Decodes run-length packets from bytes[at, size) until every pixel of out is
// stored; false when the packets end first.
bool DecodeRuns(const std::uint8_t* bytes, std::size_t size, std::size_t at, std::size_t bytesPerPixel,
                std::vector<std::uint8_t>& out) {
  const std::size_t pixels = out.size() / bytesPerPixel;
  std::size_t stored = 0;
  while (stored < pixels) {
    if (at >= size) return false;
    const std::uint8_t header = bytes[at++];
    const bool run = header >= 128;
    // A packet may claim more pixels than are left: the rest are not stored.
    std::size_t count = run ? header - 127u : header + 1u;
    if (count > pixels - stored) count = pixels - stored;
    for (std::size_t k = 0; k < count; ++k) {
      if (k == 0 || !run) {
        if (size - at < bytesPerPixel) return false;
        at += bytesPerPixel;
      }
      StorePixel(bytes + at - bytesPerPixel, out.data() + (stored + k) * bytesPerPixel, bytesPerPixel);
    }
    stored += count;
  }
  return true;
}

}  // namespace

bool DecodeFontTga(const std::uint8_t* bytes, std::size_t size, FontImage& image) {
  image.data.clear();
  // 1. The header: image type, size and depth.
  if (size < kHeaderSize) return false;
  const std::uint8_t type = bytes[2];
  if (type != kUncompressed && type != kRunLength) return false;
  const std::uint32_t width = bytes[12] | bytes[13] << 8;
  const std::uint32_t height = bytes[14] | bytes[15] << 8;
  const std::uint32_t bitsPerPixel = bytes[16];
  if (width == 0 || height == 0 || (bitsPerPixel != 24 && bitsPerPixel != 32)) return false;

  // 2. The identification field is skipped.
  const std::size_t start = kHeaderSize + bytes[0];
  if (start > size) return false;

  // 3. Refuse a file too short to hold the image before allocating it: the
  //    uncompressed image is stored whole, a run packet of one pixel value
  //    yields at most 128 pixels.
  const std::size_t bytesPerPixel = bitsPerPixel / 8;
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  const std::size_t left = size - start;
  const std::size_t capacity = type == kUncompressed ? left / bytesPerPixel : left / (1 + bytesPerPixel) * 128;
  if (capacity < pixels) return false;
  std::vector<std::uint8_t> data(pixels * bytesPerPixel);

  // 4. The pixels.
  if (type == kUncompressed) {
    for (std::size_t p = 0; p < pixels; ++p)
      StorePixel(bytes + start + p * bytesPerPixel, data.data() + p * bytesPerPixel, bytesPerPixel);
  } else if (!DecodeRuns(bytes, size, start, bytesPerPixel, data)) {
    return false;
  }
  image.data = std::move(data);
  image.bitsPerPixel = bitsPerPixel;
  image.width = width;
  image.height = height;
  image.format = bitsPerPixel == 24 ? kFormatRgb : kFormatRgba;
  return true;
}

bool LoadFontTga(const char* path, FontImage& image) {
  image.data.clear();
  if (!path) return false;
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "rb"), std::fclose);
  if (!file) return false;
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[65536];
  while (const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get()))
    bytes.insert(bytes.end(), chunk, chunk + got);
  if (std::ferror(file.get())) return false;
  return DecodeFontTga(bytes.data(), bytes.size(), image);
}

}  // namespace gldisplay
