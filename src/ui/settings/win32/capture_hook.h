#pragma once

#include <windows.h>

#include "ui/settings/key_capture.h"

// A key the capture hook took, handed to the dialog after the hook call
// (wParam: see packKeyMessage; lParam: see packKeyEvent).
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
// The event's kind in the low byte, its time stamp (milliseconds) in the
// high 32 bits: the recorder keeps the time between steps.
WPARAM packKeyMessage(tarsil::KeyMessage message, DWORD time);
inline tarsil::KeyMessage keyMessageOf(WPARAM packed) {
  return static_cast<tarsil::KeyMessage>(packed & 0xFF);
}
inline DWORD keyTimeOf(WPARAM packed) { return static_cast<DWORD>(packed >> 32); }
