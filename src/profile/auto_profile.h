#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "profile/program_rules.h"

namespace tarsil {

// The program whose window came to the front, as far as the system would
// tell.
struct ForegroundProgram {
  // The program's path or file name; nothing when it could not be opened
  // (it then matches no rule).
  std::optional<std::u16string> path;
  // A window of this program itself: its own windows never decide a
  // profile, so the user can open the keyboard window, the Programs dialog
  // or a menu from the tray without leaving the profile of the program
  // behind them.
  bool ours = false;
};

// A switch a rule asks for.
struct RuleSwitch {
  std::int32_t profile = 1;
  // The file name of the program that came to the front when its rule
  // chose the profile; empty when the fallback did.
  std::u16string program;

  bool operator==(const RuleSwitch&) const = default;
};

// Decides which profile follows the foreground program. Only a change of
// program decides: windows of the program already in front change nothing,
// so a profile the user chose by hand holds until another program comes to
// the front. Rules and the fallback are read at each decision.
class AutoProfile {
 public:
  // The foreground window changed. Returns the switch the rules ask for, or
  // nothing when the program is the same as before, the rules leave the
  // profile as it is, or the profile is already active.
  std::optional<RuleSwitch> foregroundChanged(const ProgramRules& rules,
                                              const ForegroundProgram& foreground,
                                              std::int32_t activeProfile);

  // The rules were edited: the next foreground change decides anew, even
  // when it brings back the program that was in front before.
  void rulesChanged() { known_ = false; }

 private:
  // The upper-case file name of the last program that came to the front
  // (empty: one that could not be opened), once one has.
  std::u16string last_;
  bool known_ = false;
};

}  // namespace tarsil
