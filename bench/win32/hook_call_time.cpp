// How long one call of the translation hook takes at its worst, measured
// with the real hook procedure inside a real hook call, sending with the
// platform's real SendInput. Windows silently removes a low-level hook whose
// call takes longer than a few hundred milliseconds; every call must stay
// well under 50 ms.
//
//   hook_call_time.exe [ROUNDS]
//
// Three hooks, called in this order: a trigger, the translation hook, an
// observer. The trigger turns a marked stroke of this program into a key
// event as the keyboard would deliver it and times the translation hook on
// it; the observer counts every stroke the translation hook lets through and
// swallows it, so nothing reaches a window. The worst calls: the press of an
// entry of kMaxEntryCodes codes naming as many different keys as there are,
// its release, and the end of translation (the keyboard went away) while
// translated keys hold all the keys they can; and the press and release of a
// key that plays a timed macro, which only hand the event to the player's
// thread. Prints one line per case: the fastest, median and slowest call,
// and the median's cost per stroke.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/win32/key_hook.h"
#include "engine/win32/macro_player_thread.h"
#include "precise_clock.h"
#include "profile/key_types.h"

namespace tarsil {
namespace {

constexpr ULONG_PTR kTriggerMark = 0x7A51;

std::size_t strokesSeen = 0;
double lastCallMs = 0;
HHOOK observer = nullptr;
HHOOK trigger = nullptr;

LRESULT CALLBACK observe(int code, WPARAM, LPARAM) {
  if (code == HC_ACTION) ++strokesSeen;
  return 1;
}

LRESULT CALLBACK triggerProc(int code, WPARAM wParam, LPARAM lParam) {
  auto* record = reinterpret_cast<KBDLLHOOKSTRUCT*>(lParam);
  if (code != HC_ACTION || record->dwExtraInfo != kTriggerMark) {
    return CallNextHookEx(trigger, code, wParam, lParam);
  }
  KBDLLHOOKSTRUCT physical = *record;
  physical.flags &= ~static_cast<DWORD>(LLKHF_INJECTED | LLKHF_LOWER_IL_INJECTED);
  physical.dwExtraInfo = 0;
  const double start = preciseNowMs();
  KeyHookProc(code, wParam, reinterpret_cast<LPARAM>(&physical));
  lastCallMs = preciseNowMs() - start;
  return 1;
}

// Serves the hooks until no stroke has come round for a while: the strokes
// a call sent are all counted, and nothing is left over for the next case.
void settle() {
  MSG message;
  const ULONGLONG deadline = GetTickCount64() + 30000;
  std::size_t seen = strokesSeen;
  ULONGLONG quietSince = GetTickCount64();
  while (GetTickCount64() < deadline && GetTickCount64() - quietSince < 300) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    if (strokesSeen != seen) {
      seen = strokesSeen;
      quietSince = GetTickCount64();
    }
  }
}

// The keyboard's event for `vk`, timed in the trigger; returns the time of
// the translation hook's call and counts the strokes it sent.
double keyEvent(WORD vk, bool up, std::size_t& strokes) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0u;
  input.ki.dwExtraInfo = kTriggerMark;
  lastCallMs = -1;
  const std::size_t before = strokesSeen;
  SendInput(1, &input, sizeof(INPUT));
  settle();
  strokes = strokesSeen - before;
  return lastCallMs;
}

struct Case {
  explicit Case(const char* caseName) : name(caseName) {}

  const char* name;
  std::size_t strokes = 0;
  std::vector<double> times;

  void add(double ms, std::size_t sent) {
    if (ms < 0) return;  // the trigger never saw the event
    times.push_back(ms);
    strokes = sent;
  }
  void report() {
    if (times.empty()) {
      std::printf("%-40s no call was measured\n", name);
      return;
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf(
        "%-40s %5zu strokes  min %7.2f ms  median %7.2f ms  max %7.2f ms  %6.1f us/stroke\n", name,
        strokes, times.front(), median, times.back(),
        strokes == 0 ? 0.0 : median * 1000.0 / static_cast<double>(strokes));
  }
};

// Key codes a list may name, each once, without the lock keys.
std::vector<KeyCode> distinctCodes() {
  std::vector<KeyCode> codes;
  for (KeyCode code = kFirstIdentityKey; code <= kLastIdentityKey; ++code) {
    if (code != VK_CAPITAL && code != VK_NUMLOCK && code != VK_SCROLL) codes.push_back(code);
  }
  return codes;
}

int run(int rounds) {
  TranslationTable tables[3];
  std::int32_t activeProfile = 1;
  const std::vector<KeyCode> codes = distinctCodes();
  KeyList longest;
  for (std::size_t i = 0; i < kMaxEntryCodes; ++i) longest.push_back(codes[i % codes.size()]);
  tables[0][VK_F24] = longest;
  // Keys whose entries together name every key, for the end of translation.
  const WORD holders[] = {VK_F13, VK_F14, VK_F15, VK_F16, VK_F17, VK_F18, VK_F19, VK_F20};
  const std::size_t share = (codes.size() + std::size(holders) - 1) / std::size(holders);
  for (std::size_t k = 0; k < std::size(holders); ++k) {
    const auto from = static_cast<std::ptrdiff_t>(std::min(k * share, codes.size()));
    const auto to = static_cast<std::ptrdiff_t>(std::min((k + 1) * share, codes.size()));
    tables[0][holders[k]] = KeyList(codes.begin() + from, codes.begin() + to);
  }
  const TranslationTable* pointers[3] = {&tables[0], &tables[1], &tables[2]};
  SetKeyHookTables(pointers, &activeProfile);
  // F22 plays a sequence of 16 steps, 2 ms apart, on the player's thread.
  KeyActionTable actions[3];
  actions[0][VK_F22] = {KeyActionKind::kPlayMacro, 0};
  const KeyActionTable* actionPointers[3] = {&actions[0], &actions[1], &actions[2]};
  MacroPlayerThread player;
  auto library = std::make_shared<MacroLibrary>();
  TimedMacro sequence{MacroMode::kSequenceOnce, {}};
  for (int k = 0; k < 16; ++k) sequence.steps.push_back({'Q', k % 2 == 0, 2});
  library->profiles[0].push_back(sequence);
  player.start();
  player.setLibrary(library);
  SetKeyHookActions(
      actionPointers,
      [](void* context, const KeyAction& action, bool up) {
        playMacroAction(*static_cast<MacroPlayerThread*>(context), action, up, 1);
      },
      &player);

  observer = SetWindowsHookExW(WH_KEYBOARD_LL, observe, GetModuleHandleW(nullptr), 0);
  Case pass{"an unassigned key, press"};
  Case press{"press of the longest entry"};
  Case release{"its release"};
  Case stop{"stop while keys hold all they can"};
  Case triggerPress{"press of a sequence trigger"};
  Case triggerRelease{"its release"};
  for (int round = 0; round < rounds; ++round) {
    InstallKeyHook();
    keyHook.keyHookStopped = 0;
    trigger = SetWindowsHookExW(WH_KEYBOARD_LL, triggerProc, GetModuleHandleW(nullptr), 0);
    if (observer == nullptr || keyHook.keyHookHandle == nullptr || trigger == nullptr) {
      std::fprintf(stderr, "the low-level hooks could not be installed\n");
      return 1;
    }
    std::size_t strokes = 0;
    double ms = keyEvent('Q', false, strokes);
    pass.add(ms, strokes);
    keyEvent('Q', true, strokes);
    ms = keyEvent(VK_F24, false, strokes);
    press.add(ms, strokes);
    ms = keyEvent(VK_F24, true, strokes);
    release.add(ms, strokes);
    // The strokes the player then sends come round after the call: the
    // call itself only hands the press over.
    ms = keyEvent(VK_F22, false, strokes);
    triggerPress.add(ms, 0);
    ms = keyEvent(VK_F22, true, strokes);
    triggerRelease.add(ms, 0);

    for (const WORD holder : holders) keyEvent(holder, false, strokes);
    // The keyboard went away: the next event finds translation stopped, and
    // the hook releases everything on its way out.
    keyHook.keyHookStopped = 1;
    ms = keyEvent('Q', false, strokes);
    stop.add(ms, strokes);
    UnhookWindowsHookEx(trigger);
    RemoveKeyHook();
    settle();
  }
  UnhookWindowsHookEx(observer);
  SetKeyHookTables(nullptr, nullptr);
  SetKeyHookActions(nullptr, nullptr, nullptr);
  player.shutdown();

  std::printf("kMaxEntryCodes = %zu, %d rounds\n", kMaxEntryCodes, rounds);
  pass.report();
  press.report();
  release.report();
  stop.report();
  triggerPress.report();
  triggerRelease.report();
  return 0;
}

}  // namespace
}  // namespace tarsil

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  return tarsil::run(rounds);
}
