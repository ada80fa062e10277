#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

#include "condemo/render.h"
#include "condemo/scenes/carved_lattice.h"
#include "condemo/scenes/folded_blob.h"
#include "condemo/scenes/gear_tunnel.h"
#include "condemo/scenes/merged_blobs.h"
#include "condemo/scenes/spiky_ball.h"
#include "condemo/scenes/spiky_ball_in_sphere.h"
#include "condemo/scenes/twisted_octahedron.h"
#include "condemo/scenes/winding_tubes.h"

namespace condemo {
namespace {

using enum SceneId;

FrameState Scene(SceneId sceneId, double time = 0.0) {
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
  FrameState frame = Scene(kCarvedLattice, 17.0);
  EXPECT_EQ(Distance(frame, {-50.0f, -50.0f, -50.0f}), 10.0f);
  EXPECT_EQ(Distance(frame, {50.0f, 150.0f, -250.0f}), 10.0f);
  // Where the holes are far: the big sphere's surface.
  const Vec3 p{-20.0f, -20.0f, -60.0f};  // a = (-10, -10, -10), b = (30, 30, -10)
  EXPECT_FLOAT_EQ(Distance(frame, p), std::sqrt(1900.0f) - 40.0f);
  // flashB swells the big spheres, flashA shrinks them.
  frame.pulse.flashB = 1.0f;
  EXPECT_FLOAT_EQ(Distance(frame, p), std::sqrt(1900.0f) - 49.0f);
  frame.pulse.flashA = 1.0f;
  EXPECT_FLOAT_EQ(Distance(frame, p), std::sqrt(1900.0f) - 40.0f);
}

TEST(Scenes, TwistedOctahedronAtTheOriginGrowsWithFlashC) {
  FrameState frame = Scene(kTwistedOctahedron, 3.0);
  EXPECT_FLOAT_EQ(Distance(frame, {0.0f, 0.0f, 0.0f}), -4.0f / 3.0f);
  frame.pulse.flashC = 1.0f;
  EXPECT_FLOAT_EQ(Distance(frame, {0.0f, 0.0f, 0.0f}), -5.0f / 3.0f);
}

TEST(Scenes, SpikyBallsAtTheOrigin) {
  EXPECT_FLOAT_EQ(Distance(Scene(kSpikyBall), {0.0f, 0.0f, 0.0f}), -0.2f);
  int tag = 7;
  EXPECT_FLOAT_EQ(SceneDistance(Scene(kSpikyBallInSphere), {0.0f, 0.0f, 0.0f}, tag), -0.2f);
  EXPECT_EQ(tag, 2);  // the ball, not the shell
}

TEST(Scenes, OnlyFoldedBlobAndSpikyBallInSphereSetTheTag) {
  const Vec3 points[] = {{0.0f, 0.0f, 0.0f}, {1.0f, 2.0f, -3.0f}, {0.4f, -0.2f, 2.5f}, {3.0f, 3.0f, 3.0f}};
  for (const SceneId sceneId : {kGearTunnelFadeOut, kCarvedLattice, kWindingTubes, kGearTunnel, kMergedBlobs,
                                kSpikyBall, kTwistedOctahedron}) {
    for (const Vec3& p : points) {
      int tag = 7;
      SceneDistance(Scene(sceneId, 2.0), p, tag);
      EXPECT_EQ(tag, 7) << SceneName(sceneId);
    }
  }
  for (const SceneId sceneId : {kFoldedBlob, kSpikyBallInSphere}) {
    bool seen[3] = {};
    for (float x = -4.5f; x <= 4.5f; x += 0.25f) {
      int tag = 7;
      SceneDistance(Scene(sceneId, 2.0), {x, 0.5f * x, 0.2f}, tag);
      ASSERT_TRUE(tag == 0 || tag == 2) << SceneName(sceneId);
      seen[tag] = true;
    }
    EXPECT_TRUE(seen[0] && seen[2]) << SceneName(sceneId);
  }
}

TEST(Scenes, FoldedBlobTagsTheInnerSphere) {
  // At t = 0 nothing is turned and the inner sphere sits at (2, 2, 2).
  int tag = 7;
  const float d = SceneDistance(Scene(kFoldedBlob), {2.0f, 2.0f, 2.0f}, tag);
  EXPECT_FLOAT_EQ(d, -1.0f);
  EXPECT_EQ(tag, 2);
  SceneDistance(Scene(kFoldedBlob), {-4.0f, 0.5f, 0.0f}, tag);
  EXPECT_EQ(tag, 0);
}

TEST(Scenes, MergedBlobsSwitchShapeOnTheParityOfTheBeat) {
  // At t = 0 the first blob sits at -(3 sin 0, 3 cos 0, 1.5 sin 0).
  const Vec3 centre{0.0f, -3.0f, 0.0f};
  FrameState frame = Scene(kMergedBlobs);
  const auto at = [&](int beats, Vec3 p) {
    frame.pulse.beatCount = beats;
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
    EXPECT_GE(Distance(Scene(kWindingTubes), {cx, cy, z}), 1.05f) << t;
    EXPECT_LT(Distance(Scene(kWindingTubes), {cx + 5.0f, cy, z}), 0.0f) << t;
  }
}

TEST(Scenes, GearTunnelIsTheSameFieldFadingOut) {
  for (float z = -3.3f; z < 40.0f; z += 0.77f) {
    const Vec3 p{0.3f * z, 1.0f - 0.1f * z, z};
    EXPECT_EQ(Distance(Scene(kGearTunnelFadeOut, 5.0), p), Distance(Scene(kGearTunnel, 5.0), p));
  }
  // The centre of a slab, out at radius 3, is inside a disc; at radius 8
  // it is outside.
  EXPECT_LT(Distance(Scene(kGearTunnelFadeOut, 5.0), {3.0f, 0.0f, 10.5f}), 0.0f);
  EXPECT_GT(Distance(Scene(kGearTunnelFadeOut, 5.0), {8.0f, 0.0f, 10.5f}), 0.0f);
}

// The frame renderer evaluates the fields on the points of several cells at
// once (here four); each lane must give the bits of the field at that point
// alone, tags included. (The frame tests cover the wider paths.)
template <class Field>
class FourLanes : public ::testing::Test {};
using Fields = ::testing::Types<GearTunnel, CarvedLattice, WindingTubes, FoldedBlob, MergedBlobs, SpikyBall,
                                TwistedOctahedron, SpikyBallInSphere>;
TYPED_TEST_SUITE(FourLanes, Fields);

TYPED_TEST(FourLanes, AgreeWithOnePointAtATime) {
  std::uint32_t seed = 4242;
  const auto next = [&seed](float range) {
    seed = seed * 1664525u + 1013904223u;
    return (static_cast<float>(seed >> 8) / 16777216.0f * 2.0f - 1.0f) * range;
  };
  for (const double time : {0.0, 3.7, 61.25, 140.0}) {
    FrameState frame;
    frame.sceneTime = time;
    frame.pulse.flashA = 0.3f, frame.pulse.flashB = 0.6f, frame.pulse.flashC = 0.5f;
    frame.pulse.beatCount = static_cast<int>(time) % 3;
    const TypeParam field = TypeParam::Prepare(frame);
    for (int i = 0; i < 3000; ++i) {
      const float range = i % 3 == 0 ? 2.0f : i % 3 == 1 ? 8.0f : 300.0f;
      Vec3Lanes<F4> p;
      for (int lane = 0; lane < kLanesOf<F4>; ++lane) {
        p.x[lane] = next(range), p.y[lane] = next(range), p.z[lane] = next(range) + static_cast<float>(3 * time);
        if (i % 50 == 0 && lane == 1) p.x[lane] = p.y[lane] = p.z[lane] = 0.0f;  // folds at their borders
        if (i % 70 == 0 && lane == 2) p.x[lane] = -0.0f, p.y[lane] = 0.5f;
      }
      I4 tags = {7, 7, 7, 7};
      const F4 d = field.Distance(p, tags);
      for (int lane = 0; lane < kLanesOf<F4>; ++lane) {
        int tag = 7;
        const float one = field.Distance(Vec3{p.x[lane], p.y[lane], p.z[lane]}, tag);
        ASSERT_EQ(std::bit_cast<std::uint32_t>(one), std::bit_cast<std::uint32_t>(d[lane]))
            << p.x[lane] << " " << p.y[lane] << " " << p.z[lane] << " t " << time;
        ASSERT_EQ(tag, tags[lane]);
      }
    }
  }
}

TEST(Scenes, UnknownSceneIdsThrow) {
  int tag = 0;
  EXPECT_THROW(SceneDistance(Scene(static_cast<SceneId>(9)), {0.0f, 0.0f, 0.0f}, tag), std::out_of_range);
  EXPECT_THROW(SceneDistance(Scene(static_cast<SceneId>(-1)), {0.0f, 0.0f, 0.0f}, tag), std::out_of_range);
  EXPECT_THROW(SceneName(static_cast<SceneId>(9)), std::out_of_range);
  EXPECT_STREQ(SceneName(kCarvedLattice), "carved sphere lattice");
}

}  // namespace
}  // namespace condemo
