#include "ui/main/profile_notice.h"

#include "ini/ini_document.h"

namespace tarsil {

namespace {

// Off the work area's edges, as the system's own notes keep.
constexpr std::int32_t kMargin = 12;

std::u16string profileName(std::int32_t profile) { return u"Profile " + ini::formatInt(profile); }

}  // namespace

std::optional<ProfileNotice> profileNotice(SwitchSource source, std::int32_t profile,
                                           std::u16string_view program) {
  if (source == SwitchSource::kProfileButton) return std::nullopt;
  ProfileNotice notice{profileName(profile), {}};
  if (source == SwitchSource::kRule) notice.detail = program;
  return notice;
}

std::optional<ProfileNotice> outsideChangeNotice(std::int32_t before, std::int32_t after) {
  if (before == after) return std::nullopt;
  return profileNotice(SwitchSource::kCommandLine, after, {});
}

std::u16string trayTip(std::u16string_view programName, std::int32_t profile) {
  return std::u16string(programName) + u" - " + profileName(profile);
}

NoticePlace placeNotice(const SlotRect& screen, const SlotRect& workArea,
                        const std::optional<SlotRect>& taskbar, std::int32_t width,
                        std::int32_t height) {
  SlotRect area = workArea;
  if (area == screen && taskbar) {
    // The edge the taskbar lies along is the one its middle is nearest.
    const std::int32_t middleX = (screen.left + screen.right) / 2;
    const std::int32_t middleY = (screen.top + screen.bottom) / 2;
    if (taskbar->top >= middleY) {
      area.bottom = taskbar->top;
    } else if (taskbar->bottom <= middleY) {
      area.top = taskbar->bottom;
    } else if (taskbar->left >= middleX) {
      area.right = taskbar->left;
    } else if (taskbar->right <= middleX) {
      area.left = taskbar->right;
    }
  }
  const std::int32_t right = area.right - kMargin - width;
  const std::int32_t bottom = area.bottom - kMargin - height;
  // The taskbar on the left keeps its tray at the bottom; on the top, at the
  // right; on the right and at the bottom, in the bottom right corner.
  if (area.left > screen.left) return {area.left + kMargin, bottom};
  if (area.top > screen.top) return {right, area.top + kMargin};
  return {right, bottom};
}

}  // namespace tarsil
