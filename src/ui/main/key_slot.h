#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "profile/key_types.h"

namespace tarsil {

// Slot numbers of the main window's layout. 1..104 are keys the user can
// click and assign, 105..121 further keys that carry assignments in the
// settings file, 122..132 the window's own skin buttons.
inline constexpr int kSlotCount = 132;
inline constexpr int kLastAssignableSlot = 104;
inline constexpr int kLastStoredSlot = 121;
inline constexpr int kFirstMediaSlot = 104;
inline constexpr int kLastMediaSlot = 121;
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

// Indexed by slot number minus one.
using KeySlotTable = std::array<KeySlot, kSlotCount>;

}  // namespace tarsil
