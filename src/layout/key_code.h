#pragma once

#include <cstdint>

namespace tarsil {

// Windows virtual-key codes are the program's key vocabulary everywhere,
// because they are what set.ini and the layout files store; they are 32-bit
// signed as stored.
using KeyCode = std::int32_t;

}  // namespace tarsil
