#pragma once

#include <cstdint>

namespace tarsil {

// The fields of a low-level keyboard event the translation looks at, copied
// out of the platform's record so the decision can run without the platform.
struct KeyEvent {
  std::uint32_t vkCode = 0;
  std::uint32_t scanCode = 0;
  std::uint32_t flags = 0;
};

// The bits of KeyEvent::flags the decision tests; the values are the
// platform's, so the adapter copies flags through unchanged.
inline constexpr std::uint32_t kEventExtended = 0x01;
inline constexpr std::uint32_t kEventInjected = 0x10;
inline constexpr std::uint32_t kEventUp = 0x80;

}  // namespace tarsil
