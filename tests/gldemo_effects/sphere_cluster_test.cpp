#include <gtest/gtest.h>

#include <cmath>

#include "effects_test_support.h"
#include "gldemo/effect_parts.h"
#include "gldemo/effects.h"

namespace {

using effects_test::At;

TEST(SphereCluster, SceneAtTimeZero) {
  const gldemo::SphereClusterScene scene = gldemo::SphereClusterSetup(0.0f, 0.0f, 0.0f, 0.0f);
  const float expected[4][3] = {{0, 1, 0.5f}, {0.866f, -0.5f, 0.5f}, {-0.866f, -0.5f, 0.5f}, {0, 0, -0.9f}};
  for (int k = 0; k < 4; ++k) {
    EXPECT_FLOAT_EQ(scene.centres[k].x, expected[k][0]) << k;
    EXPECT_FLOAT_EQ(scene.centres[k].y, expected[k][1]) << k;
    EXPECT_FLOAT_EQ(scene.centres[k].z, expected[k][2]) << k;
  }
  EXPECT_EQ(scene.light.x, -4.0f);
  EXPECT_EQ(scene.light.y, 0.0f);
  EXPECT_EQ(scene.light.z, -2.0f);
  EXPECT_EQ(scene.camera.z, -4.0f);
  EXPECT_EQ(scene.focal, 40.0f);
  EXPECT_FLOAT_EQ(scene.glow, 0.11f);

  EXPECT_FLOAT_EQ(gldemo::ClusterDistance(scene, {0, 1, 0.5f}), -0.9f);
  EXPECT_FLOAT_EQ(gldemo::ClusterDistance(scene, {0, 1, 3.5f}), 2.1f);
  // The tube wall lies between radius 7.8 and 8; the rings repeat every 16
  // along y.
  EXPECT_NEAR(gldemo::RingTubeDistance(scene, {7.9f, 0, 0}), -0.1f, 1e-6f);
  EXPECT_FLOAT_EQ(gldemo::RingTubeDistance(scene, {0, 0, 0}), 7.8f);
  EXPECT_FLOAT_EQ(gldemo::RingTubeDistance(scene, {7.9f, 8, 0}), 7.0f);
}

TEST(SphereCluster, CameraShiftAndBrightnessNearTheLight) {
  // Moved to (-4, 0, -6), the camera looks straight at the light
  // (-4, 0, -2): the centre cell gathers its glow and takes the last entry.
  const auto pack = effects_test::RampPack(17, 32);
  auto canvas = effects_test::FilledCanvas(80, 50);
  gldemo::SphereCluster(canvas.get(), pack.get(), 0.0f, -4.0f, -2.0f, 0.0f);
  EXPECT_EQ(At(*canvas, 40, 25), (cella::Pixel{31, 0, 0}));
  // From the usual camera, the corner far from the light stays dark.
  EXPECT_LT(gldemo::SphereClusterValue(gldemo::SphereClusterSetup(0.0f, 0, 0, 0), 79, 0), 0.1f);
}

TEST(SphereCluster, AnyCanvasSizeKeepsTheViewCentre) {
  const auto pack = effects_test::RampPack(17, 64);
  auto small = effects_test::FilledCanvas(80, 50);
  auto wide = effects_test::FilledCanvas(93, 57);
  gldemo::SphereCluster(small.get(), pack.get(), 2.5f, 0.0f, 0.0f, 0.0f);
  gldemo::SphereCluster(wide.get(), pack.get(), 2.5f, 0.0f, 0.0f, 0.0f);
  for (int row = 0; row < 50; ++row)
    for (int column = 0; column < 80; ++column) ASSERT_EQ(At(*small, column, row), At(*wide, column, row));
  EXPECT_NE(At(*wide, 92, 56), (cella::Pixel{250, 3, 5}));

  cella::Canvas none(0, 4), flat(4, 0);
  gldemo::SphereCluster(&none, pack.get(), 1.0f, 0, 0, 0);
  gldemo::SphereCluster(&flat, pack.get(), 1.0f, 0, 0, 0);
  auto canvas = effects_test::FilledCanvas(80, 50);
  gldemo::SphereCluster(canvas.get(), effects_test::RampPack(16, 8).get(), 1.0f, 0, 0, 0);  // no gradient 16
  EXPECT_EQ(At(*canvas, 40, 25), (cella::Pixel{250, 3, 5}));
}

}  // namespace
