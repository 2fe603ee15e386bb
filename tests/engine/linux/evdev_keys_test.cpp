#include "engine/linux/evdev_keys.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <map>
#include <utility>

#include "engine/key_rendering.h"
#include "ini/ini_file.h"
#include "layout/layout_file.h"
#include "profile/translation_rules.h"

namespace tarsil {
namespace {

MainLayout shippedLayout() {
  const ini::ReadResult file =
      ini::readIniFile(std::filesystem::path(TARSIL_SOURCE_DIR) / "assets" / "Main.ini");
  return readMainLayout(file.document);
}

// A code the core sends goes out as an evdev key, and that key, read back
// under the same NumLock, is reported to the core as the code it was.
void expectRoundTrip(KeyCode code, bool numLockOn) {
  const RenderedKey rendered = renderListCode(code, numLockOn);
  const std::uint16_t evdev = evdevKeyOf(rendered.vk, rendered.extended);
  ASSERT_NE(evdev, 0) << "no key sends " << code;
  const std::optional<WindowsKey> read = windowsKeyOf(evdev, numLockOn);
  ASSERT_TRUE(read) << code << " is sent as " << evdev << ", which reads as nothing";
  // Keypad 5 is never rendered as another key, but while NumLock is off the
  // key itself reports Clear, on Windows as here.
  const bool keypad5 = code == 101 && !numLockOn;
  EXPECT_EQ(read->vk, keypad5 ? 12 : rendered.vk) << code << " via " << evdev;
  EXPECT_EQ(read->extended, rendered.extended) << code << " via " << evdev;
}

TEST(EvdevKeys, EverySlotCodeGoesOutAndComesBackInBothNumLockStates) {
  const MainLayout layout = shippedLayout();
  for (int s = 1; s <= kLastStoredSlot; ++s) {
    for (const bool numLockOn : {true, false}) {
      SCOPED_TRACE("slot " + std::to_string(s) + (numLockOn ? ", NumLock on" : ", NumLock off"));
      expectRoundTrip(layout.slots.slot(s).vk, numLockOn);
    }
  }
  ASSERT_FALSE(layout.media.empty());
  for (const auto& [name, code] : layout.media) expectRoundTrip(code, true);
}

TEST(EvdevKeys, EveryFunctionKeySequenceCanBeSent) {
  for (const FunctionKeyRow& row : kFunctionKeys) {
    for (std::size_t i = 0; i < row.count; ++i) {
      EXPECT_NE(evdevKeyOf(static_cast<std::uint8_t>(row.keys[i]), false), 0) << row.keys[i];
    }
  }
  // The generic modifiers press the left key, or the right one when extended.
  EXPECT_EQ(evdevKeyOf(16, false), KEY_LEFTSHIFT);
  EXPECT_EQ(evdevKeyOf(17, false), KEY_LEFTCTRL);
  EXPECT_EQ(evdevKeyOf(17, true), KEY_RIGHTCTRL);
  EXPECT_EQ(evdevKeyOf(18, true), KEY_RIGHTALT);
  // A navigation code sent non-extended is its keypad key; the core sends
  // it so for a keypad code while NumLock is off.
  EXPECT_EQ(evdevKeyOf(37, false), KEY_KP4);
  EXPECT_EQ(evdevKeyOf(37, true), KEY_LEFT);
  EXPECT_EQ(evdevKeyOf(12, false), KEY_KP5);
  EXPECT_EQ(evdevKeyOf(255, false), 0);
}

// The translation knows a physical key by its scan code and extended bit:
// two keys sharing them would share what they hold down.
TEST(EvdevKeys, NoTwoKeysShareAScanCodeUnlessTheyMeanTheSame) {
  std::map<std::pair<int, bool>, std::pair<std::uint16_t, int>> seen;
  int keys = 0;
  for (std::uint16_t code = 0; code < KEY_CNT; ++code) {
    const std::optional<WindowsKey> key = windowsKeyOf(code, true);
    if (!key) continue;
    ++keys;
    EXPECT_NE(key->scanCode, 0) << code;
    const auto [at, fresh] =
        seen.emplace(std::pair{key->scanCode, key->extended}, std::pair{code, key->vk});
    if (!fresh) {
      EXPECT_EQ(at->second.second, key->vk) << code << " and " << at->second.first;
    }
  }
  EXPECT_GT(keys, 120);
}

TEST(EvdevKeys, KeysOfNoWindowsCodeAndButtonsAreToldApart) {
  EXPECT_FALSE(windowsKeyOf(KEY_BRIGHTNESSUP, true));
  EXPECT_FALSE(windowsKeyOf(KEY_FN, true));
  EXPECT_FALSE(windowsKeyOf(KEY_CNT, true));
  EXPECT_TRUE(isKeyboardKey(KEY_A));
  EXPECT_TRUE(isKeyboardKey(KEY_OK));
  EXPECT_TRUE(isKeyboardKey(KEY_MACRO1));
  for (const int button : {BTN_LEFT, BTN_JOYSTICK, BTN_GAMEPAD, BTN_TOUCH, BTN_DPAD_UP,
                           BTN_TRIGGER_HAPPY1, KEY_RESERVED}) {
    EXPECT_FALSE(isKeyboardKey(static_cast<std::uint16_t>(button))) << button;
  }
}

}  // namespace
}  // namespace tarsil
