#include "device/device_change.h"

#include "device/vendor_id.h"

namespace tarsil {

PresenceAction decideDeviceChange(const DeviceChange& change, bool alwaysOn) noexcept {
  if (!isPresenceEvent(change.event) || change.deviceType != kDeviceTypeInterface) {
    return PresenceAction::kNone;
  }
  const auto vendor = vendorIdFromInterfaceName(change.interfaceName);
  if (!vendor || !isKeyboardVendor(*vendor)) return PresenceAction::kNone;
  if (change.event == kDeviceArrival) return PresenceAction::kStartTranslation;
  return alwaysOn ? PresenceAction::kNone : PresenceAction::kStopTranslation;
}

}  // namespace tarsil
