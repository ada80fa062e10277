#include "condemo/director.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace condemo {
namespace {

TEST(Director, EveryRowOfTheTable) {
  struct Row {
    int order;
    SceneId sceneId;
    float maxTravel, stepScale, hitEpsilon;
    int maxBounce;
  };
  using enum SceneId;
  // maxTravel of the two incremental rows with previous 20 and no time step.
  const Row rows[] = {
      {-1, kCarvedLattice, 20.0f, 0.3f, 0.0003f, 1},       {0, kCarvedLattice, 20.0f, 0.3f, 0.0003f, 1},
      {3, kCarvedLattice, 20.0f, 0.3f, 0.0003f, 1},        {4, kWindingTubes, 33.0f, 0.3f, 0.0003f, 1},
      {7, kWindingTubes, 33.0f, 0.3f, 0.0003f, 1},         {8, kMergedBlobs, 9.0f, 0.5f, 0.0003f, 0},
      {9, kMergedBlobs, 9.0f, 0.5f, 0.0003f, 0},           {10, kSpikyBall, 6.0f, 1.0f, 0.0001f, 1},
      {11, kSpikyBall, 6.0f, 1.0f, 0.0001f, 1},            {12, kTwistedOctahedron, 9.0f, 0.3f, 0.0003f, 1},
      {13, kTwistedOctahedron, 9.0f, 0.3f, 0.0003f, 1},    {14, kFoldedBlob, 9.0f, 0.3f, 0.0003f, 1},
      {15, kFoldedBlob, 9.0f, 0.3f, 0.0003f, 1},           {16, kSpikyBallInSphere, 8.0f, 1.0f, 0.0001f, 0},
      {17, kSpikyBallInSphere, 8.0f, 1.0f, 0.0001f, 0},    {18, kGearTunnel, 33.0f, 0.5f, 0.0003f, 0},
      {19, kGearTunnel, 33.0f, 0.5f, 0.0003f, 0},          {20, kGearTunnelFadeOut, 20.0f, 0.5f, 0.0003f, 0},
      {21, kGearTunnelFadeOut, 20.0f, 0.5f, 0.0003f, 0},   {500, kGearTunnelFadeOut, 20.0f, 0.5f, 0.0003f, 0},
  };
  for (const Row& row : rows) {
    const SceneParams params = DirectScene(row.order, 12.5, {.flashA = 0.4f, .flashB = 0.3f}, 0.0, 20.0f);
    EXPECT_EQ(params.sceneId, row.sceneId) << row.order;
    EXPECT_EQ(params.maxTravel, row.maxTravel) << row.order;
    EXPECT_EQ(params.stepScale, row.stepScale) << row.order;
    EXPECT_EQ(params.hitEpsilon, row.hitEpsilon) << row.order;
    EXPECT_EQ(params.maxBounce, row.maxBounce) << row.order;
  }
}

TEST(Director, CameraOfEveryRow) {
  // The formulas in double precision; the director's single-precision steps
  // stay within a few float ulps of them.
  const double t = 12.5, a = 0.4, b = 0.3;
  struct Expected {
    int order;
    double x, y, z, ax, ay, az;
  };
  const double pi = std::numbers::pi;
  const Expected rows[] = {
      {2, 100 * std::sin(0.7 * t), 100 * std::sin(0.9 * t), 200, 11.5 * std::sin(0.04 * t),
       15.5 * std::sin(0.05 * t), 17.5 * std::sin(0.03 * t)},
      {5, std::sin(1.5 * t) + std::cos(0.9 * t), std::sin(1.5 * t) + std::cos(1.2 * t), 3 * t,
       -(pi / 4) * std::sin(0.5 * t), pi * std::sin(0.25 * t) + pi, 55 * std::cos(0.025 * t)},
      {8, 1.5 * std::sin(t), 1.5 * std::cos(0.7 * t), -6, 0, 0, 0},
      {10, std::sin(1.3 * t + b), std::cos(1.7 * t - b), std::sin(t + a) - 3, 0, 0, 0},
      {12, std::sin(1.3 * t + b), std::cos(1.7 * t - b), std::sin(t - a) - 6, 0, 0, 0},
      {14, std::cos(1.3 * t + b), std::sin(1.7 * t + b), std::sin(t + a) - 5.5, 0, 0, 0},
      {16, 2 * std::sin(0.5 * t - b), 2 * std::cos(0.7 * t - b), std::sin(t - a) - 2.5, 0, 0, 0},
      {18, 0.6 * std::sin(t), 0.6 * std::cos(0.7 * t), 4 * t - 1, 0, 0, 0},
      {20, 0.6 * std::sin(t), 0.6 * std::cos(0.7 * t), 4 * t - 1, 0, 0, 0},
  };
  for (const Expected& row : rows) {
    const MusicPulse pulse{.flashA = static_cast<float>(a), .flashB = static_cast<float>(b)};
    const SceneParams p = DirectScene(row.order, t, pulse, 0.0, 0.0f);
    EXPECT_NEAR(p.camPos.x, row.x, 2e-5 * (1 + std::fabs(row.x))) << row.order;
    EXPECT_NEAR(p.camPos.y, row.y, 2e-5 * (1 + std::fabs(row.y))) << row.order;
    EXPECT_NEAR(p.camPos.z, row.z, 2e-5 * (1 + std::fabs(row.z))) << row.order;
    EXPECT_NEAR(p.camAngleX, row.ax, 2e-5 * (1 + std::fabs(row.ax))) << row.order;
    EXPECT_NEAR(p.camAngleY, row.ay, 2e-5 * (1 + std::fabs(row.ay))) << row.order;
    EXPECT_NEAR(p.camAngleZ, row.az, 2e-5 * (1 + std::fabs(row.az))) << row.order;
  }
}

TEST(Director, OpeningFadesInAndIsClamped) {
  EXPECT_EQ(DirectScene(1, 0.0, {}, 0.0, 0.0f).maxTravel, 0.0f);  // the very first frame
  EXPECT_FLOAT_EQ(DirectScene(1, 3.0, {}, 0.1, 10.0f).maxTravel, 15.0f);
  EXPECT_EQ(DirectScene(1, 3.0, {}, 0.5, 240.0f).maxTravel, 250.0f);
  EXPECT_EQ(DirectScene(-1, 3.0, {}, 0.0, -5.0f).maxTravel, 0.0f);
  // The sum is formed in double: 0.1 + 50 * 0.001 rounded once.
  EXPECT_EQ(DirectScene(1, 3.0, {}, 0.001, 0.1f).maxTravel, static_cast<float>(0.1f + 50 * 0.001));
}

TEST(Director, ClosingFadesOutAndIsClamped) {
  EXPECT_FLOAT_EQ(DirectScene(20, 150.0, {}, 1.0, 33.0f).maxTravel, 24.0f);
  EXPECT_EQ(DirectScene(20, 150.0, {}, 1.0, 2.0f).maxTravel, 0.0f);
  EXPECT_EQ(DirectScene(22, 150.0, {}, 0.0, 250.0f).maxTravel, 33.0f);  // from the opening's 250
}

TEST(Director, SteadyRunCarry) {
  const DirectorCarry first = SteadyRunCarry(2, 0.0, 1.0 / 60);
  EXPECT_EQ(first.maxTravel, 0.0f);
  EXPECT_EQ(first.frameDelta, 0.0);
  // Frames at 0, 1/60, ..., 59/60 before t = 1: the second frame still has no
  // step, so 58 steps of 50/60.
  const DirectorCarry second = SteadyRunCarry(2, 1.0, 1.0 / 60);
  EXPECT_NEAR(second.maxTravel, 58 * 50.0 / 60, 1e-3);
  EXPECT_NEAR(second.frameDelta, 1.0 / 60, 1e-12);
  // Past the fade-in it stays at 250, however long the run.
  for (const double t : {6.0, 100.0, 1e9}) {
    const DirectorCarry later = SteadyRunCarry(0, t, 1.0 / 60);
    EXPECT_EQ(later.maxTravel, 250.0f) << t;
    EXPECT_NEAR(later.frameDelta, 1.0 / 60, 1e-6) << t;
  }
  EXPECT_EQ(SteadyRunCarry(9, 30.0, 1.0 / 60).maxTravel, 9.0f);
  EXPECT_EQ(SteadyRunCarry(2, NAN, 1.0 / 60).maxTravel, 0.0f);
  EXPECT_EQ(SteadyRunCarry(2, 3.0, 0.0).maxTravel, 0.0f);
}

TEST(Director, Stills) {
  EXPECT_EQ(StillScene(1, 0.0, {}).maxTravel, 0.0f);
  EXPECT_NEAR(StillScene(1, 2.0, {}).maxTravel, 50 * (2.0 - 1.0 / 60), 1e-3);
  EXPECT_EQ(StillScene(3, 60.0, {}).maxTravel, 250.0f);
  EXPECT_EQ(StillScene(20, 160.0, {}).maxTravel, 33.0f);
  EXPECT_EQ(StillScene(18, 160.0, {}).maxTravel, 33.0f);
  const MusicPulse pulse{.flashA = 0.5f, .flashB = 0.25f};
  EXPECT_EQ(StillScene(10, 60.0, pulse).camPos.x, DirectScene(10, 60.0, pulse, 0.0, 0.0f).camPos.x);
}

}  // namespace
}  // namespace condemo
