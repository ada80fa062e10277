// framegrab effect: the tool draws exactly what the effect draws, with the
// demo's gradient file, and refuses bad requests.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "effects_test_support.h"
#include "kalt_test/canvas_txt.h"
#include "kalt_test/tools.h"
#include "gldemo/effects.h"

namespace {

using kalt_test::CanvasTxt;
using kalt_test::Framegrab;
using kalt_test::ReadFile;

class FramegrabEffect : public ::testing::Test {
 protected:
  void TearDown() override { std::remove(out_.c_str()); }
  // One file per test: ctest runs the tests as parallel processes.
  const std::string out_ = ::testing::TempDir() + "framegrab-effect-" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
};

TEST_F(FramegrabEffect, DrawsTheEffectWithTheDemosGradients) {
  const auto pack = effects_test::DemoPack();
  ASSERT_TRUE(pack);
  ASSERT_EQ(Framegrab("effect CavitySlab --time 20.5 --gradient 27 --surface-gain 8 --out " + out_), 0);
  cella::Canvas expected(80, 50);
  gldemo::CavitySlab(&expected, pack.get(), 20.5f, 27, 8.0f, 0.0f);
  EXPECT_EQ(ReadFile(out_), CanvasTxt(expected));

  // Left out, the parameters take the values of one of the effect's rows.
  ASSERT_EQ(Framegrab("effect TwinGlow --time 3 --out " + out_), 0);
  gldemo::TwinGlow(&expected, pack.get(), 3.0f, 32, 0.02f, 0.02f);
  EXPECT_EQ(ReadFile(out_), CanvasTxt(expected));

  ASSERT_EQ(Framegrab("effect SphereGrid --time 46 --gradients ../Data20/gradient.bin --out " + out_), 0);
  gldemo::SphereGrid(&expected, &pack->gradients[2], 46.0f);
  EXPECT_EQ(ReadFile(out_), CanvasTxt(expected));
}

TEST_F(FramegrabEffect, EveryEffectRenders) {
  for (const char* name :
       {"SphereGrid", "TwinGlow", "FoldedBlocks", "SphereCluster", "BarLattice", "TricylinderLattice", "CavitySlab"})
    EXPECT_EQ(Framegrab(std::string("effect ") + name + " --time 1.5 --out " + out_), 0) << name;
}

TEST_F(FramegrabEffect, RefusesBadRequests) {
  EXPECT_EQ(Framegrab("effect Plasma --time 1 --out " + out_), 1);
  EXPECT_EQ(Framegrab("effect TwinGlow --out " + out_), 1);                            // no time
  EXPECT_EQ(Framegrab("effect TwinGlow --time 1 --focal 3 --out " + out_), 1);         // not its parameter
  EXPECT_EQ(Framegrab("effect BarLattice --time 1 --gradient 99 --out " + out_), 1);   // not in the pack
  EXPECT_EQ(Framegrab("effect BarLattice --time x --out " + out_), 1);
  EXPECT_EQ(Framegrab("effect FoldedBlocks --time 1 --focal 99999999999 --out " + out_), 1);  // not an int
  EXPECT_EQ(Framegrab("effect TwinGlow --time 1e300 --out " + out_), 1);                      // not a float
  EXPECT_EQ(Framegrab("effect TwinGlow --time 1 --gradients /nonexistent --out " + out_), 1);
}

}  // namespace
