#pragma once

#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <string_view>

// The notification-area icon that keeps the program reachable while its
// window is hidden, and tells which profile is active. Its id and callback
// message travel in window messages.
class TrayIcon {
 public:
  static constexpr UINT kId = 133;
  static constexpr UINT kCallbackMessage = WM_USER + 100;

  // Adds the icon with the picture and tip last shown (the program's name
  // before any), as at the start and after Explorer restarted.
  void add(HWND owner, HICON icon);
  // Re-submits the record with a freshly loaded image, as after a device change.
  void modify(HICON icon);
  // A new picture and tip: the active profile's.
  void show(HICON icon, std::wstring_view tip);
  void remove();

 private:
  void setTip(std::wstring_view tip);

  NOTIFYICONDATAW data_{};
  bool added_ = false;
};
