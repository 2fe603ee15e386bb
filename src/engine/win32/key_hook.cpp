#include "engine/win32/key_hook.h"

#include <array>

#include "engine/key_event.h"
#include "engine/key_stroke.h"
#include "profile/key_types.h"

namespace tarsil {

KeyHookState keyHook;

namespace {

std::int16_t readNumLockState(void*) { return static_cast<std::int16_t>(GetKeyState(VK_NUMLOCK)); }

// One SendInput call per batch the decision hands over: the strokes of one
// event reach the input stream together, with nothing of the user's in
// between.
void sendStrokes(void*, const KeyStroke* strokes, std::size_t count) {
  std::array<INPUT, kStrokeBatchSize> inputs{};
  for (std::size_t i = 0; i < count; ++i) {
    KEYBDINPUT& key = inputs[i].ki;
    inputs[i].type = INPUT_KEYBOARD;
    key.wVk = strokes[i].vk;
    // The extended flag turns this scan code into the key's own extended
    // code (an arrow instead of its keypad twin).
    key.wScan = static_cast<WORD>(MapVirtualKeyW(strokes[i].vk, MAPVK_VK_TO_VSC) & 0xFF);
    key.dwFlags =
        (strokes[i].up ? KEYEVENTF_KEYUP : 0u) | (strokes[i].extended ? KEYEVENTF_EXTENDEDKEY : 0u);
  }
  SendInput(static_cast<UINT>(count), inputs.data(), sizeof(INPUT));
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
