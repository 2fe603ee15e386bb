#pragma once

#include <string>

namespace tarsil {

// A value of a settings or profile file that the loader does not take as
// written: it repairs, cuts, drops or ignores it, and says so here.
struct SettingsProblem {
  std::u16string section;  // empty: the file as a whole
  std::u16string key;      // empty: the section as a whole
  std::u16string value;    // the value as stored, when one is at fault
  std::string message;     // for people

  bool operator==(const SettingsProblem&) const = default;
};

}  // namespace tarsil
