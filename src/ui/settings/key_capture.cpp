#include "ui/settings/key_capture.h"

#include "profile/macro_timing.h"

namespace tarsil {

namespace {

constexpr std::uint32_t kExtended = 0x01;
constexpr std::uint32_t kUp = 0x80;
constexpr KeyCode kEnter = 13;
constexpr KeyCode kKeypadEnter = 108;

constexpr std::int32_t kRightShiftExtended = 0x01360000;
constexpr std::int32_t kRightShift = 0x00360000;

// The keypad digit a navigation code stands for, or the code itself.
KeyCode keypadDigit(std::uint32_t vkCode) {
  switch (vkCode) {
    case 33:
      return 105;  // Page Up: keypad 9
    case 34:
      return 99;  // Page Down: keypad 3
    case 35:
      return 97;  // End: keypad 1
    case 36:
      return 103;  // Home: keypad 7
    case 37:
      return 100;  // Left: keypad 4
    case 38:
      return 104;  // Up: keypad 8
    case 39:
      return 102;  // Right: keypad 6
    case 40:
      return 98;  // Down: keypad 2
    case 45:
      return 96;  // Insert: keypad 0
    case 46:
      return 110;  // Delete: keypad decimal point
    default:
      return static_cast<KeyCode>(vkCode);
  }
}

KeyCode enterOrItself(std::uint32_t vkCode, std::uint32_t flags) {
  const bool keypadEnter = vkCode == static_cast<std::uint32_t>(kEnter) &&
                           (flags == kExtended || flags == (kExtended | kUp));
  return keypadEnter ? kKeypadEnter : static_cast<KeyCode>(vkCode);
}

}  // namespace

std::int32_t keyNameCode(std::uint32_t scanCode, std::uint32_t flags) {
  const auto code = static_cast<std::int32_t>((scanCode << 16) + (flags << 24));
  return code == kRightShiftExtended ? kRightShift : code;
}

KeyCode captureCode(std::uint32_t vkCode, std::uint32_t flags) {
  return flags == 0 ? keypadDigit(vkCode) : enterOrItself(vkCode, flags);
}

KeyCode recordCode(std::uint32_t vkCode, std::uint32_t flags) {
  return flags == 0 || flags == kUp ? keypadDigit(vkCode) : enterOrItself(vkCode, flags);
}

CaptureDecision decideCapture(CaptureShared& shared, KeyMessage message, std::uint32_t vkCode,
                              std::uint32_t flags, bool fromPlayer) noexcept {
  if (fromPlayer) return {};
  constexpr std::int32_t kSingleKey = 0;
  const bool recording = shared.dialogMode == 1 || shared.dialogMode == 4;
  if (isPress(message)) {
    shared.capturedKey = captureCode(vkCode, flags);
    return {true, shared.dialogMode == kSingleKey, recording};
  }
  if (isRelease(message)) return {true, false, recording};
  return {};
}

bool StepRecorder::record(const RecordedEvent& event, RecordedStep& step) noexcept {
  const KeyCode vk = recordCode(event.vkCode, event.flags);
  const bool known = vk >= 1 && vk <= 254;
  if (isPress(event.message)) {
    if (!known || held_[static_cast<std::size_t>(vk)] != 0) return false;
    held_[static_cast<std::size_t>(vk)] = 1;
  } else if (isRelease(event.message)) {
    if (known) held_[static_cast<std::size_t>(vk)] = 0;
  } else {
    return false;
  }
  // Unsigned difference: right across the time stamp's wrap. A clock that
  // went back gives a huge difference, held to the longest delay.
  const std::uint32_t elapsed = timed_ ? event.time - lastTime_ : 0u;
  lastTime_ = event.time;
  timed_ = true;
  step = {keyNameCode(event.scanCode, event.flags), vk, isPress(event.message),
          clampDelay(elapsed)};
  return true;
}

}  // namespace tarsil
