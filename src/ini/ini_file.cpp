#include "ini/ini_file.h"

#include "ini/file_io.h"

namespace tarsil::ini {

std::string pathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

ReadResult readIniFile(const std::filesystem::path& path) {
  detail::FileBytes file = detail::readWholeFile(path);
  ReadResult result;
  result.status = std::move(file.status);
  result.exists = file.exists;
  if (result.status.ok() && file.exists) result.document = IniDocument::parse(file.bytes);
  return result;
}

}  // namespace tarsil::ini
