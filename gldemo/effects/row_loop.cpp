#include "row_loop.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <system_error>
#include <thread>

#include "gldemo/effects.h"

#if KALT_EFFECTS_OPENMP
#include <omp.h>
#else
#include "kalt/worker_pool.h"
#endif

namespace gldemo {

#if KALT_EFFECTS_OPENMP

void SetEffectThreads(int count) { omp_set_num_threads(std::max(count, 1)); }

int EffectThreads() { return omp_get_max_threads(); }

namespace detail {

void RunRows(int rows, void (*draw)(void*, int), void* context) {
#pragma omp parallel for schedule(dynamic, 1)
  for (int row = 0; row < rows; ++row) draw(context, row);
}

}  // namespace detail

#else

namespace {

// Counts above this are taken as this (a pool starts every thread it has).
constexpr int kMostThreads = 256;

// The thread count when none was set: the first number of OMP_NUM_THREADS
// (as OpenMP reads it) when it is one above 0, else one per hardware thread.
int DefaultThreads() {
  if (const char* setting = std::getenv("OMP_NUM_THREADS")) {
    char* end = nullptr;
    const long count = std::strtol(setting, &end, 10);
    if (end != setting && count > 0) return static_cast<int>(std::min<long>(count, kMostThreads));
  }
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

// The calling thread's count and pool, as an OpenMP thread keeps its own
// count: threads that draw at the same time each use their own pool. The
// pool is started by the first loop that needs it and kept while the count
// stays; where threads cannot be started the rows are drawn on the calling
// thread.
struct RowThreads {
  int count = DefaultThreads();
  std::unique_ptr<kalt::WorkerPool> pool;

  kalt::WorkerPool* Pool() {
    if (count > 1 && (!pool || pool->WorkerCount() != count)) {
      pool.reset();
      try {
        pool = std::make_unique<kalt::WorkerPool>(count);
      } catch (const std::system_error&) {
        count = 1;
      }
    }
    return count > 1 ? pool.get() : nullptr;
  }
};

thread_local RowThreads t_rowThreads;

}  // namespace

void SetEffectThreads(int count) { t_rowThreads.count = std::clamp(count, 1, kMostThreads); }

int EffectThreads() { return t_rowThreads.count; }

namespace detail {

void RunRows(int rows, void (*draw)(void*, int), void* context) {
  kalt::WorkerPool* const pool = t_rowThreads.Pool();
  if (!pool) {
    for (int row = 0; row < rows; ++row) draw(context, row);
    return;
  }
  alignas(64) std::atomic<int> next{0};
  pool->Run([&](int) {
    for (int row; (row = next.fetch_add(1, std::memory_order_relaxed)) < rows;) draw(context, row);
  });
}

}  // namespace detail

#endif

}  // namespace gldemo
