#include <gtest/gtest.h>

#include "effects_test_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"

namespace {

using effects_test::At;

TEST(FoldedBlocksDistance, PlatesAndShapeFunction) {
  // At the camera (0, 0, -8) the folded point is (-2, -2, 6): the plate
  // terms are -0.3, 0.1 and 3.5.
  EXPECT_NEAR(gldemo::FoldedBlocksDistance({0.0f, 0.0f, -8.0f}, 0.0f), 3.5f, 1e-6f);
  EXPECT_NEAR(gldemo::FoldedBlocksDistance({0.0f, 0.0f, -8.0f}, 1.0f), 12.25f, 1e-5f);
  EXPECT_NEAR(gldemo::FoldedBlocksDistance({0.0f, 0.0f, -8.0f}, -1.0f), 0.19f, 1e-6f);
  // The fold mirrors every octant.
  EXPECT_EQ(gldemo::FoldedBlocksDistance({1.5f, -2.5f, 7.0f}, 0.0f),
            gldemo::FoldedBlocksDistance({-1.5f, 2.5f, -7.0f}, 0.0f));
  // The floor.
  EXPECT_EQ(gldemo::FoldedBlocksDistance({0.0f, 0.0f, 1e6f}, -1.0f), -4000.0f);
}

TEST(FoldedBlocks, NoTurnAtTimeZeroAndNoTwistOnRowZero) {
  const gldemo::FoldedBlocksTurn still = gldemo::FoldedBlocksRowTurn(0.0f, 30);
  EXPECT_EQ(still.cosA, 1.0f);
  EXPECT_EQ(still.sinA, 0.0f);
  EXPECT_EQ(still.cosB, 1.0f);
  EXPECT_EQ(still.sinB, 0.0f);
  const gldemo::FoldedBlocksTurn top = gldemo::FoldedBlocksRowTurn(2.0f, 0);
  EXPECT_FLOAT_EQ(top.sinA, std::sin(2.0f));
  EXPECT_FLOAT_EQ(top.sinB, std::sin(5.4f));
}

TEST(FoldedBlocks, CentreRayAtTimeZeroMissesAfterAllAdvances) {
  const gldemo::FoldedBlocksRay ray =
      gldemo::FoldedBlocksTrace(gldemo::FoldedBlocksSetup(0.0f, 90, 0.0f), gldemo::FoldedBlocksRowTurn(0.0f, 25), 40, 25);
  EXPECT_EQ(ray.steps, 25);
  EXPECT_NEAR(ray.distance, 0.15f, 0.01f);
  EXPECT_FALSE(ray.hit);
  // (0.13 * 25)^2 + 0.3 + 0.05 * ((40 ^ 25) mod 4).
  EXPECT_NEAR(ray.value, 10.9125f, 1e-4f);

  const auto pack = effects_test::RampPack(34, 16);
  auto canvas = effects_test::FilledCanvas(80, 50);
  gldemo::FoldedBlocks(canvas.get(), pack.get(), 0.0f, 90, 0.0f);
  EXPECT_EQ(At(*canvas, 40, 25), (cella::Pixel{15, 1, 0}));  // the last entry of gradient 33
}

TEST(FoldedBlocks, RaysLeavingAtOnceShowTheBackgroundPattern) {
  // With shapeBlend 1 the distance at the camera is 12.25: every ray leaves
  // at once (s > 7) and shows 0.3 + 0.05 ((column ^ row) mod 4).
  const auto pack = effects_test::RampPack(34, 20);
  auto canvas = effects_test::FilledCanvas(80, 50);
  gldemo::FoldedBlocks(canvas.get(), pack.get(), 0.0f, 40, 1.0f);
  for (int row = 0; row < 50; ++row)
    for (int column = 0; column < 80; ++column)
      ASSERT_EQ(At(*canvas, column, row).ch, 6 + ((column ^ row) & 3)) << column << "," << row;
}

TEST(FoldedBlocks, UsesGradient33AndNeedsThePictureSize) {
  const cella::Pixel fill{250, 3, 5};
  auto canvas = effects_test::FilledCanvas(80, 50, fill);
  gldemo::FoldedBlocks(canvas.get(), effects_test::RampPack(33, 16).get(), 1.0f, 50, -1.0f);
  EXPECT_EQ(At(*canvas, 0, 0), fill);  // the pack has no gradient 33

  auto small = effects_test::FilledCanvas(80, 49, fill);
  gldemo::FoldedBlocks(small.get(), effects_test::RampPack(34, 16).get(), 1.0f, 50, -1.0f);
  EXPECT_EQ(At(*small, 0, 0), fill);
}

}  // namespace
