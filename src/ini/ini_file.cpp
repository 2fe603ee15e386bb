#include "ini/ini_file.h"

#include "ini/file_io.h"

namespace tarsil::ini {

ReadResult ReadIniFile(const std::filesystem::path& path) {
  detail::FileBytes file = detail::ReadWholeFile(path);
  ReadResult result;
  result.status = std::move(file.status);
  result.exists = file.exists;
  if (result.status.ok() && file.exists) result.document = IniDocument::Parse(file.bytes);
  return result;
}

}  // namespace tarsil::ini
