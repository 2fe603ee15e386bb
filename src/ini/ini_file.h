#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "ini/ini_document.h"

namespace tarsil::ini {

// The outcome of a file operation: empty `error` on success, else a sentence
// for the user that names the file and the reason.
struct FileStatus {
  std::string error;
  bool ok() const { return error.empty(); }
};

struct ReadResult {
  FileStatus status;
  bool exists = false;  // a missing file is no error: it reads as an empty document
  IniDocument document;
};

// A path as UTF-8 text, for the sentences above.
std::string pathText(const std::filesystem::path& path);

// Reads and parses a whole INI file.
ReadResult readIniFile(const std::filesystem::path& path);

// Replaces the file in one step: the bytes go to a temporary file beside it,
// are flushed to disk, and the temporary file is renamed over the old one.
// A failure at any point leaves the old file as it was.
FileStatus writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

inline FileStatus writeIniFile(const std::filesystem::path& path, const IniDocument& document) {
  return writeFileAtomically(path, document.serialize());
}

}  // namespace tarsil::ini
