#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/key_translator.h"
#include "profile/key_types.h"

namespace tarsil {

// Everything the translation hook shares with the windows. It is process-wide
// because the platform calls the hook procedure as a free function; it is only
// ever touched on the user-interface thread, which installed the hook.
struct KeyHookState {
  HHOOK keyHookHandle = nullptr;  // null while no hook is installed
  int keyHookStopped = 0;         // 1: pass every event and remove the hook
  // Point at the three profile stores' tables and the active profile number;
  // read at every event, so a profile switch or a committed edit applies to
  // the next key.
  const TranslationTable* tables[3] = {nullptr, nullptr, nullptr};
  const std::int32_t* activeProfile = nullptr;
  // The stores' action tables, and who carries out the press and release of
  // a key whose meaning is an action; see KeyPlatform::handleAction.
  const KeyActionTable* actions[3] = {nullptr, nullptr, nullptr};
  void (*actionHandler)(void* context, const KeyAction& action, bool up) = nullptr;
  void* actionContext = nullptr;
  KeyTranslator translator;  // what held translated keys have pressed
};

extern KeyHookState keyHook;

// Points the hook at the profile stores. The pointers must stay valid while a
// hook is installed (the stores live as long as the main window).
void SetKeyHookTables(const TranslationTable* const tables[3], const std::int32_t* activeProfile);

// Points the hook at the stores' action tables (same lifetime rule as the
// translation tables) and names who receives action keys.
void SetKeyHookActions(const KeyActionTable* const actions[3],
                       void (*handler)(void* context, const KeyAction& action, bool up),
                       void* context);

// Installs KeyHookProc as the desktop's low-level keyboard hook, unless one is
// installed already: at most one hook ever exists.
void InstallKeyHook();

// Sends the releases of every translated key still held, then removes the
// hook if one is installed. The handle is cleared only when the removal
// succeeds; while keyHookStopped is 1 the hook retries at every event.
void RemoveKeyHook();

LRESULT CALLBACK KeyHookProc(int code, WPARAM wParam, LPARAM lParam);

}  // namespace tarsil
