#include "profile/settings_keys.h"

#include <charconv>

#include "ini/ini_document.h"

namespace tarsil {

std::u16string numberedName(std::u16string_view pattern, std::int64_t n) {
  std::u16string name(pattern);
  name += ini::formatInt(static_cast<std::int32_t>(n));
  return name;
}

std::u16string_view NumberedName::operator()(std::u16string_view pattern, std::int64_t n) {
  // The patterns are this file's constants: they leave room for any number.
  const std::size_t length = std::min(pattern.size(), text_.size() - 12);
  std::copy_n(pattern.begin(), length, text_.begin());
  char digits[12];
  const auto end = std::to_chars(digits, digits + sizeof digits, static_cast<std::int32_t>(n)).ptr;
  std::copy(digits, end, text_.begin() + static_cast<std::ptrdiff_t>(length));
  return {text_.data(), length + static_cast<std::size_t>(end - digits)};
}

std::u16string profileSectionName(std::int32_t profile) {
  return numberedName(kProfileSectionPrefix, profile);
}

}  // namespace tarsil
