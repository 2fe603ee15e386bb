#pragma once

#include <string>

#include "layout/key_slot.h"
#include "profile/profile_data.h"
#include "profile/translation_rules.h"

namespace tarsil {

// The question a profile switch asks when the working profile holds changes
// that were never applied. The window answers it with a message box; tests
// and tools answer it directly.
class SavePrompt {
 public:
  virtual ~SavePrompt() = default;
  // true: keep the changes in the profile being left; false: discard them.
  virtual bool confirmSaveChanges() = 0;
};

// Apply: the working profile becomes the active store, so the hook plays it.
void CommitWorkingProfile(ProfileSet& profiles);

// Makes profile n (1..3) active and loads its store into the working profile.
// Unapplied changes are offered to the prompt only when n differs from the
// active profile; switching to the active profile reverts to its store.
void SwitchProfile(ProfileSet& profiles, std::int32_t n, SavePrompt& prompt);

// Every key back to itself, no macros, nothing assigned; committed at once.
// The caller has already asked the user.
void RestoreDefaults(ProfileSet& profiles, const KeySlotTable& slots);

// What the key settings dialog hands back on OK.
struct KeyEditResult {
  std::u16string name;
  std::int32_t kind = KindSingleKey;
  std::int32_t macroIndex = 0;
  MacroEditCopies macros;
};

// Records the dialog's result for assignable slot `slot` (1..104) and
// commits. The dialog has already written the key's own translation entry.
void recordKeyEdit(ProfileSet& profiles, const KeySlotTable& slots, int slot, KeyEditResult result);

// Records the macro editor's result; nothing is committed until Apply.
void recordMacroEditorResult(ProfileSet& profiles, const KeySlotTable& slots,
                             MacroEditCopies copies);

}  // namespace tarsil
