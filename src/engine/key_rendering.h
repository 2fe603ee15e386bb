#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/key_set.h"
#include "profile/key_types.h"

namespace tarsil {

// How one code of a translation list goes out: the key code of the stroke and
// whether it is sent in its extended-key form.
struct RenderedKey {
  std::uint8_t vk = 0;
  bool extended = false;

  bool operator==(const RenderedKey&) const = default;
};

inline constexpr KeyCode kNumLockKey = 144;
// The keypad's Enter shares code 13 with the main Enter; in tables and lists
// it lives under 108 so it can carry an assignment of its own.
inline constexpr KeyCode kKeypadEnterCode = 108;
inline constexpr KeyCode kEnterKey = 13;

// NumLock counts as on only when it is toggled on and not held: while the
// NumLock key itself is down the state reads differently and counts as off.
constexpr bool isNumLockOn(std::int16_t state) noexcept { return state == 1; }

// The navigation key a keypad code stands for while NumLock is off, or 0 for
// codes NumLock does not change (keypad 5 and the operators included).
constexpr std::uint8_t keypadNavigationKey(KeyCode code) noexcept {
  // Keypad 0..9 (96..105): Insert, End, Down, Page Down, Left, -, Right,
  // Home, Up, Page Up.
  constexpr std::uint8_t kDigits[10] = {45, 35, 40, 34, 37, 0, 39, 36, 38, 33};
  if (code >= 96 && code <= 105) return kDigits[code - 96];
  return code == 110 ? 46 : 0;  // the decimal point is Delete
}

constexpr bool dependsOnNumLock(KeyCode code) noexcept { return keypadNavigationKey(code) != 0; }

// Keys that exist on the keyboard only as extended keys. Sent without the
// extended flag they would turn into their keypad twins (an arrow becomes
// keypad 4, right Ctrl becomes left Ctrl) or into nothing at all (media keys).
constexpr bool isExtendedOnlyKey(KeyCode code) noexcept {
  return (code >= 33 && code <= 40) ||  // Page Up .. Down arrow
         code == 45 || code == 46 ||    // Insert, Delete
         code == 91 || code == 92 ||    // Windows keys
         code == 93 ||                  // Apps
         code == 44 ||                  // Print Screen: unextended it is keypad *
         code == 111 ||                 // keypad Divide
         code == kNumLockKey ||         //
         code == 163 || code == 165 ||  // right Ctrl, right Alt
         (code >= 166 && code <= 183);  // browser and media keys
}

// A list code as it is sent. A navigation code produced here from a keypad
// code stays non-extended, because it must act as the keypad key it came
// from. Codes outside 0..255 are sent as their low byte, as the platform's
// key code field holds only that.
constexpr RenderedKey renderListCode(KeyCode code, bool numLockOn) noexcept {
  if (!numLockOn) {
    if (const std::uint8_t navigation = keypadNavigationKey(code); navigation != 0) {
      return {navigation, false};
    }
  }
  if (code == kKeypadEnterCode) return {static_cast<std::uint8_t>(kEnterKey), true};
  return {static_cast<std::uint8_t>(static_cast<std::uint32_t>(code) & 0xFFu),
          isExtendedOnlyKey(code)};
}

// The key a stroke or a physical event holds down, as a KeySet index. The
// generic Ctrl, Shift and Alt codes act on the left key (right Ctrl and Alt
// when extended), and the physical keys report exactly those: a chord's Ctrl
// and the user's left Ctrl are one key.
constexpr std::size_t holdIndexOf(RenderedKey key) noexcept {
  switch (key.vk) {
    case 16:  // Shift
      return KeySet::indexOf(160, false);
    case 17:  // Ctrl
      return key.extended ? KeySet::indexOf(163, true) : KeySet::indexOf(162, false);
    case 18:  // Alt
      return key.extended ? KeySet::indexOf(165, true) : KeySet::indexOf(164, false);
    default:
      return KeySet::indexOf(key.vk, key.extended);
  }
}

}  // namespace tarsil
