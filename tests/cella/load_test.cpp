#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cella/cella.h"
#include "cella_files.h"

namespace {

using cella::Pixel;
using cella_test::Bytes;
using cella_test::Sauce;
using cella_test::TempFile;

// Loads the bytes from a file and from memory; both must give the same
// canvas (or both fail).
std::unique_ptr<cella::Canvas> LoadBytes(const Bytes& bytes) {
  TempFile file(bytes);
  std::unique_ptr<cella::Canvas> fromFile(cella::Load(file.path().c_str()));
  const std::unique_ptr<cella::Canvas> fromMemory(cella::LoadFromMemory(bytes.data(), bytes.size()));
  EXPECT_EQ(!fromFile, !fromMemory);
  if (fromFile && fromMemory) {
    EXPECT_EQ(fromFile->width, fromMemory->width);
    EXPECT_EQ(fromFile->height, fromMemory->height);
    EXPECT_EQ(fromFile->blendMode, fromMemory->blendMode);
    const std::size_t cells = static_cast<std::size_t>(fromFile->width) * fromFile->height;
    EXPECT_TRUE(std::equal(fromFile->data, fromFile->data + cells, fromMemory->data));
  }
  return fromFile;
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

TEST(Load, FailuresSayWhy) {
  const auto failsWith = [](cella::Canvas* canvas, const char* reason) {
    EXPECT_EQ(canvas, nullptr);
    delete canvas;
    EXPECT_STREQ(cella::FailureReason(), reason);
  };
  failsWith(cella::Load("/nonexistent/kalt20/gradient.bin"), "no such file");
  failsWith(cella::Load(nullptr), "no path");
  failsWith(cella::Load(std::filesystem::temp_directory_path().c_str()), "is a directory");
  failsWith(cella::Load("/dev/null"), "not a regular file");
  // A pipe without a writer is refused at once, not waited on.
  const std::string fifo = std::filesystem::temp_directory_path() / ("cella-fifo-" + std::to_string(getpid()));
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  failsWith(cella::Load(fifo.c_str()), "not a regular file");
  std::remove(fifo.c_str());
  failsWith(cella::LoadFromMemory(nullptr, 1), "no data");

  // A success clears the reason; another thread's failure does not set it.
  const std::unique_ptr<cella::Canvas> empty(cella::LoadFromMemory(nullptr, 0));
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->height, 0);
  std::thread([] { delete cella::Load(nullptr); }).join();
  EXPECT_STREQ(cella::FailureReason(), "");
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
