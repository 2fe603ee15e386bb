#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "profile/translation_rules.h"
#include "ui/settings/key_capture.h"

namespace tarsil {

// The question before a macro that keys still play is deleted.
class MacroDeletePrompt {
 public:
  virtual ~MacroDeletePrompt() = default;
  // true: delete it, and those keys go back to typing themselves.
  virtual bool confirmDeleteBoundMacro() = 0;
};

enum class StepMove : std::uint8_t { kFirst, kPrevious, kNext, kLast };

// How a step list that shows `shown` comes to show `steps`: whole steps only
// (the numbers of a step cut short are never played), and the rows from the
// top whose steps stay are kept, so that a recorded step adds one row
// however long the macro already is.
struct StepRows {
  std::span<const std::int32_t> steps;  // the whole steps to show
  std::size_t rows = 0;                 // one a step
  std::size_t kept = 0;                 // rows that stay as they are shown
};
StepRows stepRows(std::span<const std::int32_t> steps, std::span<const std::int32_t> shown);

// The macro controls of the key settings dialog: the macro list (entries,
// the chosen one, the text of its edit field) and the step list of the
// macro shown. Every edit works on the dialog's copies of the macros.
//
// The list's entries are the names as they were when it was last filled: a
// name typed into the edit field renames the macro at once, and the entry
// follows when the list is filled again, as when it loses the focus.
class MacroEditor {
 public:
  MacroEditor(MacroEditCopies& macros, std::int32_t& macroIndex, std::int32_t& nameCounter)
      : macros_(macros), macroIndex_(macroIndex), nameCounter_(nameCounter) {}

  // The entries become the names, and the current macro is chosen again.
  void refill();
  // The user picked an entry.
  void choose(int entry);
  // The steps of the chosen macro, or none when nothing is chosen.
  void showChosen();
  // The edit field's text changed: it is the current macro's name.
  void rename(std::u16string text);
  // A new macro "define<n>", chosen, with no steps.
  void add();
  // Deletes the chosen macro. Keys that play it go back to themselves (after
  // the question); keys that play a later macro keep playing it.
  void remove(MacroDeletePrompt& prompt);
  void deleteStep();
  void clearSteps();
  void moveStepSelection(StepMove move);
  void selectStep(int row);
  // A recorded step, appended to the chosen macro with its delay.
  void appendStep(const RecordedStep& step);

  // Timing of the chosen macro. Every change works on its delays while the
  // steps stay as they are; the step list's third column shows them.
  std::int32_t stepDelay(int row) const;
  MacroMode mode() const;
  void setMode(MacroMode mode);
  // The delay field shows the selected step's delay (nothing when no step
  // is selected). What the user types there is that step's delay: digits
  // only, a number beyond kMaxStepDelayMs becomes that limit, an empty
  // field is 0, and anything else puts the step's delay back in the field.
  const std::u16string& delayText() const { return delayText_; }
  bool delayEditable() const { return selectedStep_ >= 0; }
  void typeDelay(std::u16string text);
  // The "same delay for all steps" field, and its button, which gives every
  // step of the chosen macro that delay (held to 0..kMaxStepDelayMs). A
  // field that holds no number changes nothing.
  const std::u16string& allDelaysText() const { return allDelaysText_; }
  void typeAllDelays(std::u16string text) { allDelaysText_ = std::move(text); }
  void applyDelayToAll();
  // Every step of the chosen macro without delay.
  void clearDelays();
  // The timing controls work while there is a macro to time.
  bool timingEnabled() const { return isMacro(chosen_) && chosen_ == shown_; }
  // An empty list, nothing chosen and nothing shown, as when the dialog opens.
  void reset();

  const std::vector<std::u16string>& entries() const { return entries_; }
  int chosen() const { return chosen_; }
  const std::u16string& editText() const { return editText_; }
  // The shown macro's steps, three integers each: key-name code, code, down.
  std::span<const std::int32_t> steps() const;
  int stepCount() const { return static_cast<int>(steps().size() / kMacroStepWidth); }
  int selectedStep() const { return selectedStep_; }
  // The step buttons work while there is a macro to work on.
  bool stepButtonsEnabled() const { return !entries_.empty(); }
  // Counts every change of the entries, so a view refills its list only then.
  unsigned entriesRevision() const { return entriesRevision_; }

 private:
  bool isMacro(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < macros_.macroSteps.size();
  }
  void setEntries(std::vector<std::u16string> entries);
  void choose(int entry, bool show);
  // The chosen macro's timing, made when it has none yet; its delays hold
  // one entry per step.
  MacroTiming& chosenTiming();
  // The delay field shows the selected step's delay again.
  void showSelectedDelay();

  MacroEditCopies& macros_;
  std::int32_t& macroIndex_;
  std::int32_t& nameCounter_;
  std::vector<std::u16string> entries_;
  unsigned entriesRevision_ = 0;
  int chosen_ = -1;
  std::u16string editText_;
  int shown_ = -1;  // the macro whose steps the step list shows
  int selectedStep_ = -1;
  std::u16string delayText_;
  std::u16string allDelaysText_;
};

}  // namespace tarsil
