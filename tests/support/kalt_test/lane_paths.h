// Tests that run once on every lane path (kalt/lane_path.h): a test of the
// suite runs on the path of its parameter, or is skipped with a message
// where the processor lacks it, and leaves the path as it found it.
//
//   class MySuite : public kalt_test::OnLanePath {};
//   TEST_P(MySuite, Something) { ... }
//   KALT_ON_EVERY_LANE_PATH(MySuite);
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "kalt/lane_path.h"

namespace kalt_test {

class OnLanePath : public ::testing::TestWithParam<kalt::LanePath> {
 protected:
  void SetUp() override {
    saved_ = kalt::ActiveLanePath();
    if (!kalt::CpuRuns(GetParam())) GTEST_SKIP() << "this processor lacks " << kalt::LanePathName(GetParam());
    kalt::UseLanePath(GetParam());
  }
  void TearDown() override { kalt::UseLanePath(saved_); }

 private:
  kalt::LanePath saved_ = kalt::LanePath::kScalar;
};

inline std::string LanePathTestName(const ::testing::TestParamInfo<kalt::LanePath>& info) {
  return kalt::LanePathName(info.param);
}

}  // namespace kalt_test

#define KALT_ON_EVERY_LANE_PATH(Suite)                                                                    \
  INSTANTIATE_TEST_SUITE_P(Lanes, Suite,                                                                  \
                           ::testing::Values(kalt::LanePath::kScalar, kalt::LanePath::kSse2,            \
                                             kalt::LanePath::kAvx2, kalt::LanePath::kAvx512),           \
                           kalt_test::LanePathTestName)
