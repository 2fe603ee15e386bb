#pragma once

#include "ini/ini_document.h"
#include "layout/layout_file.h"

// The keyboard the settings fuzz targets load with.
inline tarsil::MainLayout fuzzLayout() {
  tarsil::MainLayout layout;
  for (int s = 1; s <= tarsil::kLastStoredSlot; ++s) {
    tarsil::KeySlot& slot = layout.slots.slot(s);
    slot.vk = s + 7;  // 8..128: covers letters, digits and the keypad
    slot.caption = u"K" + tarsil::ini::formatInt(slot.vk);
  }
  layout.media = {{u"Play/Pause", 179}, {u"Refresh", 168}};
  return layout;
}
