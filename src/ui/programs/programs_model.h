#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "profile/program_rules.h"
#include "ui/controls/bit_button_state.h"

namespace tarsil {

// The Programs dialog's skin buttons and its list, by the entry of
// "Programs.ini" that places each.
enum ProgramsEntry : int {
  kProgramsOkButton = 1,
  kProgramsCancelButton = 2,
  kAddProgramButton = 3,
  kRemoveProgramButton = 4,
  kRuleProfile1Button = 5,      // ..7: the selected rule's profile
  kFallbackStayButton = 8,      // "stay on the current profile"
  kFallbackProfile1Button = 9,  // ..11: profile 1..3 when no rule matches
  kProgramListEntry = 12,
};
inline constexpr int kLastProgramsButton = 11;
inline constexpr int kProgramsEntryCount = 12;

// A window of a running program, as the list of programs to add shows it.
struct RunningProgram {
  std::u16string title;  // the window's title
  std::u16string path;   // the program's path

  bool operator==(const RunningProgram&) const = default;
};

// What Add offers from the programs running now: one entry per program (the
// first of its titled windows), none for this program or for a program that
// has a rule already, sorted by title with case aside, at most
// kMaxProgramChoices of them.
inline constexpr std::size_t kMaxProgramChoices = 40;
std::vector<RunningProgram> programChoices(const std::vector<RunningProgram>& windows,
                                           const ProgramRules& rules, std::u16string_view ownPath);

// A choice as its menu item reads: "Untitled - Notepad (notepad.exe)"; a
// long title is cut with "...".
std::u16string choiceText(const RunningProgram& program);

// The Programs dialog's behaviour: a copy of the rules it edits, which rule
// is selected, what its buttons show, and what OK hands back.
class ProgramsModel {
 public:
  ProgramsModel();

  // A run starts on a copy of `rules`; a program added now gets
  // `activeProfile`, the profile the user is likely setting it up for.
  void open(ProgramRules rules, std::int32_t activeProfile);

  // The row selected in the list, or -1.
  void select(int row);
  // Adds a rule for the program at `path` (its file name is what counts)
  // and selects it; a program that has a rule already has that rule
  // selected instead. Returns false, adding nothing, when the path names no
  // file or the list is full.
  bool add(std::u16string_view path);
  // Removes the selected rule; the row below it (or above, at the end) is
  // selected next.
  void remove();
  // One of the selected rule's three profile buttons, or of the four
  // fallback buttons, was clicked (its own look is already set).
  void chooseRuleProfile(std::int32_t profile);
  void chooseFallback(std::int32_t fallback);

  const ProgramRules& rules() const { return rules_; }
  int selected() const { return selected_; }
  bool ruleButtonsEnabled() const { return selected_ >= 0; }
  // The list's second column: "Profile 2".
  std::u16string profileText(int row) const;
  BitButtonState& button(int entry) { return buttons_[static_cast<std::size_t>(entry)]; }
  const BitButtonState& button(int entry) const {
    return buttons_[static_cast<std::size_t>(entry)];
  }

 private:
  // The toggle buttons show the selected rule's profile and the fallback.
  void showChoices();

  ProgramRules rules_;
  std::int32_t newRuleProfile_ = 1;
  int selected_ = -1;
  std::array<BitButtonState, kLastProgramsButton + 1> buttons_;  // by entry
};

}  // namespace tarsil
