#include "session/user_files.h"

#include <system_error>

namespace tarsil {

namespace {

constexpr const char* kFolderName = "tarsil";

bool isFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::optional<std::filesystem::path> userConfigFolder(const UserPlaces& places) {
  if (places.xdgConfigHome && std::filesystem::path(*places.xdgConfigHome).is_absolute()) {
    return std::filesystem::path(*places.xdgConfigHome) / kFolderName;
  }
  if (places.home && !places.home->empty()) {
    return std::filesystem::path(*places.home) / ".config" / kFolderName;
  }
  return std::nullopt;
}

std::optional<std::filesystem::path> userRuntimeFolder(const UserPlaces& places) {
  if (!places.xdgRuntimeDir || !std::filesystem::path(*places.xdgRuntimeDir).is_absolute()) {
    return std::nullopt;
  }
  return std::filesystem::path(*places.xdgRuntimeDir) / kFolderName;
}

std::vector<std::filesystem::path> shippedLayouts(const std::filesystem::path& executable) {
  const std::filesystem::path folder = executable.parent_path();
  const std::filesystem::path layoutName(kLayoutFileName);
  return {folder.parent_path() / "share" / kFolderName / layoutName, folder / layoutName};
}

std::filesystem::path shippedDataFolder(const std::filesystem::path& executable) {
  const std::filesystem::path folder = executable.parent_path();
  const std::filesystem::path installed = folder.parent_path() / "share" / kFolderName;
  for (const std::filesystem::path& candidate : {installed, folder}) {
    std::error_code error;
    if (std::filesystem::is_directory(candidate / "skin", error)) return candidate;
  }
  return installed;
}

std::optional<SessionFiles> userSessionFiles(const UserPlaces& places, std::string& error) {
  SessionFiles files;
  if (places.settings) {
    files.settings = *places.settings;
  } else if (const auto folder = userConfigFolder(places)) {
    files.settings = *folder / std::filesystem::path(kSettingsFileName);
  } else {
    error =
        "Neither XDG_CONFIG_HOME nor HOME is set, so there is no configuration folder to find "
        "set.ini in: name the settings file with --settings.";
    return std::nullopt;
  }
  if (places.layout) {
    files.layout = *places.layout;
    return files;
  }
  std::vector<std::filesystem::path> tried{files.settings.parent_path() /
                                           std::filesystem::path(kLayoutFileName)};
  for (std::filesystem::path& shipped : shippedLayouts(places.executable)) {
    tried.push_back(std::move(shipped));
  }
  for (const std::filesystem::path& layout : tried) {
    if (isFile(layout)) {
      files.layout = layout;
      return files;
    }
  }
  error = "No keyboard layout (Main.ini) found; looked for";
  for (std::size_t i = 0; i < tried.size(); ++i) {
    error += (i == 0 ? " " : i + 1 == tried.size() ? " and " : ", ") + tried[i].string();
  }
  error += ". Name one with --layout.";
  return std::nullopt;
}

}  // namespace tarsil
