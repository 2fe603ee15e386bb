#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <type_traits>

namespace tarsil {

// Hands items from one thread to another without a lock: push never waits
// and never allocates, so the keyboard hook can hand its events to the
// macro player's thread. One thread pushes, one thread pops. A push that
// finds the queue full fails, and the queue remembers it until the reader
// asks (overflowed), so the reader can make up for what was lost.
template <typename Item, std::size_t Capacity>
class HandoffQueue {
  static_assert(std::is_trivially_copyable_v<Item>, "items are copied in and out");
  static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "a power of two");

 public:
  // The writer's side.
  bool push(const Item& item) noexcept {
    const std::uint32_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) == Capacity) {
      overflowed_.store(true, std::memory_order_relaxed);
      return false;
    }
    items_[tail % Capacity] = item;
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }

  // The reader's side.
  std::optional<Item> pop() noexcept {
    const std::uint32_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) return std::nullopt;
    const Item item = items_[head % Capacity];
    head_.store(head + 1, std::memory_order_release);
    return item;
  }
  // Whether a push failed since the last call.
  bool overflowed() noexcept { return overflowed_.exchange(false, std::memory_order_relaxed); }

 private:
  std::array<Item, Capacity> items_{};
  // Each counts up and wraps; their difference is the number of items.
  alignas(64) std::atomic<std::uint32_t> head_{0};
  alignas(64) std::atomic<std::uint32_t> tail_{0};
  std::atomic<bool> overflowed_{false};
};

}  // namespace tarsil
