#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarsil {

// The keyboard is known by its USB vendor ID alone: any HID interface of this
// vendor counts as the keyboard, whatever its product ID.
inline constexpr std::uint16_t kKeyboardVendorId = 0x1A2C;

constexpr bool isKeyboardVendor(std::uint16_t vendorId) noexcept {
  return vendorId == kKeyboardVendorId;
}

// The vendor ID written into a device-interface name such as
// \\?\HID#VID_1A2C&PID_0002&MI_00#7&1f1c2b0&0&0000#{...}: the hex digits
// between "vid" plus its separator and the next "&", read a byte (two digits)
// at a time. Nothing when there is no "vid", no "&" after it, or fewer than
// two whole bytes before a non-hex pair.
std::optional<std::uint16_t> vendorIdFromInterfaceName(std::u16string_view name) noexcept;

}  // namespace tarsil
