#include <gtest/gtest.h>

#include <cmath>

#include "effects_test_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"

namespace {

using effects_test::At;

TEST(SphereGridWrap, ShiftsByOneUnitModuloTwo) {
  EXPECT_EQ(gldemo::SphereGridWrap(0.0f), -1.0f);
  EXPECT_EQ(gldemo::SphereGridWrap(-1.0f), 0.0f);
  EXPECT_EQ(gldemo::SphereGridWrap(0.5f), -0.5f);
  EXPECT_EQ(gldemo::SphereGridWrap(3.25f), 0.25f);
  EXPECT_EQ(gldemo::SphereGridWrap(-127.5f), -0.5f);
  // Wrapping twice is not wrapping once.
  EXPECT_NE(gldemo::SphereGridWrap(gldemo::SphereGridWrap(0.25f)), gldemo::SphereGridWrap(0.25f));
}

TEST(SphereGrid, CentreRayAtTimeZero) {
  const gldemo::SphereGridView view = gldemo::SphereGridSetup(0.0f);
  EXPECT_EQ(view.start.x, 0.0f);
  EXPECT_EQ(view.start.y, 0.0f);
  EXPECT_EQ(view.start.z, -4.0f);
  EXPECT_FLOAT_EQ(view.sinTurn, std::sin(1.256636f));

  // The ray runs along +z: three units in, then steps of 0 that still hop
  // between (-1, -1, 0) and (0, 0, 0), ending on (0, 0, 0), sqrt(2) from
  // the centre it is measured against.
  const gldemo::SphereGridRay ray = gldemo::SphereGridTrace(view, 40, 25);
  EXPECT_EQ(ray.end.x, 0.0f);
  EXPECT_EQ(ray.end.y, 0.0f);
  EXPECT_EQ(ray.end.z, 0.0f);
  EXPECT_EQ(ray.distance, std::sqrt(2.0f));
  EXPECT_TRUE(ray.hit);
  EXPECT_NEAR(ray.value, -1.485f, 0.001f);

  // So the centre cell takes the gradient's first entry.
  const auto pack = effects_test::RampPack(1, 16);
  auto canvas = effects_test::FilledCanvas(80, 50);
  gldemo::SphereGrid(canvas.get(), &pack->gradients[0], 0.0f);
  EXPECT_EQ(At(*canvas, 40, 25).ch, 0);
}

TEST(SphereGrid, MissesAreDarkGreyAndHitsComeFromTheGradient) {
  const auto pack = effects_test::RampPack(1, 16);
  auto canvas = effects_test::FilledCanvas(80, 50);
  const float time = 5.0f;  // a moment with a few misses at the rim
  gldemo::SphereGrid(canvas.get(), &pack->gradients[0], time);
  const gldemo::SphereGridView view = gldemo::SphereGridSetup(time);
  int hits = 0, misses = 0;
  for (int row = 0; row < 50; ++row)
    for (int column = 0; column < 80; ++column) {
      const cella::Pixel cell = At(*canvas, column, row);
      if (gldemo::SphereGridTrace(view, column, row).hit) {
        ++hits;
        EXPECT_LT(cell.ch, 16);
        EXPECT_EQ(cell.fg, 0);
      } else {
        ++misses;
        EXPECT_EQ(cell, (cella::Pixel{0, 8, 8}));
      }
    }
  EXPECT_GT(hits, 3000);
  EXPECT_GT(misses, 0);
}

TEST(SphereGrid, AnyCanvasSizeKeepsTheViewCentre) {
  const auto pack = effects_test::RampPack(1, 64);
  auto small = effects_test::FilledCanvas(80, 50);
  auto wide = effects_test::FilledCanvas(97, 61);
  gldemo::SphereGrid(small.get(), &pack->gradients[0], 12.5f);
  gldemo::SphereGrid(wide.get(), &pack->gradients[0], 12.5f);
  for (int row = 0; row < 50; ++row)
    for (int column = 0; column < 80; ++column) ASSERT_EQ(At(*small, column, row), At(*wide, column, row));
  EXPECT_NE(At(*wide, 96, 60), (cella::Pixel{250, 3, 5}));

  cella::Canvas empty(0, 7), flat(9, 0);
  gldemo::SphereGrid(&empty, &pack->gradients[0], 1.0f);
  gldemo::SphereGrid(&flat, &pack->gradients[0], 1.0f);
  auto untouched = effects_test::FilledCanvas(80, 50);
  gldemo::SphereGrid(untouched.get(), nullptr, 1.0f);
  EXPECT_EQ(At(*untouched, 0, 0), (cella::Pixel{250, 3, 5}));
}

}  // namespace
