#include "profile/settings_keys.h"

#include "ini/ini_document.h"

namespace tarsil {

std::u16string numberedName(std::u16string_view pattern, std::int64_t n) {
  std::u16string name(pattern);
  name += ini::formatInt(static_cast<std::int32_t>(n));
  return name;
}

std::u16string profileSectionName(std::int32_t profile) {
  return numberedName(kProfileSectionPrefix, profile);
}

}  // namespace tarsil
