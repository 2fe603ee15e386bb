#include "device/linux/input_node.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace tarsil {
namespace {

EventNodeInfo node(std::initializer_list<int> types, std::initializer_list<int> keys) {
  EventNodeInfo info;
  for (const int type : types) info.types.set(static_cast<std::size_t>(type));
  for (const int key : keys) info.keys.set(static_cast<std::size_t>(key));
  return info;
}

TEST(EventNodes, KeyboardsAndTheirMediaInterfacesAreKeyboards) {
  EventNodeInfo keyboard = node({EV_SYN, EV_KEY, EV_MSC, EV_LED, EV_REP}, {});
  for (int key = KEY_ESC; key <= KEY_MICMUTE; ++key)
    keyboard.keys.set(static_cast<std::size_t>(key));
  EXPECT_TRUE(isKeyboard(keyboard));
  EXPECT_TRUE(isKeyboard(node({EV_SYN, EV_KEY, EV_MSC}, {KEY_MUTE, KEY_VOLUMEUP, KEY_CALC})));
  EXPECT_TRUE(isKeyboard(node({EV_SYN, EV_KEY}, {KEY_A})));
}

TEST(EventNodes, PointersSwitchesAndSystemButtonsAreNot) {
  EXPECT_FALSE(isKeyboard(node({EV_SYN, EV_KEY, EV_REL}, {BTN_LEFT, BTN_RIGHT})));
  // A media interface that also reports a pan wheel, and a keyboard with
  // mouse buttons: their pointer part could not go through a keyboard.
  EXPECT_FALSE(isKeyboard(node({EV_SYN, EV_KEY, EV_MSC, EV_REL}, {KEY_MUTE, KEY_VOLUMEUP})));
  EXPECT_FALSE(isKeyboard(node({EV_SYN, EV_KEY}, {KEY_A, BTN_LEFT})));
  EXPECT_FALSE(isKeyboard(node({EV_SYN, EV_KEY}, {KEY_A, BTN_TRIGGER_HAPPY1})));
  EXPECT_FALSE(isKeyboard(node({EV_SYN, EV_KEY}, {KEY_POWER})));
  EXPECT_FALSE(isKeyboard(node({EV_SYN, EV_KEY}, {KEY_BRIGHTNESSUP, KEY_SWITCHVIDEOMODE})));
  EXPECT_FALSE(isKeyboard(node({EV_SYN, EV_SW}, {})));
  EXPECT_FALSE(isKeyboard(node({EV_SYN, EV_KEY, EV_SND}, {KEY_A})));
  EXPECT_FALSE(isKeyboard(node({EV_SYN, EV_MSC}, {})));
}

TEST(EventNodes, OurVirtualKeyboardIsKnownByNameAndBus) {
  EventNodeInfo info = node({EV_SYN, EV_KEY}, {KEY_A});
  info.name = "Tarsil virtual keyboard";
  info.id.bustype = BUS_VIRTUAL;
  info.id.vendor = 0x1A2C;
  EXPECT_TRUE(factsOf(info, "Tarsil virtual keyboard").ownVirtualKeyboard);
  EXPECT_EQ(factsOf(info, "Tarsil virtual keyboard").vendorId, 0x1A2C);
  // A real keyboard of that name is a keyboard.
  info.id.bustype = BUS_USB;
  EXPECT_FALSE(factsOf(info, "Tarsil virtual keyboard").ownVirtualKeyboard);
  EXPECT_TRUE(factsOf(info, "Tarsil virtual keyboard").keyboard);
}

}  // namespace
}  // namespace tarsil
