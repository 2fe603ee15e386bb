#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ini/ini_document.h"
#include "layout/layout_file.h"
#include "profile/settings_file.h"

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

// The fuzz input as set.ini, and what start-up loads from it.
struct FuzzSettings {
  tarsil::ini::IniDocument file;
  tarsil::ProfileSet loaded;
};
inline FuzzSettings loadFuzzInput(const std::uint8_t* data, std::size_t size,
                                  const tarsil::MainLayout& layout) {
  FuzzSettings input{
      tarsil::ini::IniDocument::parse(std::string_view(reinterpret_cast<const char*>(data), size)),
      {}};
  tarsil::loadSettings(input.loaded, layout, input.file);
  return input;
}
