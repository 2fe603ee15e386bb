#include "session/keyboard_session.h"

#include <utility>

#include "ini/ini_file.h"
#include "profile/profile_operations.h"

namespace tarsil {

namespace {

// The exit and the end of a Windows session commit the working profile
// first, so nothing is left unapplied to ask about.
struct NoQuestion final : ChangedFilePrompt {
  bool keepUnappliedEdits(std::int32_t) override { return true; }
};

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
    notices.push_back(errorNotice(
        "Failed to get the saved file path! Windows did not say where the program is, so "
        "neither the layout nor the settings can be found."));
    return notices;
  }
  files_ = *files;
  codePage_ = options.codePage;
  writeMissingFileWhole_ = options.writeMissingFileWhole;
  refuseTextWithoutSections_ = options.refuseTextWithoutSections;

  // The layout first: the settings name their keys by the layout's key codes.
  const ini::ReadResult layoutFile = ini::readIniFile(files_.layout, layoutReadOptions());
  if (!layoutFile.status.ok()) {
    notices.push_back(errorNotice(layoutFile.status.error + "."));
    return notices;
  }
  if (!layoutFile.exists) {
    notices.push_back(errorNotice("Cannot read the layout " + ini::pathText(files_.layout) +
                                  ": the file does not exist."));
    return notices;
  }
  layout_ = readMainLayout(layoutFile.document);
  const std::string problem =
      layoutFile.utf16WithoutByteOrderMark
          ? "it is UTF-16 text without its byte-order mark, which Windows reads as 8-bit text; "
            "save it as UTF-16 with a byte-order mark, or as UTF-8"
          : mainLayoutProblem(layoutFile.document, layout_);
  if (!problem.empty()) {
    notices.push_back(errorNotice("Cannot use " + ini::pathText(files_.layout) +
                                  " as the keyboard's layout: " + problem + "."));
    return notices;
  }

  ini::ReadResult settings = readSettings();
  if (!settings.status.ok()) {
    if (options.unreadableSettings == UnreadableSettings::kStop) {
      notices.push_back(errorNotice(settings.status.error));
      return notices;
    }
    // The defaults run, and the file is left for the user to look at.
    notices.push_back(warningNotice(settings.status.error +
                                    ". The program runs with the default settings and leaves the "
                                    "file as it is."));
    unreadable_ = settings.status.error;
    loadSettings(profiles_, layout_, ini::IniDocument());
  } else {
    if (options.noteContent) {
      for (std::string& note : settings.status.notes) {
        notices.push_back(warningNotice(std::move(note)));
      }
    }
    loadSettings(profiles_, layout_, settings.document);
    maySave_ = true;
    settingsExist_ = settings.exists;
    undecodedBytes_ = settings.document.holdsUndecodedBytes();
    onDisk_.exists = settings.exists;
    onDisk_.fingerprint = settings.fingerprint;
    if (options.keepSettingsFile) settingsFile_ = std::move(settings.document);
  }
  // A missing file, or one that cannot be read, holds what the defaults do.
  defaults_ = loadFromDisk(ini::ReadResult());
  defaults_.exists = false;
  onDisk_.stores = settingsExist_ ? profiles_.stores : defaults_.stores;
  onDisk_.activeProfile = settingsExist_ ? profiles_.activeProfile : defaults_.activeProfile;
  onDisk_.programRules = settingsExist_ ? profiles_.programRules : defaults_.programRules;
  profiles_.modified = false;
  running_ = true;
  return notices;
}

bool KeyboardSession::differsFromDisk() const {
  return (!onDisk_.exists && writeMissingFileWhole_) ||
         profiles_.activeProfile != onDisk_.activeProfile || profiles_.stores != onDisk_.stores ||
         profiles_.programRules != onDisk_.programRules;
}

ini::ReadResult KeyboardSession::readSettings() const {
  ini::ReadResult settings = ini::readIniFile(files_.settings, settingsReadOptions(codePage_));
  if (refuseTextWithoutSections_ && settings.status.ok() && !readsAsSettings(settings.document)) {
    settings.status.error = "Cannot read " + ini::pathText(files_.settings) +
                            ": it holds text but no [TYPE], profile or [AutoProfile] section, "
                            "so it is no settings file";
  }
  return settings;
}

SettingsOnDisk KeyboardSession::loadFromDisk(const ini::ReadResult& read) const {
  ProfileSet loaded;
  loadSettings(loaded, layout_, read.document);
  return {loaded.stores, loaded.activeProfile, true, read.fingerprint, loaded.programRules};
}

Notices KeyboardSession::save(ChangedFilePrompt& prompt) {
  if (!running_ || !differsFromDisk()) return {};
  return synchronize(prompt);
}

Notices KeyboardSession::followFile(ChangedFilePrompt& prompt) {
  if (!running_) return {};
  return synchronize(prompt);
}

Notices KeyboardSession::saveAtSessionEnd() {
  if (!running_) return {};
  CommitWorkingProfile(profiles_);
  NoQuestion noQuestion;
  return synchronize(noQuestion);
}

Notices KeyboardSession::finish() {
  Notices notices = saveAtSessionEnd();
  running_ = false;
  return notices;
}

Notices KeyboardSession::synchronize(ChangedFilePrompt& prompt) {
  Notices notices;
  ini::ReadResult read = readSettings();
  if (!read.status.ok()) {
    // Said once; the settings in use stay, and the file is not written over.
    if (read.status.error != unreadable_) {
      unreadable_ = read.status.error;
      notices.push_back(warningNotice(
          read.status.error + ". The settings in use stay, and the file is left as it is."));
    }
    maySave_ = false;
    return notices;
  }
  unreadable_.clear();
  maySave_ = true;
  if (!read.exists) {
    // Deleted: it holds the defaults now, and it is written again below;
    // the settings in use stay, as an editor keeps a document whose file
    // went.
    if (onDisk_.exists) onDisk_ = defaults_;
  } else if (!onDisk_.exists || read.fingerprint != onDisk_.fingerprint) {
    ++outsideChangeCount_;
    SettingsOnDisk theirs = loadFromDisk(read);
    notices = mergeOutsideChange(profiles_, onDisk_, theirs, prompt);
    for (std::string& note : read.status.notes) notices.push_back(warningNotice(std::move(note)));
    onDisk_ = std::move(theirs);
    undecodedBytes_ = read.document.holdsUndecodedBytes();
  }
  if (!differsFromDisk()) return notices;

  ini::IniDocument& file = read.document;
  const bool whole = !read.exists && writeMissingFileWhole_;
  for (std::int32_t p = 1; p <= kProfileCount; ++p) {
    const auto i = static_cast<std::size_t>(p - 1);
    if (whole || profiles_.stores[i] != onDisk_.stores[i]) {
      SaveProfile(profiles_, layout_.slots, file, p);
    }
  }
  if (whole || profiles_.activeProfile != onDisk_.activeProfile) {
    file.setInt(kTypeSection, kTypeKey, profiles_.activeProfile);
  }
  if (whole || profiles_.programRules != onDisk_.programRules) {
    writeProgramRules(profiles_.programRules, file);
  }
  std::uint64_t fingerprint = 0;
  const ini::FileStatus written = ini::writeIniFile(files_.settings, file, &fingerprint);
  if (!written.ok()) {
    notices.push_back(errorNotice("Your settings could not be saved. " + written.error));
    return notices;
  }
  ++writeCount_;
  onDisk_ = {profiles_.stores, profiles_.activeProfile, true, fingerprint, profiles_.programRules};
  return notices;
}

}  // namespace tarsil
