#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

#include "framework/win32/bitmap.h"
#include "framework/win32/gdi.h"
#include "framework/win32/wnd.h"
#include "ui/main/profile_notice.h"

// The small skinned note near the tray that says which profile a switch
// from outside the window made active. It never takes the focus or the
// keyboard: it is shown without activation, refuses activation by a click,
// and hides itself after kNoticeMilliseconds.
class ProfileNoticeWindow : public CWnd {
 public:
  ~ProfileNoticeWindow() override;

  // Loads skin\notice_normal.bmp and notice_mask.bmp and makes the (hidden)
  // window. Without its pictures no notice shows; the tray still tells.
  void create(const std::filesystem::path& programFolder, HWND owner);
  void show(const tarsil::ProfileNotice& notice);

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void paint(HDC dc) const;

  CBitmap background_;
  CBitmap mask_;
  FontHandle headlineFont_;
  FontHandle detailFont_;
  std::wstring headline_;
  std::wstring detail_;
};
