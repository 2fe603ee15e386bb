#pragma once

#include <windows.h>
// The OFN_ options callers pass; commdlg.h builds on windows.h.
#include <commdlg.h>

#include <string>

// The system's dialog for choosing a file to open or to save as.
class CFileDialog {
 public:
  // `filter` pairs descriptions and patterns separated by '|' and ends with
  // "||", as in "ini File(*.ini)|*.ini||". `defaultExtension` (no dot) is
  // added to a name typed without one.
  CFileDialog(bool openFileDialog, const wchar_t* defaultExtension, DWORD flags,
              const wchar_t* filter, HWND owner, const wchar_t* title);

  // IDOK once a file was chosen, IDCANCEL otherwise.
  INT_PTR DoModal();
  // The chosen file's full path.
  const std::wstring& GetPathName() const { return path_; }

 private:
  bool open_;
  std::wstring defaultExtension_;
  DWORD flags_;
  std::wstring filter_;  // '\0'-separated, as the system takes it
  HWND owner_;
  std::wstring title_;
  std::wstring path_;
};
