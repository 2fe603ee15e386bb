#include "engine/linux/evdev_keys.h"

#include <linux/input-event-codes.h>

#include <array>
#include <cstddef>

namespace tarsil {
namespace {

enum class Way : std::uint8_t {
  kBoth,      // read from a keyboard, and sent for the code
  kReadOnly,  // another kernel name for a key of the same meaning
  kSendOnly,  // a code the core sends that no physical key reports
};

struct Row {
  std::uint16_t evdev;
  std::uint8_t vk;
  std::uint8_t scanCode;  // the set-1 scan code Windows reports
  bool extended;
  Way way = Way::kBoth;
};

constexpr bool kExt = true;
constexpr bool kBase = false;

// Windows' keyboard driver reports these; scan codes are those of set 1.
constexpr Row kRows[] = {
    // The typing block. Below 89 the kernel's code is the set-1 scan code.
    {KEY_ESC, 27, 0x01, kBase},
    {KEY_1, '1', 0x02, kBase},
    {KEY_2, '2', 0x03, kBase},
    {KEY_3, '3', 0x04, kBase},
    {KEY_4, '4', 0x05, kBase},
    {KEY_5, '5', 0x06, kBase},
    {KEY_6, '6', 0x07, kBase},
    {KEY_7, '7', 0x08, kBase},
    {KEY_8, '8', 0x09, kBase},
    {KEY_9, '9', 0x0A, kBase},
    {KEY_0, '0', 0x0B, kBase},
    {KEY_MINUS, 189, 0x0C, kBase},
    {KEY_EQUAL, 187, 0x0D, kBase},
    {KEY_BACKSPACE, 8, 0x0E, kBase},
    {KEY_TAB, 9, 0x0F, kBase},
    {KEY_Q, 'Q', 0x10, kBase},
    {KEY_W, 'W', 0x11, kBase},
    {KEY_E, 'E', 0x12, kBase},
    {KEY_R, 'R', 0x13, kBase},
    {KEY_T, 'T', 0x14, kBase},
    {KEY_Y, 'Y', 0x15, kBase},
    {KEY_U, 'U', 0x16, kBase},
    {KEY_I, 'I', 0x17, kBase},
    {KEY_O, 'O', 0x18, kBase},
    {KEY_P, 'P', 0x19, kBase},
    {KEY_LEFTBRACE, 219, 0x1A, kBase},
    {KEY_RIGHTBRACE, 221, 0x1B, kBase},
    {KEY_ENTER, 13, 0x1C, kBase},
    {KEY_LEFTCTRL, 162, 0x1D, kBase},
    {KEY_A, 'A', 0x1E, kBase},
    {KEY_S, 'S', 0x1F, kBase},
    {KEY_D, 'D', 0x20, kBase},
    {KEY_F, 'F', 0x21, kBase},
    {KEY_G, 'G', 0x22, kBase},
    {KEY_H, 'H', 0x23, kBase},
    {KEY_J, 'J', 0x24, kBase},
    {KEY_K, 'K', 0x25, kBase},
    {KEY_L, 'L', 0x26, kBase},
    {KEY_SEMICOLON, 186, 0x27, kBase},
    {KEY_APOSTROPHE, 222, 0x28, kBase},
    {KEY_GRAVE, 192, 0x29, kBase},
    {KEY_LEFTSHIFT, 160, 0x2A, kBase},
    {KEY_BACKSLASH, 220, 0x2B, kBase},
    {KEY_Z, 'Z', 0x2C, kBase},
    {KEY_X, 'X', 0x2D, kBase},
    {KEY_C, 'C', 0x2E, kBase},
    {KEY_V, 'V', 0x2F, kBase},
    {KEY_B, 'B', 0x30, kBase},
    {KEY_N, 'N', 0x31, kBase},
    {KEY_M, 'M', 0x32, kBase},
    {KEY_COMMA, 188, 0x33, kBase},
    {KEY_DOT, 190, 0x34, kBase},
    {KEY_SLASH, 191, 0x35, kBase},
    {KEY_RIGHTSHIFT, 161, 0x36, kBase},
    {KEY_KPASTERISK, 106, 0x37, kBase},
    {KEY_LEFTALT, 164, 0x38, kBase},
    {KEY_SPACE, ' ', 0x39, kBase},
    {KEY_CAPSLOCK, 20, 0x3A, kBase},
    {KEY_F1, 112, 0x3B, kBase},
    {KEY_F2, 113, 0x3C, kBase},
    {KEY_F3, 114, 0x3D, kBase},
    {KEY_F4, 115, 0x3E, kBase},
    {KEY_F5, 116, 0x3F, kBase},
    {KEY_F6, 117, 0x40, kBase},
    {KEY_F7, 118, 0x41, kBase},
    {KEY_F8, 119, 0x42, kBase},
    {KEY_F9, 120, 0x43, kBase},
    {KEY_F10, 121, 0x44, kBase},
    // NumLock and Pause share scan code 0x45; NumLock is the extended one.
    {KEY_NUMLOCK, 144, 0x45, kExt},
    {KEY_SCROLLLOCK, 145, 0x46, kBase},
    {KEY_KP7, 103, 0x47, kBase},
    {KEY_KP8, 104, 0x48, kBase},
    {KEY_KP9, 105, 0x49, kBase},
    {KEY_KPMINUS, 109, 0x4A, kBase},
    {KEY_KP4, 100, 0x4B, kBase},
    {KEY_KP5, 101, 0x4C, kBase},
    {KEY_KP6, 102, 0x4D, kBase},
    {KEY_KPPLUS, 107, 0x4E, kBase},
    {KEY_KP1, 97, 0x4F, kBase},
    {KEY_KP2, 98, 0x50, kBase},
    {KEY_KP3, 99, 0x51, kBase},
    {KEY_KP0, 96, 0x52, kBase},
    {KEY_KPDOT, 110, 0x53, kBase},
    {KEY_102ND, 226, 0x56, kBase},  // the key between left Shift and Z
    {KEY_F11, 122, 0x57, kBase},
    {KEY_F12, 123, 0x58, kBase},
    {KEY_F13, 124, 0x64, kBase},
    {KEY_F14, 125, 0x65, kBase},
    {KEY_F15, 126, 0x66, kBase},
    {KEY_F16, 127, 0x67, kBase},
    {KEY_F17, 128, 0x68, kBase},
    {KEY_F18, 129, 0x69, kBase},
    {KEY_F19, 130, 0x6A, kBase},
    {KEY_F20, 131, 0x6B, kBase},
    {KEY_F21, 132, 0x6C, kBase},
    {KEY_F22, 133, 0x6D, kBase},
    {KEY_F23, 134, 0x6E, kBase},
    {KEY_F24, 135, 0x76, kBase},
    {KEY_HENKAN, 28, 0x79, kBase},    // Convert
    {KEY_MUHENKAN, 29, 0x7B, kBase},  // Non-convert

    // Extended keys: the right-hand twins of the typing block's keys, the
    // navigation block, the Windows keys.
    {KEY_KPENTER, 13, 0x1C, kExt},
    {KEY_RIGHTCTRL, 163, 0x1D, kExt},
    {KEY_KPSLASH, 111, 0x35, kExt},
    {KEY_SYSRQ, 44, 0x37, kExt},  // Print Screen
    {KEY_RIGHTALT, 165, 0x38, kExt},
    {KEY_PAUSE, 19, 0x45, kBase},
    {KEY_HOME, 36, 0x47, kExt},
    {KEY_UP, 38, 0x48, kExt},
    {KEY_PAGEUP, 33, 0x49, kExt},
    {KEY_LEFT, 37, 0x4B, kExt},
    {KEY_RIGHT, 39, 0x4D, kExt},
    {KEY_END, 35, 0x4F, kExt},
    {KEY_DOWN, 40, 0x50, kExt},
    {KEY_PAGEDOWN, 34, 0x51, kExt},
    {KEY_INSERT, 45, 0x52, kExt},
    {KEY_DELETE, 46, 0x53, kExt},
    {KEY_LEFTMETA, 91, 0x5B, kExt},
    {KEY_RIGHTMETA, 92, 0x5C, kExt},
    {KEY_COMPOSE, 93, 0x5D, kExt},  // the menu key: Windows' Apps
    {KEY_SLEEP, 95, 0x5F, kExt},

    // Browser, media and launch keys: the layout's multimedia slots.
    {KEY_BACK, 166, 0x6A, kExt},
    {KEY_FORWARD, 167, 0x69, kExt},
    {KEY_REFRESH, 168, 0x67, kExt},
    {KEY_STOP, 169, 0x68, kExt},
    {KEY_SEARCH, 170, 0x65, kExt},
    {KEY_BOOKMARKS, 171, 0x66, kExt},
    {KEY_HOMEPAGE, 172, 0x32, kExt},
    {KEY_MUTE, 173, 0x20, kExt},
    {KEY_VOLUMEDOWN, 174, 0x2E, kExt},
    {KEY_VOLUMEUP, 175, 0x30, kExt},
    {KEY_NEXTSONG, 176, 0x19, kExt},
    {KEY_PREVIOUSSONG, 177, 0x10, kExt},
    {KEY_STOPCD, 178, 0x24, kExt},
    {KEY_PLAYPAUSE, 179, 0x22, kExt},
    {KEY_MAIL, 180, 0x6C, kExt},
    {KEY_MEDIA, 181, 0x6D, kExt},
    // "My Computer": the kernel names the keyboard usage Windows calls so
    // KEY_FILE (the file manager); some keyboards report KEY_COMPUTER.
    {KEY_FILE, 182, 0x6B, kExt},
    {KEY_COMPUTER, 182, 0x6B, kExt, Way::kReadOnly},
    {KEY_CALC, 183, 0x21, kExt},
    // The media-select usage, which the kernel names KEY_CONFIG.
    {KEY_CONFIG, 181, 0x6D, kExt, Way::kReadOnly},

    // Codes the core sends that no key reports as such: the generic
    // modifiers act on the left key, or the right one when extended.
    {KEY_LEFTSHIFT, 16, 0x2A, kBase, Way::kSendOnly},
    {KEY_LEFTCTRL, 17, 0x1D, kBase, Way::kSendOnly},
    {KEY_RIGHTCTRL, 17, 0x1D, kExt, Way::kSendOnly},
    {KEY_LEFTALT, 18, 0x38, kBase, Way::kSendOnly},
    {KEY_RIGHTALT, 18, 0x38, kExt, Way::kSendOnly},
};

// What the keypad's digits and point report while NumLock is off.
struct KeypadRow {
  std::uint16_t evdev;
  std::uint8_t navigation;
};
constexpr KeypadRow kKeypadNavigation[] = {
    {KEY_KP0, 45}, {KEY_KP1, 35}, {KEY_KP2, 40}, {KEY_KP3, 34}, {KEY_KP4, 37},   {KEY_KP5, 12},
    {KEY_KP6, 39}, {KEY_KP7, 36}, {KEY_KP8, 38}, {KEY_KP9, 33}, {KEY_KPDOT, 46},
};

constexpr std::size_t strokeIndex(std::uint8_t vk, bool extended) {
  return vk + (extended ? 256u : 0u);
}

// Row index + 1 per evdev code, 0 for none.
constexpr auto kRowOfCode = [] {
  std::array<std::uint8_t, KEY_CNT> rows{};
  for (std::size_t i = 0; i < std::size(kRows); ++i) {
    if (kRows[i].way != Way::kSendOnly) rows[kRows[i].evdev] = static_cast<std::uint8_t>(i + 1);
  }
  return rows;
}();
static_assert(std::size(kRows) < 255, "row numbers are bytes");

constexpr auto kNavigationOfCode = [] {
  std::array<std::uint8_t, KEY_CNT> navigation{};
  for (const KeypadRow& row : kKeypadNavigation) navigation[row.evdev] = row.navigation;
  return navigation;
}();

constexpr auto kCodeOfStroke = [] {
  std::array<std::uint16_t, 512> codes{};
  for (const Row& row : kRows) {
    if (row.way != Way::kReadOnly) codes[strokeIndex(row.vk, row.extended)] = row.evdev;
  }
  for (const KeypadRow& row : kKeypadNavigation) {
    codes[strokeIndex(row.navigation, false)] = row.evdev;
  }
  return codes;
}();

}  // namespace

std::optional<WindowsKey> windowsKeyOf(std::uint16_t evdevCode, bool keypadDigits) noexcept {
  if (evdevCode >= KEY_CNT || kRowOfCode[evdevCode] == 0) return std::nullopt;
  const Row& row = kRows[kRowOfCode[evdevCode] - 1];
  if (!keypadDigits && kNavigationOfCode[evdevCode] != 0) {
    return WindowsKey{kNavigationOfCode[evdevCode], row.scanCode, false};
  }
  return WindowsKey{row.vk, row.scanCode, row.extended};
}

std::uint16_t evdevKeyOf(std::uint8_t vk, bool extended) noexcept {
  // A code sent in the other form than its key has (a letter marked
  // extended, right Ctrl without the flag) is still that key.
  if (const std::uint16_t code = kCodeOfStroke[strokeIndex(vk, extended)]; code != 0) return code;
  return kCodeOfStroke[strokeIndex(vk, !extended)];
}

bool isKeyboardKey(std::uint16_t evdevCode) noexcept {
  if (evdevCode == KEY_RESERVED || evdevCode > KEY_MAX) return false;
  const bool misc = evdevCode >= BTN_MISC && evdevCode < KEY_OK;  // mouse, joystick, pad, digitizer
  const bool dpad = evdevCode >= BTN_DPAD_UP && evdevCode <= BTN_DPAD_RIGHT;
  const bool extraButtons = evdevCode >= BTN_TRIGGER_HAPPY;
  return !misc && !dpad && !extraButtons;
}

}  // namespace tarsil
