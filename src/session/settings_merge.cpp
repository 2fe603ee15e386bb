#include "session/settings_merge.h"

#include <string>

namespace tarsil {

namespace {

std::size_t indexOf(std::int32_t profile) { return static_cast<std::size_t>(profile - 1); }

}  // namespace

Notices mergeOutsideChange(ProfileSet& ours, const SettingsOnDisk& base,
                           const SettingsOnDisk& theirs, ChangedFilePrompt& prompt) {
  Notices notices;
  std::array<bool, kProfileCount> takeTheirs{};
  for (std::int32_t p = 1; p <= kProfileCount; ++p) {
    const std::size_t i = indexOf(p);
    if (theirs.stores[i] == base.stores[i]) continue;
    if (ours.stores[i] == base.stores[i]) {
      takeTheirs[i] = true;
    } else {
      notices.push_back(warningNotice(
          "Another program changed profile " + std::to_string(p) +
          " in set.ini while it was changed here as well. The profile as set here is kept, and "
          "the other program's change to it is replaced."));
    }
  }
  std::int32_t active = ours.activeProfile;
  if (theirs.activeProfile != base.activeProfile) {
    if (ours.activeProfile == base.activeProfile) {
      active = theirs.activeProfile;
    } else if (theirs.activeProfile != ours.activeProfile) {
      notices.push_back(warningNotice(
          "Another program made profile " + std::to_string(theirs.activeProfile) +
          " active in set.ini while profile " + std::to_string(ours.activeProfile) +
          " was chosen here. Profile " + std::to_string(ours.activeProfile) + " stays active."));
    }
  }

  if (theirs.programRules != base.programRules) {
    if (ours.programRules == base.programRules) {
      ours.programRules = theirs.programRules;
    } else if (theirs.programRules != ours.programRules) {
      notices.push_back(warningNotice(
          "Another program changed the programs' profiles ([AutoProfile]) in set.ini while they "
          "were changed here as well. The programs' profiles as set here are kept."));
    }
  }

  // The question comes before anything changes: the hook plays the stores
  // meanwhile, and they stay whole.
  const std::int32_t edited = ours.activeProfile;
  bool keepEdits = false;
  if (ours.modified) {
    const bool replaced = active != edited || takeTheirs[indexOf(edited)];
    keepEdits = !replaced || prompt.keepUnappliedEdits(edited);
    if (keepEdits && replaced) {
      // Applied where they were made, as a switch of profiles that keeps them.
      ours.stores[indexOf(edited)] = ours.working;
      takeTheirs[indexOf(edited)] = false;
      ours.modified = false;
    }
  }
  for (std::size_t i = 0; i < takeTheirs.size(); ++i) {
    if (takeTheirs[i]) ours.stores[i] = theirs.stores[i];
  }
  ours.activeProfile = active;
  if (!ours.modified || !keepEdits) {
    ours.modified = false;
    ours.working = ours.stores[indexOf(active)];
  }
  return notices;
}

}  // namespace tarsil
