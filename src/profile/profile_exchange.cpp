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
  ini::FileStatus status = std::move(read.status);
  const auto refuse = [&](std::string why) {
    status.error = "Cannot import " + ini::pathText(path) + ": " + std::move(why);
    return status;
  };
  if (!read.exists) return refuse("the file does not exist.");
  const std::int32_t p = readProfileNumber(read.document);
  const std::u16string section = profileSectionName(p);
  if (!read.document.hasSection(section)) {
    if (!hasSettingsSections(read.document)) {
      return refuse("it has no [TYPE] or profile section; it is no profile file.");
    }
    return refuse("it has no [" + std::string(section.begin(), section.end()) +
                  "] section, the profile its [TYPE] names.");
  }
  LoadProfile(profiles, layout, read.document, p, profiles.activeProfile);
  return status;
}

}  // namespace tarsil
