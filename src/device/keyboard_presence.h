#pragma once

#include <cstdint>
#include <set>

#include "device/device_change.h"

namespace tarsil {

// What the system tells about one input device (one interface of a USB
// keyboard shows up as one or more of them).
struct InputDeviceFacts {
  std::uint16_t vendorId = 0;
  // Reports keys, and nothing a pointer or a game controller has.
  bool keyboard = false;
  // A virtual keyboard of a translating program of ours: the strokes it
  // sends are translations already.
  bool ownVirtualKeyboard = false;
};

struct DeviceRole {
  bool countsAsTheKeyboard = false;  // its presence switches translation on
  bool translated = false;           // its keys are taken and translated
};

// Any device of the keyboard's vendor means the keyboard is attached, as
// any of its interfaces does on Windows. Translated are the keyboards among
// them, or with `anyKeyboard` every keyboard; never a virtual keyboard of
// ours, which would translate what is translated already.
DeviceRole roleOf(const InputDeviceFacts& facts, bool anyKeyboard) noexcept;

// Which of the keyboard's devices are attached, told device by device as
// they come and go. A device is named by a number of the platform's that
// stays the same while it is attached (a device node number, say).
//
// Translation is on while one of them is attached, and with `anyKeyboard`
// always. The first arrival starts it; the departure of the last stops it.
// A device that is told twice, arriving or leaving, changes nothing the
// second time: the platform may tell both through more than one channel.
class KeyboardPresence {
 public:
  explicit KeyboardPresence(bool anyKeyboard) : anyKeyboard_(anyKeyboard) {}

  PresenceAction arrived(std::uint64_t device, const InputDeviceFacts& facts);
  PresenceAction left(std::uint64_t device);

  bool translating() const noexcept { return anyKeyboard_ || !present_.empty(); }
  bool anyKeyboard() const noexcept { return anyKeyboard_; }

 private:
  bool anyKeyboard_;
  std::set<std::uint64_t> present_;
};

}  // namespace tarsil
