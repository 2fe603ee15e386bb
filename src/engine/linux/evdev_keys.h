#pragma once

#include <cstdint>
#include <optional>

// The one place that knows both key vocabularies: the kernel's evdev key
// codes, which tarsild reads and writes, and the Windows virtual-key codes
// that set.ini, the layout and the whole core speak. Keys are named by
// position, as on the US keyboard the layout shows: the key right of Tab is
// Q, whatever keyboard layout the desktop applies on top.
namespace tarsil {

// How Windows reports one physical key to a low-level keyboard hook: the
// virtual-key code, the scan code, and whether it is an extended key.
struct WindowsKey {
  std::uint8_t vk = 0;
  std::uint8_t scanCode = 0;
  bool extended = false;

  bool operator==(const WindowsKey&) const = default;
};

// The Windows report of an evdev key, or nothing for keys Windows has no
// code for (they pass untranslated). Without `keypadDigits` (NumLock off, or
// on with Shift down) the keypad's digits and point report the navigation
// keys they carry (keypad 4 is Left, keypad 5 Clear), non-extended, as
// Windows' keyboard driver reports them.
std::optional<WindowsKey> windowsKeyOf(std::uint16_t evdevCode, bool keypadDigits) noexcept;

// The evdev key that sends a stroke of this code and form, or 0 for a code
// no key sends. The generic Shift, Ctrl and Alt codes press the left key (the
// right one when extended); a non-extended navigation code is the keypad key
// that carries it, as the core renders keypad codes while NumLock is off.
std::uint16_t evdevKeyOf(std::uint8_t vk, bool extended) noexcept;

// A key of a keyboard, as opposed to a button of a mouse, pad or joystick
// (which share the key code space): the virtual keyboard offers only these,
// so the system never takes it for a pointer or a game controller.
bool isKeyboardKey(std::uint16_t evdevCode) noexcept;

}  // namespace tarsil
