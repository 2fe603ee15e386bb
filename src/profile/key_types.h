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

// What a key can do other than press the codes of its translation entry.
// The hook only swallows such a key and hands its press and its release on;
// what the action takes time or a window for happens off the key path.
enum class KeyActionKind : std::uint8_t {
  kNone,
  kPlayMacro,      // value: the macro's index, played with its own timing
  kSwitchProfile,  // value: the profile 1..3, or kNextProfile
};
inline constexpr std::int32_t kNextProfile = 0;

struct KeyAction {
  KeyActionKind kind = KeyActionKind::kNone;
  std::int32_t value = 0;
  // 0 in a table. In an action handed on, the key whose press started it:
  // a player tells one key's playback from another key's by it.
  KeyCode trigger = 0;

  bool operator==(const KeyAction&) const = default;
};

// Source key -> its action. A key listed here is not looked up in the
// translation table while the hook decides its press.
using KeyActionTable = std::map<KeyCode, KeyAction>;

// The most codes one entry plays. All of them are sent inside one call of
// the keyboard hook, and Windows silently removes a hook whose call takes
// longer than a few hundred milliseconds; a longer macro plays its first
// kMaxEntryCodes presses. One synthetic stroke costs about 0.1 ms under Wine
// (bench/win32/hook_call_time.cpp: 0.07 ms at best, 0.4 ms on a loaded
// machine), so 1000 codes took over 100 ms; 128 keep a call near 15 ms, well
// under 50 ms, and are still more than any recorded macro needs.
inline constexpr std::size_t kMaxEntryCodes = 128;

// The identity entries cover 1..254; 255 is no real key.
inline constexpr KeyCode kFirstIdentityKey = 1;
inline constexpr KeyCode kLastIdentityKey = 254;

}  // namespace tarsil
