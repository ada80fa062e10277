#include <gtest/gtest.h>

#include "cella/cella.h"

namespace {

using cella::BlendCell;
using cella::Pixel;

Pixel Blend(Pixel dst, Pixel src, int mode) {
  BlendCell(dst, src, mode);
  return dst;
}

TEST(GlyphCoverage, EndsAndShades) {
  EXPECT_EQ(cella::GlyphCoverage[0], 0);
  EXPECT_EQ(cella::GlyphCoverage[32], 0);
  EXPECT_EQ(cella::GlyphCoverage[219], 255);
  EXPECT_EQ(cella::GlyphCoverage[176], 64);
  EXPECT_EQ(cella::GlyphCoverage[177], 127);
  EXPECT_EQ(cella::GlyphCoverage[178], 191);
  EXPECT_EQ(cella::GlyphCoverage[255], 4);
}

TEST(BlendNormal, TransparentInkOverFullGlyphOrPaperOverEmptyChangesNothing) {
  const Pixel dst{65, 7, 1};
  EXPECT_EQ(Blend(dst, {219, 16, 4}, cella::Normal), dst);
  EXPECT_EQ(Blend(dst, {32, 14, 16}, cella::Normal), dst);
  EXPECT_EQ(Blend(dst, {177, 16, 16}, cella::Normal), dst);
}

TEST(BlendNormal, KeepsTheOldDominantColourInTheHole) {
  // Old glyph mostly paper: the paper shows through the transparent ink.
  EXPECT_EQ(Blend({32, 7, 0}, {177, 16, 1}, cella::Normal), (Pixel{177, 0, 1}));
  // Old glyph mostly ink: the ink shows through the transparent paper.
  EXPECT_EQ(Blend({219, 2, 0}, {176, 12, 16}, cella::Normal), (Pixel{176, 12, 2}));
  // Coverage exactly 127 counts as mostly ink.
  EXPECT_EQ(Blend({177, 5, 6}, {176, 12, 16}, cella::Normal), (Pixel{176, 12, 5}));
  EXPECT_EQ(Blend({177, 5, 6}, {178, 16, 3}, cella::Normal), (Pixel{178, 5, 3}));
  // Both colours set: a plain copy.
  EXPECT_EQ(Blend({1, 2, 3}, {4, 5, 6}, cella::Normal), (Pixel{4, 5, 6}));
}

TEST(BlendNormal, UnknownModesActAsNormal) {
  for (int mode : {0, 13, -1, 1000, -2147483647 - 1})
    EXPECT_EQ(Blend({32, 7, 0}, {177, 16, 1}, mode), (Pixel{177, 0, 1})) << mode;
}

TEST(AddColors, Table) {
  struct Case { int a, b, sum; };
  for (const Case c : {Case{4, 4, 12}, {12, 12, 15}, {8, 8, 7}, {0, 0, 8}, {1, 2, 3}, {8, 3, 3},
                       {4, 12, 14}, {1, 9, 13}, {0, 8, 8}, {9, 1, 13}, {7, 15, 15}, {6, 14, 14},
                       {2, 10, 11}, {3, 11, 11}, {5, 13, 13}, {15, 15, 15}, {16, 3, 19}, {16, 0, 8},
                       {16, 8, 8}})
    EXPECT_EQ(cella::AddColors(static_cast<std::int8_t>(c.a), static_cast<std::int8_t>(c.b)), c.sum)
        << c.a << " + " << c.b;
}

TEST(SubtractColors, Table) {
  struct Case { int a, b, difference; };
  for (const Case c : {Case{12, 4, 4}, {4, 12, 0}, {7, 7, 0}, {7, 15, 0}, {7, 0, 7}, {7, 1, 6},
                       {3, 4, 3}, {16, 1, 16}, {15, 9, 6}})
    EXPECT_EQ(cella::SubtractColors(static_cast<std::int8_t>(c.a), static_cast<std::int8_t>(c.b)),
              c.difference)
        << c.a << " - " << c.b;
}

TEST(BlendModes, ColourModesTreatEachSetColourAndKeepTheCharacter) {
  const Pixel dst{65, 4, 1};
  EXPECT_EQ(Blend(dst, {66, 4, 16}, cella::Add), (Pixel{65, 12, 1}));
  EXPECT_EQ(Blend(dst, {66, 16, 2}, cella::Add), (Pixel{65, 4, 3}));
  EXPECT_EQ(Blend(dst, {66, 12, 1}, cella::Subtract), (Pixel{65, 0, 0}));
  EXPECT_EQ(Blend(dst, {66, 3, 8}, cella::Or), (Pixel{65, 7, 9}));
  EXPECT_EQ(Blend(dst, {66, 6, 16}, cella::And), (Pixel{65, 4, 1}));
  EXPECT_EQ(Blend(dst, {66, 6, 1}, cella::Xor), (Pixel{65, 2, 0}));
  EXPECT_EQ(Blend({65, 16, 16}, {66, 3, 16}, cella::Add), (Pixel{65, 19, 16}));
}

TEST(BlendModes, CharacterAndSingleColourModes) {
  const Pixel dst{176, 4, 1};
  EXPECT_EQ(Blend(dst, {65, 2, 3}, cella::CharOnly), (Pixel{65, 4, 1}));
  EXPECT_EQ(Blend(dst, {65, 16, 3}, cella::CharOnly), dst);
  EXPECT_EQ(Blend(dst, {65, 2, 16}, cella::ColorsOnly), (Pixel{176, 2, 1}));
  EXPECT_EQ(Blend(dst, {65, 2, 3}, cella::ColorsOnly), (Pixel{176, 2, 3}));
  EXPECT_EQ(Blend(dst, {65, 2, 3}, cella::FgOnly), (Pixel{176, 2, 1}));
  EXPECT_EQ(Blend(dst, {65, 2, 3}, cella::BgOnly), (Pixel{176, 4, 3}));
  EXPECT_EQ(Blend(dst, {65, 16, 3}, cella::FgOnly), dst);
  EXPECT_EQ(Blend(dst, {178, 2, 3}, cella::Denser), (Pixel{178, 4, 1}));
  EXPECT_EQ(Blend(dst, {178, 16, 3}, cella::Denser), dst);
  EXPECT_EQ(Blend(dst, {32, 2, 3}, cella::Denser), dst);
  EXPECT_EQ(Blend(dst, {32, 2, 3}, cella::Sparser), (Pixel{32, 4, 1}));
  EXPECT_EQ(Blend(dst, {178, 2, 3}, cella::Sparser), dst);
}

}  // namespace
