#include "ini/ini_file.h"

#include "ini/file_io.h"

namespace tarsil::ini {

std::string pathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

ReadResult readIniFile(const std::filesystem::path& path, const ReadOptions& options) {
  detail::FileBytes file = detail::readWholeFile(path);
  ReadResult result;
  result.status = std::move(file.status);
  result.exists = file.exists;
  if (result.status.ok() && file.exists) {
    result.document = IniDocument::parse(file.bytes, options.codePage);
  } else {
    result.document = IniDocument::parse("", options.codePage);
  }
  return result;
}

FileStatus writeIniFile(const std::filesystem::path& path, const IniDocument& document) {
  const std::optional<std::string> bytes = document.encodeFile();
  if (!bytes) {
    return {"Cannot write " + pathText(path) +
                ": its names are in an 8-bit code page that is not known here, and new text "
                "needs more than that code page holds; converting the file would garble the "
                "names it has",
            true};
  }
  return writeFileAtomically(path, *bytes);
}

}  // namespace tarsil::ini
