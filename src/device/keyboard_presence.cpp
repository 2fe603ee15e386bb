#include "device/keyboard_presence.h"

#include "device/vendor_id.h"

namespace tarsil {

DeviceRole roleOf(const InputDeviceFacts& facts, bool anyKeyboard) noexcept {
  if (facts.ownVirtualKeyboard) return {};
  const bool ours = isKeyboardVendor(facts.vendorId);
  return {ours, facts.keyboard && (ours || anyKeyboard)};
}

PresenceAction KeyboardPresence::arrived(std::uint64_t device, const InputDeviceFacts& facts) {
  if (!roleOf(facts, anyKeyboard_).countsAsTheKeyboard) return PresenceAction::kNone;
  const bool first = present_.empty();
  if (!present_.insert(device).second) return PresenceAction::kNone;
  return first && !anyKeyboard_ ? PresenceAction::kStartTranslation : PresenceAction::kNone;
}

PresenceAction KeyboardPresence::left(std::uint64_t device) {
  if (present_.erase(device) == 0) return PresenceAction::kNone;
  return present_.empty() && !anyKeyboard_ ? PresenceAction::kStopTranslation
                                           : PresenceAction::kNone;
}

}  // namespace tarsil
