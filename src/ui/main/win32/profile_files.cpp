#include "ui/main/win32/profile_files.h"

#include <string>

#include "framework/win32/file_dialog.h"
#include "framework/win32/wide_text.h"
#include "profile/profile_exchange.h"
#include "ui/main/win32/notices.h"

namespace {

constexpr wchar_t kFilter[] = L"ini File(*.ini)|*.ini||";
// A name typed without extension gets ".ini", so that the file shows up
// in the Import dialog, whose filter lists *.ini files only.
constexpr wchar_t kExtension[] = L"ini";

}  // namespace

void exportWithDialog(HWND owner, const tarsil::ProfileSet& profiles,
                      const tarsil::KeySlotTable& slots) {
  CFileDialog dialog(false, kExtension, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kFilter, owner,
                     L"Save As");
  if (dialog.DoModal() != IDOK) return;
  const tarsil::ini::FileStatus status =
      tarsil::exportProfile(profiles, slots, dialog.GetPathName());
  if (!status.ok()) {
    showNotice(owner, L"The profile could not be exported.\n\n" + wideFromUtf8(status.error),
               MB_ICONERROR);
  }
}

bool importWithDialog(HWND owner, tarsil::ProfileSet& profiles, const tarsil::MainLayout& layout) {
  CFileDialog dialog(true, kExtension, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR,
                     kFilter, owner, L"Open");
  if (dialog.DoModal() != IDOK) return false;
  const tarsil::ini::FileStatus status =
      tarsil::importProfile(profiles, layout, dialog.GetPathName());
  if (!status.ok()) {
    showNotice(owner, L"The profile could not be imported.\n\n" + wideFromUtf8(status.error),
               MB_ICONERROR);
    return false;
  }
  return true;
}
