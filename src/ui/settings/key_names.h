#pragma once

#include <cstdint>
#include <string>

#include "ui/settings/key_capture.h"

namespace tarsil {

// The name a key is shown by, from its key-name code (see keyNameCode): the
// names the Windows program shows on a US keyboard, so a key captured or a
// step recorded reads the same on either system. Keys without a name (media
// keys, codes no keyboard sends) give an empty name.
std::u16string keyNameText(std::int32_t keyNameCode);

// A physical key as a keyboard reports it in Windows' terms.
struct PhysicalKey {
  std::uint8_t vk = 0;
  std::uint8_t scanCode = 0;
  bool extended = false;
};

// Turns the presses and releases of physical keys into the events the
// Windows capture hook sees, flag byte included: the extended bit, the
// release bit, and the Alt bit while either Alt key is down. Recorded steps
// keep that flag byte in their key-name codes, so a macro recorded from these
// events is the same file content as one recorded on Windows.
class HookEventMaker {
 public:
  RecordedEvent make(PhysicalKey key, bool down, std::uint32_t timeMs) noexcept;
  // Forgets which Alt keys are down, as when the window loses the keys.
  void reset() noexcept { leftAlt_ = rightAlt_ = false; }

 private:
  bool leftAlt_ = false;
  bool rightAlt_ = false;
};

}  // namespace tarsil
