#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "layout/key_slot.h"

namespace tarsil {

// Who made a profile switch.
enum class SwitchSource : std::uint8_t {
  kProfileButton,  // the window's own Profile1..3 buttons
  kRule,           // a program came to the front
  kProfileKey,     // a key given "Profile 1".."Next Profile"
  kCommandLine,    // a second start of the program with --profile
};

// The small note that tells which profile is active after a switch the user
// did not make in the window, where the indicator shows it anyway.
struct ProfileNotice {
  std::u16string headline;  // "Profile 2"
  std::u16string detail;    // the program whose rule chose it, or empty

  bool operator==(const ProfileNotice&) const = default;
};

// How long a notice stays: long enough to read two words at a glance, short
// enough not to cover a game.
inline constexpr std::uint32_t kNoticeMilliseconds = 1200;

// The notice for a switch to `profile`; nothing for the window's buttons.
// `program` is the file name of the program whose rule switched.
std::optional<ProfileNotice> profileNotice(SwitchSource source, std::int32_t profile,
                                           std::u16string_view program);

// The notice after another program changed the settings file: one when the
// active profile is another than before (`tarsilctl profile 2`, a profile
// file copied in), so that a switch nobody made in the window is seen;
// nothing when only keys changed.
std::optional<ProfileNotice> outsideChangeNotice(std::int32_t before, std::int32_t after);

// The tray icon's tip: "Tarsil Software - Profile 2".
std::u16string trayTip(std::u16string_view programName, std::int32_t profile);

// Where a notice of `width` x `height` goes: in the corner of the work area
// nearest the notification area, which sits at the end of the taskbar. The
// taskbar is the strip of the screen the work area leaves out; where the
// work area is the whole screen (a taskbar that hides itself, or one the
// system does not count, as in Wine's desktop), `taskbar` is its window's
// rectangle when there is one. Without either the notice goes to the bottom
// right. Returns the top left corner.
struct NoticePlace {
  std::int32_t x = 0;
  std::int32_t y = 0;

  bool operator==(const NoticePlace&) const = default;
};
NoticePlace placeNotice(const SlotRect& screen, const SlotRect& workArea,
                        const std::optional<SlotRect>& taskbar, std::int32_t width,
                        std::int32_t height);

}  // namespace tarsil
