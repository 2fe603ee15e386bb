#pragma once

#include <windows.h>

#include "device/device_change.h"

namespace tarsil {

// Scans the present HID device interfaces for one of the keyboard's vendor.
// An interface that cannot be queried is skipped. If memory runs out the
// notice "out of memory!" is shown under the program's caption, owned by
// `owner`, and the keyboard counts as absent.
bool IsKeyboardPresent(HWND owner = nullptr);

// Asks for arrival and removal notifications of HID device interfaces, sent
// to `window` as WM_DEVICECHANGE. Register once; the window passes the handle
// to UnregisterKeyboardNotifications when it is destroyed. Null on failure:
// presence then stays as the start-up scan found it.
HDEVNOTIFY registerKeyboardNotifications(HWND window);
void unregisterKeyboardNotifications(HDEVNOTIFY registration);

// Reads a WM_DEVICECHANGE message's record and says what to do. The window
// acts on it and then returns TRUE, whatever the action:
//   kStartTranslation: InstallKeyHook(); keyHook.keyHookStopped = 0; refresh the tray icon
//   kStopTranslation:  RemoveKeyHook();  keyHook.keyHookStopped = 1; refresh the tray icon
PresenceAction OnDeviceChange(WPARAM event, LPARAM data, bool alwaysOn = false);

}  // namespace tarsil
