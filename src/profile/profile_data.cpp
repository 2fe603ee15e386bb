#include "profile/profile_data.h"

#include <algorithm>

namespace tarsil {

void addIdentityEntries(TranslationTable& table, bool overwrite) {
  for (KeyCode v = kFirstIdentityKey; v <= kLastIdentityKey; ++v) {
    if (overwrite) {
      table[v] = KeyList{v};
    } else {
      table.try_emplace(v, KeyList{v});
    }
  }
}

void normalizeTimings(MacroTimings& timings, const std::vector<MacroStepList>& steps) {
  if (timings.size() > steps.size()) timings.resize(steps.size());
  bool anyTimed = false;
  for (std::size_t i = 0; i < timings.size(); ++i) {
    std::vector<std::int32_t>& delays = timings[i].delays;
    if (std::all_of(delays.begin(), delays.end(), [](std::int32_t ms) { return ms == 0; })) {
      delays.clear();
    } else {
      delays.resize(steps[i].size() / kMacroStepWidth);
    }
    anyTimed = anyTimed || timings[i].isTimed();
  }
  if (!anyTimed) timings.clear();
}

void removeAssigned(std::vector<std::int32_t>& assigned, std::int32_t index) {
  std::erase(assigned, index);
}

ProfileSet::ProfileSet() {
  addIdentityEntries(working.translation, false);
  for (ProfileData& store : stores) addIdentityEntries(store.translation, false);
}

ProfileData* ProfileSet::store(std::int32_t n) {
  return isProfileNumber(n) ? &stores[static_cast<std::size_t>(n - 1)] : nullptr;
}

const ProfileData* ProfileSet::store(std::int32_t n) const {
  return isProfileNumber(n) ? &stores[static_cast<std::size_t>(n - 1)] : nullptr;
}

}  // namespace tarsil
