#include "engine/win32/key_hook.h"

#include "engine/key_event.h"
#include "engine/key_stroke.h"
#include "engine/win32/key_injection.h"
#include "profile/key_types.h"

namespace tarsil {

KeyHookState keyHook;

namespace {

std::int16_t readNumLockState(void*) { return static_cast<std::int16_t>(GetKeyState(VK_NUMLOCK)); }

void sendStrokes(void*, const KeyStroke* strokes, std::size_t count) {
  sendKeyStrokes(strokes, count, 0);
}

void handleAction(void*, const KeyAction& action, bool up) {
  if (keyHook.actionHandler != nullptr) keyHook.actionHandler(keyHook.actionContext, action, up);
}

constexpr KeyPlatform kPlatform{readNumLockState, sendStrokes, nullptr, handleAction};

ProfileTables currentTables() {
  return ProfileTables{{keyHook.tables[0], keyHook.tables[1], keyHook.tables[2]},
                       keyHook.activeProfile != nullptr ? *keyHook.activeProfile : 0,
                       {keyHook.actions[0], keyHook.actions[1], keyHook.actions[2]}};
}

}  // namespace

void SetKeyHookTables(const TranslationTable* const tables[3], const std::int32_t* activeProfile) {
  for (int i = 0; i < 3; ++i) keyHook.tables[i] = tables != nullptr ? tables[i] : nullptr;
  keyHook.activeProfile = activeProfile;
}

void SetKeyHookActions(const KeyActionTable* const actions[3],
                       void (*handler)(void* context, const KeyAction& action, bool up),
                       void* context) {
  for (int i = 0; i < 3; ++i) keyHook.actions[i] = actions != nullptr ? actions[i] : nullptr;
  keyHook.actionHandler = handler;
  keyHook.actionContext = context;
}

void InstallKeyHook() {
  if (keyHook.keyHookHandle != nullptr) return;
  keyHook.keyHookHandle =
      SetWindowsHookExW(WH_KEYBOARD_LL, KeyHookProc, GetModuleHandleW(nullptr), 0);
}

void RemoveKeyHook() {
  keyHook.translator.releaseAll(currentTables(), kPlatform);
  if (keyHook.keyHookHandle != nullptr && UnhookWindowsHookEx(keyHook.keyHookHandle)) {
    keyHook.keyHookHandle = nullptr;
  }
}

LRESULT CALLBACK KeyHookProc(int code, WPARAM wParam, LPARAM lParam) {
  auto* record = reinterpret_cast<KBDLLHOOKSTRUCT*>(lParam);
  // A negative code means the record is not for us to look at.
  if (code < 0 || record == nullptr) {
    return CallNextHookEx(keyHook.keyHookHandle, code, wParam, lParam);
  }
  // The key state still shows the key as it was before this event: the
  // platform updates it only once the hooks are through. Injected events are
  // never translated, so they are spared the question.
  const bool wasDown = (record->flags & LLKHF_INJECTED) == 0 && record->vkCode <= 255 &&
                       (GetAsyncKeyState(static_cast<int>(record->vkCode)) & 0x8000) != 0;
  // The macro player's strokes are never translated; whether a release of
  // theirs goes on depends on who else holds the key.
  if ((record->flags & LLKHF_INJECTED) != 0 && record->dwExtraInfo == kPlayerStrokeMark &&
      keyHook.keyHookStopped == 0) {
    const bool extended = (record->flags & LLKHF_EXTENDED) != 0;
    const bool up = (record->flags & LLKHF_UP) != 0;
    if (keyHook.translator.playerStroke(record->vkCode, extended, up) == KeyVerdict::kSwallow) {
      return 1;
    }
    return CallNextHookEx(keyHook.keyHookHandle, code, wParam, lParam);
  }
  const KeyEvent event{record->vkCode, record->scanCode, record->flags, wasDown};
  const KeyDecision decision =
      keyHook.translator.decide(event, currentTables(), keyHook.keyHookStopped != 0, kPlatform);
  switch (decision.verdict) {
    case KeyVerdict::kSwallow:
      return 1;
    case KeyVerdict::kStop:
      RemoveKeyHook();
      break;
    case KeyVerdict::kPass:
      record->vkCode = decision.vkCode;
      break;
  }
  return CallNextHookEx(keyHook.keyHookHandle, code, wParam, lParam);
}

}  // namespace tarsil
