// The entries of the lane paths: each runs its kernel on the lanes of its
// path, a kernel can stop at a narrower path, and a value that names no
// path gets the scalar entry.
#include "kalt/lane_entry.h"

#include <gtest/gtest.h>

#include "kalt/lane_path.h"
#include "kalt/lanes.h"

namespace {

using kalt::LanePath;
using kalt::lanes::kLanesOf;

// The lane count it runs on, plus an argument that passes through.
struct LaneCount {
  template <class T>
  static int Run(int plus) {
    return kLanesOf<T> + plus;
  }
};
using Counts = kalt::lanes::LaneEntries<int(int)>;

TEST(LaneEntries, EachPathRunsItsLanes) {
  constexpr int kLanes[kalt::kLanePathCount] = {1, 4, 8, 16};
  constexpr Counts all = Counts::Of<LaneCount>();
  constexpr Counts upToAvx2 = Counts::Of<LaneCount, LanePath::kAvx2>();
  for (int i = 0; i < kalt::kLanePathCount; ++i) {
    const auto path = static_cast<LanePath>(i);
    if (!kalt::CpuRuns(path)) continue;
    EXPECT_EQ(all[path](100), kLanes[i] + 100) << kalt::LanePathName(path);
    EXPECT_EQ(upToAvx2[path](0), path == LanePath::kAvx512 ? 8 : kLanes[i]) << kalt::LanePathName(path);
  }
  EXPECT_EQ(upToAvx2[LanePath::kAvx512], upToAvx2[LanePath::kAvx2]);
}

TEST(LaneEntries, ANumberThatNamesNoPathRunsTheScalarEntry) {
  constexpr Counts all = Counts::Of<LaneCount>();
  EXPECT_EQ(all[static_cast<LanePath>(kalt::kLanePathCount)], all[LanePath::kScalar]);
  EXPECT_EQ(all[static_cast<LanePath>(-1)](0), 1);
}

// A build without the wide paths gives their slots the SSE2 entry and never
// chooses them.
TEST(LaneEntries, PathsTheBuildLacksRunTheWidestItHas) {
  constexpr Counts all = Counts::Of<LaneCount>();
  for (const LanePath path : {LanePath::kAvx2, LanePath::kAvx512}) {
    if (path <= kalt::kWidestBuiltLanePath) continue;
    EXPECT_EQ(all[path], all[LanePath::kSse2]);
    EXPECT_FALSE(kalt::CpuRuns(path));
  }
}

}  // namespace
