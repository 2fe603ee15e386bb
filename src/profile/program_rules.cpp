#include "profile/program_rules.h"

#include <string>

#include "ini/upper_case.h"
#include "profile/profile_data.h"
#include "profile/settings_keys.h"

namespace tarsil {

std::u16string programFileName(std::u16string_view path) {
  const std::size_t cut = path.find_last_of(u"\\/");
  return std::u16string(cut == std::u16string_view::npos ? path : path.substr(cut + 1));
}

bool sameProgram(std::u16string_view a, std::u16string_view b) {
  return ini::upperCase(programFileName(a)) == ini::upperCase(programFileName(b));
}

const ProgramRule* findRule(const ProgramRules& rules, std::u16string_view path) {
  for (const ProgramRule& rule : rules.rules) {
    if (sameProgram(rule.program, path)) return &rule;
  }
  return nullptr;
}

namespace {

std::string number(std::int64_t n) { return std::to_string(n); }

}  // namespace

ProgramRules readProgramRules(const ini::IniDocument& file,
                              std::vector<SettingsProblem>* problems) {
  ProgramRules result;
  if (!file.hasSection(kAutoProfileSection)) return result;
  const std::u16string section(kAutoProfileSection);
  auto report = [&](std::u16string key, std::string message, std::u16string value = {}) {
    if (problems != nullptr) {
      problems->push_back({section, std::move(key), std::move(value), std::move(message)});
    }
  };

  std::int32_t count = file.getInt(section, kProgramCountKey, 0);
  if (count < 0) {
    report(std::u16string(kProgramCountKey), "is negative (" + number(count) + "); read as 0");
    count = 0;
  } else if (count > kMaxProgramRules) {
    report(std::u16string(kProgramCountKey), "is " + number(count) + ", beyond the limit of " +
                                                 number(kMaxProgramRules) +
                                                 "; only that many rules are read");
    count = kMaxProgramRules;
  }
  for (std::int32_t i = 0; i < count; ++i) {
    const std::u16string programKey = numberedName(kProgramKey, i);
    const std::u16string profileKey = numberedName(kProgramProfileKey, i);
    std::u16string program = programFileName(file.getString(section, programKey));
    if (program.empty()) {
      report(programKey, "names no program; the rule is dropped");
      continue;
    }
    if (program.size() > kMaxNameLength) {
      report(programKey,
             "is longer than any file name (" + number(kMaxNameLength) + " characters); it is cut");
      program.resize(kMaxNameLength);
    }
    const std::int32_t profile = file.getInt(section, profileKey, 0);
    if (!isProfileNumber(profile)) {
      report(profileKey,
             "is " + number(profile) + ", no profile (1.." + number(kProfileCount) +
                 "); the rule for this program is dropped",
             program);
      continue;
    }
    if (findRule(result, program) != nullptr) {
      report(programKey, "has a rule earlier in the list, which is the one that counts; dropped",
             program);
      continue;
    }
    result.rules.push_back({std::move(program), profile});
  }
  const std::int32_t fallback = file.getInt(section, kFallbackKey, kStayOnProfile);
  if (fallback == kStayOnProfile || isProfileNumber(fallback)) {
    result.fallback = fallback;
  } else {
    report(std::u16string(kFallbackKey),
           "is " + number(fallback) +
               ", neither 0 (stay on the profile) nor a profile 1..3; read as 0");
  }
  return result;
}

void writeProgramRules(const ProgramRules& rules, ini::IniDocument& file) {
  if (rules.empty() && !file.hasSection(kAutoProfileSection)) return;
  file.clearSection(kAutoProfileSection);
  file.setInt(kAutoProfileSection, kProgramCountKey, static_cast<std::int32_t>(rules.rules.size()));
  for (std::size_t i = 0; i < rules.rules.size(); ++i) {
    const auto n = static_cast<std::int64_t>(i);
    file.setString(kAutoProfileSection, numberedName(kProgramKey, n), rules.rules[i].program);
    file.setInt(kAutoProfileSection, numberedName(kProgramProfileKey, n), rules.rules[i].profile);
  }
  file.setInt(kAutoProfileSection, kFallbackKey, rules.fallback);
}

}  // namespace tarsil
