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
