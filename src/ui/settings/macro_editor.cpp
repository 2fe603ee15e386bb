#include "ui/settings/macro_editor.h"

#include "ini/ini_document.h"

namespace tarsil {

void MacroEditor::setEntries(std::vector<std::u16string> entries) {
  entries_ = std::move(entries);
  ++entriesRevision_;
}

void MacroEditor::choose(int entry, bool show) {
  chosen_ = entry >= 0 && static_cast<std::size_t>(entry) < entries_.size() ? entry : -1;
  editText_ = chosen_ >= 0 ? entries_[static_cast<std::size_t>(chosen_)] : std::u16string();
  if (show) showChosen();
}

void MacroEditor::refill() {
  setEntries(macros_.macroNames);
  choose(macroIndex_, false);
}

void MacroEditor::choose(int entry) { choose(entry, true); }

void MacroEditor::showChosen() {
  selectedStep_ = -1;
  shown_ = -1;
  if (chosen_ < 0) return;
  macroIndex_ = chosen_;
  shown_ = isMacro(chosen_) ? chosen_ : -1;
}

void MacroEditor::reset() {
  setEntries({});
  chosen_ = -1;
  shown_ = -1;
  selectedStep_ = -1;
  editText_.clear();
}

void MacroEditor::rename(std::u16string text) {
  editText_ = std::move(text);
  if (entries_.empty() || macroIndex_ < 0 ||
      static_cast<std::size_t>(macroIndex_) >= macros_.macroNames.size()) {
    return;
  }
  macros_.macroNames[static_cast<std::size_t>(macroIndex_)] = editText_;
}

void MacroEditor::add() {
  std::u16string name = u"define" + ini::formatInt(nameCounter_);
  ++nameCounter_;
  std::vector<std::u16string> entries = entries_;
  entries.push_back(name);
  setEntries(std::move(entries));
  choose(static_cast<int>(entries_.size()) - 1, false);
  macros_.macroSteps.emplace_back();
  macros_.macroNames.push_back(std::move(name));
  macroIndex_ = chosen_;
  shown_ = chosen_;  // its steps, none yet
  selectedStep_ = -1;
}

void MacroEditor::remove(MacroDeletePrompt& prompt) {
  const int s = chosen_;
  if (s < 0 || !isMacro(s) || static_cast<std::size_t>(s) >= macros_.macroNames.size()) return;
  bool bound = false;
  for (const auto& [key, index] : macros_.macroBindings) bound = bound || index == s;
  if (bound && !prompt.confirmDeleteBoundMacro()) return;

  // Keys bound to the deleted macro lose their binding (and type themselves
  // again once the dialog closes with OK); keys bound to a later one follow
  // it to its new place, so they go on playing the same macro.
  for (auto it = macros_.macroBindings.begin(); it != macros_.macroBindings.end();) {
    if (it->second == s) {
      it = macros_.macroBindings.erase(it);
      continue;
    }
    if (it->second > s) --it->second;
    ++it;
  }
  const auto at = static_cast<std::ptrdiff_t>(s);
  macros_.macroNames.erase(macros_.macroNames.begin() + at);
  macros_.macroSteps.erase(macros_.macroSteps.begin() + at);
  std::vector<std::u16string> entries = entries_;
  entries.erase(entries.begin() + at);
  setEntries(std::move(entries));
  if (s > 0) {
    choose(s - 1);
  } else {
    choose(entries_.empty() ? -1 : 0);
  }
  macroIndex_ = chosen_;
}

std::span<const std::int32_t> MacroEditor::steps() const {
  if (!isMacro(shown_)) return {};
  const MacroStepList& list = macros_.macroSteps[static_cast<std::size_t>(shown_)];
  return std::span<const std::int32_t>(list.data(),
                                       list.size() / kMacroStepWidth * kMacroStepWidth);
}

void MacroEditor::deleteStep() {
  if (selectedStep_ < 0 || !isMacro(chosen_) || chosen_ != shown_) return;
  MacroStepList& list = macros_.macroSteps[static_cast<std::size_t>(chosen_)];
  const auto first = static_cast<std::size_t>(selectedStep_) * kMacroStepWidth;
  if (first + kMacroStepWidth > list.size()) return;
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(first),
             list.begin() + static_cast<std::ptrdiff_t>(first + kMacroStepWidth));
  // The step that followed takes the selection; after the last, nothing.
  selectStep(selectedStep_);
}

void MacroEditor::clearSteps() {
  if (!isMacro(chosen_)) return;
  macros_.macroSteps[static_cast<std::size_t>(chosen_)].clear();
  shown_ = -1;
  selectedStep_ = -1;
}

void MacroEditor::moveStepSelection(StepMove move) {
  int target = -1;
  switch (move) {
    case StepMove::kFirst:
      target = 0;
      break;
    case StepMove::kLast:
      target = stepCount() - 1;
      break;
    case StepMove::kPrevious:
      target = selectedStep_ < 0 ? -1 : selectedStep_ - 1;
      break;
    case StepMove::kNext:
      target = selectedStep_ < 0 ? -1 : selectedStep_ + 1;
      break;
  }
  // A row that does not exist leaves the selection where it was.
  if (target >= 0 && target < stepCount()) selectedStep_ = target;
}

void MacroEditor::appendStep(const RecordedStep& step) {
  if (!isMacro(chosen_)) return;
  MacroStepList& list = macros_.macroSteps[static_cast<std::size_t>(chosen_)];
  list.insert(list.end(), {step.keyNameCode, step.vk, step.down ? 1 : 0});
  shown_ = chosen_;
}

}  // namespace tarsil
