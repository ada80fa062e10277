#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cella/cella.h"
#include "cella_files.h"

namespace {

using cella::Pixel;
using cella_test::Bytes;
using cella_test::Sauce;
using cella_test::TempFile;

std::unique_ptr<cella::Canvas> LoadBytes(const Bytes& bytes) {
  TempFile file(bytes);
  return std::unique_ptr<cella::Canvas>(cella::Load(file.path().c_str()));
}

Bytes Picture(int cells, std::uint8_t attribute = 0x1F) {
  Bytes picture;
  for (int k = 0; k < cells; ++k) {
    picture.push_back(static_cast<std::uint8_t>(k));
    picture.push_back(attribute);
  }
  return picture;
}

Bytes WithRecord(Bytes picture, int fileType, const Bytes& between = {}) {
  picture.push_back(0x1A);
  picture.insert(picture.end(), between.begin(), between.end());
  const Bytes record = Sauce(fileType);
  picture.insert(picture.end(), record.begin(), record.end());
  return picture;
}

TEST(Load, WidthComesFromTheRecord) {
  const auto canvas = LoadBytes(WithRecord(Picture(80), 20));
  ASSERT_TRUE(canvas);
  EXPECT_EQ(canvas->width, 40);
  EXPECT_EQ(canvas->height, 2);
  EXPECT_EQ(canvas->data[79].ch, 79);
}

TEST(Load, PartialLastRowStaysDefault) {
  const auto canvas = LoadBytes(WithRecord(Picture(81), 20));
  ASSERT_TRUE(canvas);
  EXPECT_EQ(canvas->width, 40);
  EXPECT_EQ(canvas->height, 3);
  EXPECT_EQ(canvas->data[80].ch, 80);
  for (int k = 81; k < 120; ++k) EXPECT_EQ(canvas->data[k], cella::DefaultPixel) << k;
}

TEST(Load, AttributeSplitsIntoInkAndPaper) {
  Bytes picture = {1, 0x4E, 2, 0xF0};
  const auto canvas = LoadBytes(WithRecord(picture, 1));
  ASSERT_TRUE(canvas);
  EXPECT_EQ(canvas->data[0], (Pixel{1, 14, 4}));
  EXPECT_EQ(canvas->data[1], (Pixel{2, 0, 15}));
}

TEST(Load, OddPictureByteIsIgnored) {
  Bytes picture = Picture(3);
  picture.push_back(0x41);
  const auto canvas = LoadBytes(WithRecord(picture, 2));
  ASSERT_TRUE(canvas);
  EXPECT_EQ(canvas->width, 4);
  EXPECT_EQ(canvas->height, 1);
  EXPECT_EQ(canvas->data[3], cella::DefaultPixel);
}

TEST(Load, CommentBlockDoesNotDisturbTheWidth) {
  Bytes comment(5 + 64, 'x');
  for (int i = 0; i < 5; ++i) comment[i] = static_cast<std::uint8_t>("COMNT"[i]);
  const auto canvas = LoadBytes(WithRecord(Picture(80), 20, comment));
  ASSERT_TRUE(canvas);
  EXPECT_EQ(canvas->width, 40);
  EXPECT_EQ(canvas->height, 2);
}

TEST(Load, MarkerInsideThePictureEndsIt) {
  // Cell 1 is character 26 with an attribute that is an upper-case letter,
  // followed by a cell whose bytes are upper-case letters.
  Bytes picture = {1, 0x1F, 0x1A, 'A', 'B', 'C', 5, 0x1F};
  const auto canvas = LoadBytes(WithRecord(picture, 20));
  ASSERT_TRUE(canvas);
  EXPECT_EQ(canvas->width, 40);
  EXPECT_EQ(canvas->height, 1);
  EXPECT_EQ(canvas->data[0].ch, 1);
  EXPECT_EQ(canvas->data[1], cella::DefaultPixel);
}

TEST(Load, MissingFileGivesNull) {
  EXPECT_EQ(cella::Load("/nonexistent/kalt20/gradient.bin"), nullptr);
  EXPECT_EQ(cella::Load(nullptr), nullptr);
  EXPECT_EQ(cella::Load(std::filesystem::temp_directory_path().c_str()), nullptr);  // a folder
}

TEST(Load, UnusableRecordsFallBackTo160Columns) {
  // No marker and no record: the whole file is the picture.
  auto canvas = LoadBytes(Picture(200));
  ASSERT_TRUE(canvas);
  EXPECT_EQ(canvas->width, 160);
  EXPECT_EQ(canvas->height, 2);
  EXPECT_EQ(canvas->data[199].ch, 199);
  // A marker but no record.
  Bytes noRecord = Picture(10);
  noRecord.insert(noRecord.end(), {0x1A, 'X', 'Y', 'Z'});
  canvas = LoadBytes(noRecord);
  ASSERT_TRUE(canvas);
  EXPECT_EQ(canvas->width, 160);
  EXPECT_EQ(canvas->height, 1);
  // Widths of 0, negative and absurd sizes.
  for (int fileType : {0, -1, 0x7FFFFFFF, 1 << 20}) {
    canvas = LoadBytes(WithRecord(Picture(10), fileType));
    ASSERT_TRUE(canvas);
    EXPECT_EQ(canvas->width, 160) << fileType;
    EXPECT_EQ(canvas->height, 1) << fileType;
  }
}

TEST(Load, RecordWithoutMarkerEndsThePicture) {
  Bytes file = Picture(12);
  const Bytes record = Sauce(3);
  file.insert(file.end(), record.begin(), record.end());
  const auto canvas = LoadBytes(file);
  ASSERT_TRUE(canvas);
  EXPECT_EQ(canvas->width, 6);
  EXPECT_EQ(canvas->height, 2);
}

TEST(Load, EmptyAndTinyFilesLoadWithoutCells) {
  for (const Bytes& bytes : {Bytes{}, Bytes{0x1A}, Bytes{0x1A, 'S', 'A', 'U'}}) {
    const auto canvas = LoadBytes(bytes);
    ASSERT_TRUE(canvas);
    EXPECT_EQ(canvas->height, 0);
  }
}

}  // namespace
