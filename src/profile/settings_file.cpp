#include "profile/settings_file.h"

#include <algorithm>

#include "profile/profile_operations.h"
#include "profile/translation_rules.h"

namespace tarsil {

namespace {

using ini::formatInt;
using ini::IniDocument;

// The k-th comma-separated field of a stored step list.
class FieldReader {
 public:
  explicit FieldReader(std::u16string_view text) : text_(text) {}
  std::int32_t next() {
    if (done_) return 0;
    const std::size_t comma = text_.find(u',', pos_);
    const std::u16string_view field =
        text_.substr(pos_, comma == text_.npos ? text_.npos : comma - pos_);
    if (comma == text_.npos) {
      done_ = true;
    } else {
      pos_ = comma + 1;
    }
    return ini::parseProfileInt(field);
  }

 private:
  std::u16string_view text_;
  std::size_t pos_ = 0;
  bool done_ = false;
};

std::u16string joinSteps(const MacroStepList& steps) {
  std::u16string text;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (i > 0) text += u',';
    text += formatInt(steps[i]);
  }
  return text;
}

// Reading trims blanks and removes one pair of outer quotes, so a name that
// starts or ends with either is written inside quotes and reads back exactly.
std::u16string quotedIfNeeded(std::u16string_view name) {
  if (name.empty()) return std::u16string(name);
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  const bool wrapped = name.size() >= 2 && name.front() == name.back() &&
                       (name.front() == u'"' || name.front() == u'\'');
  if (!blank(name.front()) && !blank(name.back()) && !wrapped) return std::u16string(name);
  std::u16string quoted;
  quoted.reserve(name.size() + 2);
  quoted.append(1, u'"').append(name).append(1, u'"');
  return quoted;
}

}  // namespace

ini::ReadOptions settingsReadOptions(const ini::CodePagePtr& codePage) {
  ini::ReadOptions options;
  options.codePage = codePage;
  return options;
}

std::int32_t readProfileNumber(const IniDocument& file) {
  const std::int32_t n = file.getInt(kTypeSection, kTypeKey, 1);
  return isProfileNumber(n) ? n : 1;
}

void LoadProfile(ProfileSet& profiles, const MainLayout& layout, const IniDocument& file,
                 std::int32_t p, std::int32_t target) {
  ProfileData& working = profiles.working;
  working.translation.clear();
  working.assigned.clear();
  working.macroSteps.clear();
  working.macroNames.clear();
  working.macroBindings.clear();
  const std::u16string section = profileSectionName(p);

  const std::int32_t listCount =
      std::min(file.getInt(section, kAssignedCountKey, 0), kMaxListCount);
  for (std::int32_t i = 0; i < listCount; ++i) {
    const std::int32_t index = file.getInt(section, numberedName(kAssignedKey, i), 0);
    // An index that names no slot would be drawn or reset outside the table.
    if (isSlotIndex(index)) working.assigned.push_back(index);
  }

  const std::int32_t macroCount = std::min(file.getInt(section, kMacroCountKey, 0), kMaxListCount);
  for (std::int32_t i = 0; i < macroCount; ++i) {
    working.macroNames.push_back(file.getString(section, numberedName(kMacroNameKey, i)));
  }
  std::int64_t budget = kMaxProfileIntegers;
  for (std::int32_t i = 0; i < macroCount; ++i) {
    MacroStepList steps;
    std::int64_t count = file.getInt(section, numberedName(kMacroStepCountKey, i), 0);
    count = std::min<std::int64_t>({count, kMaxMacroIntegers, budget});
    if (count > 0) {
      budget -= count;
      const std::u16string text = file.getString(section, numberedName(kMacroStepsKey, i));
      FieldReader fields(text);
      steps.reserve(static_cast<std::size_t>(count));
      for (std::int64_t k = 0; k < count; ++k) steps.push_back(fields.next());
    }
    working.macroSteps.push_back(std::move(steps));
  }

  for (int s = 1; s <= kLastStoredSlot; ++s) {
    const KeySlot& slot = layout.slots.slot(s);
    const KeyCode v = slot.vk;
    KeyAssignment& record = working.keys.slot(s);
    record.kind = file.getInt(section, numberedName(kKindKey, v), KindSingleKey);
    record.macroIndex = file.getInt(section, numberedName(kMacroIndexKey, v), 0);
    // A key nobody assigned keeps its caption and types itself; only a value
    // that is present in the file is taken as stored.
    record.name = file.find(section, numberedName(kNameKey, v)).value_or(slot.caption);
    // An empty Key reads like a missing one, as every integer of the file does.
    const KeyCode singleKey = file.getInt(section, numberedName(kSingleKeyKey, v), v);
    if (record.kind == KindMacro &&
        (record.macroIndex < 0 ||
         static_cast<std::size_t>(record.macroIndex) >= working.macroSteps.size())) {
      // A macro that is not in the list cannot be played: the key is unassigned.
      record = KeyAssignment{slot.caption, KindSingleKey, 0};
      removeAssigned(working.assigned, static_cast<std::int32_t>(KeySlotTable::indexOf(s)));
      working.translation[v] = KeyList{v};
      continue;
    }
    BuildEntry(working, v, record, singleKey, layout.media);
  }

  if (ProfileData* store = profiles.store(target)) *store = working;
}

void SaveProfile(const ProfileSet& profiles, const KeySlotTable& slots, IniDocument& file,
                 std::int32_t p) {
  const ProfileData* store = profiles.store(p);
  if (store == nullptr) return;
  const std::u16string section = profileSectionName(p);
  file.clearSection(section);
  for (int s = 1; s <= kLastStoredSlot; ++s) {
    const KeyCode v = slots.slot(s).vk;
    const KeyAssignment& record = store->keys.slot(s);
    file.setInt(section, numberedName(kKindKey, v), record.kind);
    file.setInt(section, numberedName(kMacroIndexKey, v), record.macroIndex);
    file.setString(section, numberedName(kNameKey, v), quotedIfNeeded(record.name));
    if (record.kind == KindSingleKey) {
      // A single key without a stroke to play is written as itself, so it
      // loads back as a working key rather than as a dead one.
      auto entry = store->translation.find(v);
      const bool playable = entry != store->translation.end() && !entry->second.empty();
      file.setInt(section, numberedName(kSingleKeyKey, v), playable ? entry->second.front() : v);
    }
  }
  file.setInt(section, kMacroCountKey, static_cast<std::int32_t>(store->macroSteps.size()));
  for (std::size_t i = 0; i < store->macroNames.size(); ++i) {
    file.setString(section, numberedName(kMacroNameKey, static_cast<std::int64_t>(i)),
                   quotedIfNeeded(store->macroNames[i]));
  }
  for (std::size_t i = 0; i < store->macroSteps.size(); ++i) {
    const auto n = static_cast<std::int64_t>(i);
    file.setString(section, numberedName(kMacroStepsKey, n), joinSteps(store->macroSteps[i]));
    file.setInt(section, numberedName(kMacroStepCountKey, n),
                static_cast<std::int32_t>(store->macroSteps[i].size()));
  }
  file.setInt(section, kAssignedCountKey, static_cast<std::int32_t>(store->assigned.size()));
  for (std::size_t i = 0; i < store->assigned.size(); ++i) {
    file.setInt(section, numberedName(kAssignedKey, static_cast<std::int64_t>(i)),
                store->assigned[i]);
  }
}

void loadSettings(ProfileSet& profiles, const MainLayout& layout, const IniDocument& file) {
  profiles.activeProfile = readProfileNumber(file);
  // The active profile loads last, leaving its data in the working profile.
  for (std::int32_t k = 1; k <= kProfileCount; ++k) {
    const std::int32_t p = (profiles.activeProfile + k - 1) % kProfileCount + 1;
    LoadProfile(profiles, layout, file, p, p);
  }
}

ini::FileStatus saveSettings(ProfileSet& profiles, const KeySlotTable& slots,
                             const std::filesystem::path& path, SaveScope scope,
                             const ini::CodePagePtr& codePage) {
  CommitWorkingProfile(profiles);
  ini::ReadResult current = ini::readIniFile(path, settingsReadOptions(codePage));
  if (!current.status.ok()) return current.status;
  for (std::int32_t p = 1; p <= kProfileCount; ++p) {
    if (scope == SaveScope::kAllProfiles || p == profiles.activeProfile) {
      SaveProfile(profiles, slots, current.document, p);
    }
  }
  current.document.setInt(kTypeSection, kTypeKey, profiles.activeProfile);
  return ini::writeIniFile(path, current.document);
}

}  // namespace tarsil
