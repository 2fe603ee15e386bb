#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ini/ini_document.h"
#include "profile/settings_problem.h"

namespace tarsil {

// A program whose coming to the front makes a profile active. The program
// is known by its file name alone ("game.exe"), whatever folder it runs
// from, as the user sees it in the list of running programs.
struct ProgramRule {
  std::u16string program;
  std::int32_t profile = 1;

  bool operator==(const ProgramRule&) const = default;
};

// "When no rule matches": stay on the profile that is active.
inline constexpr std::int32_t kStayOnProfile = 0;

// The [AutoProfile] section: the rules in the user's order (the first rule
// for a program is the one that counts) and the fallback, kStayOnProfile or
// a profile 1..3.
struct ProgramRules {
  std::vector<ProgramRule> rules;
  std::int32_t fallback = kStayOnProfile;

  bool empty() const { return rules.empty() && fallback == kStayOnProfile; }
  bool operator==(const ProgramRules&) const = default;
};

// The file name of a program's path: what follows its last '\' or '/'.
std::u16string programFileName(std::u16string_view path);

// Whether two paths or file names name the same program: their file names,
// with case aside, as Windows compares file names.
bool sameProgram(std::u16string_view a, std::u16string_view b);

// The first rule for the program at `path`, or null.
const ProgramRule* findRule(const ProgramRules& rules, std::u16string_view path);

// Reads [AutoProfile]. A rule without a program or with a profile outside
// 1..3 is dropped, a fallback outside 0..3 reads as kStayOnProfile, and
// program names are cut to the 259 characters of a path; every such value
// goes to `problems` (when given). A file without the section has no rules.
ProgramRules readProgramRules(const ini::IniDocument& file,
                              std::vector<SettingsProblem>* problems = nullptr);

// Rewrites [AutoProfile] from `rules`. A file that has no such section and
// no rule to hold gets none, so it stays as it was for a program that knows
// nothing of rules.
void writeProgramRules(const ProgramRules& rules, ini::IniDocument& file);

}  // namespace tarsil
