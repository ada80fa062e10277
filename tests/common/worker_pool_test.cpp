// The worker pool: start-up, one call per worker per job, shut-down.
#include "kalt/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

namespace {

TEST(WorkerPool, APoolOfOneRunsOnTheCallingThread) {
  for (const int count : {1, 0, -5}) {
    kalt::WorkerPool pool(count);
    EXPECT_EQ(pool.WorkerCount(), 1);
    int calls = 0;
    std::thread::id where;
    pool.Run([&](int worker) {
      EXPECT_EQ(worker, 0);
      where = std::this_thread::get_id();
      ++calls;
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(where, std::this_thread::get_id());
  }
}

// Every job calls every worker once, each on its own thread, worker 0 on
// the caller's; Run returns only when all are done, their writes visible.
TEST(WorkerPool, EveryWorkerOncePerJob) {
  for (const int count : {2, 3, 8}) {
    kalt::WorkerPool pool(count);
    ASSERT_EQ(pool.WorkerCount(), count);
    std::vector<int> calls(static_cast<std::size_t>(count), 0);  // plain ints: Run orders the writes
    for (int job = 0; job < 200; ++job) {
      std::vector<std::thread::id> threads(static_cast<std::size_t>(count));
      pool.Run([&](int worker) {
        ++calls[static_cast<std::size_t>(worker)];
        threads[static_cast<std::size_t>(worker)] = std::this_thread::get_id();
      });
      ASSERT_EQ(threads[0], std::this_thread::get_id());
      ASSERT_EQ(std::set<std::thread::id>(threads.begin(), threads.end()).size(), static_cast<std::size_t>(count));
    }
    for (const int n : calls) EXPECT_EQ(n, 200);
  }
}

// The workers run at the same time: each waits until all have arrived.
TEST(WorkerPool, WorkersRunTogether) {
  kalt::WorkerPool pool(3);
  std::atomic<int> arrived{0};
  pool.Run([&](int) {
    arrived.fetch_add(1);
    while (arrived.load() < 3) std::this_thread::yield();
  });
  EXPECT_EQ(arrived.load(), 3);
}

// Pools that are destroyed idle, before any job or between jobs, stop their
// threads and return.
TEST(WorkerPool, DestructionWhileIdleJoinsTheThreads) {
  for (int round = 0; round < 50; ++round) {
    kalt::WorkerPool never(4);
    kalt::WorkerPool once(2);
    int sum = 0;
    std::atomic<int> atomicSum{0};
    once.Run([&](int worker) { atomicSum.fetch_add(worker + 1); });
    sum = atomicSum.load();
    EXPECT_EQ(sum, 3);
  }
}

}  // namespace
