#include "profile/profile_exchange.h"

#include "profile/settings_file.h"

#include <string>

namespace tarsil {

ini::FileStatus exportProfile(const ProfileSet& profiles, const KeySlotTable& slots,
                              const std::filesystem::path& path) {
  ini::ReadResult current = ini::readIniFile(path);
  if (!current.status.ok()) return current.status;
  current.document.setInt(kTypeSection, kTypeKey, profiles.activeProfile);
  SaveProfile(profiles, slots, current.document, profiles.activeProfile);
  return ini::writeIniFile(path, current.document);
}

ini::FileStatus importProfile(ProfileSet& profiles, const MainLayout& layout,
                              const std::filesystem::path& path) {
  ini::ReadResult read = ini::readIniFile(path);
  if (!read.status.ok()) return read.status;
  if (!read.exists) {
    return {"Cannot import " + ini::pathText(path) + ": the file does not exist."};
  }
  LoadProfile(profiles, layout, read.document, readProfileNumber(read.document),
              profiles.activeProfile);
  return {};
}

}  // namespace tarsil
