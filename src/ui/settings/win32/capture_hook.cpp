#include "ui/settings/win32/capture_hook.h"

#include "engine/win32/key_injection.h"

CaptureHookState captureHook;

namespace {

tarsil::KeyMessage keyMessage(WPARAM message) {
  switch (message) {
    case WM_KEYDOWN:
      return tarsil::KeyMessage::kKeyDown;
    case WM_KEYUP:
      return tarsil::KeyMessage::kKeyUp;
    case WM_SYSKEYDOWN:
      return tarsil::KeyMessage::kSysKeyDown;
    case WM_SYSKEYUP:
      return tarsil::KeyMessage::kSysKeyUp;
    default:
      return tarsil::KeyMessage::kOther;
  }
}

}  // namespace

LPARAM packKeyEvent(const KBDLLHOOKSTRUCT& event) {
  return static_cast<LPARAM>((static_cast<std::uint64_t>(event.flags & 0xFF) << 48) |
                             (static_cast<std::uint64_t>(event.scanCode & 0xFFFF) << 32) |
                             (event.vkCode & 0xFFFF));
}

WPARAM packKeyMessage(tarsil::KeyMessage message, DWORD time) {
  return static_cast<WPARAM>((static_cast<std::uint64_t>(time) << 32) |
                             static_cast<std::uint8_t>(message));
}

PackedKeyEvent unpackKeyEvent(LPARAM packed) {
  const auto bits = static_cast<std::uint64_t>(packed);
  return {static_cast<DWORD>(bits & 0xFFFF), static_cast<DWORD>((bits >> 32) & 0xFFFF),
          static_cast<DWORD>((bits >> 48) & 0xFF)};
}

void InstallCaptureHook(HWND dialog) {
  captureHook.dialog = dialog;
  if (captureHook.captureHookHandle != nullptr) return;
  captureHook.captureHookHandle =
      SetWindowsHookExW(WH_KEYBOARD_LL, CaptureHookProc, GetModuleHandleW(nullptr), 0);
}

void RemoveCaptureHook() {
  if (captureHook.captureHookHandle != nullptr &&
      UnhookWindowsHookEx(captureHook.captureHookHandle)) {
    captureHook.captureHookHandle = nullptr;
  }
}

LRESULT CALLBACK CaptureHookProc(int code, WPARAM wParam, LPARAM lParam) {
  const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  if (code < 0 || event == nullptr) {
    return CallNextHookEx(captureHook.captureHookHandle, code, wParam, lParam);
  }
  const tarsil::KeyMessage message = keyMessage(wParam);
  const bool fromPlayer =
      (event->flags & LLKHF_INJECTED) != 0 && event->dwExtraInfo == tarsil::kPlayerStrokeMark;
  const tarsil::CaptureDecision decision =
      tarsil::decideCapture(captureHook.shared, message, event->vkCode, event->flags, fromPlayer);
  if (!decision.swallow) return CallNextHookEx(captureHook.captureHookHandle, code, wParam, lParam);
  // The dialog names or records the key once this call has returned, so the
  // hook itself stays short whatever the dialog then draws.
  if ((decision.nameCapturedKey || decision.recordStep) && captureHook.dialog != nullptr) {
    PostMessageW(captureHook.dialog, WM_MACRO_KEY, packKeyMessage(message, event->time),
                 packKeyEvent(*event));
  }
  return 1;
}
