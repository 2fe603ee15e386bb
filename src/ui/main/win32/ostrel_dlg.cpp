#include "ui/main/win32/ostrel_dlg.h"

#include <optional>
#include <string>

#include "device/win32/keyboard_presence.h"
#include "engine/win32/key_hook.h"
#include "framework/win32/wide_text.h"
#include "framework/win32/win_app.h"
#include "resource.h"
#include "ui/main/win32/instance_name.h"

COstrelDlg::COstrelDlg(bool alwaysOn, CDialog* parent)
    : CDialog(IDD_MAIN, parent), alwaysOn_(alwaysOn), executable_(modulePath()) {
  CWinApp* app = CWinApp::Current();
  icon_ =
      LoadIconW(app ? app->instance() : GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TARSIL));
}

COstrelDlg::~COstrelDlg() = default;

void COstrelDlg::applyPresence(bool present) {
  if (present) {
    tarsil::InstallKeyHook();
    tarsil::keyHook.keyHookStopped = 0;
  } else {
    tarsil::RemoveKeyHook();
    tarsil::keyHook.keyHookStopped = 1;
  }
}

BOOL COstrelDlg::OnInitDialog() {
  SetPropW(m_hWnd, kInstanceName, reinterpret_cast<HANDLE>(1));
  // The settings load before the hook is installed: a hook waits for this
  // thread, and every key of the desktop would wait for the load.
  std::optional<tarsil::SessionFiles> files;
  if (!executable_.empty()) files = tarsil::filesBesideExecutable(executable_);
  showNotices(m_hWnd, session_.start(files));
  if (!session_.running()) {
    // Without a layout there is no keyboard to show or translate.
    EndDialog(IDCANCEL);
    return TRUE;
  }
  tarsil::ProfileSet& profiles = session_.profiles();
  const tarsil::TranslationTable* const tables[3] = {&profiles.stores[0].translation,
                                                     &profiles.stores[1].translation,
                                                     &profiles.stores[2].translation};
  tarsil::SetKeyHookTables(tables, &profiles.activeProfile);

  applyPresence(alwaysOn_ || tarsil::IsKeyboardPresent(m_hWnd));
  tray_.add(m_hWnd, icon_);

  deviceNotification_ = tarsil::registerKeyboardNotifications(m_hWnd);
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  SetWindowTextW(m_hWnd, L"Tarsil Software");
  return TRUE;
}

LRESULT COstrelDlg::OnDeviceChange(WPARAM event, LPARAM data) {
  switch (tarsil::OnDeviceChange(event, data, alwaysOn_)) {
    case tarsil::PresenceAction::kStartTranslation:
      applyPresence(true);
      tray_.modify(icon_);
      break;
    case tarsil::PresenceAction::kStopTranslation:
      applyPresence(false);
      tray_.modify(icon_);
      break;
    case tarsil::PresenceAction::kNone:
      break;
  }
  return TRUE;
}

void COstrelDlg::OnDestroy() {
  // Held translated keys are released before the tables they came from go.
  tarsil::RemoveKeyHook();
  tarsil::unregisterKeyboardNotifications(deviceNotification_);
  deviceNotification_ = nullptr;
  const tarsil::Notices notices = session_.finish();
  tray_.remove();
  RemovePropW(m_hWnd, kInstanceName);
  // The window is going: the box has no owner.
  showNotices(nullptr, notices);
}

void COstrelDlg::showNotices(HWND owner, const tarsil::Notices& notices) {
  if (notices.empty()) return;
  std::wstring text;
  UINT icon = MB_ICONWARNING;
  for (const tarsil::Notice& notice : notices) {
    if (!text.empty()) text += L"\n\n";
    text += wideFromUtf8(notice.text);
    if (notice.level == tarsil::Notice::Level::kError) icon = MB_ICONERROR;
  }
  MessageBoxW(owner, text.c_str(), L"Tarsil Software", MB_OK | icon);
}

bool COstrelDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_DEVICECHANGE:
      result = OnDeviceChange(wParam, lParam);
      return true;
    case WM_DESTROY:
      OnDestroy();
      result = 0;
      return true;
    default:
      return false;
  }
}
