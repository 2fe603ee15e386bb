#include "ui/main/win32/tray_icon.h"

#include <cwchar>

#include "framework/win32/win_app.h"

void TrayIcon::add(HWND owner, HICON icon) {
  data_ = {};
  data_.cbSize = sizeof(data_);
  data_.hWnd = owner;
  data_.uID = kId;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = kCallbackMessage;
  data_.hIcon = icon;
  // The tip names the program, as the captions of its notices do.
  const CWinApp* app = CWinApp::Current();
  wcsncpy(data_.szTip, app != nullptr ? app->m_pszAppName : L"",
          sizeof(data_.szTip) / sizeof(wchar_t) - 1);
  added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
}

void TrayIcon::modify(HICON icon) {
  data_.hIcon = icon;
  Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TrayIcon::remove() {
  if (!added_) return;
  Shell_NotifyIconW(NIM_DELETE, &data_);
  added_ = false;
}
