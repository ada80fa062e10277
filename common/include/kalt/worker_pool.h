// kalt/worker_pool.h - a fixed team of threads that run one job at a time,
// kept for the whole life of the pool instead of started for every job.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace kalt {

class WorkerPool {
 public:
  // A pool of workerCount workers (counts below 1 count as 1). Worker 0 is
  // whichever thread calls Run; workers 1 .. workerCount - 1 are threads
  // started here, which wait for the next job (awake for a moment, then
  // asleep: see worker_pool.cpp). A pool of 1 starts no thread and runs every
  // job on the calling thread. Throws std::system_error when a
  // thread cannot be started, after stopping those already started.
  explicit WorkerPool(int workerCount);
  // Stops and joins every thread; no thread outlives the pool. Must not run
  // while a Run is in progress.
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int WorkerCount() const { return static_cast<int>(threads_.size()) + 1; }

  // Calls job(worker) once for every worker 0 .. WorkerCount() - 1, all at
  // the same time: worker 0 on the calling thread, the others on the pool's
  // threads; returns when every call has returned, and everything the calls
  // wrote is then visible to the caller. The job must not throw: an
  // exception ends the program (std::terminate). One Run at a time: calling
  // Run again before it returns, from a job or from another thread, is not
  // allowed.
  template <class Job>
  void Run(Job&& job) {
    using Callable = std::remove_reference_t<Job>;
    RunJob([](void* context, int worker) { (*static_cast<Callable*>(context))(worker); },
           const_cast<void*>(static_cast<const void*>(&job)));
  }

 private:
  void RunJob(void (*call)(void*, int), void* context) noexcept;
  void Serve(int worker) noexcept;
  void Stop() noexcept;

  std::mutex mutex_;
  std::condition_variable wake_;  // a new job, or stop
  std::condition_variable done_;  // the last worker thread finished its call
  std::atomic<std::uint64_t> generation_{0};  // counts jobs
  std::atomic<int> pending_{0};               // worker threads still in the current job
  std::atomic<bool> stop_{false};
  void (*call_)(void*, int) = nullptr;
  void* context_ = nullptr;
  std::vector<std::thread> threads_;
};

}  // namespace kalt
