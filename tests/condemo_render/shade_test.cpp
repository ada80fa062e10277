#include "condemo/shade.h"

#include "condemo/rand15.h"
#include "condemo/scenes/carved_lattice.h"
#include "condemo/scenes/folded_blob.h"
#include "condemo/scenes/gear_tunnel.h"
#include "condemo/scenes/merged_blobs.h"
#include "condemo/scenes/spiky_ball.h"
#include "condemo/scenes/spiky_ball_in_sphere.h"
#include "condemo/scenes/twisted_octahedron.h"
#include "condemo/scenes/winding_tubes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace condemo {
namespace {

// One distance a scripted field hands out.
struct Answer {
  float d;
  int tag = -1;  // -1 leaves the caller's tag
};

// A field that hands out scripted distances (and tags) in order, the last
// one over and over, and counts its calls. Its hits are coloured in the
// look of Scene.
template <class Scene>
struct ScriptedField : Scene {
  explicit ScriptedField(std::vector<Answer> answers) : Scene{}, script(std::move(answers)) {}

  std::vector<Answer> script;
  mutable std::size_t calls = 0;
  mutable std::vector<Vec3> points;

  float Distance(Vec3 p, int& materialTag) const {
    points.push_back(p);
    const Answer& a = script[std::min(calls, script.size() - 1)];
    ++calls;
    if (a.tag >= 0) materialTag = a.tag;
    return a.d;
  }
};

SceneParams Params(float maxTravel, float stepScale, int maxBounce) {
  SceneParams scene;
  scene.maxTravel = maxTravel;
  scene.stepScale = stepScale;
  scene.maxBounce = maxBounce;
  return scene;
}

template <class Scene>
ShadePlan Plan(const SceneParams& scene, int beats = 0) {
  FrameState frame;
  frame.scene = scene;
  frame.pulse.beatCount = beats;
  return PrepareShade<Scene>(frame);
}

constexpr int kCentreColumn = 40, kCentreRow = 25;

TEST(Rand15, IsTheClassicGenerator) {
  Rand15 noise{1};
  for (const int expected : {41, 18467, 6334, 26500, 19169, 15724}) EXPECT_EQ(noise.Next(), expected);
  Rand15 wrap{0xFFFFFFFFu};
  for (int i = 0; i < 100000; ++i) ASSERT_LE(wrap.Next(), 32767);
  // Cell seeds depend on the frame and the cell only, and spread.
  EXPECT_EQ(CellSeed(5, 123), CellSeed(5, 123));
  EXPECT_NE(CellSeed(5, 123), CellSeed(6, 123));
  EXPECT_NE(CellSeed(5, 123), CellSeed(5, 124));
}

// On 80 x 50 the ray of every cell is ((column - 40) / 40, (row - 25) / 25,
// 1) to the bit; other grids keep the view's proportions, 8 across to 5
// down, and fill it across or down.
TEST(Shade, GridFramings) {
  const kalt::ScreenFraming console = kalt::FramingOf({80, 50});
  for (int row = 0; row < 50; ++row)
    for (int column = 0; column < 80; ++column) {
      const Vec3 ray = kalt::ScreenPlaneRay(console, column, row);
      ASSERT_EQ(ray.x, static_cast<float>(column - 40) / 40.0f);
      ASSERT_EQ(ray.y, static_cast<float>(row - 25) / 25.0f);
      ASSERT_EQ(ray.z, 1.0f);
    }
  // Finer: the same corners. Wider or taller: the 80 x 50 view in the
  // middle, more of the scene beside or above and below it.
  const Vec3 fine = kalt::ScreenPlaneRay(kalt::FramingOf({160, 100}), 0, 0);
  EXPECT_EQ(fine.x, -1.0f);
  EXPECT_EQ(fine.y, -1.0f);
  const kalt::ScreenFraming wide = kalt::FramingOf({160, 50});
  EXPECT_EQ(wide.spanX, 80.0f);
  EXPECT_EQ(wide.spanY, 50.0f);
  EXPECT_EQ(kalt::ScreenPlaneRay(wide, 0, 0).x, -2.0f);
  EXPECT_EQ(kalt::ScreenPlaneRay(wide, 40, 0).x, -1.0f);
  const kalt::ScreenFraming tall = kalt::FramingOf({80, 100});
  EXPECT_EQ(tall.spanX, 80.0f);
  EXPECT_EQ(tall.spanY, 50.0f);
  EXPECT_EQ(kalt::ScreenPlaneRay(tall, 0, 25).y, -1.0f);
  const kalt::ScreenFraming odd = kalt::FramingOf({33, 11});  // wider than 8 to 5
  EXPECT_EQ(odd.spanY, 11.0f);
  EXPECT_EQ(odd.spanX, 17.6f);
}

TEST(Shade, CellDirections) {
  const ShadePlan plan = Plan<CarvedLattice>(Params(10.0f, 0.3f, 0));
  const Vec3 centre = CellDirection(plan, kCentreColumn, kCentreRow);
  EXPECT_EQ(centre.x, 0.0f);
  EXPECT_EQ(centre.y, 0.0f);
  EXPECT_EQ(centre.z, 1.0f);
  const Vec3 corner = CellDirection(plan, 0, 0);
  EXPECT_EQ(corner.x, -1.0f);
  EXPECT_EQ(corner.y, -1.0f);
  EXPECT_EQ(corner.z, 1.0f);
  SceneParams turned = Params(10.0f, 0.3f, 0);
  turned.camAngleX = 0.4f, turned.camAngleY = -1.1f, turned.camAngleZ = 2.5f;
  EXPECT_FLOAT_EQ(kalt::Length(CellDirection(Plan<CarvedLattice>(turned), kCentreColumn, kCentreRow)), 1.0f);
  EXPECT_FLOAT_EQ(kalt::Length(CellDirection(Plan<CarvedLattice>(turned), 0, 0)), std::sqrt(3.0f));
  // The light turns with the camera: unturned it is (-0.5, -0.7, -1).
  EXPECT_EQ(plan.light.y, -0.7f);
}

TEST(Shade, ZeroMaxTravelMarchesOneStep) {
  const ShadePlan plan = Plan<CarvedLattice>(Params(0.0f, 0.3f, 1));
  ScriptedField<CarvedLattice> field{{{1.0f}}};
  const Cell cell = ShadeCellWith(plan, field, 10, 10);
  EXPECT_EQ(field.calls, 1u);
  const Cell background = BackgroundCell(plan, 10, 10);
  EXPECT_EQ(cell.ch, background.ch);
  EXPECT_EQ(cell.attr, background.attr);
}

TEST(Shade, MarchStopsAtMaxTravelOrAfterTheLastStep) {
  // travel runs -1, -0.5, 0, ... and reaches 2 on the sixth step.
  ScriptedField<CarvedLattice> near{{{1.0f}}};
  ShadeCellWith(Plan<CarvedLattice>(Params(2.0f, 0.5f, 0)), near, 3, 4);
  EXPECT_EQ(near.calls, 6u);
  // Never a hit, never far enough: kLastMarchStep + 1 steps.
  ScriptedField<CarvedLattice> grazing{{{0.001f}}};
  ShadeCellWith(Plan<CarvedLattice>(Params(1e9f, 0.3f, 1)), grazing, 3, 4);
  EXPECT_EQ(grazing.calls, static_cast<std::size_t>(kLastMarchStep + 1));
  // The first step starts at the camera and moves by stepScale * d * D.
  EXPECT_EQ(near.points[0].x, 0.0f);
  EXPECT_FLOAT_EQ(near.points[1].z, 0.5f);
}

// The end test is one rule for a single march and for lanes: every lane
// of a vector decides as the one-ray test does, maxTravel 0 or below and a
// travel that is not a number included.
TEST(Shade, MarchEndsAlikeForOneRayAndForLanes) {
  const F4 travel{-1.0f, 1.9f, 2.0f, std::numeric_limits<float>::quiet_NaN()};
  const I4 steps{0, kLastMarchStep, kLastMarchStep + 1, 5};
  for (const float maxTravel : {2.0f, 0.0f, -3.0f, 1e9f}) {
    const SceneParams scene = Params(maxTravel, 0.3f, 0);
    const I4 lanes = MarchEnds(scene, travel, steps);
    for (int l = 0; l < 4; ++l) {
      const bool one = MarchEnds(scene, travel[l], steps[l]);
      EXPECT_EQ(lanes[l], one ? -1 : 0) << "maxTravel " << maxTravel << ", lane " << l;
      EXPECT_EQ(one, !(travel[l] < maxTravel && maxTravel > 0.0f) || steps[l] > kLastMarchStep);
    }
  }
}

TEST(Shade, HitWithoutBounceShadesTheFirstHitOnly) {
  // The octahedron: the colour group is beatCount + 1. A normal of (0, 0, 1)
  // faces the light fully: W = 1.
  ScriptedField<TwistedOctahedron> field{{{-1.0f}, {0.0f}, {0.0f}, {1.0f}, {-1.0f}}};
  const Cell cell =
      ShadeCellWith(Plan<TwistedOctahedron>(Params(9.0f, 0.3f, 0), 3), field, kCentreColumn, kCentreRow);
  EXPECT_EQ(field.calls, 4u);  // the march step and the three normal samples
  // Fog q = (-1 - 0.3) / 9, so 3.5 (1 - q) > 3 and 3 (1 - 0.7 q) > 2.
  EXPECT_EQ(cell.ch, 219);
  EXPECT_EQ(cell.attr, 15);  // group 4 (magenta), white level
  // The normal samples sit 0.001 from the hit point h = camPos + d D.
  EXPECT_FLOAT_EQ(field.points[1].x, 0.001f);
  EXPECT_FLOAT_EQ(field.points[1].z, -1.0f);
}

TEST(Shade, HitAfterTheBounceAddsABackground) {
  ScriptedField<TwistedOctahedron> field{{{-1.0f}, {0.0f}, {0.0f}, {1.0f}, {-1.0f}, {0.0f}, {0.0f}, {1.0f}}};
  const Cell cell =
      ShadeCellWith(Plan<TwistedOctahedron>(Params(9.0f, 0.3f, 1), 0), field, kCentreColumn, kCentreRow);
  EXPECT_EQ(field.calls, 8u);
  EXPECT_EQ(cell.ch, 219);
  // Foreground: group 1 (green), white; background: group 1 bright (0xA0),
  // from l2 = min(trunc(2 W (1 - 0.7 q)), 1) = 1 and the tag 1.
  EXPECT_EQ(cell.attr, 0xA0 + 15);
  // The bent ray starts 2 hitEpsilon along B from the hit point: D = (0, 0, 1),
  // N = (0, 0, 1), B = (0, 0, -1).
  EXPECT_FLOAT_EQ(field.points[4].z, -1.0f - 2.0f * 0.0003f);
}

TEST(Shade, MissAfterTheBounceKeepsTheFirstHit) {
  ScriptedField<TwistedOctahedron> field{{{-1.0f}, {0.0f}, {0.0f}, {1.0f}, {5.0f}}};
  const Cell cell =
      ShadeCellWith(Plan<TwistedOctahedron>(Params(9.0f, 0.3f, 1), 0), field, kCentreColumn, kCentreRow);
  EXPECT_GT(field.calls, 5u);
  EXPECT_EQ(cell.ch, 219);
  EXPECT_EQ(cell.attr, 15);
}

TEST(Shade, NonFiniteFogCountsAsLevelZero) {
  // maxTravel 0 and a hit on the first step: q = travel / 0.
  ScriptedField<TwistedOctahedron> facing{{{-1.0f}, {0.0f}, {0.0f}, {1.0f}}};
  const Cell a =
      ShadeCellWith(Plan<TwistedOctahedron>(Params(0.0f, 0.5f, 1), 0), facing, kCentreColumn, kCentreRow);
  EXPECT_EQ(a.ch, 176);  // s = 0
  EXPECT_EQ(a.attr, 2);  // l = 0 in group 1: dark green
  // In the tunnel the glint override still applies: a normal of (1, 0, 0)
  // bends the ray to nothing, G = 0 < 0.2, so l = 2; the hit lies at z = -1,
  // so the colour index 2 + 3 trunc(-1) = -1 wraps to 14, white.
  ScriptedField<GearTunnel> side{{{-1.0f}, {1.0f}, {0.0f}, {0.0f}}};
  const Cell b = ShadeCellWith(Plan<GearTunnel>(Params(0.0f, 0.5f, 0)), side, kCentreColumn, kCentreRow);
  EXPECT_EQ(b.ch, 176);
  EXPECT_EQ(b.attr, 15);
}

TEST(Shade, NegativeColourIndicesWrap) {
  // The tubes colour by trunc(0.25 z): a hit at z = -9 gives 3 trunc(-2.25)
  // = -6; with the level 1 the index -5 wraps to 10, bright blue.
  SceneParams scene = Params(33.0f, 0.3f, 0);
  scene.camPos = {0.0f, 0.0f, -8.0f};
  ScriptedField<WindingTubes> field{{{-1.0f}, {0.0f}, {0.0f}, {1.0f}}};
  EXPECT_EQ(ShadeCellWith(Plan<WindingTubes>(scene), field, kCentreColumn, kCentreRow).attr, 9);
}

TEST(Shade, MaterialTags) {
  // A normal of (1, 0, 0) gives W = 0.5 and the bright level.
  // The spiky ball in a sphere takes the tag that the last normal sample
  // left: 0, yellow.
  ScriptedField<SpikyBallInSphere> inSphere{{{-1.0f, 2}, {1.0f, 2}, {0.0f, 2}, {0.0f, 0}}};
  EXPECT_EQ(
      ShadeCellWith(Plan<SpikyBallInSphere>(Params(8.0f, 1.0f, 0), 5), inSphere, kCentreColumn, kCentreRow).attr,
      14);
  // The folded blob steps the field's tag by the beat: (2 + 4) mod 5 = 1,
  // green.
  ScriptedField<FoldedBlob> blob{{{-1.0f, 0}, {1.0f, 0}, {0.0f, 0}, {0.0f, 2}}};
  EXPECT_EQ(ShadeCellWith(Plan<FoldedBlob>(Params(9.0f, 0.3f, 0), 4), blob, kCentreColumn, kCentreRow).attr, 10);
  // The lattice colours by the 100-unit block: a hit at (0, 0, 250) is in
  // block 2, cyan.
  SceneParams lattice = Params(250.0f, 0.3f, 0);
  lattice.camPos = {0.0f, 0.0f, 251.0f};
  ScriptedField<CarvedLattice> one{{{-1.0f}, {1.0f}, {0.0f}, {0.0f}}};
  EXPECT_EQ(ShadeCellWith(Plan<CarvedLattice>(lattice), one, kCentreColumn, kCentreRow).attr, 11);
  // The spiky ball uses beatCount + 4 whatever the field says: 1 + 4 = 5,
  // yellow.
  ScriptedField<SpikyBall> spiky{{{-1.0f, 2}, {1.0f, 2}, {0.0f, 2}, {0.0f, 2}}};
  EXPECT_EQ(ShadeCellWith(Plan<SpikyBall>(Params(6.0f, 1.0f, 0), 1), spiky, kCentreColumn, kCentreRow).attr, 14);
}

template <class Scene>
std::uint16_t PatternAttr(int beats) {
  return BackgroundCell(Plan<Scene>(Params(9.0f, 0.3f, 0), beats), 5, 6).attr;
}

TEST(Shade, BackgroundPatternColourStepsWithTheBeat) {
  EXPECT_EQ(PatternAttr<GearTunnel>(3), 0);
  EXPECT_EQ(PatternAttr<CarvedLattice>(3), 0);
  EXPECT_EQ(PatternAttr<WindingTubes>(3), 0);
  EXPECT_EQ(PatternAttr<FoldedBlob>(3), 5);
  EXPECT_EQ(PatternAttr<MergedBlobs>(3), 3);
  EXPECT_EQ(PatternAttr<SpikyBall>(3), 1);
  EXPECT_EQ(PatternAttr<TwistedOctahedron>(0), 3);
  EXPECT_EQ(PatternAttr<SpikyBallInSphere>(4), 2);
  EXPECT_EQ(PatternAttr<FoldedBlob>(-7), 5);  // (-6) mod 5 = 4
  // Only the two pattern characters.
  const ShadePlan plan = Plan<CarvedLattice>(Params(9.0f, 0.3f, 0));
  int squares = 0;
  for (int row = 0; row < kRows; ++row)
    for (int column = 0; column < kColumns; ++column) {
      const Cell cell = BackgroundCell(plan, column, row);
      ASSERT_TRUE(cell.ch == 8 || cell.ch == 254);
      squares += cell.ch == 254;
    }
  EXPECT_GT(squares, 1000);
  EXPECT_LT(squares, 3000);
}

}  // namespace
}  // namespace condemo
