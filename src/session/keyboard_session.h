#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "layout/layout_file.h"
#include "profile/profile_data.h"
#include "profile/settings_file.h"
#include "session/notice.h"
#include "session/settings_merge.h"

namespace tarsil {

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
  // A missing set.ini is written whole at the first save, the exit's
  // included, so that the program leaves a complete file to look at. A tool
  // writes only what it changed.
  bool writeMissingFileWhole = true;
};

// One run over the settings: start reads the layout and set.ini in the
// program's order; while it runs, set.ini follows what the stores and the
// active profile's number hold, and the run follows outside changes of the
// file; finish commits and saves. It owns the profiles and the layout of
// the run.
//
// The saving rule: set.ini is written whenever what it holds changes (a
// commit, a switch of profiles, the programs' rules), at the end of a
// Windows session and at exit, and never over a change it has not read. A
// save writes only the profiles, the [TYPE] and the [AutoProfile] that
// differ from what the file holds, into the
// file's current content (other sections and untouched profiles keep their
// bytes), and writes nothing when nothing differs. Before writing, it
// compares the file with what it last read or wrote: an outside change is
// merged first (see mergeOutsideChange). A missing file holds the
// defaults, as it reads, and the first save writes it whole (see
// SessionOptions); one deleted while the run goes on is written again. A
// file that could not be read is not written over until it can be read.
class KeyboardSession {
 public:
  // `files` is empty when the program could not learn where it lives.
  Notices start(const std::optional<SessionFiles>& files, const SessionOptions& options = {});
  // Whether start found a usable layout; without one there is no run.
  bool running() const { return running_; }

  // After a commit or a switch of profiles: saves if what set.ini holds
  // changed. Does nothing, not even a read, when nothing changed.
  Notices save(ChangedFilePrompt& prompt);
  // The file may have changed on disk: rereads it if its content differs
  // from what the run last read or wrote, merges that, and saves what the
  // merge left to save.
  Notices followFile(ChangedFilePrompt& prompt);
  // The Windows session ends: commits the working profile and saves, as the
  // exit does, but the run goes on (the process may be ended at any time).
  Notices saveAtSessionEnd();
  // Commits the working profile into the active store and saves. Ends the run.
  Notices finish();
  // How many times the run wrote set.ini, and took in a change other
  // programs made to it.
  std::uint64_t writeCount() const { return writeCount_; }
  std::uint64_t outsideChangeCount() const { return outsideChangeCount_; }

  ProfileSet& profiles() { return profiles_; }
  const ProfileSet& profiles() const { return profiles_; }
  const MainLayout& layout() const { return layout_; }
  const SessionFiles& files() const { return files_; }
  const ini::CodePagePtr& codePage() const { return codePage_; }
  // Whether a save may write set.ini: not while a file that exists could
  // not be read.
  bool maySave() const { return maySave_; }
  // Whether start found a settings file (a missing one reads as defaults).
  bool settingsFileExists() const { return settingsExist_; }
  // Whether the settings file holds bytes that are no text in its code page
  // (they are kept as they are, and names show them as bytes).
  bool settingsHoldUndecodedBytes() const { return undecodedBytes_; }
  // The settings file as start read it (only with keepSettingsFile).
  const ini::IniDocument& settingsFile() const { return settingsFile_; }

 private:
  // Reads the file, merges an outside change, and writes what differs.
  Notices synchronize(ChangedFilePrompt& prompt);
  bool differsFromDisk() const;
  // set.ini as the options say to take it.
  ini::ReadResult readSettings() const;
  SettingsOnDisk loadFromDisk(const ini::ReadResult& read) const;

  ProfileSet profiles_;
  // What set.ini held when the run last read or wrote it.
  SettingsOnDisk onDisk_;
  // What a missing set.ini holds.
  SettingsOnDisk defaults_;
  // Why set.ini could not be read at the last look, once said.
  std::string unreadable_;
  std::uint64_t writeCount_ = 0;
  std::uint64_t outsideChangeCount_ = 0;
  MainLayout layout_;
  SessionFiles files_;
  ini::CodePagePtr codePage_;
  ini::IniDocument settingsFile_;
  bool running_ = false;
  bool maySave_ = false;
  bool undecodedBytes_ = false;
  bool settingsExist_ = false;
  bool writeMissingFileWhole_ = true;
  bool refuseTextWithoutSections_ = false;
};

}  // namespace tarsil
