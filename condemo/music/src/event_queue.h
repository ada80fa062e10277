// A fixed-size single-producer single-consumer queue: the device thread
// pushes the song's events while rendering, the cue thread pops them as they
// are heard. Neither side ever waits or allocates.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>

namespace music::detail {

template <typename T, std::size_t Capacity>
class EventQueue {
  static_assert(Capacity > 0 && (Capacity & (Capacity - 1)) == 0, "Capacity is a power of two");

 public:
  // Producer side. Returns false, dropping the item, when the queue is full.
  bool Push(const T& item) {
    const std::size_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) == Capacity) return false;
    items_[tail & (Capacity - 1)] = item;
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }

  // Consumer side: the oldest item, or null when the queue is empty. It stays
  // valid until Pop.
  const T* Front() const {
    const std::size_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) return nullptr;
    return &items_[head & (Capacity - 1)];
  }

  // Consumer side: removes the item Front returned.
  void Pop() { head_.store(head_.load(std::memory_order_relaxed) + 1, std::memory_order_release); }

 private:
  std::array<T, Capacity> items_{};
  alignas(64) std::atomic<std::size_t> head_{0};
  alignas(64) std::atomic<std::size_t> tail_{0};
};

}  // namespace music::detail
