#include "ui/main/win32/tray_icon.h"

#include <algorithm>

#include "framework/win32/win_app.h"

void TrayIcon::setTip(std::wstring_view tip) {
  const std::size_t length = std::min(tip.size(), std::size(data_.szTip) - 1);
  std::copy_n(tip.begin(), length, data_.szTip);
  data_.szTip[length] = L'\0';
}

void TrayIcon::add(HWND owner, HICON icon) {
  const bool shownBefore = data_.szTip[0] != L'\0';
  const NOTIFYICONDATAW before = data_;
  data_ = {};
  data_.cbSize = sizeof(data_);
  data_.hWnd = owner;
  data_.uID = kId;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = kCallbackMessage;
  data_.hIcon = shownBefore ? before.hIcon : icon;
  if (shownBefore) {
    std::copy(std::begin(before.szTip), std::end(before.szTip), data_.szTip);
  } else {
    // The tip names the program, as the captions of its notices do.
    const CWinApp* app = CWinApp::Current();
    setTip(app != nullptr ? app->m_pszAppName : L"");
  }
  added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
}

void TrayIcon::modify(HICON icon) {
  data_.hIcon = icon;
  Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TrayIcon::show(HICON icon, std::wstring_view tip) {
  data_.hIcon = icon;
  setTip(tip);
  if (added_) Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TrayIcon::remove() {
  if (!added_) return;
  Shell_NotifyIconW(NIM_DELETE, &data_);
  added_ = false;
}
