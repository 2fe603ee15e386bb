#pragma once

#include <windows.h>

#include <filesystem>

#include "framework/win32/dialog.h"
#include "session/keyboard_session.h"
#include "ui/main/win32/tray_icon.h"

// The program's one top-level window. Its session owns the profiles and the
// layout; the window starts it, switches key translation with the keyboard's
// presence, and finishes the session (the save) when it is destroyed.
class COstrelDlg : public CDialog {
 public:
  // `alwaysOn`: translate keys as if the keyboard were attached.
  explicit COstrelDlg(bool alwaysOn, CDialog* parent = nullptr);
  ~COstrelDlg() override;

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // Switches translation on or off by the keyboard's presence.
  void applyPresence(bool present);
  LRESULT OnDeviceChange(WPARAM event, LPARAM data);
  // Finishes the session (commit and save), removes the tray icon.
  void OnDestroy();
  // What the session has to say, in one message box.
  void showNotices(HWND owner, const tarsil::Notices& notices);

  bool alwaysOn_;
  // Beside the executable live the layout, the skin and set.ini; empty when
  // Windows could not say where the executable is.
  std::filesystem::path executable_;
  tarsil::KeyboardSession session_;
  TrayIcon tray_;
  HICON icon_ = nullptr;
  HDEVNOTIFY deviceNotification_ = nullptr;
};
