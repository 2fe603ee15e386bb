#include "profile/profile_operations.h"

#include <algorithm>
#include <utility>

namespace tarsil {

namespace {

void takeMacroCopies(ProfileData& working, MacroEditCopies&& copies) {
  working.macroBindings = std::move(copies.macroBindings);
  working.macroNames = std::move(copies.macroNames);
  working.macroSteps = std::move(copies.macroSteps);
  working.macroTimings = std::move(copies.macroTimings);
  normalizeTimings(working.macroTimings, working.macroSteps);
  buildMacroActions(working);
}

}  // namespace

void CommitWorkingProfile(ProfileSet& profiles) {
  if (ProfileData* store = profiles.store(profiles.activeProfile)) *store = profiles.working;
  profiles.modified = false;
}

void SwitchProfile(ProfileSet& profiles, std::int32_t n, SavePrompt& prompt) {
  ProfileData* target = profiles.store(n);
  if (target == nullptr) return;
  if (n != profiles.activeProfile && profiles.modified) {
    if (prompt.confirmSaveChanges()) {
      if (ProfileData* old = profiles.store(profiles.activeProfile)) *old = profiles.working;
    }
    profiles.modified = false;
  }
  profiles.activeProfile = n;
  profiles.working = *target;
}

void RestoreDefaults(ProfileSet& profiles, const KeySlotTable& slots) {
  ProfileData& working = profiles.working;
  addIdentityEntries(working.translation, true);
  working.assigned.clear();
  for (std::size_t i = 0; i < working.keys.size(); ++i) {
    working.keys[i] = KeyAssignment{slots[i].caption, KindSingleKey, 0};
  }
  working.macroBindings.clear();
  working.macroNames.clear();
  working.macroSteps.clear();
  working.macroTimings.clear();
  working.actions.clear();
  profiles.modified = true;
  CommitWorkingProfile(profiles);
}

void recordKeyEdit(ProfileSet& profiles, const KeySlotTable& slots, int slot,
                   KeyEditResult result) {
  if (slot < 1 || slot > kLastAssignableSlot) return;
  ProfileData& working = profiles.working;
  const std::size_t index = KeySlotTable::indexOf(slot);
  const std::u16string& caption = slots[index].caption;
  const auto listIndex = static_cast<std::int32_t>(index);
  if (result.name == caption || result.name.empty()) {
    removeAssigned(working.assigned, listIndex);
    result.name = caption;
  } else if (std::find(working.assigned.begin(), working.assigned.end(), listIndex) ==
             working.assigned.end()) {
    working.assigned.push_back(listIndex);
  }
  working.keys[index] = KeyAssignment{std::move(result.name), result.kind, result.macroIndex};
  setKeyAction(working, slots[index].vk, working.keys[index]);
  profiles.modified = true;
  rebindMacroKeys(working, slots, result.macros, RebindPath::kKeyDialog);
  takeMacroCopies(working, std::move(result.macros));
  CommitWorkingProfile(profiles);
}

void recordMacroEditorResult(ProfileSet& profiles, const KeySlotTable& slots,
                             MacroEditCopies copies) {
  profiles.modified = true;
  rebindMacroKeys(profiles.working, slots, copies, RebindPath::kMacroEditor);
  takeMacroCopies(profiles.working, std::move(copies));
}

}  // namespace tarsil
