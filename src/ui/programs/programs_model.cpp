#include "ui/programs/programs_model.h"

#include <algorithm>

#include "ini/ini_document.h"
#include "ini/upper_case.h"
#include "profile/profile_data.h"
#include "profile/settings_keys.h"

namespace tarsil {

namespace {

// Titles longer than this make a menu wider than the screen.
constexpr std::size_t kMaxTitleLength = 60;

}  // namespace

std::vector<RunningProgram> programChoices(const std::vector<RunningProgram>& windows,
                                           const ProgramRules& rules, std::u16string_view ownPath) {
  std::vector<RunningProgram> choices;
  for (const RunningProgram& window : windows) {
    if (window.title.empty() || programFileName(window.path).empty()) continue;
    if (sameProgram(window.path, ownPath) || findRule(rules, window.path) != nullptr) continue;
    const bool known = std::any_of(choices.begin(), choices.end(), [&](const RunningProgram& c) {
      return sameProgram(c.path, window.path);
    });
    if (!known) choices.push_back(window);
  }
  std::stable_sort(choices.begin(), choices.end(),
                   [](const RunningProgram& a, const RunningProgram& b) {
                     return ini::upperCase(a.title) < ini::upperCase(b.title);
                   });
  if (choices.size() > kMaxProgramChoices) choices.resize(kMaxProgramChoices);
  return choices;
}

std::u16string choiceText(const RunningProgram& program) {
  std::u16string title = program.title;
  if (title.size() > kMaxTitleLength) title = title.substr(0, kMaxTitleLength - 3) + u"...";
  return title + u" (" + programFileName(program.path) + u")";
}

ProgramsModel::ProgramsModel() {
  for (int entry = kRuleProfile1Button; entry <= kLastProgramsButton; ++entry) {
    button(entry).setToggle(true);
  }
}

void ProgramsModel::open(ProgramRules rules, std::int32_t activeProfile) {
  rules_ = std::move(rules);
  newRuleProfile_ = isProfileNumber(activeProfile) ? activeProfile : 1;
  for (BitButtonState& state : buttons_) state.reset();
  selected_ = -1;
  select(rules_.rules.empty() ? -1 : 0);
}

void ProgramsModel::select(int row) {
  selected_ = row >= 0 && static_cast<std::size_t>(row) < rules_.rules.size() ? row : -1;
  showChoices();
}

bool ProgramsModel::add(std::u16string_view path) {
  std::u16string program = programFileName(path);
  if (program.empty()) return false;
  for (std::size_t i = 0; i < rules_.rules.size(); ++i) {
    if (sameProgram(rules_.rules[i].program, program)) {
      select(static_cast<int>(i));
      return true;
    }
  }
  if (rules_.rules.size() >= static_cast<std::size_t>(kMaxProgramRules)) return false;
  if (program.size() > kMaxNameLength) program.resize(kMaxNameLength);
  rules_.rules.push_back({std::move(program), newRuleProfile_});
  select(static_cast<int>(rules_.rules.size()) - 1);
  return true;
}

void ProgramsModel::remove() {
  if (selected_ < 0) return;
  rules_.rules.erase(rules_.rules.begin() + selected_);
  select(std::min(selected_, static_cast<int>(rules_.rules.size()) - 1));
}

void ProgramsModel::chooseRuleProfile(std::int32_t profile) {
  if (selected_ >= 0 && isProfileNumber(profile)) {
    rules_.rules[static_cast<std::size_t>(selected_)].profile = profile;
  }
  showChoices();
}

void ProgramsModel::chooseFallback(std::int32_t fallback) {
  if (fallback == kStayOnProfile || isProfileNumber(fallback)) rules_.fallback = fallback;
  showChoices();
}

std::u16string ProgramsModel::profileText(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= rules_.rules.size()) return {};
  return u"Profile " + ini::formatInt(rules_.rules[static_cast<std::size_t>(row)].profile);
}

void ProgramsModel::showChoices() {
  const std::int32_t ruleProfile =
      selected_ >= 0 ? rules_.rules[static_cast<std::size_t>(selected_)].profile : 0;
  for (std::int32_t p = 1; p <= kProfileCount; ++p) {
    BitButtonState& state = button(kRuleProfile1Button + p - 1);
    if (p == ruleProfile) {
      if (!state.selected()) state.setSelected();
    } else {
      state.clearSelected();
    }
  }
  for (std::int32_t f = kStayOnProfile; f <= kProfileCount; ++f) {
    BitButtonState& state = button(kFallbackStayButton + f);
    if (f == rules_.fallback) {
      if (!state.selected()) state.setSelected();
    } else {
      state.clearSelected();
    }
  }
}

}  // namespace tarsil
