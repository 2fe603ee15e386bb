#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "layout/key_slot.h"
#include "profile/key_types.h"
#include "profile/macro_timing.h"
#include "profile/program_rules.h"

namespace tarsil {

// What a key does. The settings dialog's four kind buttons are in this order;
// the dialog alone also knows KindMacroEditor, its macro-editor-only mode.
enum AssignmentKind : std::int32_t {
  KindSingleKey = 0,
  KindMacro = 1,
  KindMultimedia = 2,
  KindFunctionKey = 3,
  KindMacroEditor = 4,
};

// An unassigned key is a single-key assignment to itself, named by its caption.
struct KeyAssignment {
  std::u16string name;
  std::int32_t kind = KindSingleKey;
  std::int32_t macroIndex = 0;  // meaningful for KindMacro, kept for every kind

  bool operator==(const KeyAssignment&) const = default;
};

// A macro's steps are one flat list read three at a time:
// {keyNameCode, vk, down}. keyNameCode is the scan code << 16 plus the hook's
// flag byte << 24, so a release step (key-up bit 31) is negative.
using MacroStepList = std::vector<std::int32_t>;
inline constexpr std::size_t kMacroStepWidth = 3;

// Everything that belongs to one profile. Copying one into another replaces
// all members with deep copies.
struct ProfileData {
  TranslationTable translation;
  // Built beside the translation table from the same assignments; never
  // stored in the settings file as such.
  KeyActionTable actions;
  std::vector<std::int32_t> assigned;  // 0-based slot indices of keys shown as assigned
  MacroBindings macroBindings;
  std::vector<std::u16string> macroNames;
  std::vector<MacroStepList> macroSteps;  // parallel to macroNames
  MacroTimings macroTimings;              // parallel to macroSteps; see timingOf
  SlotArray<KeyAssignment> keys;

  bool operator==(const ProfileData&) const = default;
};

inline constexpr std::int32_t kProfileCount = 3;

inline bool isProfileNumber(std::int32_t n) { return n >= 1 && n <= kProfileCount; }

// The working profile the user edits, the three committed stores the hook
// plays from, which store is active, and which profile follows which
// program to the front.
struct ProfileSet {
  ProfileData working;
  std::array<ProfileData, kProfileCount> stores;
  std::int32_t activeProfile = 1;
  bool modified = false;
  ProgramRules programRules;

  // Every table starts with the identity entries 1..254.
  ProfileSet();

  // The store of profile n, or nullptr when n is no profile number.
  ProfileData* store(std::int32_t n);
  const ProfileData* store(std::int32_t n) const;
};

// Writes v -> {v} for 1..254; `overwrite` decides whether existing entries change.
void addIdentityEntries(TranslationTable& table, bool overwrite);

// The canonical form of a profile's timings, so that equal timings compare
// equal however they were made: per macro one delay for each of its steps,
// or none where all are 0; no entry beyond the macro list, and none at all
// when no macro is timed.
void normalizeTimings(MacroTimings& timings, const std::vector<MacroStepList>& steps);

// Removes every occurrence of a slot index from an assigned-key list.
void removeAssigned(std::vector<std::int32_t>& assigned, std::int32_t index);

}  // namespace tarsil
