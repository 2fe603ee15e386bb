#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ini/ini_document.h"
#include "support/temp_folder.h"

namespace tarsil::ini::testing {

inline IniDocument docOf(std::string_view bytes) { return IniDocument::parse(bytes); }

// The first value of a one-section document "[S]\r\n<line>".
inline std::optional<std::u16string> valueOfLine(std::string_view line, std::u16string_view key) {
  return docOf("[S]\r\n" + std::string(line) + "\r\n").find(u"S", key);
}

// The UTF-16LE bytes of `text`, with BOM.
inline std::string utf16File(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

using tarsil::testing::TempFolder;

}  // namespace tarsil::ini::testing
