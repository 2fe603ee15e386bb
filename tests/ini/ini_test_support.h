#pragma once

#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

#include "ini/ini_document.h"

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

// A folder of its own under the system's temporary folder, removed with
// everything in it when the test ends.
class TempFolder {
 public:
  TempFolder() {
    std::random_device seed;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
      path_ = base / ("tarsil-ini-" + std::to_string(seed()));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace tarsil::ini::testing
