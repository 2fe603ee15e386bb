#pragma once

#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

// The notification-area icon that keeps the program reachable while its
// window is hidden. Its id and callback message travel in window messages.
class TrayIcon {
 public:
  static constexpr UINT kId = 133;
  static constexpr UINT kCallbackMessage = WM_USER + 100;

  void add(HWND owner, HICON icon);
  // Re-submits the record with a freshly loaded image, as after a device change.
  void modify(HICON icon);
  void remove();

 private:
  NOTIFYICONDATAW data_{};
  bool added_ = false;
};
