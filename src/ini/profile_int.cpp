#include <algorithm>
#include <charconv>
#include <cstdint>

#include "ini/ini_document.h"

namespace tarsil::ini {

namespace {

// Digits in `base` from the start of `text`, accumulated modulo 2^32 as the
// system's readers do: "4294967297" reads as 1.
std::uint32_t accumulateDigits(std::u16string_view text, std::uint32_t base) {
  std::uint32_t total = 0;
  for (const char16_t c : text) {
    std::uint32_t digit = 0;
    if (c >= u'0' && c <= u'9') {
      digit = static_cast<std::uint32_t>(c - u'0');
    } else if (c >= u'A' && c <= u'Z') {
      digit = static_cast<std::uint32_t>(c - u'A' + 10);
    } else if (c >= u'a' && c <= u'z') {
      digit = static_cast<std::uint32_t>(c - u'a' + 10);
    } else {
      break;
    }
    if (digit >= base) break;
    total = total * base + digit;
  }
  return total;
}

// Takes a leading '+' or '-' off `text`; true for '-'.
bool takeSign(std::u16string_view& text) {
  if (text.empty() || (text.front() != u'+' && text.front() != u'-')) return false;
  const bool negative = text.front() == u'-';
  text.remove_prefix(1);
  return negative;
}

std::int32_t toSigned(std::uint32_t magnitude, bool negative) {
  return static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
}

}  // namespace

std::int32_t parseProfileInt(std::u16string_view text) {
  while (!text.empty() &&
         (text.front() == u' ' || (text.front() >= u'\t' && text.front() <= u'\r'))) {
    text.remove_prefix(1);
  }
  const bool negative = takeSign(text);
  // The C runtime saturates: past the 32-bit range the value stays at its limit.
  constexpr std::int64_t kBeyond = std::int64_t{1} << 32;
  std::int64_t magnitude = 0;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9') break;
    magnitude = std::min(magnitude * 10 + (c - u'0'), kBeyond);
  }
  if (negative) {
    return static_cast<std::int32_t>(std::max(-magnitude, std::int64_t{INT32_MIN}));
  }
  return static_cast<std::int32_t>(std::min(magnitude, std::int64_t{INT32_MAX}));
}

std::int32_t parseProfileIntValue(std::u16string_view text) {
  while (!text.empty() && text.front() <= u' ') text.remove_prefix(1);
  const bool negative = takeSign(text);
  std::uint32_t base = 10;
  if (text.size() >= 2 && text[0] == u'0') {
    switch (text[1]) {
      case u'x':
        base = 16;
        break;
      case u'o':
        base = 8;
        break;
      case u'b':
        base = 2;
        break;
      default:
        break;
    }
    if (base != 10) text.remove_prefix(2);
  }
  return toSigned(accumulateDigits(text, base), negative);
}

std::u16string formatInt(std::int32_t value) {
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return widen(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
}

std::u16string widen(std::string_view ascii) {
  std::u16string wide(ascii.size(), u'\0');
  for (std::size_t i = 0; i < ascii.size(); ++i) {
    wide[i] = static_cast<unsigned char>(ascii[i]);
  }
  return wide;
}

}  // namespace tarsil::ini
