#include "ui/main/win32/popup_menu.h"

#include "framework/win32/win_app.h"

void showPopupMenu(HWND owner, UINT menuId) {
  POINT at{};
  GetCursorPos(&at);
  CWinApp* app = CWinApp::Current();
  const HMENU menu =
      LoadMenuW(app ? app->instance() : GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menuId));
  if (menu == nullptr) return;
  // The owner must be in front, or the menu would not close when the user
  // clicks elsewhere.
  SetForegroundWindow(owner);
  TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
  PostMessageW(owner, WM_NULL, 0, 0);
  DestroyMenu(menu);
}
