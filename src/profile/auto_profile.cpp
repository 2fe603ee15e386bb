#include "profile/auto_profile.h"

#include "ini/upper_case.h"
#include "profile/profile_data.h"

namespace tarsil {

std::optional<RuleSwitch> AutoProfile::foregroundChanged(const ProgramRules& rules,
                                                         const ForegroundProgram& foreground,
                                                         std::int32_t activeProfile) {
  if (foreground.ours) return std::nullopt;
  const std::u16string name = foreground.path ? programFileName(*foreground.path) : u"";
  const std::u16string key = ini::upperCase(name);
  if (known_ && key == last_) return std::nullopt;
  known_ = true;
  last_ = key;

  RuleSwitch chosen;
  const ProgramRule* rule = foreground.path ? findRule(rules, *foreground.path) : nullptr;
  if (rule != nullptr) {
    chosen = {rule->profile, name};
  } else if (isProfileNumber(rules.fallback)) {
    chosen = {rules.fallback, {}};
  } else {
    return std::nullopt;
  }
  if (chosen.profile == activeProfile) return std::nullopt;
  return chosen;
}

}  // namespace tarsil
