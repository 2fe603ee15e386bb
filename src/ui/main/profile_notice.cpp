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

std::u16string trayTip(std::u16string_view programName, std::int32_t profile) {
  return std::u16string(programName) + u" - " + profileName(profile);
}

NoticePlace placeNotice(const SlotRect& screen, const SlotRect& workArea, std::int32_t width,
                        std::int32_t height) {
  const std::int32_t right = workArea.right - kMargin - width;
  const std::int32_t bottom = workArea.bottom - kMargin - height;
  // The taskbar on the left keeps its tray at the bottom; on the top, at the
  // right; on the right and at the bottom, in the bottom right corner.
  if (workArea.left > screen.left) return {workArea.left + kMargin, bottom};
  if (workArea.top > screen.top) return {right, workArea.top + kMargin};
  return {right, bottom};
}

}  // namespace tarsil
