#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ini/ini_document.h"
#include "ini/ini_file.h"
#include "layout/key_code.h"
#include "layout/key_slot.h"

namespace tarsil {

// Both layout files keep their entries in this section, keyed "1", "2", ...
inline constexpr std::u16string_view kLayoutSection = u"BUTTONINFO";

// The key settings dialog reads entries 1..28: 1..23 as the dialog always
// had them, 24..28 the macro timing controls (a file without them leaves
// those controls hidden).
inline constexpr int kDialogEntryCount = 28;
inline constexpr int kDialogEntriesRead = 28;
using DialogLayout = std::array<KeySlot, kDialogEntryCount>;

// Multimedia name -> the code it sends, from the layout's multimedia slots.
using MediaKeyTable = std::map<std::u16string, KeyCode>;

// Field k (from 0) of a comma list: the text after the k-th comma up to the
// next one. Nothing is trimmed or unquoted, so spaces belong to a caption.
std::u16string_view layoutField(std::u16string_view value, int k);

// One layout value: left, top, width, height, [vk,] caption. Numbers read as
// the C runtime's _wtoi does; missing fields are 0 or empty; extra ones ignored.
KeySlot parseLayoutEntry(std::u16string_view value, bool withKeyCode);

struct MainLayout {
  KeySlotTable slots;   // indexed by slot number minus one
  MediaKeyTable media;  // caption -> vk of slots 104..121
};

// "Main.ini": slots 1..121 carry a key code, 122..132 are skin buttons. A
// multimedia name that appears twice keeps the code of its first slot.
MainLayout readMainLayout(const ini::IniDocument& file);

// How the layout files are read: a file larger or longer than a layout
// could usefully be is refused before it costs time and memory.
inline constexpr std::uint64_t kMaxLayoutFileBytes = 1024 * 1024;
inline constexpr std::uint64_t kMaxLayoutFileLines = 10000;
ini::ReadOptions layoutReadOptions();

// Why `layout`, read from `file`, cannot be the keyboard's: empty when it
// can, else what is wrong with the first slot at fault. Settings name their
// keys by the codes of slots 1..121, so each of those slots must be there
// and carry a code of its own: a slot that is missing, has no code or
// shares one would lose its key's settings at the next save, or read
// another key's.
std::string mainLayoutProblem(const ini::IniDocument& file, const MainLayout& layout);

// "Composite.ini": entries 1..28, five fields each.
DialogLayout readDialogLayout(const ini::IniDocument& file);

// A dialog's layout file of `count` entries, five fields each ("Programs.ini"):
// entry n at index n - 1.
std::vector<KeySlot> readLayoutEntries(const ini::IniDocument& file, int count);

}  // namespace tarsil
