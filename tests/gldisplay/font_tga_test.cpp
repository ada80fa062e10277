#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gldisplay/font_tga.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using gldisplay::DecodeFontTga;
using gldisplay::FontImage;

// An 18-byte header followed by an identification field and the data.
Bytes Tga(std::uint8_t type, int width, int height, std::uint8_t bits, const Bytes& data, std::size_t idLength = 0) {
  Bytes tga(18 + idLength + data.size(), 0);
  tga[0] = static_cast<std::uint8_t>(idLength);
  tga[2] = type;
  tga[12] = static_cast<std::uint8_t>(width);
  tga[13] = static_cast<std::uint8_t>(width >> 8);
  tga[14] = static_cast<std::uint8_t>(height);
  tga[15] = static_cast<std::uint8_t>(height >> 8);
  tga[16] = bits;
  tga[17] = 0x20;
  for (std::size_t i = 0; i < idLength; ++i) tga[18 + i] = static_cast<std::uint8_t>('A' + i % 26);
  std::copy(data.begin(), data.end(), tga.begin() + 18 + static_cast<std::ptrdiff_t>(idLength));
  return tga;
}

bool Decode(const Bytes& bytes, FontImage& image) { return DecodeFontTga(bytes.data(), bytes.size(), image); }

Bytes ReadFixture(const std::string& name) {
  std::ifstream in(std::string(KALT_SOURCE_DIR) + "/tests/gldisplay/data/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(FontTga, UncompressedPixelsBecomeRedGreenBlue) {
  FontImage image;
  ASSERT_TRUE(Decode(Tga(2, 2, 1, 24, {10, 20, 30, 1, 2, 3}), image));
  EXPECT_EQ(image.data, (Bytes{30, 20, 10, 3, 2, 1}));
  EXPECT_EQ(image.width, 2u);
  EXPECT_EQ(image.height, 1u);
  EXPECT_EQ(image.bitsPerPixel, 24u);
  EXPECT_EQ(image.format, gldisplay::kFormatRgb);
}

TEST(FontTga, ThirtyTwoBitsKeepAlphaFourth) {
  FontImage image;
  ASSERT_TRUE(Decode(Tga(2, 1, 2, 32, {10, 20, 30, 40, 5, 6, 7, 8}), image));
  EXPECT_EQ(image.data, (Bytes{30, 20, 10, 40, 7, 6, 5, 8}));
  EXPECT_EQ(image.format, gldisplay::kFormatRgba);
}

TEST(FontTga, RunAndRawPackets) {
  FontImage image;
  // A run of four, then a raw packet of three.
  ASSERT_TRUE(Decode(Tga(10, 7, 1, 24, {0x83, 1, 2, 3, 0x02, 4, 5, 6, 7, 8, 9, 10, 11, 12}), image));
  EXPECT_EQ(image.data, (Bytes{3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
}

TEST(FontTga, PacketsStopAtTheLastPixel) {
  FontImage image;
  ASSERT_TRUE(Decode(Tga(10, 3, 1, 24, {0xFF, 1, 2, 3}), image));  // a run of 128
  EXPECT_EQ(image.data, (Bytes{3, 2, 1, 3, 2, 1, 3, 2, 1}));
  ASSERT_TRUE(Decode(Tga(10, 2, 1, 24, {0x81, 1, 2, 3, 0x05, 4, 5, 6}), image));  // raw of 6
  EXPECT_EQ(image.data, (Bytes{3, 2, 1, 3, 2, 1}));
}

TEST(FontTga, LongestIdentificationFieldIsSkipped) {
  FontImage image;
  ASSERT_TRUE(Decode(Tga(2, 1, 1, 24, {1, 2, 3}, 255), image));
  EXPECT_EQ(image.data, (Bytes{3, 2, 1}));
}

TEST(FontTga, OtherKindsOfImageAreRefused) {
  FontImage image;
  EXPECT_FALSE(Decode(Tga(3, 1, 1, 24, {1, 2, 3}), image));   // grey-scale
  EXPECT_FALSE(Decode(Tga(1, 1, 1, 24, {1, 2, 3}), image));   // colour-mapped
  EXPECT_FALSE(Decode(Tga(2, 1, 1, 16, {1, 2, 3}), image));   // 16 bits
  EXPECT_FALSE(Decode(Tga(2, 0, 1, 24, {1, 2, 3}), image));   // no width
  EXPECT_FALSE(Decode(Tga(10, 1, 0, 24, {1, 2, 3}), image));  // no height
  EXPECT_TRUE(image.data.empty());
}

TEST(FontTga, ShortFilesAreRefusedWithoutData) {
  FontImage image;
  const Bytes whole = Tga(2, 2, 2, 24, Bytes(12, 7), 4);
  for (std::size_t size = 0; size < whole.size(); ++size) {
    EXPECT_FALSE(DecodeFontTga(whole.data(), size, image)) << size;
    EXPECT_TRUE(image.data.empty()) << size;
  }
  // Run packets that end before the last pixel, or a raw packet cut short.
  EXPECT_FALSE(Decode(Tga(10, 4, 1, 24, {0x82, 1, 2, 3}), image));
  EXPECT_FALSE(Decode(Tga(10, 4, 1, 24, {0x03, 1, 2, 3, 4, 5, 6, 7}), image));
  EXPECT_TRUE(image.data.empty());
}

TEST(FontTga, HugeSizesInATinyFileAreRefusedBeforeAllocating) {
  FontImage image;
  EXPECT_FALSE(Decode(Tga(2, 65535, 65535, 32, {1, 2, 3, 4}), image));
  EXPECT_FALSE(Decode(Tga(10, 65535, 65535, 32, {0xFF, 1, 2, 3, 4}), image));
}

TEST(FontTga, ReadsImageMagickFiles) {
  // The PPM's pixels, rows in file order.
  const Bytes expected = {
      10, 20, 30, 10, 20, 30, 10, 20, 30, 10, 20, 30, 200, 100, 50, 1, 2, 3,          //
      0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 255, 255, 7, 7, 7, 7, 7, 7,               //
      90, 80, 70, 90, 80, 70, 90, 80, 70, 90, 80, 70, 90, 80, 70, 90, 80, 70,         //
      255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 0, 255, 255, 255, 0, 255,         //
  };
  for (const char* name : {"magick_plain.tga", "magick_rle.tga"}) {
    FontImage image;
    ASSERT_TRUE(Decode(ReadFixture(name), image)) << name;
    EXPECT_EQ(image.width, 6u);
    EXPECT_EQ(image.height, 4u);
    EXPECT_EQ(image.data, expected) << name;
  }
  FontImage image;
  ASSERT_TRUE(Decode(ReadFixture("magick_rle32.tga"), image));
  ASSERT_EQ(image.data.size(), 6u * 4u * 4u);
  for (std::size_t p = 0; p < 24; ++p) {
    EXPECT_EQ(image.data[p * 4], expected[p * 3]) << p;
    EXPECT_EQ(image.data[p * 4 + 2], expected[p * 3 + 2]) << p;
    EXPECT_EQ(image.data[p * 4 + 3], 128) << p;
  }
}

TEST(FontTga, LoadReadsTheFileAndMissingFilesFail) {
  FontImage image;
  EXPECT_FALSE(gldisplay::LoadFontTga("no-such-font.tga", image));
  EXPECT_FALSE(gldisplay::LoadFontTga(nullptr, image));
  const std::string path = std::string(KALT_SOURCE_DIR) + "/tests/gldisplay/data/magick_rle.tga";
  ASSERT_TRUE(gldisplay::LoadFontTga(path.c_str(), image));
  EXPECT_EQ(image.data.size(), 72u);
}

}  // namespace
