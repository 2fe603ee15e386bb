#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "layout/layout_file.h"
#include "profile/key_types.h"
#include "profile/profile_data.h"

namespace tarsil {

// The editing and window shortcuts a key can be given, and after them the
// profile keys. The settings dialog's function list shows the same names in
// the same order, so a list position and a row number name the same
// function.
struct FunctionKeyRow {
  std::u16string_view name;
  std::array<KeyCode, 3> keys;
  std::size_t count;
  // A profile key sends no strokes: its press switches the profile.
  KeyAction action{};

  KeyList strokes() const { return KeyList(keys.begin(), keys.begin() + static_cast<long>(count)); }
};
inline constexpr int kFunctionKeyCount = 17;
extern const std::array<FunctionKeyRow, kFunctionKeyCount> kFunctionKeys;

// The row whose name equals `name` exactly (with case), if any.
const FunctionKeyRow* findFunctionKey(std::u16string_view name);

// What a key's assignment does besides its translation entry: a profile key
// switches profiles. kNone for every other assignment.
KeyAction assignmentAction(const KeyAssignment& record);

// Gives key `v` of the working profile the action of `record`, or none.
void setKeyAction(ProfileData& working, KeyCode v, const KeyAssignment& record);

// The profile a profile key makes active while `activeProfile` is: its own
// number, or for "Next Profile" the one after, from 3 back to 1.
std::int32_t profileKeyTarget(const KeyAction& action, std::int32_t activeProfile);

// The keys a macro presses: the vk of every step whose `down` is 1, in order,
// at most kMaxEntryCodes of them (what the hook plays of a longer macro). A
// trailing partial step is ignored.
KeyList macroPressCodes(const MacroStepList& steps);
// How many presses the macro holds, beyond that limit too.
std::size_t countPresses(const MacroStepList& steps);

// The translation entry of one key slot while a profile loads. `singleKey`
// is the stored "Key" value the single-key kind plays; a macro index must
// already have been checked against the macro list by the caller.
void BuildEntry(ProfileData& working, KeyCode v, const KeyAssignment& record, KeyCode singleKey,
                const MediaKeyTable& media);

// The actions of the keys bound to macros that play with their own timing
// (every mode but the chord): each such key plays its macro, and no other
// key keeps a macro action. Actions of other kinds stay as they are. Run
// whenever bindings or timings change.
void buildMacroActions(ProfileData& working);

// The macro data the settings dialog edits on copies of the working profile.
struct MacroEditCopies {
  MacroBindings macroBindings;
  std::vector<std::u16string> macroNames;
  std::vector<MacroStepList> macroSteps;
  MacroTimings macroTimings{};  // parallel to macroSteps; see timingOf
};

// Which dialog closed: it decides what happens to a key whose binding is gone.
enum class RebindPath { kKeyDialog, kMacroEditor };

// Carries macro edits and deletions over to the keys bound to macros, before
// the copies replace the working macro data. A binding to a macro that no
// longer exists is treated like a removed one and dropped from the copies, so
// it can never reach past the lists, now or at a later re-binding.
void rebindMacroKeys(ProfileData& working, const KeySlotTable& slots, MacroEditCopies& copies,
                     RebindPath path);

}  // namespace tarsil
