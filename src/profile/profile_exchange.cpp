#include "profile/profile_exchange.h"

#include "profile/settings_file.h"

#include <string>

namespace tarsil {

ini::FileStatus exportProfile(const ProfileSet& profiles, const KeySlotTable& slots,
                              const std::filesystem::path& path, const ini::CodePagePtr& codePage) {
  ini::ReadResult current = ini::readIniFile(path, settingsReadOptions(codePage));
  if (!current.status.ok()) return current.status;
  current.document.setInt(kTypeSection, kTypeKey, profiles.activeProfile);
  SaveProfile(profiles, slots, current.document, profiles.activeProfile);
  return ini::writeIniFile(path, current.document);
}

ini::FileStatus importProfile(ProfileSet& profiles, const MainLayout& layout,
                              const std::filesystem::path& path, const ini::CodePagePtr& codePage) {
  ini::ReadResult read = ini::readIniFile(path, settingsReadOptions(codePage));
  if (!read.status.ok()) return read.status;
  if (!read.exists) {
    return {"Cannot import " + ini::pathText(path) + ": the file does not exist."};
  }
  LoadProfile(profiles, layout, read.document, readProfileNumber(read.document),
              profiles.activeProfile);
  return {};
}

}  // namespace tarsil
