#include "profile/profile_exchange.h"

#include "profile/settings_file.h"

#include <string>

namespace tarsil {

ini::FileStatus ExportProfile(const ProfileSet& profiles, const KeySlotTable& slots,
                              const std::filesystem::path& path) {
  ini::ReadResult current = ini::ReadIniFile(path);
  if (!current.status.ok()) return current.status;
  current.document.SetInt(kTypeSection, kTypeKey, profiles.activeProfile);
  SaveProfile(profiles, slots, current.document, profiles.activeProfile);
  return ini::WriteIniFile(path, current.document);
}

ini::FileStatus ImportProfile(ProfileSet& profiles, const MainLayout& layout,
                              const std::filesystem::path& path) {
  ini::ReadResult read = ini::ReadIniFile(path);
  if (!read.status.ok()) return read.status;
  if (!read.exists) {
    const std::u8string name = path.u8string();
    return {"Cannot import " + std::string(name.begin(), name.end()) +
            ": the file does not exist."};
  }
  LoadProfile(profiles, layout, read.document, ReadProfileNumber(read.document),
              profiles.activeProfile);
  return {};
}

}  // namespace tarsil
