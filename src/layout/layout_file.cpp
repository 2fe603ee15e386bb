#include "layout/layout_file.h"

#include <algorithm>
#include <array>
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

ini::ReadOptions layoutReadOptions() {
  ini::ReadOptions options;
  options.maxBytes = kMaxLayoutFileBytes;
  options.maxLines = kMaxLayoutFileLines;
  options.boundedBy = "a keyboard layout could usefully be";
  return options;
}

namespace {

std::string slotName(const KeySlotTable& slots, int s) {
  const std::u16string& caption = slots.slot(s).caption;
  std::string name = "slot " + std::to_string(s);
  // Captions of the shipped layouts are ASCII; anything else is left out.
  if (!caption.empty() && std::all_of(caption.begin(), caption.end(),
                                      [](char16_t c) { return c >= 0x20 && c < 0x7F; })) {
    name += " (" + std::string(caption.begin(), caption.end()) + ")";
  }
  return name;
}

}  // namespace

std::string mainLayoutProblem(const ini::IniDocument& file, const MainLayout& layout) {
  std::array<int, 256> slotOfCode{};
  for (int s = 1; s <= kLastStoredSlot; ++s) {
    if (!file.find(kLayoutSection, ini::formatInt(s))) {
      return "slot " + std::to_string(s) + " is missing ([" +
             std::string(kLayoutSection.begin(), kLayoutSection.end()) + "] has no entry " +
             std::to_string(s) + ")";
    }
    const KeyCode vk = layout.slots.slot(s).vk;
    if (vk == 0) return slotName(layout.slots, s) + " carries no key code";
    if (!isKeyCode(vk)) {
      return slotName(layout.slots, s) + " carries the key code " + std::to_string(vk) +
             ", which names no key (key codes are 1..254)";
    }
    int& first = slotOfCode[static_cast<std::size_t>(vk)];
    if (first != 0) {
      return slotName(layout.slots, first) + " and " + slotName(layout.slots, s) +
             " both carry the key code " + std::to_string(vk);
    }
    first = s;
  }
  return {};
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
