#include "device/win32/keyboard_presence.h"

// windows.h comes first: the device headers build on its types.
#include <windows.h>

#include <dbt.h>
#include <setupapi.h>
// MinGW's hidsdi.h declares its functions without C linkage.
extern "C" {
#include <hidsdi.h>
}

#include <cstddef>
#include <cstdlib>
#include <cwchar>
#include <string_view>

#include "device/vendor_id.h"

namespace tarsil {
namespace {

// Whether the interface at `path` is a HID device of the keyboard's vendor.
// Access 0 is enough for the attributes and works on devices other programs
// (the system's keyboard driver) hold open.
bool isKeyboardInterface(const wchar_t* path) {
  const HANDLE device = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (device == INVALID_HANDLE_VALUE) return false;
  HIDD_ATTRIBUTES attributes{};
  attributes.Size = sizeof(attributes);
  const bool read = HidD_GetAttributes(device, &attributes) != FALSE;
  CloseHandle(device);
  return read && isKeyboardVendor(attributes.VendorID);
}

}  // namespace

bool IsKeyboardPresent(HWND owner) {
  GUID hidClass{};
  HidD_GetHidGuid(&hidClass);
  const HDEVINFO interfaces =
      SetupDiGetClassDevsW(&hidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (interfaces == INVALID_HANDLE_VALUE) return false;

  bool found = false;
  SP_DEVICE_INTERFACE_DATA entry{};
  entry.cbSize = sizeof(entry);
  for (DWORD index = 0;
       !found && SetupDiEnumDeviceInterfaces(interfaces, nullptr, &hidClass, index, &entry);
       ++index) {
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailW(interfaces, &entry, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
    auto* detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(std::malloc(size));
    if (detail == nullptr) {
      // The program's caption, as on every notice (the device layer sits
      // below the windows that keep it).
      MessageBoxW(owner, L"out of memory!", L"Tarsil Software", MB_OK);
      break;
    }
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (SetupDiGetDeviceInterfaceDetailW(interfaces, &entry, detail, size, nullptr, nullptr)) {
      found = isKeyboardInterface(detail->DevicePath);
    }
    std::free(detail);
  }
  SetupDiDestroyDeviceInfoList(interfaces);
  return found;
}

HDEVNOTIFY registerKeyboardNotifications(HWND window) {
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof(filter);
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  HidD_GetHidGuid(&filter.dbcc_classguid);
  return RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void unregisterKeyboardNotifications(HDEVNOTIFY registration) {
  if (registration != nullptr) UnregisterDeviceNotification(registration);
}

PresenceAction OnDeviceChange(WPARAM event, LPARAM data, bool alwaysOn) {
  DeviceChange change;
  change.event = static_cast<std::uint32_t>(event);
  // For other events lParam is no record, or none at all.
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
  if (isPresenceEvent(change.event) && header != nullptr) {
    change.deviceType = header->dbch_devicetype;
    constexpr std::size_t kNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    if (change.deviceType == DBT_DEVTYP_DEVICEINTERFACE && header->dbch_size > kNameOffset) {
      const auto* record = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
      // The name ends at its terminator, and never beyond the record's size.
      const std::size_t room = (header->dbch_size - kNameOffset) / sizeof(wchar_t);
      const std::size_t length = wcsnlen(record->dbcc_name, room);
      change.interfaceName =
          std::u16string_view(reinterpret_cast<const char16_t*>(record->dbcc_name), length);
    }
  }
  return decideDeviceChange(change, alwaysOn);
}

}  // namespace tarsil
