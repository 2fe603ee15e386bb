#include "ui/main/win32/profile_files.h"

#include <string>

#include "framework/win32/file_dialog.h"
#include "framework/win32/wide_text.h"
#include "framework/win32/win_app.h"
#include "profile/profile_exchange.h"

namespace {

constexpr wchar_t kFilter[] = L"ini File(*.ini)|*.ini||";
// A name typed without extension gets ".ini", so that the file shows up
// in the Import dialog, whose filter lists *.ini files only.
constexpr wchar_t kExtension[] = L"ini";

}  // namespace

void exportWithDialog(HWND owner, const tarsil::KeyboardSession& session) {
  CFileDialog dialog(false, kExtension, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kFilter, owner,
                     L"Save As");
  if (dialog.DoModal() != IDOK) return;
  const tarsil::ini::FileStatus status = tarsil::exportProfile(
      session.profiles(), session.layout().slots, dialog.GetPathName(), session.codePage());
  if (!status.ok()) {
    AfxMessageBox(L"The profile could not be exported.\n\n" + wideFromUtf8(status.error),
                  MB_OK | MB_ICONERROR, owner);
  }
}

bool importWithDialog(HWND owner, tarsil::KeyboardSession& session) {
  CFileDialog dialog(true, kExtension, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR,
                     kFilter, owner, L"Open");
  if (dialog.DoModal() != IDOK) return false;
  const tarsil::ini::FileStatus status = tarsil::importProfile(
      session.profiles(), session.layout(), dialog.GetPathName(), session.codePage());
  if (!status.ok()) {
    AfxMessageBox(L"The profile could not be imported.\n\n" + wideFromUtf8(status.error),
                  MB_OK | MB_ICONERROR, owner);
    return false;
  }
  // Imported, with something worth knowing about the file (a byte-order
  // mark that hides its first section, for one).
  std::wstring notes;
  for (const std::string& note : status.notes) {
    notes += (notes.empty() ? L"" : L"\n\n") + wideFromUtf8(note);
  }
  if (!notes.empty()) AfxMessageBox(notes, MB_OK | MB_ICONINFORMATION, owner);
  return true;
}
