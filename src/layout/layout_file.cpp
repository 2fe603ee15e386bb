#include "layout/layout_file.h"

#include <algorithm>
#include <string>

#include "ini/ini_document.h"

namespace tarsil {

std::u16string_view layoutField(std::u16string_view value, int k) {
  std::size_t start = 0;
  for (int i = 0; i < k; ++i) {
    const std::size_t comma = value.find(u',', start);
    if (comma == std::u16string_view::npos) return {};
    start = comma + 1;
  }
  const std::size_t end = value.find(u',', start);
  return value.substr(start, end == std::u16string_view::npos ? value.npos : end - start);
}

KeySlot parseLayoutEntry(std::u16string_view value, bool withKeyCode) {
  KeySlot slot;
  slot.left = ini::parseProfileInt(layoutField(value, 0));
  slot.top = ini::parseProfileInt(layoutField(value, 1));
  slot.width = ini::parseProfileInt(layoutField(value, 2));
  slot.height = ini::parseProfileInt(layoutField(value, 3));
  if (withKeyCode) {
    slot.vk = ini::parseProfileInt(layoutField(value, 4));
    slot.caption = layoutField(value, 5);
  } else {
    slot.caption = layoutField(value, 4);
  }
  return slot;
}

MainLayout readMainLayout(const ini::IniDocument& file) {
  MainLayout layout;
  for (int n = 1; n <= kSlotCount; ++n) {
    const std::u16string value = file.getString(kLayoutSection, ini::formatInt(n));
    KeySlot& slot = layout.slots.slot(n);
    slot = parseLayoutEntry(value, n <= kLastStoredSlot);
    if (n >= kFirstMediaSlot && n <= kLastMediaSlot) {
      layout.media.emplace(slot.caption, slot.vk);  // emplace keeps an earlier code
    }
  }
  return layout;
}

std::string mainLayoutProblem(const MainLayout& layout) {
  const KeyCode first = layout.slots.slot(1).vk;
  for (int s = 2; s <= kLastStoredSlot; ++s) {
    if (layout.slots.slot(s).vk != first) return {};
  }
  if (first == 0)
    return "its key slots 1.." + std::to_string(kLastStoredSlot) + " carry no key codes";
  return "its key slots 1.." + std::to_string(kLastStoredSlot) + " all carry the key code " +
         std::to_string(first);
}

DialogLayout readDialogLayout(const ini::IniDocument& file) {
  DialogLayout layout;
  const std::vector<KeySlot> entries = readLayoutEntries(file, kDialogEntriesRead);
  std::copy(entries.begin(), entries.end(), layout.begin());
  return layout;
}

std::vector<KeySlot> readLayoutEntries(const ini::IniDocument& file, int count) {
  std::vector<KeySlot> entries;
  for (int n = 1; n <= count; ++n) {
    entries.push_back(parseLayoutEntry(file.getString(kLayoutSection, ini::formatInt(n)), false));
  }
  return entries;
}

}  // namespace tarsil
