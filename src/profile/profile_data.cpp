#include "profile/profile_data.h"

#include <algorithm>

namespace tarsil {

void AddIdentityEntries(TranslationTable& table, bool overwrite) {
  for (KeyCode v = kFirstIdentityKey; v <= kLastIdentityKey; ++v) {
    if (overwrite) {
      table[v] = KeyList{v};
    } else {
      table.try_emplace(v, KeyList{v});
    }
  }
}

void RemoveAssigned(std::vector<std::int32_t>& assigned, std::int32_t index) {
  std::erase(assigned, index);
}

ProfileSet::ProfileSet() {
  AddIdentityEntries(working.translation, false);
  for (ProfileData& store : stores) AddIdentityEntries(store.translation, false);
}

ProfileData* ProfileSet::Store(std::int32_t n) {
  return IsProfileNumber(n) ? &stores[static_cast<std::size_t>(n - 1)] : nullptr;
}

const ProfileData* ProfileSet::Store(std::int32_t n) const {
  return IsProfileNumber(n) ? &stores[static_cast<std::size_t>(n - 1)] : nullptr;
}

}  // namespace tarsil
