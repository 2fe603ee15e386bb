#pragma once

#include <array>
#include <cstdint>

#include "profile/key_types.h"

namespace tarsil {

// The three profile stores' translation tables and the active profile's
// number, as the hook reads them for one event. The tables belong to the
// profile stores; this only points at them.
struct ProfileTables {
  std::array<const TranslationTable*, 3> tables{};
  std::int32_t activeProfile = 0;

  // The table of profile 1..3; any other number (a hand-edited settings file
  // can hold one) selects no table, and the hook then leaves keys alone.
  const TranslationTable* table(std::int32_t profile) const noexcept {
    return profile >= 1 && profile <= 3 ? tables[static_cast<std::size_t>(profile - 1)] : nullptr;
  }
};

}  // namespace tarsil
