// The font atlas loader: true-colour TGA images, uncompressed or run-length
// encoded, 24 or 32 bits per pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gldisplay {

// The GL enumerations of the two pixel layouts (GL_RGB, GL_RGBA).
constexpr std::uint32_t kFormatRgb = 0x1907;
constexpr std::uint32_t kFormatRgba = 0x1908;

// The font atlas of the text screen, relative to the working directory.
constexpr const char* kFontPath = "../data/font.tga";

// A decoded image: width * height pixels of bitsPerPixel / 8 bytes each,
// red first, then green, blue and (32 bits) alpha; rows in file order (the
// descriptor's origin bit is not applied).
struct FontImage {
  std::vector<std::uint8_t> data;  // empty when nothing was loaded
  std::uint32_t bitsPerPixel = 0;  // 24 or 32
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t format = 0;  // kFormatRgb or kFormatRgba
};

// Decodes a whole TGA file held in memory: image type 2 (uncompressed) or
// 10 (run-length), 24 or 32 bits per pixel, after the 18-byte header and the
// identification field. Returns true and fills the image when every pixel
// was decoded. Returns false and leaves the image's data empty for any other
// image type or depth, a width or height of 0, and a file that ends before
// its last pixel (a short header, identification field or image, or run
// packets that stop early). Run packets that reach past the last pixel stop
// there. Never reads outside bytes[0, size).
bool DecodeFontTga(const std::uint8_t* bytes, std::size_t size, FontImage& image);

// Reads the file at path and decodes it as DecodeFontTga does. False also
// when the file cannot be opened or read.
bool LoadFontTga(const char* path, FontImage& image);

}  // namespace gldisplay
