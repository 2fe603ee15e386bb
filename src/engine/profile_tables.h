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
  // The stores' action tables; a null one holds no actions.
  std::array<const KeyActionTable*, 3> actions{};

  // The table of profile 1..3; any other number (a hand-edited settings file
  // can hold one) selects no table, and the hook then leaves keys alone.
  const TranslationTable* table(std::int32_t profile) const noexcept {
    return profile >= 1 && profile <= 3 ? tables[static_cast<std::size_t>(profile - 1)] : nullptr;
  }

  // The action of `source` in profile 1..3, or null when it has none.
  const KeyAction* action(std::int32_t profile, KeyCode source) const noexcept {
    if (profile < 1 || profile > 3) return nullptr;
    const KeyActionTable* table = actions[static_cast<std::size_t>(profile - 1)];
    if (table == nullptr) return nullptr;
    const auto entry = table->find(source);
    return entry == table->end() || entry->second.kind == KeyActionKind::kNone ? nullptr
                                                                               : &entry->second;
  }
};

}  // namespace tarsil
