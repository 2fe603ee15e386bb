#pragma once

#include <algorithm>
#include <iterator>
#include <string>

#include "ini/ini_document.h"
#include "layout/layout_file.h"

namespace tarsil::testing {

// A keyboard for tests: slots 1..4 are keys tests refer to by name, slots
// 104..110 carry the seven multimedia names, and every other key slot gets
// the next free code from 33 up, captioned "K<vk>". Codes stay distinct, as
// in a real layout.
inline constexpr KeyCode kKeyA = 65;          // slot 1
inline constexpr KeyCode kKeyB = 66;          // slot 2
inline constexpr KeyCode kKeyF = 70;          // slot 3
inline constexpr KeyCode kKeypadEnter = 108;  // slot 4

inline MainLayout makeLayout() {
  MainLayout layout;
  const KeyCode reserved[] = {kKeyA, kKeyB, kKeyF, kKeypadEnter, 176, 177, 179, 166, 167, 168, 169};
  KeyCode next = 33;
  for (int s = 1; s <= kSlotCount; ++s) {
    KeySlot& slot = layout.slots.slot(s);
    slot.left = (s - 1) % 20 * 40;
    slot.top = (s - 1) / 20 * 40;
    slot.width = 38;
    slot.height = 38;
    if (s <= kLastStoredSlot) {
      while (std::find(std::begin(reserved), std::end(reserved), next) != std::end(reserved))
        ++next;
      slot.vk = next++;
      slot.caption = u"K" + ini::formatInt(slot.vk);
    }
  }
  auto set = [&](int s, KeyCode vk, std::u16string caption) {
    layout.slots.slot(s).vk = vk;
    layout.slots.slot(s).caption = std::move(caption);
  };
  set(1, kKeyA, u"A");
  set(2, kKeyB, u"B");
  set(3, kKeyF, u"F");
  set(4, kKeypadEnter, u"Num Enter");
  set(104, 179, u"Play/Pause");
  set(105, 177, u"Pretrack");
  set(106, 176, u"Nexttrack");
  set(107, 168, u"Refresh");
  set(108, 169, u"www Stop");
  set(109, 166, u"www Back");
  set(110, 167, u"www Forward");
  const char16_t* buttons[] = {u"Close",  u"Macro..", u"Minimize", u"Menu",     u"Apply",   u"OK",
                               u"Cancel", u"Default", u"Profile1", u"Profile2", u"Profile3"};
  for (int i = 0; i < 11; ++i) layout.slots.slot(122 + i).caption = buttons[i];
  for (int s = kFirstMediaSlot; s <= kLastMediaSlot; ++s) {
    const KeySlot& slot = layout.slots.slot(s);
    layout.media.emplace(slot.caption, slot.vk);
  }
  return layout;
}

inline std::size_t slotIndexOf(const MainLayout& layout, KeyCode vk) {
  for (std::size_t i = 0; i < kLastStoredSlot; ++i) {
    if (layout.slots[i].vk == vk) return i;
  }
  return kSlotCount;
}

}  // namespace tarsil::testing
