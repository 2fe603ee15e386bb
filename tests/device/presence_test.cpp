#include <gtest/gtest.h>

#include <optional>

#include "device/device_change.h"
#include "device/keyboard_presence.h"
#include "device/vendor_id.h"

namespace tarsil {
namespace {

constexpr std::u16string_view kKeyboardInterface =
    u"\\\\?\\HID#VID_1A2C&PID_0002&MI_00#7&1f1c2b0&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

TEST(VendorId, ReadsTheVendorOfRealInterfaceNamesInEitherCase) {
  EXPECT_EQ(vendorIdFromInterfaceName(kKeyboardInterface), 0x1A2C);
  EXPECT_EQ(vendorIdFromInterfaceName(u"\\\\?\\hid#vid_1a2c&pid_0002&mi_01&col02#8&2b7e0d7&0&0001#"
                                      u"{4d1e55b2-f16f-11cf-88cb-001111000030}"),
            0x1A2C);
  EXPECT_EQ(vendorIdFromInterfaceName(u"\\\\?\\HID#Vid_1a2C&Pid_0002"), 0x1A2C);
  EXPECT_EQ(vendorIdFromInterfaceName(u"\\\\?\\HID#VID_046D&PID_C52B&MI_02&Col01#8&1a3c1e6c&0&0000#"
                                      u"{4d1e55b2-f16f-11cf-88cb-001111000030}"),
            0x046D);
}

TEST(VendorId, TheFieldEndsAtTheFirstAmpersandAndMustHaveOne) {
  EXPECT_EQ(vendorIdFromInterfaceName(u"\\\\?\\HID#VID_1A2C"), std::nullopt);
  EXPECT_EQ(vendorIdFromInterfaceName(u"\\\\?\\HID#VID_1A2C#PID_0002"), std::nullopt);
  EXPECT_EQ(vendorIdFromInterfaceName(u"VID_&1A2C&"), std::nullopt);
  EXPECT_EQ(vendorIdFromInterfaceName(u"vid"), std::nullopt);
  EXPECT_EQ(vendorIdFromInterfaceName(u"vid_"), std::nullopt);
  // Any one character separates "vid" from the digits, "&" included.
  EXPECT_EQ(vendorIdFromInterfaceName(u"VID&1A2C&"), 0x1A2C);
  EXPECT_EQ(vendorIdFromInterfaceName(u"VIDX1A2C&"), 0x1A2C);
}

TEST(VendorId, DigitsAreReadAsWholeBytesHighDigitFirst) {
  // An odd digit after two whole bytes does not matter; before them it does.
  EXPECT_EQ(vendorIdFromInterfaceName(u"VID_1A2C3&"), 0x1A2C);
  EXPECT_EQ(vendorIdFromInterfaceName(u"VID_1A2&"), std::nullopt);
  EXPECT_EQ(vendorIdFromInterfaceName(u"VID_1A&"), std::nullopt);
  EXPECT_EQ(vendorIdFromInterfaceName(u"VID_&"), std::nullopt);
  EXPECT_EQ(vendorIdFromInterfaceName(u"VID_1A2Cxx99&"), 0x1A2C);
  EXPECT_EQ(vendorIdFromInterfaceName(u"VID_1AG2&"), std::nullopt);
  EXPECT_EQ(vendorIdFromInterfaceName(u"VID_ 1A2C&"), std::nullopt);
  EXPECT_EQ(vendorIdFromInterfaceName(u"VID_2C1A&"), 0x2C1A);
  EXPECT_EQ(vendorIdFromInterfaceName(u"VID_FFFF&"), 0xFFFF);
  // Digits beyond the ASCII ones are no hexadecimal digits.
  EXPECT_EQ(vendorIdFromInterfaceName(u"VID_\uFF11A2C&"), std::nullopt);
}

TEST(VendorId, OnlyTheFirstVidCounts) {
  EXPECT_EQ(vendorIdFromInterfaceName(u"\\\\?\\HID#VID_046D&PID_C52B#VID_1A2C&"), 0x046D);
  EXPECT_EQ(vendorIdFromInterfaceName(u"\\\\?\\HID#VID_1A2C&PID_0002#VID_046D&"), 0x1A2C);
  // A "vid" inside another word is still the first "vid".
  EXPECT_EQ(vendorIdFromInterfaceName(u"\\\\?\\DAVID#VID_1A2C&"), std::nullopt);
  EXPECT_EQ(vendorIdFromInterfaceName(u"\\\\?\\HID#NOVENDOR"), std::nullopt);
  EXPECT_EQ(vendorIdFromInterfaceName(u""), std::nullopt);
}

TEST(VendorId, BluetoothNamesCarryTheVendorAfterASourcePrefix) {
  // Bluetooth interfaces write "VID&" followed by a two-byte source field, so
  // the first two bytes read are the source, not the vendor.
  EXPECT_EQ(vendorIdFromInterfaceName(
                u"\\\\?\\HID#{00001124-0000-1000-8000-00805f9b34fb}_VID&00021a2c_PID&0002#"
                u"8&1d1e2c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}"),
            0x0002);
}

DeviceChange change(std::uint32_t event, std::u16string_view name,
                    std::uint32_t type = kDeviceTypeInterface) {
  return DeviceChange{event, type, name};
}

TEST(DeviceChangeDecision, TheKeyboardsArrivalAndRemovalSwitchTranslation) {
  EXPECT_EQ(decideDeviceChange(change(kDeviceArrival, kKeyboardInterface)),
            PresenceAction::kStartTranslation);
  EXPECT_EQ(decideDeviceChange(change(kDeviceRemoveComplete, kKeyboardInterface)),
            PresenceAction::kStopTranslation);
  EXPECT_EQ(decideDeviceChange(change(kDeviceArrival, u"\\\\?\\hid#vid_1a2c&pid_9999&mi_02")),
            PresenceAction::kStartTranslation);
}

TEST(DeviceChangeDecision, AlwaysOnKeepsTranslatingWhenTheKeyboardGoes) {
  EXPECT_EQ(decideDeviceChange(change(kDeviceRemoveComplete, kKeyboardInterface), true),
            PresenceAction::kNone);
  EXPECT_EQ(decideDeviceChange(change(kDeviceArrival, kKeyboardInterface), true),
            PresenceAction::kStartTranslation);
}

TEST(DeviceChangeDecision, EverythingElseChangesNothing) {
  const std::u16string_view other = u"\\\\?\\HID#VID_046D&PID_C52B&MI_00#7&1&0&0000#{x}";
  EXPECT_EQ(decideDeviceChange(change(kDeviceArrival, other)), PresenceAction::kNone);
  EXPECT_EQ(decideDeviceChange(change(kDeviceRemoveComplete, other)), PresenceAction::kNone);
  EXPECT_EQ(decideDeviceChange(change(kDeviceArrival, u"\\\\?\\HID#VID_1A2C")),
            PresenceAction::kNone);
  // A volume or a port record with the keyboard's name in it is no interface record.
  EXPECT_EQ(decideDeviceChange(change(kDeviceArrival, kKeyboardInterface, 2)),
            PresenceAction::kNone);
  EXPECT_EQ(decideDeviceChange(change(kDeviceRemoveComplete, kKeyboardInterface, 3)),
            PresenceAction::kNone);
  // Query-remove, remove-pending, device-node changes: not arrival or removal.
  for (const std::uint32_t event : {0x0007u, 0x8001u, 0x8002u, 0x8003u, 0x8005u, 0x8006u}) {
    EXPECT_EQ(decideDeviceChange(change(event, kKeyboardInterface)), PresenceAction::kNone)
        << std::hex << event;
  }
}

constexpr InputDeviceFacts kOurKeyboard{0x1A2C, true, false};
constexpr InputDeviceFacts kOurMouseInterface{0x1A2C, false, false};
constexpr InputDeviceFacts kOtherKeyboard{0x046D, true, false};

TEST(DeviceRoles, AnyDeviceOfTheVendorIsTheKeyboardButOnlyKeyboardsAreTranslated) {
  const auto role = [](const InputDeviceFacts& facts, bool any) {
    const DeviceRole r = roleOf(facts, any);
    return std::pair{r.countsAsTheKeyboard, r.translated};
  };
  EXPECT_EQ(role(kOurKeyboard, false), std::pair(true, true));
  EXPECT_EQ(role(kOurMouseInterface, false), std::pair(true, false));
  EXPECT_EQ(role(kOtherKeyboard, false), std::pair(false, false));
  EXPECT_EQ(role(kOtherKeyboard, true), std::pair(false, true));
  EXPECT_EQ(role({0x046D, false, false}, true), std::pair(false, false));
  // A virtual keyboard of ours sends translations already, whatever it claims.
  for (const bool any : {false, true}) {
    EXPECT_EQ(role({0x1A2C, true, true}, any), std::pair(false, false));
    EXPECT_EQ(role({0, true, true}, any), std::pair(false, false));
  }
}

TEST(KeyboardPresence, TheFirstArrivalStartsAndTheLastDepartureStops) {
  KeyboardPresence presence(false);
  EXPECT_FALSE(presence.translating());
  EXPECT_EQ(presence.arrived(1, kOtherKeyboard), PresenceAction::kNone);
  EXPECT_FALSE(presence.translating());
  EXPECT_EQ(presence.arrived(2, kOurKeyboard), PresenceAction::kStartTranslation);
  EXPECT_EQ(presence.arrived(3, kOurMouseInterface), PresenceAction::kNone);
  // The same device told twice (a node's permissions changed, say).
  EXPECT_EQ(presence.arrived(2, kOurKeyboard), PresenceAction::kNone);
  EXPECT_EQ(presence.left(1), PresenceAction::kNone);
  EXPECT_EQ(presence.left(2), PresenceAction::kNone);
  EXPECT_TRUE(presence.translating());
  EXPECT_EQ(presence.left(3), PresenceAction::kStopTranslation);
  EXPECT_FALSE(presence.translating());
  // Its node's removal, told after its descriptor already failed.
  EXPECT_EQ(presence.left(3), PresenceAction::kNone);
  EXPECT_EQ(presence.arrived(3, kOurKeyboard), PresenceAction::kStartTranslation);
}

TEST(KeyboardPresence, AnyKeyboardTranslatesWithoutTheKeyboard) {
  KeyboardPresence presence(true);
  EXPECT_TRUE(presence.translating());
  EXPECT_EQ(presence.arrived(1, kOurKeyboard), PresenceAction::kNone);
  EXPECT_EQ(presence.left(1), PresenceAction::kNone);
  EXPECT_TRUE(presence.translating());
}

}  // namespace
}  // namespace tarsil
