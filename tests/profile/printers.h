#pragma once

#include <ostream>
#include <string>

#include "profile/profile_data.h"

namespace tarsil {

// Readable failure messages: gtest would print these records as raw bytes.
inline std::string narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

inline void PrintTo(const KeyAssignment& key, std::ostream* os) {
  *os << "{\"" << narrow(key.name) << "\", kind " << key.kind << ", macro " << key.macroIndex
      << "}";
}

inline void PrintTo(const ProfileData& data, std::ostream* os) {
  *os << "{" << data.translation.size() << " entries, " << data.assigned.size() << " assigned, "
      << data.macroSteps.size() << " macros, " << data.macroBindings.size() << " bindings}";
}

}  // namespace tarsil
