#include "ui/settings/macro_editor.h"

#include <algorithm>
#include <optional>

#include "ini/ini_document.h"

namespace tarsil {

StepRows stepRows(std::span<const std::int32_t> steps, std::span<const std::int32_t> shown) {
  StepRows result;
  result.steps = steps.first(steps.size() - steps.size() % kMacroStepWidth);
  result.rows = result.steps.size() / kMacroStepWidth;
  const auto differs =
      std::mismatch(result.steps.begin(), result.steps.end(), shown.begin(), shown.end()).first;
  result.kept = static_cast<std::size_t>(differs - result.steps.begin()) / kMacroStepWidth;
  return result;
}

namespace {

// A delay typed by the user: decimal digits, blanks around them allowed,
// held to the longest delay. Nothing for an empty field or one that holds
// anything else.
std::optional<std::int32_t> typedMilliseconds(std::u16string_view text) {
  while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
  const bool digits =
      std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
  if (text.empty() || !digits) return std::nullopt;
  if (text.size() > 9) return kMaxStepDelayMs;  // and no overflow below
  std::int64_t ms = 0;
  for (const char16_t c : text) ms = ms * 10 + (c - u'0');
  return clampDelay(ms);
}

}  // namespace

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
  delayText_.clear();
  if (chosen_ < 0) return;
  macroIndex_ = chosen_;
  shown_ = isMacro(chosen_) ? chosen_ : -1;
}

void MacroEditor::selectStep(int row) {
  selectedStep_ = row >= 0 && row < stepCount() ? row : -1;
  showSelectedDelay();
}

void MacroEditor::showSelectedDelay() {
  delayText_ = selectedStep_ >= 0 ? ini::formatInt(stepDelay(selectedStep_)) : std::u16string();
}

void MacroEditor::reset() {
  setEntries({});
  chosen_ = -1;
  shown_ = -1;
  selectedStep_ = -1;
  editText_.clear();
  delayText_.clear();
  allDelaysText_.clear();
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
  delayText_.clear();
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
  // Timings follow their macros, as the bindings above do.
  if (static_cast<std::size_t>(s) < macros_.macroTimings.size()) {
    macros_.macroTimings.erase(macros_.macroTimings.begin() + at);
  }
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
  if (static_cast<std::size_t>(chosen_) < macros_.macroTimings.size()) {
    std::vector<std::int32_t>& delays =
        macros_.macroTimings[static_cast<std::size_t>(chosen_)].delays;
    if (static_cast<std::size_t>(selectedStep_) < delays.size()) {
      delays.erase(delays.begin() + selectedStep_);
    }
  }
  // The step that followed takes the selection; after the last, nothing.
  selectStep(selectedStep_);
}

void MacroEditor::clearSteps() {
  if (!isMacro(chosen_)) return;
  macros_.macroSteps[static_cast<std::size_t>(chosen_)].clear();
  if (static_cast<std::size_t>(chosen_) < macros_.macroTimings.size()) {
    macros_.macroTimings[static_cast<std::size_t>(chosen_)].delays.clear();
  }
  shown_ = -1;
  selectedStep_ = -1;
  delayText_.clear();
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
  if (target >= 0 && target < stepCount()) selectStep(target);
}

void MacroEditor::appendStep(const RecordedStep& step) {
  if (!isMacro(chosen_)) return;
  MacroStepList& list = macros_.macroSteps[static_cast<std::size_t>(chosen_)];
  const std::size_t before = list.size() / kMacroStepWidth;
  if (step.delayMs != 0) {
    chosenTiming().delays.push_back(clampDelay(step.delayMs));
  } else if (static_cast<std::size_t>(chosen_) < macros_.macroTimings.size()) {
    std::vector<std::int32_t>& delays =
        macros_.macroTimings[static_cast<std::size_t>(chosen_)].delays;
    if (!delays.empty()) {
      delays.resize(before);
      delays.push_back(0);
    }
  }
  list.insert(list.end(), {step.keyNameCode, step.vk, step.down ? 1 : 0});
  shown_ = chosen_;
}

MacroTiming& MacroEditor::chosenTiming() {
  const auto macro = static_cast<std::size_t>(chosen_);
  if (macros_.macroTimings.size() <= macro) macros_.macroTimings.resize(macro + 1);
  MacroTiming& timing = macros_.macroTimings[macro];
  timing.delays.resize(macros_.macroSteps[macro].size() / kMacroStepWidth);
  return timing;
}

std::int32_t MacroEditor::stepDelay(int row) const {
  if (!isMacro(shown_) || row < 0) return 0;
  return timingOf(macros_.macroTimings, static_cast<std::size_t>(shown_))
      .delay(static_cast<std::size_t>(row));
}

MacroMode MacroEditor::mode() const {
  return isMacro(chosen_) ? timingOf(macros_.macroTimings, static_cast<std::size_t>(chosen_)).mode
                          : MacroMode::kChord;
}

void MacroEditor::setMode(MacroMode mode) {
  if (timingEnabled()) chosenTiming().mode = mode;
}

void MacroEditor::typeDelay(std::u16string text) {
  if (!timingEnabled() || selectedStep_ < 0) return;
  const std::optional<std::int32_t> ms = typedMilliseconds(text);
  const bool empty = text.find_first_not_of(u' ') == std::u16string::npos;
  if (!ms && !empty) {
    showSelectedDelay();
    return;
  }
  chosenTiming().delays[static_cast<std::size_t>(selectedStep_)] = ms.value_or(0);
  // What the user typed stays as typed (the caret with it), unless the
  // field has to say what became of it.
  delayText_ = ms && ini::formatInt(*ms) != text && *ms == kMaxStepDelayMs ? ini::formatInt(*ms)
                                                                           : std::move(text);
}

void MacroEditor::applyDelayToAll() {
  const std::optional<std::int32_t> ms = typedMilliseconds(allDelaysText_);
  if (!timingEnabled() || !ms) return;
  std::vector<std::int32_t>& delays = chosenTiming().delays;
  std::fill(delays.begin(), delays.end(), *ms);
  allDelaysText_ = ini::formatInt(*ms);
  showSelectedDelay();
}

void MacroEditor::clearDelays() {
  if (!timingEnabled()) return;
  chosenTiming().delays.clear();
  showSelectedDelay();
}

}  // namespace tarsil
