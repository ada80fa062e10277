#include <gtest/gtest.h>

#include <cmath>

#include "condemo/render.h"

namespace condemo {
namespace {

FrameState Scene(int sceneId, double time = 0.0) {
  FrameState frame;
  frame.scene.sceneId = sceneId;
  frame.sceneTime = time;
  return frame;
}

float Distance(const FrameState& frame, Vec3 p) {
  int tag = 0;
  return SceneDistance(frame, p, tag);
}

TEST(Scenes, CarvedLatticeCentreIsTheCentreOfAHole) {
  FrameState frame = Scene(1, 17.0);
  EXPECT_EQ(Distance(frame, {-50.0f, -50.0f, -50.0f}), 10.0f);
  EXPECT_EQ(Distance(frame, {50.0f, 150.0f, -250.0f}), 10.0f);
  // Where the holes are far: the big sphere's surface.
  const Vec3 p{-20.0f, -20.0f, -60.0f};  // a = (-10, -10, -10), b = (30, 30, -10)
  EXPECT_FLOAT_EQ(Distance(frame, p), std::sqrt(1900.0f) - 40.0f);
  // flashB swells the big spheres, flashA shrinks them.
  frame.flashB = 1.0f;
  EXPECT_FLOAT_EQ(Distance(frame, p), std::sqrt(1900.0f) - 49.0f);
  frame.flashA = 1.0f;
  EXPECT_FLOAT_EQ(Distance(frame, p), std::sqrt(1900.0f) - 40.0f);
}

TEST(Scenes, TwistedOctahedronAtTheOriginGrowsWithFlashC) {
  FrameState frame = Scene(7, 3.0);
  EXPECT_FLOAT_EQ(Distance(frame, {0.0f, 0.0f, 0.0f}), -4.0f / 3.0f);
  frame.flashC = 1.0f;
  EXPECT_FLOAT_EQ(Distance(frame, {0.0f, 0.0f, 0.0f}), -5.0f / 3.0f);
}

TEST(Scenes, SpikyBallsAtTheOrigin) {
  EXPECT_FLOAT_EQ(Distance(Scene(6), {0.0f, 0.0f, 0.0f}), -0.2f);
  int tag = 7;
  EXPECT_FLOAT_EQ(SceneDistance(Scene(8), {0.0f, 0.0f, 0.0f}, tag), -0.2f);
  EXPECT_EQ(tag, 2);  // the ball, not the shell
}

TEST(Scenes, OnlyFoldedBlobAndSpikyBallInSphereSetTheTag) {
  const Vec3 points[] = {{0.0f, 0.0f, 0.0f}, {1.0f, 2.0f, -3.0f}, {0.4f, -0.2f, 2.5f}, {3.0f, 3.0f, 3.0f}};
  for (const int sceneId : {0, 1, 2, 4, 5, 6, 7}) {
    for (const Vec3& p : points) {
      int tag = 7;
      SceneDistance(Scene(sceneId, 2.0), p, tag);
      EXPECT_EQ(tag, 7) << "scene " << sceneId;
    }
  }
  for (const int sceneId : {3, 8}) {
    bool seen[3] = {};
    for (float x = -4.5f; x <= 4.5f; x += 0.25f) {
      int tag = 7;
      SceneDistance(Scene(sceneId, 2.0), {x, 0.5f * x, 0.2f}, tag);
      ASSERT_TRUE(tag == 0 || tag == 2) << "scene " << sceneId;
      seen[tag] = true;
    }
    EXPECT_TRUE(seen[0] && seen[2]) << "scene " << sceneId;
  }
}

TEST(Scenes, FoldedBlobTagsTheInnerSphere) {
  // At t = 0 nothing is turned and the inner sphere sits at (2, 2, 2).
  int tag = 7;
  const float d = SceneDistance(Scene(3), {2.0f, 2.0f, 2.0f}, tag);
  EXPECT_FLOAT_EQ(d, -1.0f);
  EXPECT_EQ(tag, 2);
  SceneDistance(Scene(3), {-4.0f, 0.5f, 0.0f}, tag);
  EXPECT_EQ(tag, 0);
}

TEST(Scenes, MergedBlobsSwitchShapeOnTheParityOfTheBeat) {
  // At t = 0 the first blob sits at -(3 sin 0, 3 cos 0, 1.5 sin 0).
  const Vec3 centre{0.0f, -3.0f, 0.0f};
  FrameState frame = Scene(5);
  const auto at = [&](int beats, Vec3 p) {
    frame.beatCount = beats;
    return Distance(frame, p);
  };
  EXPECT_EQ(at(1, centre), at(3, centre));
  EXPECT_EQ(at(-1, centre), at(1, centre));
  EXPECT_EQ(at(0, centre), at(2, centre));
  EXPECT_LE(at(1, centre), -1.5f);  // inside a sphere of radius 1.5
  EXPECT_GT(at(0, centre), at(1, centre));  // the hole of a torus
  // On the ring of the first torus.
  EXPECT_LE(at(0, centre + Vec3{2.0f, 0.0f, 0.0f}), -0.5f);
}

TEST(Scenes, WindingTubesAreHollowAlongTheCameraPath) {
  for (const double t : {0.0, 1.5, 7.0, 33.0}) {
    const float z = static_cast<float>(3.0 * t);
    const float cx = std::cos(0.3f * z) + std::sin(0.5f * z), cy = std::cos(0.4f * z) + std::sin(0.5f * z);
    EXPECT_GE(Distance(Scene(2), {cx, cy, z}), 1.05f) << t;
    EXPECT_LT(Distance(Scene(2), {cx + 5.0f, cy, z}), 0.0f) << t;
  }
}

TEST(Scenes, GearTunnelIsTheSameFieldForScenesZeroAndFour) {
  for (float z = -3.3f; z < 40.0f; z += 0.77f) {
    const Vec3 p{0.3f * z, 1.0f - 0.1f * z, z};
    EXPECT_EQ(Distance(Scene(0, 5.0), p), Distance(Scene(4, 5.0), p));
  }
  // The centre of a slab, out at radius 3, is inside a disc; at radius 8
  // it is outside.
  EXPECT_LT(Distance(Scene(0, 5.0), {3.0f, 0.0f, 10.5f}), 0.0f);
  EXPECT_GT(Distance(Scene(0, 5.0), {8.0f, 0.0f, 10.5f}), 0.0f);
}

TEST(Scenes, UnknownSceneIdsThrow) {
  int tag = 0;
  EXPECT_THROW(SceneDistance(Scene(9), {0.0f, 0.0f, 0.0f}, tag), std::out_of_range);
  EXPECT_THROW(SceneDistance(Scene(-1), {0.0f, 0.0f, 0.0f}, tag), std::out_of_range);
  EXPECT_THROW(SceneName(9), std::out_of_range);
  EXPECT_STREQ(SceneName(1), "carved sphere lattice");
}

}  // namespace
}  // namespace condemo
