#include <gtest/gtest.h>

#include <cmath>

#include "effects_test_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"

namespace {

using effects_test::At;

TEST(LatticeDistances, AtTheirLandmarks) {
  EXPECT_EQ(gldemo::BarLatticeDistance({4, 4, 0}), -0.5f);  // on a bar's axis
  EXPECT_EQ(gldemo::BarLatticeDistance({0, 0, 0}), 3.5f);   // midway between bars
  EXPECT_EQ(gldemo::BarLatticeDistance({12, -4, 1}), -0.5f);
  EXPECT_EQ(gldemo::BarLatticeDistance({4, 2, 0}), 1.5f);

  EXPECT_EQ(gldemo::TricylinderDistance({4, 4, 4}), -2.0f);  // a solid's centre
  EXPECT_EQ(gldemo::TricylinderDistance({4, 4, 0}), 2.0f);
  EXPECT_EQ(gldemo::TricylinderDistance({0, 0, 0}), std::sqrt(32.0f) - 2.0f);
  EXPECT_EQ(gldemo::TricylinderDistance({-4, 12, 4}), -2.0f);

  EXPECT_EQ(gldemo::CavitySlabDistance({0, 0, -8}), 4.0f);  // the camera: the front plane is nearest
  for (const float x : {0.0f, 1.3f, 4.0f, 7.7f}) {
    EXPECT_GE(gldemo::CavitySlabDistance({x, 2, 100}), 36.0f);
    EXPECT_GE(gldemo::CavitySlabDistance({x, 2, -20}), 16.0f);
  }
  // A coarse cavity's centre lies 4.45 from its wall.
  EXPECT_FLOAT_EQ(gldemo::CavitySlabDistance({4, 2, 7}), 4.45f);
}

// Every lattice draws the 80 by 50 picture and leaves the rest alone.
TEST(Lattices, DrawOnlyTheTopLeftPicture) {
  const auto pack = effects_test::RampPack(17, 16);
  const cella::Pixel fill{250, 3, 5};
  using Draw = void (*)(cella::Canvas*, const cella::GradientPack*);
  const Draw draws[] = {
      [](cella::Canvas* c, const cella::GradientPack* p) { gldemo::BarLattice(c, p, 5.0f, 16, 1.0f, 0.0f); },
      [](cella::Canvas* c, const cella::GradientPack* p) { gldemo::TricylinderLattice(c, p, 11.0f, 0.0f, 0.0f); },
      [](cella::Canvas* c, const cella::GradientPack* p) { gldemo::CavitySlab(c, p, 13.0f, 16, 4.0f, 0.0f); },
  };
  for (const Draw draw : draws) {
    auto large = effects_test::FilledCanvas(85, 53, fill);
    draw(large.get(), pack.get());
    for (int row = 0; row < 53; ++row)
      for (int column = 0; column < 85; ++column)
        ASSERT_EQ(At(*large, column, row) == fill, column >= 80 || row >= 50) << column << "," << row;
    auto small = effects_test::FilledCanvas(79, 50, fill);
    draw(small.get(), pack.get());
    EXPECT_EQ(At(*small, 40, 25), fill);
  }
}

TEST(Lattices, RayEndingOnALightTakesTheLastEntry) {
  // At time 0 both lights stand at (0, 4, 0), in the open between bars; the
  // ray of cell (40, 45) heads straight for them.
  const auto pack = effects_test::RampPack(17, 16);
  auto canvas = effects_test::FilledCanvas(80, 50);
  gldemo::BarLattice(canvas.get(), pack.get(), 0.0f, 16, 0.0f, 0.0f);
  EXPECT_EQ(At(*canvas, 40, 45).ch, 15);
}

TEST(Lattices, GradientChoice) {
  const auto pack = effects_test::RampPack(20, 16);
  auto canvas = effects_test::FilledCanvas(80, 50);
  gldemo::TricylinderLattice(canvas.get(), pack.get(), 11.0f, 0.0f, 0.0f);
  EXPECT_EQ(At(*canvas, 40, 25).fg, 0);  // gradient 16 (16 mod 16)
  gldemo::CavitySlab(canvas.get(), pack.get(), 13.0f, 19, 0.0f, 0.0f);
  EXPECT_EQ(At(*canvas, 40, 25).fg, 3);
  gldemo::BarLattice(canvas.get(), pack.get(), 5.0f, 18, 0.0f, 0.0f);
  EXPECT_EQ(At(*canvas, 40, 25).fg, 2);
  gldemo::BarLattice(canvas.get(), pack.get(), 5.0f, 20, 0.0f, 0.0f);  // no such gradient
  EXPECT_EQ(At(*canvas, 40, 25).fg, 2);
}

}  // namespace
