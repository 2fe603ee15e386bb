#pragma once

#include <cstdint>
#include <string_view>

namespace tarsil {

// The platform's device-change events and record type the program follows.
inline constexpr std::uint32_t kDeviceArrival = 0x8000;
inline constexpr std::uint32_t kDeviceRemoveComplete = 0x8004;
inline constexpr std::uint32_t kDeviceTypeInterface = 5;

// What a device-change notification carries, read out of the platform's
// broadcast record. deviceType and interfaceName are meaningful only for
// arrival and removal events; interfaceName only for interface records.
struct DeviceChange {
  std::uint32_t event = 0;
  std::uint32_t deviceType = 0;
  std::u16string_view interfaceName;
};

enum class PresenceAction : std::uint8_t {
  kNone,              // not the keyboard, or not an arrival or removal
  kStartTranslation,  // install the hook, keyHookStopped = 0, refresh the tray icon
  kStopTranslation,   // remove the hook, keyHookStopped = 1, refresh the tray icon
};

// Whether the event carries a broadcast record worth reading at all.
constexpr bool isPresenceEvent(std::uint32_t event) noexcept {
  return event == kDeviceArrival || event == kDeviceRemoveComplete;
}

// A keyboard brings one arrival (and one removal) per HID interface it
// presents; each of them yields the same action, and acting on it twice
// changes nothing, so there is nothing to count.
//
// With `alwaysOn` (the program was started to translate without the
// keyboard) a removal changes nothing: translation never depended on it.
PresenceAction decideDeviceChange(const DeviceChange& change, bool alwaysOn = false) noexcept;

}  // namespace tarsil
