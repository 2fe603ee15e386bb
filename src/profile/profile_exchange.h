#pragma once

#include <filesystem>

#include "ini/ini_file.h"
#include "layout/layout_file.h"
#include "profile/profile_data.h"

namespace tarsil {

// Export: writes [TYPE] type = the active profile and that profile's store
// (not the working profile: unapplied edits stay out) into the chosen file.
// Other sections of an existing file stay; the file is replaced in one step.
ini::FileStatus exportProfile(const ProfileSet& profiles, const KeySlotTable& slots,
                              const std::filesystem::path& path,
                              const ini::CodePagePtr& codePage = nullptr);

// Import: reads the section that the file's [TYPE] names into the working
// profile and the active store, whatever number the file carries. A file
// that does not exist, cannot be read, or has no section for that profile
// (an empty file, anything but a profile file) is refused with a message
// that names it and what it lacks, and nothing changes. What is worth
// knowing about a file that was imported comes as notes.
ini::FileStatus importProfile(ProfileSet& profiles, const MainLayout& layout,
                              const std::filesystem::path& path,
                              const ini::CodePagePtr& codePage = nullptr);

}  // namespace tarsil
