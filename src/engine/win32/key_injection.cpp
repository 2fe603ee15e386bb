#include "engine/win32/key_injection.h"

#include <array>

namespace tarsil {

void sendKeyStrokes(const KeyStroke* strokes, std::size_t count, ULONG_PTR mark) noexcept {
  std::array<INPUT, kStrokeBatchSize> inputs{};
  while (count > 0) {
    const std::size_t batch = count < inputs.size() ? count : inputs.size();
    for (std::size_t i = 0; i < batch; ++i) {
      KEYBDINPUT& key = inputs[i].ki;
      inputs[i].type = INPUT_KEYBOARD;
      key.wVk = strokes[i].vk;
      // The extended flag turns this scan code into the key's own extended
      // code (an arrow instead of its keypad twin).
      key.wScan = static_cast<WORD>(MapVirtualKeyW(strokes[i].vk, MAPVK_VK_TO_VSC) & 0xFF);
      key.dwFlags = (strokes[i].up ? KEYEVENTF_KEYUP : 0u) |
                    (strokes[i].extended ? KEYEVENTF_EXTENDEDKEY : 0u);
      key.time = 0;
      key.dwExtraInfo = mark;
    }
    SendInput(static_cast<UINT>(batch), inputs.data(), sizeof(INPUT));
    strokes += batch;
    count -= batch;
  }
}

}  // namespace tarsil
