// The effects' row loop: every row once for any thread count, and the count
// kept per calling thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "gldemo/effects.h"
#include "row_loop.h"

namespace {

TEST(RowLoop, EveryRowOnceForAnyThreadCount) {
  const int threads = gldemo::EffectThreads();
  for (const int count : {1, 2, 3, 5}) {
    gldemo::SetEffectThreads(count);
    EXPECT_EQ(gldemo::EffectThreads(), count);
    for (const int rows : {-3, 0, 1, 2, 50, 301}) {
      std::vector<std::atomic<int>> calls(rows > 0 ? rows : 0);
      gldemo::detail::ForEachRow(rows, [&](int row) { calls.at(row).fetch_add(1); });
      for (int row = 0; row < rows; ++row) ASSERT_EQ(calls[row].load(), 1) << count << " threads, row " << row;
    }
  }
  gldemo::SetEffectThreads(0);
  EXPECT_EQ(gldemo::EffectThreads(), 1);
  gldemo::SetEffectThreads(threads);
}

TEST(RowLoop, CountBelongsToTheCallingThread) {
  gldemo::SetEffectThreads(3);
  std::thread other([] {
    gldemo::SetEffectThreads(1);
    EXPECT_EQ(gldemo::EffectThreads(), 1);
  });
  other.join();
  EXPECT_EQ(gldemo::EffectThreads(), 3);
}

}  // namespace
