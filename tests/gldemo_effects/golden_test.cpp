// Golden pictures of every effect, the same with any number of threads, and
// safe on odd inputs.
#include <gtest/gtest.h>

#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "effects_test_support.h"
#include "gldemo/effects.h"
#include "kalt_test/lane_paths.h"

namespace {

using effects_test::Hash;
using effects_test::RampPack;

// One effect drawn at a time, through a pack of 64-entry ramps (so that the
// goldens hold the selected indexes, whatever the demo's gradient file).
using Draw = std::function<void(cella::Canvas*, const cella::GradientPack*, float)>;

struct Golden {
  const char* name;
  Draw draw;
  std::vector<std::pair<float, std::uint64_t>> frames;  // time, hash
};

const std::vector<Golden>& Goldens() {
  static const std::vector<Golden> goldens = {
      {"SphereGrid", [](auto c, auto p, float t) { gldemo::SphereGrid(c, &p->gradients[2], t); },
       {{0.0f, 0x19774b4df1f20b5b}, {44.5f, 0x16b1f7f68e8bf545}, {53.9f, 0xaa3db07f10a88a9a}}},
      {"TwinGlow", [](auto c, auto p, float t) { gldemo::TwinGlow(c, p, t, 32, 0.02f, 0.02f); },
       {{0.5f, 0x107941fef9644537}, {6.25f, 0x47af1286409107c8}, {13.0f, 0x70236f5c422c7d56}}},
      {"TwinGlowFolded", [](auto c, auto p, float t) { gldemo::TwinGlow(c, p, t, 3, 1.0f, 0.01f); },
       {{7.5f, 0x24fe3e7ee69aa7d6}}},
      {"FoldedBlocks", [](auto c, auto p, float t) { gldemo::FoldedBlocks(c, p, t, 90, 0.0f); },
       {{0.0f, 0x28cc7ff86314cbbc}, {0.35f, 0x6590f7e3041fdd9a}}},
      {"FoldedBlocksFlattened", [](auto c, auto p, float t) { gldemo::FoldedBlocks(c, p, t, 30, -1.0f); },
       {{-1.7f, 0xcf70840fa3fb06bb}, {-3.5f, 0x4aaa98154776d67a}, {2.9f, 0x46858ca77f6c1385}}},
      {"SphereCluster", [](auto c, auto p, float t) { gldemo::SphereCluster(c, p, t, 0.0f, 0.0f, 0.0f); },
       {{0.0f, 0x9f35967793327a35}, {1.5f, 0x51a570e1fcbed83f}, {3.75f, 0xd8ffcb003314078c}}},
      {"BarLattice", [](auto c, auto p, float t) { gldemo::BarLattice(c, p, t, 16, 0.0f, 0.0f); },
       {{4.0f, 0x378fb65cffbabfff}, {8.6f, 0xc32f9186858b4d07}, {26.5f, 0x877e56b2c266cc2e}}},
      {"BarLatticeLit", [](auto c, auto p, float t) { gldemo::BarLattice(c, p, t, 14, 8.0f, 0.0f); },
       {{27.2f, 0x831300d88983e1d0}}},
      {"TricylinderLattice", [](auto c, auto p, float t) { gldemo::TricylinderLattice(c, p, t, 0.0f, 0.0f); },
       {{10.0f, 0x99cffcba7fbd1114}, {17.3f, 0xbf15aaade4aa47db}}},
      {"CavitySlab", [](auto c, auto p, float t) { gldemo::CavitySlab(c, p, t, 3, 0.0f, 0.0f); },
       {{12.5f, 0x8767a4d05dbafc28}, {18.9f, 0x12caf84c0f7f2372}}},
      {"CavitySlabLit", [](auto c, auto p, float t) { gldemo::CavitySlab(c, p, t, 26, 16.0f, 0.0f); },
       {{25.1f, 0x74ef5308ae6af76d}, {28.7f, 0x711fe9a4d4cd4fab}}},
  };
  return goldens;
}

std::uint64_t Render(const Golden& golden, const cella::GradientPack* pack, float time) {
  cella::Canvas canvas(80, 50);
  golden.draw(&canvas, pack, time);
  return Hash(canvas);
}

// The same pictures on every lane path.
class EffectsOnLanes : public kalt_test::OnLanePath {};

TEST_P(EffectsOnLanes, GoldenFrames) {
  const auto pack = RampPack(34, 64);
  for (const Golden& golden : Goldens())
    for (const auto& [time, hash] : golden.frames) {
      const std::uint64_t got = Render(golden, pack.get(), time);
      char text[24];
      std::snprintf(text, sizeof text, "0x%016" PRIx64, got);
      EXPECT_EQ(got, hash) << golden.name << " at " << time << ": " << text;
    }
}

KALT_ON_EVERY_LANE_PATH(EffectsOnLanes);

TEST(Effects, SamePictureWithAnyNumberOfThreads) {
  const auto pack = RampPack(34, 64);
  const int threads = gldemo::EffectThreads();
  for (const Golden& golden : Goldens()) {
    const float time = golden.frames.back().first;
    gldemo::SetEffectThreads(1);
    const std::uint64_t one = Render(golden, pack.get(), time);
    gldemo::SetEffectThreads(2);
    const std::uint64_t two = Render(golden, pack.get(), time);
    gldemo::SetEffectThreads(3);
    const std::uint64_t three = Render(golden, pack.get(), time);
    EXPECT_EQ(one, two) << golden.name;
    EXPECT_EQ(one, three) << golden.name;
  }
  gldemo::SetEffectThreads(threads);
}

// Times and parameters far outside the timeline's: no undefined behaviour
// (the sanitizer build checks), every cell an entry of the gradient, and a
// time that is not a number shading every cell with the first entry.
TEST(Effects, OddInputsSelectValidEntries) {
  const auto pack = RampPack(34, 64);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<std::pair<const char*, Draw>> draws = {
      {"TwinGlow", [](auto c, auto p, float t) { gldemo::TwinGlow(c, p, t, 5, t, -t); }},
      {"FoldedBlocks", [](auto c, auto p, float t) { gldemo::FoldedBlocks(c, p, t, INT_MIN, t); }},
      {"FoldedBlocksWide", [](auto c, auto p, float t) { gldemo::FoldedBlocks(c, p, t, 0, 1e30f); }},
      {"SphereCluster", [](auto c, auto p, float t) { gldemo::SphereCluster(c, p, t, t, -t, -1.0f); }},
      {"BarLattice", [](auto c, auto p, float t) { gldemo::BarLattice(c, p, t, 7, t, t); }},
      {"TricylinderLattice", [](auto c, auto p, float t) { gldemo::TricylinderLattice(c, p, t, 1e30f, -1e30f); }},
      {"CavitySlab", [](auto c, auto p, float t) { gldemo::CavitySlab(c, p, t, 9, t, 0.0f); }},
  };
  for (const auto& [name, draw] : draws)
    for (const float time : {nan, inf, -inf, 1e30f, -1e30f, -1.0f, -0.5f, 3e9f}) {
      auto canvas = effects_test::FilledCanvas(80, 50);
      draw(canvas.get(), pack.get(), time);
      for (int i = 0; i < 80 * 50; ++i) {
        ASSERT_LT(canvas->data[i].ch, 64) << name << " at " << time;
        if (std::isnan(time)) {
          ASSERT_EQ(canvas->data[i].ch, 0) << name << " at NaN";
        }
      }
    }

  // The sphere grid's rays are lost (missed) when the time is not a number.
  for (const float time : {nan, inf, -inf, 1e30f, -1e30f, 3e9f}) {
    auto canvas = effects_test::FilledCanvas(120, 90);
    gldemo::SphereGrid(canvas.get(), &pack->gradients[2], time);
    for (int i = 0; i < 120 * 90; ++i) {
      const cella::Pixel cell = canvas->data[i];
      ASSERT_TRUE(cell.ch < 64 || cell == (cella::Pixel{0, 8, 8})) << time;
      if (std::isnan(time)) {
        ASSERT_EQ(cell, (cella::Pixel{0, 8, 8}));
      }
    }
  }
}

}  // namespace
