// The hook adapter under Wine: installation and removal, the wiring of the
// tables and the active profile, the record passed on, and the strokes that
// actually reach the input stream.

#include "engine/win32/key_hook.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/win32/key_injection.h"
#include "engine/win32/macro_player_thread.h"

namespace tarsil {
namespace {

struct Seen {
  DWORD vk;
  DWORD scan;
  DWORD flags;
  ULONG_PTR extra = 0;
  ULONGLONG time = 0;
};
std::vector<Seen> seen;
HHOOK observer = nullptr;

// Installed before the translation hook, so it is called after it: it sees
// what the translation hook passes on, our own strokes included.
LRESULT CALLBACK observe(int code, WPARAM, LPARAM lParam) {
  const auto* record = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  if (code == HC_ACTION) {
    seen.push_back(
        {record->vkCode, record->scanCode, record->flags, record->dwExtraInfo, GetTickCount64()});
  }
  // Swallowed, so the test's keys reach no program on the desktop.
  return 1;
}

// Serves the hooks until `count` strokes were seen, or 15 seconds passed:
// under a loaded machine the injected strokes can take a while to come round.
void pumpMessagesUntil(std::size_t count) {
  MSG message;
  const ULONGLONG deadline = GetTickCount64() + 15000;
  while (seen.size() < count && GetTickCount64() < deadline) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

LRESULT callHook(DWORD vk, DWORD flags, KBDLLHOOKSTRUCT* out = nullptr, ULONG_PTR extra = 0) {
  KBDLLHOOKSTRUCT record{};
  record.vkCode = vk;
  record.scanCode = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  record.flags = flags;
  record.dwExtraInfo = extra;
  const LRESULT result = KeyHookProc(HC_ACTION, flags & LLKHF_UP ? WM_KEYUP : WM_KEYDOWN,
                                     reinterpret_cast<LPARAM>(&record));
  if (out != nullptr) *out = record;
  return result;
}

// Presses or releases `vk` on the desktop as another program would, and
// waits until the desktop's key state shows it.
bool setKeyState(WORD vk, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = down ? 0u : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof(INPUT));
  const ULONGLONG deadline = GetTickCount64() + 15000;
  MSG message;
  while (((GetAsyncKeyState(vk) & 0x8000) != 0) != down) {
    if (GetTickCount64() > deadline) return false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(5);
  }
  return true;
}

class KeyHook : public ::testing::Test {
 protected:
  void SetUp() override {
    const TranslationTable* pointers[3] = {&tables[0], &tables[1], &tables[2]};
    SetKeyHookTables(pointers, &activeProfile);
    keyHook.keyHookStopped = 0;
  }
  void TearDown() override {
    RemoveKeyHook();
    SetKeyHookTables(nullptr, nullptr);
  }

  TranslationTable tables[3];
  std::int32_t activeProfile = 1;
};

TEST_F(KeyHook, InstallsAtMostOneHookAndRemovesIt) {
  InstallKeyHook();
  const HHOOK first = keyHook.keyHookHandle;
  ASSERT_NE(first, nullptr);
  InstallKeyHook();
  EXPECT_EQ(keyHook.keyHookHandle, first);
  RemoveKeyHook();
  EXPECT_EQ(keyHook.keyHookHandle, nullptr);
  RemoveKeyHook();
  EXPECT_EQ(keyHook.keyHookHandle, nullptr);
}

TEST_F(KeyHook, ReadsTheActiveProfileAndItsTableAtEveryEvent) {
  tables[0]['A'] = {};  // disabled in profile 1 only
  EXPECT_EQ(callHook('A', 0), 1);
  EXPECT_EQ(callHook('A', LLKHF_UP), 1);
  activeProfile = 2;
  EXPECT_EQ(callHook('A', 0), 0);
  EXPECT_EQ(callHook('A', LLKHF_UP), 0);
  tables[1]['A'] = {};
  EXPECT_EQ(callHook('A', 0), 1);
  EXPECT_EQ(callHook('A', LLKHF_UP), 1);
}

TEST_F(KeyHook, PassesTheKeypadEnterOnAs108) {
  KBDLLHOOKSTRUCT passed{};
  EXPECT_EQ(callHook(VK_RETURN, LLKHF_EXTENDED, &passed), 0);
  EXPECT_EQ(passed.vkCode, 108u);
  EXPECT_EQ(callHook(VK_RETURN, 0, &passed), 0);
  EXPECT_EQ(passed.vkCode, static_cast<DWORD>(VK_RETURN));
}

TEST_F(KeyHook, AKeyAlreadyDownAtItsFirstEventPassesUntilItComesUp) {
  tables[0]['A'] = {};
  // Down before translation began: its auto-repeats and its release are its own.
  ASSERT_TRUE(setKeyState('A', true));
  EXPECT_EQ(callHook('A', 0), 0);
  EXPECT_EQ(callHook('A', LLKHF_UP), 0);
  ASSERT_TRUE(setKeyState('A', false));
  EXPECT_EQ(callHook('A', 0), 1);
  EXPECT_EQ(callHook('A', LLKHF_UP), 1);
}

TEST_F(KeyHook, StoppedRemovesTheHookAtTheNextEvent) {
  tables[0]['A'] = {};
  InstallKeyHook();
  ASSERT_NE(keyHook.keyHookHandle, nullptr);
  keyHook.keyHookStopped = 1;
  EXPECT_EQ(callHook('A', 0), 0);
  EXPECT_EQ(keyHook.keyHookHandle, nullptr);
}

TEST_F(KeyHook, SendsTheListAsOneBatchOfInjectedStrokesWithTheirScanCodes) {
  tables[0]['A'] = {VK_CONTROL, VK_LEFT, VK_NUMPAD4};
  observer = SetWindowsHookExW(WH_KEYBOARD_LL, observe, GetModuleHandleW(nullptr), 0);
  ASSERT_NE(observer, nullptr);
  InstallKeyHook();
  seen.clear();
  const bool numLockOn = (GetKeyState(VK_NUMLOCK) & 0xFFFF) == 1;
  // The strokes are sent from this thread, which owns both hooks, while it
  // is not waiting for messages. Wine skips the low-level hooks of a thread
  // that has not looked at its queue for five seconds (a test process that
  // started slowly on a loaded machine), so it looks just before sending.
  pumpMessagesUntil(0);
  EXPECT_EQ(callHook('A', 0), 1);
  pumpMessagesUntil(3);
  // Released through RemoveKeyHook, as the keyboard going away would.
  RemoveKeyHook();
  pumpMessagesUntil(6);
  UnhookWindowsHookEx(observer);

  const DWORD keypad4 = numLockOn ? VK_NUMPAD4 : VK_LEFT;
  const DWORD expectedVk[] = {VK_CONTROL, VK_LEFT, keypad4, VK_CONTROL, VK_LEFT, keypad4};
  const DWORD expectedExtended[] = {0, LLKHF_EXTENDED, 0, 0, LLKHF_EXTENDED, 0};
  ASSERT_EQ(seen.size(), 6u);
  for (std::size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(seen[i].vk, expectedVk[i]);
    EXPECT_EQ(seen[i].scan, MapVirtualKeyW(expectedVk[i], MAPVK_VK_TO_VSC) & 0xFF);
    EXPECT_EQ(seen[i].flags & (LLKHF_INJECTED | LLKHF_EXTENDED | LLKHF_UP),
              LLKHF_INJECTED | expectedExtended[i] | (i >= 3 ? LLKHF_UP : 0u));
  }
}

// A stroke of the macro player as the hook receives it.
LRESULT callHookAsPlayer(DWORD vk, DWORD flags) {
  return callHook(vk, flags | LLKHF_INJECTED, nullptr, kPlayerStrokeMark);
}

TEST_F(KeyHook, ThePlayersStrokesPassUntranslatedAndSpareTheKeysTheUserHolds) {
  tables[0]['A'] = {'B'};
  EXPECT_EQ(callHookAsPlayer('A', 0), 0);
  EXPECT_EQ(keyHook.translator.heldCount(), 0u);  // not translated
  EXPECT_EQ(callHook(VK_LSHIFT, 0), 0);           // the user holds Shift
  EXPECT_EQ(callHookAsPlayer(VK_LSHIFT, 0), 0);
  EXPECT_EQ(callHookAsPlayer(VK_LSHIFT, LLKHF_UP), 1);  // held back
  EXPECT_EQ(callHook(VK_LSHIFT, LLKHF_UP), 0);
  EXPECT_EQ(callHookAsPlayer('A', LLKHF_UP), 0);
}

TEST_F(KeyHook, ThePlayerThreadSendsMarkedStrokesAfterTheirDelays) {
  auto library = std::make_shared<MacroLibrary>();
  library->profiles[0].push_back(
      {MacroMode::kSequenceOnce, {{'C', true, 0}, {'C', false, 60}, {VK_LEFT, true, 20}}});
  observer = SetWindowsHookExW(WH_KEYBOARD_LL, observe, GetModuleHandleW(nullptr), 0);
  ASSERT_NE(observer, nullptr);
  seen.clear();
  MacroPlayerThread player;
  ASSERT_TRUE(player.start());
  player.setLibrary(library);
  player.press({1, 0, VK_F9, true});
  // The pass ends with the arrow still down: the player lets go of it.
  pumpMessagesUntil(4);
  player.shutdown();
  UnhookWindowsHookEx(observer);

  ASSERT_EQ(seen.size(), 4u);
  const DWORD expectedVk[] = {'C', 'C', VK_LEFT, VK_LEFT};
  for (std::size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(seen[i].vk, expectedVk[i]);
    EXPECT_EQ(seen[i].extra, kPlayerStrokeMark);
    EXPECT_EQ(seen[i].flags & (LLKHF_INJECTED | LLKHF_UP | LLKHF_EXTENDED),
              LLKHF_INJECTED | (i % 2 == 1 ? LLKHF_UP : 0u) | (i >= 2 ? LLKHF_EXTENDED : 0u));
  }
  // Never sooner than the delay (the tick count counts whole milliseconds,
  // and may step by up to 16).
  EXPECT_GE(seen[1].time - seen[0].time + 16, 60u);
  EXPECT_GE(seen[2].time - seen[1].time + 16, 20u);
}

}  // namespace
}  // namespace tarsil
