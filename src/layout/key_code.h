#pragma once

#include <cstdint>

namespace tarsil {

// Windows virtual-key codes are the program's key vocabulary everywhere,
// because they are what set.ini and the layout files store; they are 32-bit
// signed as stored.
using KeyCode = std::int32_t;

// The codes that name a key: 0 is none, and 255 is reserved.
inline constexpr KeyCode kFirstKeyCode = 1;
inline constexpr KeyCode kLastKeyCode = 254;
constexpr bool isKeyCode(KeyCode code) { return code >= kFirstKeyCode && code <= kLastKeyCode; }

}  // namespace tarsil
