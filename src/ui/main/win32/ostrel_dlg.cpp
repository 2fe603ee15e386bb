#include "ui/main/win32/ostrel_dlg.h"

#include <string>

#include "device/win32/keyboard_presence.h"
#include "engine/win32/key_hook.h"
#include "framework/win32/wide_text.h"
#include "framework/win32/win_app.h"
#include "ini/ini_file.h"
#include "profile/profile_operations.h"
#include "profile/settings_file.h"
#include "resource.h"
#include "ui/main/win32/instance_name.h"

COstrelDlg::COstrelDlg(bool alwaysOn, CWnd* parent)
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
  const tarsil::TranslationTable* const tables[3] = {&profiles_.stores[0].translation,
                                                     &profiles_.stores[1].translation,
                                                     &profiles_.stores[2].translation};
  tarsil::SetKeyHookTables(tables, &profiles_.activeProfile);

  applyPresence(alwaysOn_ || tarsil::IsKeyboardPresent(m_hWnd));
  tray_.add(m_hWnd, icon_);

  const tarsil::ini::ReadResult layoutFile =
      tarsil::ini::readIniFile(executable_.parent_path() / L"Main.ini");
  layout_ = tarsil::readMainLayout(layoutFile.document);

  if (executable_.empty()) {
    showNoSettingsPath();
  } else {
    const tarsil::ini::ReadResult settings =
        tarsil::ini::readIniFile(tarsil::settingsFilePathFor(executable_));
    if (!settings.status.ok()) {
      // The defaults run, and the exit save will not overwrite a file it
      // could not read.
      MessageBoxW(m_hWnd, wideFromUtf8(settings.status.error).c_str(), L"Tarsil Software",
                  MB_OK | MB_ICONWARNING);
    }
    tarsil::loadSettings(profiles_, layout_, settings.document);
  }

  deviceNotification_ = tarsil::registerKeyboardNotifications(m_hWnd);
  profiles_.modified = false;
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
  if (executable_.empty()) {
    tray_.remove();
    RemovePropW(m_hWnd, kInstanceName);
    showNoSettingsPath();
    return;
  }
  const tarsil::ini::FileStatus saved =
      tarsil::saveSettings(profiles_, layout_.slots, tarsil::settingsFilePathFor(executable_));
  tray_.remove();
  RemovePropW(m_hWnd, kInstanceName);
  if (!saved.ok()) {
    const std::wstring text = L"Your settings could not be saved.\n\n" + wideFromUtf8(saved.error);
    MessageBoxW(nullptr, text.c_str(), L"Tarsil Software", MB_OK | MB_ICONERROR);
  }
}

void COstrelDlg::showNoSettingsPath() {
  MessageBoxW(m_hWnd, L"Failed to get the saved file path!", L"Tarsil Software", MB_OK);
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
      return CDialog::OnMessage(message, wParam, lParam, result);
  }
}
