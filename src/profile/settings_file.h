#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "ini/ini_document.h"
#include "ini/ini_file.h"
#include "layout/layout_file.h"
#include "profile/profile_data.h"
#include "profile/settings_keys.h"
#include "profile/settings_problem.h"

namespace tarsil {

// How the program reads settings and profile files: 8-bit files in
// `codePage` (null: the system's), and no file larger or longer than the
// program writes (kMaxSettingsFileBytes, kMaxSettingsFileLines).
ini::ReadOptions settingsReadOptions(const ini::CodePagePtr& codePage);

// [TYPE] type, default 1. A hand-edited number outside 1..3 names no profile
// and is read as 1, so the program never runs without a table to play.
std::int32_t readProfileNumber(const ini::IniDocument& file,
                               std::vector<SettingsProblem>* problems = nullptr);

// Reads section "Profile<p>" into the working profile and copies it into
// store `target` (nothing is copied when target is no profile number).
// Every value the loader does not take as written goes to `problems`.
void LoadProfile(ProfileSet& profiles, const MainLayout& layout, const ini::IniDocument& file,
                 std::int32_t p, std::int32_t target,
                 std::vector<SettingsProblem>* problems = nullptr);

// Rewrites section "Profile<p>" from the store of p (p must be 1..3).
void SaveProfile(const ProfileSet& profiles, const KeySlotTable& slots, ini::IniDocument& file,
                 std::int32_t p);

// Whether the file has a section the program reads: [TYPE], a profile or
// [AutoProfile].
bool hasSettingsSections(const ini::IniDocument& file);

// Whether the file can be taken as settings: one with [TYPE] or a profile
// section, or one with nothing but white space, which means that every key
// types itself. Text without either (random bytes, a text file a link
// points at) is no settings file, and writing [TYPE] into it would spoil it.
bool readsAsSettings(const ini::IniDocument& file);

// Start-up: the active profile number, then the three profiles with the
// active one last, so the working profile ends up holding it.
void loadSettings(ProfileSet& profiles, const MainLayout& layout, const ini::IniDocument& file);

// Commits the working profile, then writes the three profile sections,
// [TYPE] and [AutoProfile] into the file's current content and replaces the
// file in one step.
// Other sections survive. A file that exists but cannot be read is left
// alone. (A run saves through its KeyboardSession, which writes only what
// changed.)
ini::FileStatus saveSettings(ProfileSet& profiles, const KeySlotTable& slots,
                             const std::filesystem::path& path,
                             const ini::CodePagePtr& codePage = nullptr);

}  // namespace tarsil
