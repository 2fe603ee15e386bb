#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "layout/key_code.h"

namespace tarsil {

// Slot numbers of the main window's layout. 1..104 are keys the user can
// click and assign, 105..121 further keys that carry assignments in the
// settings file, 122..132 the window's own skin buttons.
inline constexpr int kSlotCount = 132;
inline constexpr int kLastAssignableSlot = 104;
inline constexpr int kLastStoredSlot = 121;
inline constexpr int kFirstMediaSlot = 104;
inline constexpr int kLastMediaSlot = 121;
inline constexpr int kFirstButtonSlot = 122;
inline constexpr int kFirstProfileButtonSlot = 128;  // 128, 129, 130 show the active profile

struct SlotRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  bool contains(std::int32_t x, std::int32_t y) const {
    return left <= x && x < right && top <= y && y < bottom;
  }
  bool operator==(const SlotRect&) const = default;
};

struct KeySlot {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::u16string caption;
  KeyCode vk = 0;  // keys 1..121 only; a skin button has none

  SlotRect rect() const {
    return {left, top,
            static_cast<std::int32_t>(static_cast<std::uint32_t>(left) +
                                      static_cast<std::uint32_t>(width)),
            static_cast<std::int32_t>(static_cast<std::uint32_t>(top) +
                                      static_cast<std::uint32_t>(height))};
  }
};

// One entry per key slot. The layout file and the windows number slots from
// 1; the assigned-key list stores 0-based indices. slot(n) takes the number,
// operator[] the index, so neither is ever converted by hand.
template <typename T>
class SlotArray {
 public:
  static constexpr std::size_t indexOf(int slotNumber) {
    return static_cast<std::size_t>(slotNumber - 1);
  }

  T& slot(int number) { return items_[indexOf(number)]; }
  const T& slot(int number) const { return items_[indexOf(number)]; }
  T& operator[](std::size_t index) { return items_[index]; }
  const T& operator[](std::size_t index) const { return items_[index]; }

  static constexpr std::size_t size() { return kSlotCount; }
  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  bool operator==(const SlotArray&) const = default;

 private:
  std::array<T, kSlotCount> items_{};
};

using KeySlotTable = SlotArray<KeySlot>;

}  // namespace tarsil
