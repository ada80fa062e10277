#include "kalt/worker_pool.h"

#include <system_error>

namespace kalt {

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
    pending_ = static_cast<int>(threads_.size());
    ++generation_;
  }
  wake_.notify_all();
  call(context, 0);
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return pending_ == 0; });
}

void WorkerPool::Serve(int worker) noexcept {
  std::uint64_t seen = 0;
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
    if (stop_) return;
    seen = generation_;
    void (*const call)(void*, int) = call_;
    void* const context = context_;
    lock.unlock();
    call(context, worker);
    lock.lock();
    if (--pending_ == 0) done_.notify_one();
  }
}

}  // namespace kalt
