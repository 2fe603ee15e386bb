#pragma once

#include <windows.h>

#include <filesystem>

#include "framework/win32/dialog.h"
#include "layout/layout_file.h"
#include "profile/profile_data.h"
#include "ui/main/win32/tray_icon.h"

// The program's one top-level window. It owns the profiles and the layout,
// switches key translation with the keyboard's presence, and saves the
// settings when it is destroyed.
class COstrelDlg : public CDialog {
 public:
  // `alwaysOn`: translate keys as if the keyboard were attached.
  explicit COstrelDlg(bool alwaysOn, CWnd* parent = nullptr);
  ~COstrelDlg() override;

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // Switches translation on or off by the keyboard's presence.
  void applyPresence(bool present);
  LRESULT OnDeviceChange(WPARAM event, LPARAM data);
  // Commits, saves the three profiles and the active one, removes the tray icon.
  void OnDestroy();
  // The notice for a settings file whose place is unknown: nothing is read or saved.
  void showNoSettingsPath();

  bool alwaysOn_;
  // Beside the executable live the layout, the skin and set.ini; empty when
  // Windows could not say where the executable is.
  std::filesystem::path executable_;
  tarsil::ProfileSet profiles_;
  tarsil::MainLayout layout_;
  TrayIcon tray_;
  HICON icon_ = nullptr;
  HDEVNOTIFY deviceNotification_ = nullptr;
};
