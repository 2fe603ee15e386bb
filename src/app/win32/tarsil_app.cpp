#include "app/win32/tarsil_app.h"

#include <commctrl.h>

#include <memory>
#include <string>

#include "app/command_line.h"
#include "ui/main/win32/instance_name.h"
#include "ui/main/win32/main_window.h"
#include "ui/main/win32/profile_messages.h"

bool TarsilApp::IsFirstInstance(bool bringForward, std::optional<std::int32_t> profile) {
  // The mutex only marks a running instance: never waited on, never closed,
  // so the name stays taken until this process ends.
  CreateMutexW(nullptr, TRUE, kInstanceName);
  if (GetLastError() != ERROR_ALREADY_EXISTS) return true;
  if (!bringForward && !profile) return false;

  for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window != nullptr;
       window = GetWindow(window, GW_HWNDNEXT)) {
    if (GetPropW(window, kInstanceName) == nullptr) continue;
    if (profile) {
      // A switch from a shortcut or a script: the window stays as it is.
      PostMessageW(window, WM_PROFILE_REQUEST, static_cast<WPARAM>(*profile), 0);
      break;
    }
    // Hidden in the tray or minimised, the window is shown again: starting
    // the program is how a user asks to see it.
    if (IsIconic(window)) {
      ShowWindow(window, SW_RESTORE);
    } else if (!IsWindowVisible(window)) {
      ShowWindow(window, SW_SHOW);
    }
    SetForegroundWindow(window);
    SetForegroundWindow(GetLastActivePopup(window));
    break;
  }
  return false;
}

bool TarsilApp::InitInstance() {
  const std::wstring& line = commandLine();
  const tarsil::StartOptions options =
      tarsil::parseStartOptions(std::u16string(line.begin(), line.end()));
  // A mistyped option is named, and then the program starts as usual: a
  // second start still only brings the first one forward.
  if (const std::u16string notice = tarsil::unknownOptionsNotice(options); !notice.empty()) {
    AfxMessageBox(std::wstring(notice.begin(), notice.end()), MB_OK | MB_ICONINFORMATION);
  }
  // A start for the tray (at sign-in) leaves a running instance as it is.
  if (!IsFirstInstance(!options.tray, options.profile)) return false;

  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  CWinApp::InitInstance();

  auto mainWindow = std::make_unique<MainWindow>(options.alwaysOn, options.tray, options.profile);
  m_pMainWnd = mainWindow.get();
  mainWindow->DoModal();
  m_pMainWnd = nullptr;
  return false;
}
