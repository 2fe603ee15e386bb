#pragma once

#include <string>
#include <vector>

#include "ini/ini_document.h"
#include "layout/layout_file.h"

namespace tarsil {

// One thing in a hand-edited settings or profile file that the program
// would not take as written.
struct SettingsProblem {
  std::u16string section;
  std::u16string key;
  std::u16string value;  // the value as stored, when one is at fault
  std::string message;   // for people
};

// Everything the loader would silently repair, drop or ignore: counts beyond
// what a section holds, list entries that name no slot, macro indices past
// the macro list, names that match no multimedia key or function, kinds and
// profile numbers out of range.
std::vector<SettingsProblem> checkSettings(const ini::IniDocument& file, const MainLayout& layout);

}  // namespace tarsil
