#include "profile/settings_check.h"

#include <string>

namespace tarsil {

std::vector<SettingsProblem> checkSettings(const ini::IniDocument& file, const MainLayout& layout) {
  std::vector<SettingsProblem> problems;
  if (const std::optional<std::u16string> hidden = file.sectionHiddenByByteOrderMark()) {
    problems.push_back({*hidden,
                        {},
                        {},
                        "the file starts with a UTF-8 byte-order mark, which Windows does not "
                        "read, so its first section is ignored"});
  }
  if (!hasSettingsSections(file)) {
    problems.push_back(
        {{},
         {},
         {},
         "no [TYPE], profile or [AutoProfile] section: the program reads nothing here"});
  }
  if (file.find(kTypeSection, kTypeKey)) (void)readProfileNumber(file, &problems);
  (void)readProgramRules(file, &problems);
  // The loader itself, on a profile set of its own: what it reports is what
  // loading does. Nothing needs copying into a store.
  ProfileSet scratch;
  for (std::int32_t p = 1; p <= kProfileCount; ++p) {
    if (file.hasSection(profileSectionName(p))) LoadProfile(scratch, layout, file, p, 0, &problems);
  }
  return problems;
}

}  // namespace tarsil
