#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "layout/key_code.h"

namespace tarsil {

using KeyList = std::vector<KeyCode>;

// Source key -> the keys the hook presses, in order, when it is intercepted.
// v -> {v} (an identity entry) leaves a key alone; v -> {} disables it.
using TranslationTable = std::map<KeyCode, KeyList>;

// A key's code -> the index of the macro it plays, one per key of the macro kind.
using MacroBindings = std::map<KeyCode, std::int32_t>;

// The most codes one entry plays. All of them are sent inside one call of
// the keyboard hook, and Windows silently removes a hook whose call takes
// longer than a few hundred milliseconds; a longer macro plays its first
// kMaxEntryCodes presses.
inline constexpr std::size_t kMaxEntryCodes = 1000;

// The identity entries cover 1..254; 255 is no real key.
inline constexpr KeyCode kFirstIdentityKey = 1;
inline constexpr KeyCode kLastIdentityKey = 254;

}  // namespace tarsil
