#pragma once

#include <string>

#include "ini/ini_document.h"
#include "profile/test_layout.h"
#include "support/temp_folder.h"

namespace tarsil::testing {

// The test keyboard as a "Main.ini" a session can read.
inline std::string mainIniOf(const MainLayout& layout) {
  std::string text = "[BUTTONINFO]\r\n";
  for (int s = 1; s <= kSlotCount; ++s) {
    const KeySlot& slot = layout.slots.slot(s);
    text += std::to_string(s) + "=" + std::to_string(slot.left) + "," + std::to_string(slot.top) +
            "," + std::to_string(slot.width) + "," + std::to_string(slot.height) + ",";
    if (s <= kLastStoredSlot) text += std::to_string(slot.vk) + ",";
    text.append(slot.caption.begin(), slot.caption.end());  // ASCII captions
    text += "\r\n";
  }
  return text;
}

// A folder as the program's own: Main.ini of the test keyboard, and set.ini
// when given.
inline void installProgramFolder(const TempFolder& folder) {
  TempFolder::write(folder / "Main.ini", mainIniOf(makeLayout()));
}

}  // namespace tarsil::testing
