// The choice of the lane path from KALT_LANES and the processor.
#include "kalt/lane_path.h"

#include <gtest/gtest.h>

namespace {

using kalt::ChooseLanePath;
using kalt::LanePath;

bool Everything(LanePath) { return true; }
bool UpToAvx2(LanePath path) { return path != LanePath::kAvx512; }
bool Sse2Only(LanePath path) { return path == LanePath::kScalar || path == LanePath::kSse2; }

TEST(LanePath, NamesRoundTrip) {
  for (int i = 0; i < kalt::kLanePathCount; ++i) {
    const auto path = static_cast<LanePath>(i);
    EXPECT_EQ(kalt::ParseLanePath(kalt::LanePathName(path)), path);
  }
  EXPECT_FALSE(kalt::ParseLanePath("AVX2"));
  EXPECT_FALSE(kalt::ParseLanePath(""));
}

TEST(LanePath, WithoutARequestTheWidestButAvx512) {
  for (const char* none : {static_cast<const char*>(nullptr), ""}) {
    EXPECT_EQ(ChooseLanePath(none, Everything).path, LanePath::kAvx2);
    EXPECT_EQ(ChooseLanePath(none, Sse2Only).path, LanePath::kSse2);
    EXPECT_TRUE(ChooseLanePath(none, Everything).message.empty());
  }
}

TEST(LanePath, ARequestIsHonouredWhereTheProcessorRunsIt) {
  EXPECT_EQ(ChooseLanePath("scalar", Everything).path, LanePath::kScalar);
  EXPECT_EQ(ChooseLanePath("sse2", Everything).path, LanePath::kSse2);
  EXPECT_EQ(ChooseLanePath("avx512", Everything).path, LanePath::kAvx512);
  EXPECT_TRUE(ChooseLanePath("avx512", Everything).message.empty());
}

TEST(LanePath, AMissingPathFallsBackWithOneLine) {
  const kalt::LaneChoice avx512 = ChooseLanePath("avx512", UpToAvx2);
  EXPECT_EQ(avx512.path, LanePath::kAvx2);
  EXPECT_EQ(avx512.message, "KALT_LANES=avx512: this processor lacks avx512; running avx2");
  EXPECT_EQ(ChooseLanePath("avx512", Sse2Only).path, LanePath::kSse2);
  EXPECT_EQ(ChooseLanePath("avx2", Sse2Only).path, LanePath::kSse2);
  const kalt::LaneChoice unknown = ChooseLanePath("neon", Sse2Only);
  EXPECT_EQ(unknown.path, LanePath::kSse2);
  EXPECT_EQ(unknown.message, "KALT_LANES=neon is none of scalar, sse2, avx2, avx512; running sse2");
}

TEST(LanePath, UseLanePathTakesOnlyWhatThisProcessorRuns) {
  const LanePath before = kalt::ActiveLanePath();
  for (int i = 0; i < kalt::kLanePathCount; ++i) {
    const LanePath used = kalt::UseLanePath(static_cast<LanePath>(i));
    EXPECT_TRUE(kalt::CpuRuns(used));
    EXPECT_LE(static_cast<int>(used), i);
    EXPECT_EQ(kalt::ActiveLanePath(), used);
  }
  EXPECT_TRUE(kalt::CpuRuns(LanePath::kSse2));
  kalt::UseLanePath(before);
}

}  // namespace
