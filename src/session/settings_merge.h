#pragma once

#include <array>
#include <cstdint>

#include "profile/profile_data.h"
#include "session/notice.h"

namespace tarsil {

// What set.ini holds, as the loader reads it: the three profiles and the
// active profile's number. A missing file holds nothing (`exists` false)
// and reads as the defaults.
struct SettingsOnDisk {
  std::array<ProfileData, kProfileCount> stores;
  std::int32_t activeProfile = 1;
  bool exists = false;
  std::uint64_t fingerprint = 0;  // of the bytes, to tell a change from none
  ProgramRules programRules;
};

// The question set.ini changing on disk asks when the working profile
// holds edits that were never applied, and the change replaces what they
// were made on: that profile's stored settings, or which profile is active.
// The window asks the user; tests and tools answer directly.
class ChangedFilePrompt {
 public:
  virtual ~ChangedFilePrompt() = default;
  // true: keep the edits (they are applied to `profile`, over the file's
  // version of it); false: drop them and take the file's.
  virtual bool keepUnappliedEdits(std::int32_t profile) = 0;
};

// Takes an outside change of set.ini into `ours`: a three-way merge of
// each profile, of the active profile's number and of the program rules
// (as one) between `base` (what the file held when last read or written),
// `theirs` (what it holds now) and `ours`. What changed on one side only takes that side's version.
// What changed on both sides (ours was not saved, or the change came while a dialog was open) keeps
// ours, the user's last act, and a notice says which outside change was replaced. Unapplied edits
// of the working profile stay as they are unless the change replaces what they were made on; then
// `prompt` decides, before anything changes. Afterwards the working profile
// holds the active profile (with the edits, when they stay).
Notices mergeOutsideChange(ProfileSet& ours, const SettingsOnDisk& base,
                           const SettingsOnDisk& theirs, ChangedFilePrompt& prompt);

}  // namespace tarsil
