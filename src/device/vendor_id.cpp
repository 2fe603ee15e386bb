#include "device/vendor_id.h"

#include <algorithm>

namespace tarsil {
namespace {

// Interface names are compared lower-cased: "VID_" and "vid_" both occur.
constexpr char16_t lower(char16_t c) noexcept {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

constexpr int hexDigit(char16_t c) noexcept {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

std::size_t findVid(std::u16string_view name) noexcept {
  for (std::size_t i = 0; i + 3 <= name.size(); ++i) {
    if (lower(name[i]) == u'v' && lower(name[i + 1]) == u'i' && lower(name[i + 2]) == u'd') {
      return i;
    }
  }
  return std::u16string_view::npos;
}

}  // namespace

std::optional<std::uint16_t> vendorIdFromInterfaceName(std::u16string_view name) noexcept {
  const std::size_t vid = findVid(name);
  if (vid == std::u16string_view::npos) return std::nullopt;
  // "vid" and the one separator character after it, normally "_".
  const std::u16string_view rest = name.substr(std::min(vid + 4, name.size()));
  const std::size_t ampersand = rest.find(u'&');
  if (ampersand == std::u16string_view::npos) return std::nullopt;
  const std::u16string_view digits = rest.substr(0, ampersand);

  // Only the first two bytes make the vendor ID; later pairs do not matter.
  unsigned bytes[2] = {0, 0};
  for (std::size_t byte = 0; byte < 2; ++byte) {
    if (2 * byte + 2 > digits.size()) return std::nullopt;
    const int high = hexDigit(digits[2 * byte]);
    const int low = hexDigit(digits[2 * byte + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes[byte] = static_cast<unsigned>(high * 16 + low);
  }
  return static_cast<std::uint16_t>(bytes[0] * 256 + bytes[1]);
}

}  // namespace tarsil
