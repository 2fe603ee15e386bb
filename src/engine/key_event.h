#pragma once

#include <cstdint>

namespace tarsil {

// The fields of a low-level keyboard event the translation looks at, copied
// out of the platform's record so the decision can run without the platform.
struct KeyEvent {
  std::uint32_t vkCode = 0;
  // Names the physical key, together with the extended bit: unlike vkCode it
  // does not change with NumLock or Shift while the key is held. 0 when the
  // platform knows none.
  std::uint32_t scanCode = 0;
  std::uint32_t flags = 0;
  // The platform's key state showed vkCode down before this event changed
  // it: a press that finds its key already down went down before
  // translation saw it (before the hook came, or while it was stopped).
  bool wasDown = false;
};

// The bits of KeyEvent::flags the decision tests; the values are the
// platform's, so the adapter copies flags through unchanged.
inline constexpr std::uint32_t kEventExtended = 0x01;
inline constexpr std::uint32_t kEventInjected = 0x10;
inline constexpr std::uint32_t kEventUp = 0x80;

}  // namespace tarsil
