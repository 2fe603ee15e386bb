#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "layout/layout_file.h"
#include "profile/profile_data.h"
#include "profile/settings_file.h"

namespace tarsil {

// A sentence for people about what a start or a finish did or could not do.
// The window shows notices in a message box, tarsilctl prints them; each
// happening is told once, in the order it happened.
struct Notice {
  enum class Level : std::uint8_t { kWarning, kError };
  Level level = Level::kWarning;
  std::string text;

  bool operator==(const Notice&) const = default;
};
using Notices = std::vector<Notice>;

inline constexpr std::u16string_view kLayoutFileName = u"Main.ini";
inline constexpr std::u16string_view kSettingsFileName = u"set.ini";

// Where a run finds the layout ("Main.ini") and the settings ("set.ini").
struct SessionFiles {
  std::filesystem::path layout;
  std::filesystem::path settings;
};

// The program's own places: both files beside the executable. Everything
// after the last separator of the executable's path is replaced, '\' or '/'
// alike, since the path comes from Windows.
SessionFiles filesBesideExecutable(const std::filesystem::path& executable);

// How a run treats a settings file it cannot read.
enum class UnreadableSettings : std::uint8_t {
  kRunWithDefaults,  // the program: defaults, and the file is never overwritten
  kStop,             // a tool: nothing to work on
};

struct SessionOptions {
  UnreadableSettings unreadableSettings = UnreadableSettings::kRunWithDefaults;
  // Keeps the settings file as it was read, for a check of its content.
  bool keepSettingsFile = false;
  // Tells what is odd about the settings file's content (a byte order mark
  // that hides its first section); a check reports that itself.
  bool noteContent = true;
  // Takes a settings file with text but no section the program reads
  // (random bytes, a text file a link points at) for one it cannot read,
  // as readsAsSettings says, rather than for the defaults; an empty file
  // still reads as the defaults.
  bool refuseTextWithoutSections = false;
  // The code page of 8-bit settings files; null: the system's.
  ini::CodePagePtr codePage;
};

// One run over the settings: start reads the layout and set.ini in the
// program's order, finish commits and saves. It owns the profiles and the
// layout of the run, and decides whether the save at the end may overwrite
// the file.
class KeyboardSession {
 public:
  // `files` is empty when the program could not learn where it lives.
  Notices start(const std::optional<SessionFiles>& files, const SessionOptions& options = {});
  // Whether start found a usable layout; without one there is no run.
  bool running() const { return running_; }

  // Commits the working profile into the active store and saves the scope's
  // profiles and [TYPE], unless the file could not be read at start (that
  // was said then). Ends the run.
  Notices finish(SaveScope scope = SaveScope::kAllProfiles);

  ProfileSet& profiles() { return profiles_; }
  const ProfileSet& profiles() const { return profiles_; }
  const MainLayout& layout() const { return layout_; }
  const SessionFiles& files() const { return files_; }
  const ini::CodePagePtr& codePage() const { return codePage_; }
  bool maySave() const { return maySave_; }
  // Whether start found a settings file (a missing one reads as defaults).
  bool settingsFileExists() const { return settingsExist_; }
  // Whether the settings file holds bytes that are no text in its code page
  // (they are kept as they are, and names show them as bytes).
  bool settingsHoldUndecodedBytes() const { return undecodedBytes_; }
  // The settings file as start read it (only with keepSettingsFile).
  const ini::IniDocument& settingsFile() const { return settingsFile_; }

 private:
  ProfileSet profiles_;
  MainLayout layout_;
  SessionFiles files_;
  ini::CodePagePtr codePage_;
  ini::IniDocument settingsFile_;
  bool running_ = false;
  bool maySave_ = false;
  bool undecodedBytes_ = false;
  bool settingsExist_ = false;
};

}  // namespace tarsil
