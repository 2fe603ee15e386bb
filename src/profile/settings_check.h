#pragma once

#include <string>
#include <vector>

#include "ini/ini_document.h"
#include "layout/layout_file.h"
#include "profile/settings_file.h"

namespace tarsil {

// Everything the program would not take as written, as loading reports it
// (the check runs the loader itself): counts beyond what a section holds or
// beyond the limits, list entries that name no slot, macro indices past the
// macro list, names that match no multimedia key or function or are too
// long, kinds, key codes and profile numbers out of range; and of the file
// as a whole,
// a first section a UTF-8 byte order mark hides, or no section the program
// reads at all.
std::vector<SettingsProblem> checkSettings(const ini::IniDocument& file, const MainLayout& layout);

}  // namespace tarsil
