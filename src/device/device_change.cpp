#include "device/device_change.h"

#include "device/vendor_id.h"

namespace tarsil {

PresenceAction decideDeviceChange(const DeviceChange& change) noexcept {
  if (!isPresenceEvent(change.event) || change.deviceType != kDeviceTypeInterface) {
    return PresenceAction::kNone;
  }
  const auto vendor = vendorIdFromInterfaceName(change.interfaceName);
  if (!vendor || !isKeyboardVendor(*vendor)) return PresenceAction::kNone;
  return change.event == kDeviceArrival ? PresenceAction::kStartTranslation
                                        : PresenceAction::kStopTranslation;
}

}  // namespace tarsil
