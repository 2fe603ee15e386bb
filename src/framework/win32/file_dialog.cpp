#include "framework/win32/file_dialog.h"

#include <commdlg.h>

#include <algorithm>

CFileDialog::CFileDialog(bool openFileDialog, const wchar_t* defaultExtension, DWORD flags,
                         const wchar_t* filter, HWND owner, const wchar_t* title)
    : open_(openFileDialog),
      defaultExtension_(defaultExtension ? defaultExtension : L""),
      flags_(flags),
      filter_(filter ? filter : L""),
      owner_(owner),
      title_(title ? title : L"") {
  std::replace(filter_.begin(), filter_.end(), L'|', L'\0');
}

INT_PTR CFileDialog::DoModal() {
  // Room for a long path; the dialog says when a choice does not fit.
  std::wstring buffer(32768, L'\0');
  OPENFILENAMEW request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = owner_;
  request.lpstrFilter = filter_.empty() ? nullptr : filter_.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = buffer.data();
  request.nMaxFile = static_cast<DWORD>(buffer.size());
  request.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
  request.lpstrDefExt = defaultExtension_.empty() ? nullptr : defaultExtension_.c_str();
  request.Flags = flags_ | OFN_EXPLORER;
  const BOOL chosen = open_ ? GetOpenFileNameW(&request) : GetSaveFileNameW(&request);
  if (!chosen) return IDCANCEL;
  path_.assign(buffer.c_str());
  return IDOK;
}
