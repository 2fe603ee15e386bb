#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tarsil {

// Windows virtual-key codes are the program's key vocabulary everywhere,
// because they are what set.ini stores; they are 32-bit signed as stored.
using KeyCode = std::int32_t;
using KeyList = std::vector<KeyCode>;

// Source key -> the keys the hook presses, in order, when it is intercepted.
// v -> {v} (an identity entry) leaves a key alone; v -> {} disables it.
using TranslationTable = std::map<KeyCode, KeyList>;

// A key's code -> the index of the macro it plays, one per key of the macro kind.
using MacroBindings = std::map<KeyCode, std::int32_t>;

// Multimedia name -> the code it sends, from the layout's multimedia slots.
using MediaKeyTable = std::map<std::u16string, KeyCode>;

// The identity entries cover 1..254; 255 is no real key.
inline constexpr KeyCode kFirstIdentityKey = 1;
inline constexpr KeyCode kLastIdentityKey = 254;

}  // namespace tarsil
