#include <gtest/gtest.h>

#include "effects_test_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"

namespace {

using effects_test::At;

TEST(GlowPulse, FlickersBetweenNineAndThirteenHundredths) {
  EXPECT_FLOAT_EQ(gldemo::GlowPulse(20.0f, 49.8f, 0.0f), 0.11f);
  for (float t = 0.0f; t < 20.0f; t += 0.37f) {
    const float pulse = gldemo::GlowPulse(30.0f, 39.8f, t);
    EXPECT_GE(pulse, 0.09f);
    EXPECT_LE(pulse, 0.13f);
  }
}

TEST(TwinGlow, PointsAndStrengthsAtTimeZero) {
  const gldemo::TwinGlowScene scene = gldemo::TwinGlowSetup(0.0f, 0.02f);
  EXPECT_FLOAT_EQ(scene.pulse1, 0.11f);
  EXPECT_FLOAT_EQ(scene.pulse2, 0.11f);
  EXPECT_EQ(scene.point1.x, 0.0f);
  EXPECT_EQ(scene.point1.y, 2.0f);
  EXPECT_EQ(scene.point1.z, 0.0f);
  EXPECT_EQ(scene.point2.x, 272.0f);
  EXPECT_EQ(scene.point2.y, 340.0f);
  EXPECT_EQ(scene.point2.z, 272.0f);
  EXPECT_FLOAT_EQ(scene.gain, 1.18f);
}

TEST(TwinGlow, CentreGlowAndItsEntriesUnderBothGains) {
  EXPECT_NEAR(gldemo::TwinGlowGather(gldemo::TwinGlowSetup(0.0f, 0.0f), 40, 25), 0.146f, 0.001f);

  // 1.18 * 0.146 - 0.02 is about 0.153: entry 2 of 16. 10 * 0.146 folds to
  // about 0.41, less 0.01: entry 6.
  const auto pack = effects_test::RampPack(4, 16);
  auto canvas = effects_test::FilledCanvas(80, 50);
  gldemo::TwinGlow(canvas.get(), pack.get(), 0.0f, 3, 0.02f, 0.02f);
  EXPECT_EQ(At(*canvas, 40, 25), (cella::Pixel{2, 3, 0}));
  gldemo::TwinGlow(canvas.get(), pack.get(), 0.0f, 3, 1.0f, 0.01f);
  EXPECT_EQ(At(*canvas, 40, 25).ch, 6);
}

TEST(TwinGlow, GlowIsCappedAtExactlyOnePointOne) {
  // The ray through the circling point at (0, 2, 0).
  EXPECT_EQ(gldemo::TwinGlowGather(gldemo::TwinGlowSetup(0.0f, 0.0f), 40, 35), 1.1f);
}

TEST(TwinGlow, CheckerDitherLowersOnlyTheOddCells) {
  const auto pack = effects_test::RampPack(1, 100);
  auto plain = effects_test::FilledCanvas(80, 50);
  auto dithered = effects_test::FilledCanvas(80, 50);
  gldemo::TwinGlow(plain.get(), pack.get(), 3.0f, 0, 0.0f, 0.0f);
  gldemo::TwinGlow(dithered.get(), pack.get(), 3.0f, 0, 0.0f, 0.05f);
  int lowered = 0;
  for (int row = 0; row < 50; ++row)
    for (int column = 0; column < 80; ++column) {
      const int before = At(*plain, column, row).ch, after = At(*dithered, column, row).ch;
      if ((row ^ column) & 1) {
        EXPECT_LE(after, before);
        lowered += after < before;
      } else {
        EXPECT_EQ(after, before);
      }
    }
  EXPECT_GT(lowered, 0);
}

TEST(TwinGlow, DrawsOnlyTheTopLeftPictureOfALargeEnoughCanvas) {
  const auto pack = effects_test::RampPack(1, 16);
  const cella::Pixel fill{250, 3, 5};
  auto large = effects_test::FilledCanvas(90, 60, fill);
  gldemo::TwinGlow(large.get(), pack.get(), 5.0f, 0, 0.5f, 0.01f);
  for (int row = 0; row < 60; ++row)
    for (int column = 0; column < 90; ++column)
      ASSERT_EQ(At(*large, column, row) == fill, column >= 80 || row >= 50) << column << "," << row;

  for (auto size : {std::pair{79, 50}, std::pair{80, 49}}) {
    auto small = effects_test::FilledCanvas(size.first, size.second, fill);
    gldemo::TwinGlow(small.get(), pack.get(), 5.0f, 0, 0.5f, 0.01f);
    EXPECT_EQ(effects_test::Hash(*small), effects_test::Hash(*effects_test::FilledCanvas(size.first, size.second, fill)));
  }
  auto canvas = effects_test::FilledCanvas(80, 50, fill);
  gldemo::TwinGlow(canvas.get(), pack.get(), 5.0f, 1, 0.5f, 0.01f);  // no gradient 1
  gldemo::TwinGlow(canvas.get(), pack.get(), 5.0f, -1, 0.5f, 0.01f);
  EXPECT_EQ(At(*canvas, 40, 25), fill);
}

}  // namespace
