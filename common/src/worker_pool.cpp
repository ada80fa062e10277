#include "kalt/worker_pool.h"

#include <chrono>
#include <system_error>

namespace kalt {

namespace {

// Waking a sleeping thread takes a tenth of a millisecond or more (much more
// on a virtual machine), a real share of a frame of one or two milliseconds.
// So a worker stays awake for a while after its job, ready for the next
// frame, which in a show that renders frame after frame comes within that
// time; and Run waits a while on the workers' count before it sleeps.
constexpr std::chrono::microseconds kAwakeAfterJob{1000};
constexpr std::chrono::microseconds kAwaitWorkers{500};

inline void Relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// Checks `ready` between pauses of the processor for up to `limit`; whether
// it held.
template <class Ready>
bool SpinUntil(Ready ready, std::chrono::microseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    for (int i = 0; i < 64; ++i) {
      if (ready()) return true;
      Relax();
    }
    if (std::chrono::steady_clock::now() >= deadline) return ready();
  }
}

}  // namespace

WorkerPool::WorkerPool(int workerCount) {
  const int threads = workerCount > 1 ? workerCount - 1 : 0;
  threads_.reserve(static_cast<std::size_t>(threads));
  try {
    for (int worker = 1; worker <= threads; ++worker) threads_.emplace_back([this, worker] { Serve(worker); });
  } catch (...) {
    Stop();
    throw;
  }
}

WorkerPool::~WorkerPool() { Stop(); }

void WorkerPool::Stop() noexcept {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
}

void WorkerPool::RunJob(void (*call)(void*, int), void* context) noexcept {
  if (threads_.empty()) {
    call(context, 0);
    return;
  }
  {
    std::lock_guard lock(mutex_);
    call_ = call;
    context_ = context;
    pending_.store(static_cast<int>(threads_.size()), std::memory_order_relaxed);
    ++generation_;
  }
  wake_.notify_all();
  call(context, 0);
  // The workers end their share within moments of this thread.
  if (SpinUntil([this] { return pending_.load(std::memory_order_acquire) == 0; }, kAwaitWorkers)) return;
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return pending_.load(std::memory_order_relaxed) == 0; });
}

void WorkerPool::Serve(int worker) noexcept {
  std::uint64_t seen = 0;
  std::unique_lock lock(mutex_);
  for (;;) {
    const auto ready = [&] {
      return stop_.load(std::memory_order_relaxed) || generation_.load(std::memory_order_relaxed) != seen;
    };
    lock.unlock();
    SpinUntil(ready, kAwakeAfterJob);
    lock.lock();
    wake_.wait(lock, ready);
    if (stop_) return;
    seen = generation_;
    void (*const call)(void*, int) = call_;
    void* const context = context_;
    lock.unlock();
    call(context, worker);
    lock.lock();
    if (pending_.fetch_sub(1, std::memory_order_release) == 1) done_.notify_one();
  }
}

}  // namespace kalt
