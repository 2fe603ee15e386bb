#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "profile/profile_data.h"

namespace tarsil {

// One step as a player sends it: the key, press or release, and the
// milliseconds to wait before it (0..kMaxStepDelayMs).
struct TimedStep {
  KeyCode vk = 0;
  bool down = false;
  std::int32_t delayMs = 0;

  bool operator==(const TimedStep&) const = default;
};

struct TimedMacro {
  MacroMode mode = MacroMode::kChord;
  std::vector<TimedStep> steps;

  bool operator==(const TimedMacro&) const = default;
};

// A macro's complete steps with their delays (a trailing partial step is
// dropped; a delay out of range is held to 0..kMaxStepDelayMs).
TimedMacro timedMacro(const MacroStepList& steps, const MacroTiming& timing);

// What a macro player plays: the macros of the three profile stores, by
// profile and macro index. It is a copy, made on the thread that owns the
// stores and handed over whole, so the player never reads what is being
// edited.
struct MacroLibrary {
  std::array<std::vector<TimedMacro>, kProfileCount> profiles;

  // Macro `index` of profile 1..3, or null.
  const TimedMacro* find(std::int32_t profile, std::int32_t index) const noexcept {
    if (!isProfileNumber(profile) || index < 0) return nullptr;
    const auto& macros = profiles[static_cast<std::size_t>(profile - 1)];
    return static_cast<std::size_t>(index) < macros.size()
               ? &macros[static_cast<std::size_t>(index)]
               : nullptr;
  }
};

MacroLibrary buildMacroLibrary(const ProfileSet& profiles);

// Tells when what a player plays has changed: the stores' macros, their
// timings, the keys that play them, or the active profile. Each answer is
// measured against the state the previous call saw, so a caller can ask
// after every message it handles; a change means the playing macros stop
// and a new library is made.
class MacroLibraryWatch {
 public:
  bool changed(const ProfileSet& profiles);

 private:
  struct Seen {
    std::vector<MacroStepList> steps;
    MacroTimings timings;
    KeyActionTable actions;
  };
  std::array<Seen, kProfileCount> seen_;
  std::int32_t activeProfile_ = 0;
  bool first_ = true;
};

}  // namespace tarsil
