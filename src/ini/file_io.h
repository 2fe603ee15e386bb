#pragma once

#include <filesystem>
#include <string>

#include "ini/ini_file.h"

// The platform's part of reading a file. Internal to src/ini.
namespace tarsil::ini::detail {

struct FileBytes {
  FileStatus status;
  bool exists = false;
  std::string bytes;
};

// The whole file. A missing file, or a missing folder on its path, is no
// error: exists stays false.
FileBytes readWholeFile(const std::filesystem::path& path);

}  // namespace tarsil::ini::detail
