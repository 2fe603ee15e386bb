#include "session/keyboard_session.h"

#include <utility>

#include "ini/ini_file.h"
#include "profile/profile_operations.h"

namespace tarsil {

namespace {

Notice warning(std::string text) { return {Notice::Level::kWarning, std::move(text)}; }
Notice error(std::string text) { return {Notice::Level::kError, std::move(text)}; }

}  // namespace

SessionFiles filesBesideExecutable(const std::filesystem::path& executable) {
  const std::u16string full = executable.u16string();
  const std::size_t cut = full.find_last_of(u"\\/");
  const std::u16string folder =
      cut == std::u16string::npos ? std::u16string() : full.substr(0, cut + 1);
  return {std::filesystem::path(folder + std::u16string(kLayoutFileName)),
          std::filesystem::path(folder + std::u16string(kSettingsFileName))};
}

Notices KeyboardSession::start(const std::optional<SessionFiles>& files,
                               const SessionOptions& options) {
  *this = KeyboardSession();
  Notices notices;
  if (!files) {
    notices.push_back(
        error("Failed to get the saved file path! Windows did not say where the program is, so "
              "neither the layout nor the settings can be found."));
    return notices;
  }
  files_ = *files;
  codePage_ = options.codePage;

  // The layout first: the settings name their keys by the layout's key codes.
  const ini::ReadResult layoutFile = ini::readIniFile(files_.layout);
  if (!layoutFile.status.ok()) {
    notices.push_back(error(layoutFile.status.error));
    return notices;
  }
  if (!layoutFile.exists) {
    notices.push_back(error("Cannot read the layout " + ini::pathText(files_.layout) +
                            ": the file does not exist."));
    return notices;
  }
  layout_ = readMainLayout(layoutFile.document);
  if (const std::string problem = mainLayoutProblem(layout_); !problem.empty()) {
    notices.push_back(error("Cannot use " + ini::pathText(files_.layout) +
                            " as the keyboard's layout: " + problem + "."));
    return notices;
  }

  ini::ReadResult settings = ini::readIniFile(files_.settings, settingsReadOptions(codePage_));
  if (options.refuseTextWithoutSections && settings.status.ok() &&
      !readsAsSettings(settings.document)) {
    settings.status.error = "Cannot read " + ini::pathText(files_.settings) +
                            ": it holds text but no [TYPE], profile or [AutoProfile] section, "
                            "so it is no settings file";
  }
  if (!settings.status.ok()) {
    if (options.unreadableSettings == UnreadableSettings::kStop) {
      notices.push_back(error(settings.status.error));
      return notices;
    }
    // The defaults run, and the file is left for the user to look at.
    notices.push_back(warning(settings.status.error +
                              ". The program runs with the default settings and leaves the "
                              "file as it is."));
    loadSettings(profiles_, layout_, ini::IniDocument());
  } else {
    if (options.noteContent) {
      for (std::string& note : settings.status.notes) notices.push_back(warning(std::move(note)));
    }
    loadSettings(profiles_, layout_, settings.document);
    maySave_ = true;
    settingsExist_ = settings.exists;
    undecodedBytes_ = settings.document.holdsUndecodedBytes();
    if (options.keepSettingsFile) settingsFile_ = std::move(settings.document);
  }
  profiles_.modified = false;
  running_ = true;
  return notices;
}

Notices KeyboardSession::finish(SaveScope scope) {
  Notices notices;
  if (!running_) return notices;
  running_ = false;
  CommitWorkingProfile(profiles_);
  if (!maySave_) return notices;
  const ini::FileStatus saved =
      saveSettings(profiles_, layout_.slots, files_.settings, scope, codePage_);
  if (!saved.ok()) notices.push_back(error("Your settings could not be saved. " + saved.error));
  return notices;
}

}  // namespace tarsil
