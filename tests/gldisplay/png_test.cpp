// framegrab's PNG stills: the frame as the window shows it.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "frame.h"
#include "gldisplay/cells.h"
#include "test_card.h"

namespace {

framegrab::Frame CardFrame() {
  cella::Canvas card(80, 50);
  gldisplay_test::DrawTestCard(card);
  framegrab::Frame frame = framegrab::MakeFrame(80, 50);
  for (std::size_t i = 0; i < frame.ch.size(); ++i) {
    frame.ch[i] = card.data[i].ch;
    frame.attr[i] = static_cast<std::uint8_t>((card.data[i].fg & 15) | (card.data[i].bg & 15) << 4);
  }
  return frame;
}

// The RGB pixels of a PNG file, or nothing.
std::vector<std::uint8_t> ReadPng(const std::string& path, png_uint_32& width, png_uint_32& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  width = image.width;
  height = image.height;
  return rgb;
}

TEST(PngStill, ShowsTheFrameAsTheWindowDoes) {
  const framegrab::Frame frame = CardFrame();
  const std::string path = testing::TempDir() + "framegrab-card.png";
  std::string error;
  ASSERT_TRUE(framegrab::WriteFrame(frame, path, error)) << error;

  png_uint_32 width = 0, height = 0;
  const std::vector<std::uint8_t> rgb = ReadPng(path, width, height);
  std::remove(path.c_str());
  ASSERT_EQ(width, 640u);
  ASSERT_EQ(height, 400u);

  gldisplay::FontImage font;
  ASSERT_TRUE(gldisplay::LoadFontTga(gldisplay::kFontPath, font));
  std::vector<kalt::Cell> cells(80 * 50);
  for (std::size_t i = 0; i < cells.size(); ++i) cells[i] = {frame.ch[i], frame.attr[i]};
  gldisplay::Surface pixels(640, 400);
  gldisplay::RenderCells({cells, 80, 50}, pixels, gldisplay::kPalette, font);
  int differing = 0;
  for (std::size_t p = 0; p < pixels.words.size(); ++p)
    differing += (rgb[p * 3] | rgb[p * 3 + 1] << 8 | rgb[p * 3 + 2] << 16) != static_cast<int>(pixels.words[p]);
  EXPECT_EQ(differing, 0);
}

TEST(PngStill, AnyFrameSizeAndBadFrames) {
  framegrab::Frame frame = framegrab::MakeFrame(3, 2);
  const std::string path = testing::TempDir() + "framegrab-small.png";
  std::string error;
  ASSERT_TRUE(framegrab::WriteFrame(frame, path, error)) << error;
  png_uint_32 width = 0, height = 0;
  EXPECT_EQ(ReadPng(path, width, height).size(), 24u * 16u * 3u);
  EXPECT_EQ(width, 24u);
  std::remove(path.c_str());

  frame.ch.clear();  // fewer cells than its size
  EXPECT_FALSE(framegrab::WriteFrame(frame, path, error));
  EXPECT_FALSE(framegrab::WriteFrame(CardFrame(), "/no-such-folder/still.png", error));
  EXPECT_NE(error.find("/no-such-folder/still.png"), std::string::npos) << error;
}

}  // namespace
