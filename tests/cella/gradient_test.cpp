#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>

#include "cella/cella.h"
#include "cella_files.h"

namespace {

using cella::Pixel;
using cella_test::Bytes;

// A BinaryText file of the given rows (all of one width).
Bytes ArtFile(const std::vector<std::vector<Pixel>>& rows) {
  Bytes file;
  for (const auto& row : rows)
    for (const Pixel& p : row) {
      file.push_back(p.ch);
      file.push_back(static_cast<std::uint8_t>(p.fg | p.bg << 4));
    }
  file.push_back(0x1A);
  const Bytes record = cella_test::Sauce(static_cast<int>(rows[0].size() / 2));
  file.insert(file.end(), record.begin(), record.end());
  return file;
}

// Both packs hold the same gradients (or both are null).
void ExpectSamePack(const cella::GradientPack* a, const cella::GradientPack* b) {
  ASSERT_EQ(!a, !b);
  if (!a) return;
  ASSERT_EQ(a->count, b->count);
  for (int g = 0; g < a->count; ++g) {
    const cella::Gradient &x = a->gradients[g], &y = b->gradients[g];
    ASSERT_EQ(x.count, y.count) << g;
    EXPECT_TRUE(std::equal(x.pixels, x.pixels + x.count, y.pixels)) << g;
  }
}

// Loads the bytes from a file and from memory, which must agree.
std::unique_ptr<cella::GradientPack> LoadPack(const Bytes& bytes) {
  cella_test::TempFile file(bytes);
  std::unique_ptr<cella::GradientPack> fromFile(cella::LoadGradientPack(file.path().c_str()));
  const std::unique_ptr<cella::GradientPack> fromMemory(cella::LoadGradientPackFromMemory(bytes.data(), bytes.size()));
  ExpectSamePack(fromFile.get(), fromMemory.get());
  return fromFile;
}

TEST(Gradient, CopiesItsCells) {
  const Pixel cells[] = {{1, 2, 3}, {4, 5, 6}};
  cella::Gradient g(cells, 2);
  EXPECT_EQ(g.count, 2);
  EXPECT_EQ(g.countF, 2.0f);
  EXPECT_EQ(g.pixels[1], (Pixel{4, 5, 6}));
  cella::Gradient none(nullptr, 3);
  EXPECT_EQ(none.pixels[2], cella::DefaultPixel);
  cella::Gradient negative(cells, -4);
  EXPECT_EQ(negative.count, 0);
}

TEST(GradientPack, RowsSplitAtTheRepeatOfTheirFirstCell) {
  const Pixel A{176, 1, 0}, B{177, 1, 0}, C{178, 1, 0}, D{219, 1, 0};
  const Pixel Abg{176, 1, 2};  // differs from A in its paper only
  const auto pack = LoadPack(ArtFile({
      {A, B, C, A, D, D},      // A B C
      {A, B, C, D, B, C},      // no repeat: the whole row
      {A, A, B, C, D, D},      // second cell repeats the first: one cell
      {A, Abg, B, A, D, D},    // a paper-only difference does not end it
  }));
  ASSERT_TRUE(pack);
  ASSERT_EQ(pack->count, 4);
  EXPECT_EQ(pack->gradients[0].count, 3);
  EXPECT_EQ(pack->gradients[0].countF, 3.0f);
  EXPECT_EQ(pack->gradients[0].pixels[2], C);
  EXPECT_EQ(pack->gradients[1].count, 6);
  EXPECT_EQ(pack->gradients[2].count, 1);
  EXPECT_EQ(pack->gradients[3].count, 3);
}

TEST(GradientPack, UnfilledCellsOfTheLastRowTakePart) {
  // One row of 4 columns holding 2 cells: the two default cells follow.
  Bytes file = {176, 0x01, 177, 0x01, 0x1A};
  const Bytes record = cella_test::Sauce(2);
  file.insert(file.end(), record.begin(), record.end());
  const auto pack = LoadPack(file);
  ASSERT_TRUE(pack);
  ASSERT_EQ(pack->count, 1);
  EXPECT_EQ(pack->gradients[0].count, 4);
  EXPECT_EQ(pack->gradients[0].pixels[3], cella::DefaultPixel);
}

TEST(GradientPack, UnusableFilesGiveNullAndSayWhy) {
  EXPECT_EQ(cella::LoadGradientPack("/nonexistent/gradient.bin"), nullptr);
  EXPECT_STREQ(cella::FailureReason(), "no such file");
  EXPECT_EQ(LoadPack(Bytes{}), nullptr);
  EXPECT_STREQ(cella::FailureReason(), "holds no cells");
  EXPECT_EQ(LoadPack(Bytes{0x1A, 'S', 'A', 'U', 'C', 'E'}), nullptr);
  EXPECT_STREQ(cella::FailureReason(), "holds no cells");
  EXPECT_EQ(cella::LoadGradientPackFromMemory(nullptr, 8), nullptr);
  EXPECT_STREQ(cella::FailureReason(), "no data");
}

TEST(GradientIndex, TruncatesAndClamps) {
  Pixel cells[8] = {};
  cella::Gradient g(cells, 8);
  EXPECT_EQ(cella::GradientIndex(g, 1.0f), 7);
  EXPECT_EQ(cella::GradientIndex(g, 0.99f), 7);
  EXPECT_EQ(cella::GradientIndex(g, 0.5f), 4);
  EXPECT_EQ(cella::GradientIndex(g, -0.1f), 0);
  EXPECT_EQ(cella::GradientIndex(g, -1e30f), 0);
  EXPECT_EQ(cella::GradientIndex(g, 1e30f), 7);
  EXPECT_EQ(cella::GradientIndex(g, std::numeric_limits<float>::infinity()), 7);
  EXPECT_EQ(cella::GradientIndex(g, std::nanf("")), 0);
}

// The gradient file the build generates loads with every row the demo uses.
TEST(GradientFile, GeneratedPackHasTheDemosGradients) {
  const std::string path = std::string(KALT_RUN_BIN) + "/../Data20/gradient.bin";
  const std::unique_ptr<cella::GradientPack> pack(cella::LoadGradientPack(path.c_str()));
  ASSERT_TRUE(pack) << path;
  EXPECT_GE(pack->count, 34);
  for (int g = 0; g < pack->count; ++g) {
    const cella::Gradient& gradient = pack->gradients[g];
    EXPECT_GE(gradient.count, 8) << "gradient " << g;
    EXPECT_LT(gradient.count, 80) << "gradient " << g << " has no end mark";
    for (int i = 0; i < gradient.count; ++i) {
      EXPECT_LT(gradient.pixels[i].fg, 16);
      EXPECT_LT(gradient.pixels[i].bg, 16);
    }
  }
  // The art is a proper BinaryText file: width 80 from FileType 40.
  const std::unique_ptr<cella::Canvas> art(cella::Load(path.c_str()));
  ASSERT_TRUE(art);
  EXPECT_EQ(art->width, 80);
  EXPECT_EQ(art->height, pack->count);
  EXPECT_STREQ(cella::FailureReason(), "");
  // The same bytes loaded from memory give the same pack.
  std::ifstream file(path, std::ios::binary);
  const Bytes bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const std::unique_ptr<cella::GradientPack> fromMemory(cella::LoadGradientPackFromMemory(bytes.data(), bytes.size()));
  ExpectSamePack(pack.get(), fromMemory.get());
}

}  // namespace
