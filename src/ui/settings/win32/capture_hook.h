#pragma once

#include <windows.h>

#include "ui/settings/key_capture.h"

// A key the capture hook took, handed to the dialog after the hook call
// (wParam: the KeyMessage; lParam: see packKeyEvent).
inline constexpr UINT WM_MACRO_KEY = WM_USER + 102;

// Everything the settings dialog's capture hook shares with the dialog,
// process-wide because the platform calls the hook as a free function.
struct CaptureHookState {
  HHOOK captureHookHandle = nullptr;
  HWND dialog = nullptr;  // where captured keys go: the dialog itself
  tarsil::CaptureShared shared;
};

extern CaptureHookState captureHook;

// Installs CaptureHookProc unless it is installed; it then swallows every
// key of the desktop and hands each to `dialog`.
void InstallCaptureHook(HWND dialog);
void RemoveCaptureHook();
LRESULT CALLBACK CaptureHookProc(int code, WPARAM wParam, LPARAM lParam);

// A key event in one message parameter, and back.
struct PackedKeyEvent {
  DWORD vkCode;
  DWORD scanCode;
  DWORD flags;
};
LPARAM packKeyEvent(const KBDLLHOOKSTRUCT& event);
PackedKeyEvent unpackKeyEvent(LPARAM packed);
