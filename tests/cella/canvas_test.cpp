#include <gtest/gtest.h>

#include <climits>
#include <new>
#include <type_traits>

#include "cella/cella.h"

namespace {

using cella::Canvas;
using cella::Pixel;

static_assert(sizeof(Pixel) == 3);
static_assert(std::is_standard_layout_v<Pixel>);
static_assert(std::is_trivially_copyable_v<Pixel>);
static_assert(!std::is_copy_constructible_v<Canvas>);
static_assert(std::has_virtual_destructor_v<Canvas>);

TEST(Canvas, StartsTransparentAndNormal) {
  Canvas canvas(7, 3);
  EXPECT_EQ(canvas.width, 7);
  EXPECT_EQ(canvas.height, 3);
  EXPECT_EQ(canvas.blendMode, cella::Normal);
  for (int i = 0; i < 21; ++i) EXPECT_EQ(canvas.data[i], (Pixel{0, 16, 16})) << i;
}

TEST(Canvas, EmptyAndNegativeSizesHoldNoCells) {
  for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-3, 4}, {4, -3}, {INT_MIN, INT_MIN}}) {
    Canvas canvas(w, h);
    EXPECT_GE(canvas.width, 0);
    EXPECT_GE(canvas.height, 0);
    EXPECT_EQ(canvas.width * canvas.height, 0);
  }
}

TEST(Canvas, OversizedRequestThrowsBadAlloc) {
  EXPECT_THROW(Canvas(INT_MAX, INT_MAX), std::bad_alloc);
  EXPECT_THROW(Canvas(65536, 65536), std::bad_alloc);  // 12 GiB of cells
}

}  // namespace
