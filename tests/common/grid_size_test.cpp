// The one reader of "WxH" grid sizes on the command lines.
#include "kalt/grid_size.h"

#include <gtest/gtest.h>

namespace kalt {
namespace {

TEST(GridSize, ParsesWxHWithinTheLimits) {
  EXPECT_EQ(ParseGridSize("80x50"), (GridSize{80, 50}));
  EXPECT_EQ(ParseGridSize("20x10"), (GridSize{20, 10}));
  EXPECT_EQ(ParseGridSize("1000X1000"), (GridSize{1000, 1000}));
  EXPECT_EQ(ParseGridSize("0240x0150"), (GridSize{240, 150}));
  for (const char* bad : {"19x10", "20x9", "1001x10", "20x1001", "", "x", "80", "80x", "x50", "80x50x", "80 x 50",
                          "+80x50", "-80x50", "80x-50", "80.0x50", "8e1x50", "80*50", "00080x50", "99999999999x50"})
    EXPECT_FALSE(ParseGridSize(bad)) << bad;
}

}  // namespace
}  // namespace kalt
