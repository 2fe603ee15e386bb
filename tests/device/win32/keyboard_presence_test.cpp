// The presence adapter under Wine: the HID scan finds no keyboard of ours
// and survives whatever interfaces the system has, and WM_DEVICECHANGE
// records are read the way the platform lays them out.

#include "device/win32/keyboard_presence.h"

#include <gtest/gtest.h>

#include <dbt.h>

#include <cstring>
#include <string_view>
#include <vector>

namespace tarsil {
namespace {

TEST(KeyboardPresence, TheScanFindsNoKeyboardUnderWine) {
  EXPECT_FALSE(IsKeyboardPresent());
  EXPECT_FALSE(IsKeyboardPresent());
}

TEST(KeyboardPresence, RegistersForNotificationsOnceAndUnregisters) {
  const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  const HDEVNOTIFY registration = registerKeyboardNotifications(window);
  EXPECT_NE(registration, nullptr);
  unregisterKeyboardNotifications(registration);
  unregisterKeyboardNotifications(nullptr);
  DestroyWindow(window);
}

// A broadcast record as the platform builds it: header, class GUID, then the
// name with its terminator; dbch_size covers the whole name.
std::vector<unsigned char> interfaceRecord(std::wstring_view name, DWORD type) {
  const std::size_t offset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
  std::vector<unsigned char> bytes(offset + (name.size() + 1) * sizeof(wchar_t));
  DEV_BROADCAST_DEVICEINTERFACE_W header{};
  header.dbcc_size = static_cast<DWORD>(bytes.size());
  header.dbcc_devicetype = type;
  std::memcpy(bytes.data(), &header, offset);
  std::memcpy(bytes.data() + offset, name.data(), name.size() * sizeof(wchar_t));
  return bytes;
}

PresenceAction deliver(WPARAM event, std::vector<unsigned char>& record) {
  return OnDeviceChange(event, reinterpret_cast<LPARAM>(record.data()));
}

TEST(KeyboardPresence, ReadsTheInterfaceNameOutOfTheBroadcastRecord) {
  auto keyboard = interfaceRecord(
      L"\\\\?\\HID#VID_1A2C&PID_0002&MI_00#7&1f1c2b0&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
      DBT_DEVTYP_DEVICEINTERFACE);
  EXPECT_EQ(deliver(DBT_DEVICEARRIVAL, keyboard), PresenceAction::kStartTranslation);
  EXPECT_EQ(deliver(DBT_DEVICEREMOVECOMPLETE, keyboard), PresenceAction::kStopTranslation);
  EXPECT_EQ(deliver(DBT_DEVICEQUERYREMOVE, keyboard), PresenceAction::kNone);

  auto other = interfaceRecord(L"\\\\?\\HID#VID_046D&PID_C52B&MI_00#7&1&0&0000#{x}",
                               DBT_DEVTYP_DEVICEINTERFACE);
  EXPECT_EQ(deliver(DBT_DEVICEARRIVAL, other), PresenceAction::kNone);
  auto volume = interfaceRecord(L"\\\\?\\HID#VID_1A2C&PID_0002", DBT_DEVTYP_VOLUME);
  EXPECT_EQ(deliver(DBT_DEVICEARRIVAL, volume), PresenceAction::kNone);
}

TEST(KeyboardPresence, NeverReadsPastTheRecord) {
  // The name's "&" lies beyond dbch_size: the name ends with the record.
  auto cut = interfaceRecord(L"\\\\?\\HID#VID_1A2C&PID_0002", DBT_DEVTYP_DEVICEINTERFACE);
  auto* header = reinterpret_cast<DEV_BROADCAST_HDR*>(cut.data());
  header->dbch_size = static_cast<DWORD>(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) +
                                         std::wstring_view(L"\\\\?\\HID#VID_1A2C").size() * 2);
  EXPECT_EQ(deliver(DBT_DEVICEARRIVAL, cut), PresenceAction::kNone);
  header->dbch_size = sizeof(DEV_BROADCAST_HDR);
  EXPECT_EQ(deliver(DBT_DEVICEARRIVAL, cut), PresenceAction::kNone);
  // Events without a record.
  EXPECT_EQ(OnDeviceChange(DBT_DEVICEARRIVAL, 0), PresenceAction::kNone);
  EXPECT_EQ(OnDeviceChange(DBT_DEVNODES_CHANGED, 0), PresenceAction::kNone);
}

}  // namespace
}  // namespace tarsil
