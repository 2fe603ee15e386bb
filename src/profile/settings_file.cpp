#include "profile/settings_file.h"

#include <algorithm>

#include "profile/profile_operations.h"
#include "profile/translation_rules.h"

namespace tarsil {

namespace {

using ini::formatInt;
using ini::IniDocument;

// Integers joined by commas, without a trailing one.
std::u16string joinSteps(const std::vector<std::int32_t>& steps) {
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
  options.maxBytes = static_cast<std::uint64_t>(kMaxSettingsFileBytes);
  options.maxLines = static_cast<std::uint64_t>(kMaxSettingsFileLines);
  return options;
}

namespace {

std::string number(std::int64_t n) { return std::to_string(n); }
std::string narrowName(std::u16string_view name) { return std::string(name.begin(), name.end()); }

// The number of comma-separated fields of a stored step list; "" has none.
std::int64_t fieldCount(std::u16string_view text) {
  if (text.empty()) return 0;
  return 1 + std::count(text.begin(), text.end(), u',');
}

// Reads one profile section into the working profile by the loader's
// rules, and tells `problems` (when given) of every value it repairs, cuts,
// drops or ignores, so that the check reports exactly what loading does.
class SectionLoader {
 public:
  SectionLoader(ProfileData& working, const MainLayout& layout, const IniDocument& file,
                std::u16string section, std::vector<SettingsProblem>* problems)
      : working_(working),
        layout_(layout),
        file_(file),
        section_(std::move(section)),
        problems_(problems) {}

  void run() {
    readAssignedList();
    readMacros();
    readSlots();
    buildMacroActions(working_);
  }

 private:
  void report(std::u16string_view key, std::string message, std::u16string value = {}) {
    if (problems_ != nullptr) {
      problems_->push_back({section_, std::u16string(key), std::move(value), std::move(message)});
    }
  }

  // A count as the loader uses it: a negative one is 0, one beyond `limit`
  // is the limit.
  std::int32_t readCount(std::u16string_view key, std::int32_t limit) {
    const std::int32_t n = file_.getInt(section_, key, 0);
    if (n < 0) {
      report(std::u16string(key), "is negative (" + number(n) + "); read as 0");
      return 0;
    }
    if (n > limit) {
      report(std::u16string(key), "is " + number(n) + ", beyond the limit of " + number(limit) +
                                      "; only that many are read");
      return limit;
    }
    return n;
  }

  // Tells of the numbered keys a count covers that are not there.
  void reportMissing(std::u16string_view countKey, std::int32_t n, std::u16string_view pattern,
                     const std::string& readAs) {
    if (problems_ == nullptr) return;
    std::int32_t missing = 0;
    for (std::int32_t i = 0; i < n; ++i) {
      if (!file_.find(section_, name_(pattern, i))) ++missing;
    }
    if (missing > 0) {
      report(std::u16string(countKey), "counts " + number(n) + " but " + number(missing) + " " +
                                           narrowName(pattern) + " keys are missing; " + readAs);
    }
  }

  // A name as the program keeps it: at most kMaxNameLength characters.
  std::u16string cutName(std::u16string name, std::u16string_view key) {
    if (name.size() > kMaxNameLength) {
      report(std::u16string(key), "is " + number(static_cast<std::int64_t>(name.size())) +
                                      " characters long; only the first " + number(kMaxNameLength) +
                                      " are read");
      name.resize(kMaxNameLength);
    }
    return name;
  }

  void readAssignedList() {
    const std::int32_t n = readCount(kAssignedCountKey, kMaxListCount);
    reportMissing(kAssignedCountKey, n, kAssignedKey, "they read as slot index 0");
    for (std::int32_t i = 0; i < n; ++i) {
      const std::u16string_view key = name_(kAssignedKey, i);
      const std::int32_t index = file_.getInt(section_, key, 0);
      // An index that names no slot would be drawn or reset outside the table.
      if (isSlotIndex(index)) {
        working_.assigned.push_back(index);
      } else {
        report(key, "names no key slot (" + number(index) + " is outside 0.." +
                        number(kSlotCount - 1) + "); dropped");
      }
    }
  }

  void readMacros() {
    const std::int32_t m = readCount(kMacroCountKey, kMaxListCount);
    reportMissing(kMacroCountKey, m, kMacroNameKey, "those names are empty");
    reportMissing(kMacroCountKey, m, kMacroStepCountKey, "those macros are empty");
    for (std::int32_t i = 0; i < m; ++i) {
      const std::u16string key = numberedName(kMacroNameKey, i);
      working_.macroNames.push_back(cutName(file_.getString(section_, key), key));
    }
    std::int64_t budget = kMaxProfileIntegers;
    for (std::int32_t i = 0; i < m; ++i) {
      working_.macroSteps.push_back(readSteps(i, budget));
      working_.macroTimings.push_back(
          readTiming(i, working_.macroSteps.back().size() / kMacroStepWidth));
    }
    normalizeTimings(working_.macroTimings, working_.macroSteps);
  }

  // MacroMode and MacroDelay of macro i, which has `steps` steps.
  MacroTiming readTiming(std::int32_t i, std::size_t steps) {
    MacroTiming timing;
    const std::u16string modeKey = numberedName(kMacroModeKey, i);
    const std::int32_t mode = file_.getInt(section_, modeKey, 0);
    if (isMacroMode(mode)) {
      timing.mode = static_cast<MacroMode>(mode);
    } else {
      report(modeKey, "is " + number(mode) +
                          ", no mode (0 chord, 1 sequence once, 2 repeat while held, 3 toggle); "
                          "the macro plays as a chord");
    }
    const std::u16string delayKey = numberedName(kMacroDelayKey, i);
    const std::u16string text = file_.getString(section_, delayKey);
    const auto fields = static_cast<std::size_t>(fieldCount(text));
    if (fields > steps) {
      report(delayKey, "holds " + number(static_cast<std::int64_t>(fields)) +
                           " delays for a macro of " + number(static_cast<std::int64_t>(steps)) +
                           " steps; the last " + number(static_cast<std::int64_t>(fields - steps)) +
                           " are ignored");
    }
    std::int64_t outside = 0;
    std::size_t pos = 0;
    for (std::size_t k = 0; k < std::min(fields, steps); ++k) {
      const std::size_t comma = text.find(u',', pos);
      const std::size_t end = comma == std::u16string::npos ? text.size() : comma;
      const std::int32_t ms =
          ini::parseProfileInt(std::u16string_view(text).substr(pos, end - pos));
      if (ms != clampDelay(ms)) ++outside;
      timing.delays.push_back(clampDelay(ms));
      pos = end + 1;
    }
    if (outside > 0) {
      report(delayKey, "holds " + number(outside) + (outside == 1 ? " delay" : " delays") +
                           " outside 0.." + number(kMaxStepDelayMs) + " ms; held to that range");
    }
    return timing;
  }

  MacroStepList readSteps(std::int32_t i, std::int64_t& budget) {
    const std::u16string countKey = numberedName(kMacroStepCountKey, i);
    const std::u16string listKey = numberedName(kMacroStepsKey, i);
    const std::int32_t declared = file_.getInt(section_, countKey, 0);
    std::int64_t count = declared;
    if (count < 0) {
      report(countKey, "is negative (" + number(count) + "); the macro is empty");
      count = 0;
    }
    MacroStepList steps;
    if (count == 0 && problems_ == nullptr) return steps;
    const std::u16string text = file_.getString(section_, listKey);
    const std::int64_t fields = fieldCount(text);
    // Steps beyond the numbers present are not made up: a count that ran
    // past its list keeps what the list holds.
    if (count > fields) {
      report(countKey, "counts " + number(count) + " numbers but " + narrowName(listKey) +
                           " holds " + number(fields) + "; only those are read");
      count = fields;
    } else if (count < fields && declared >= 0) {
      report(countKey, "counts " + number(count) + " numbers but " + narrowName(listKey) +
                           " holds " + number(fields) + "; the last " + number(fields - count) +
                           " are dropped");
    }
    if (count > kMaxMacroIntegers) {
      report(countKey, "is " + number(count) + ", beyond the limit of " +
                           number(kMaxMacroIntegers) +
                           " numbers in one macro; only that many "
                           "are read");
      count = kMaxMacroIntegers;
    }
    if (count > budget) {
      // Whole steps only: a step cut in two would never play.
      const std::int64_t kept = budget - budget % static_cast<std::int64_t>(kMacroStepWidth);
      report(countKey, "takes the profile's macros past " + number(kMaxProfileIntegers) +
                           " numbers; only its first " + number(kept) + " are read");
      count = kept;
    }
    budget -= count;
    if (count % static_cast<std::int64_t>(kMacroStepWidth) != 0) {
      report(countKey, "is " + number(count) +
                           ", not a whole number of steps (3 numbers each); the last "
                           "numbers are kept but never played");
    }
    steps.reserve(static_cast<std::size_t>(count));
    std::size_t pos = 0;
    for (std::int64_t k = 0; k < count; ++k) {
      const std::size_t comma = text.find(u',', pos);
      const std::size_t end = comma == std::u16string::npos ? text.size() : comma;
      steps.push_back(ini::parseProfileInt(std::u16string_view(text).substr(pos, end - pos)));
      pos = end + 1;
    }
    const std::size_t presses = countPresses(steps);
    if (presses > kMaxEntryCodes) {
      report(listKey, "presses " + number(static_cast<std::int64_t>(presses)) +
                          " keys; a key plays only the first " + number(kMaxEntryCodes));
    }
    return steps;
  }

  void readSlots() {
    for (int s = 1; s <= kLastStoredSlot; ++s) {
      const KeySlot& slot = layout_.slots.slot(s);
      const KeyCode v = slot.vk;
      KeyAssignment& record = working_.keys.slot(s);
      const std::u16string_view kindKey = kindName_(kKindKey, v);
      const std::u16string_view nameKey = nameName_(kNameKey, v);
      const std::u16string_view macroIndexKey = macroIndexName_(kMacroIndexKey, v);
      record.kind = file_.getInt(section_, kindKey, KindSingleKey);
      record.macroIndex = file_.getInt(section_, macroIndexKey, 0);
      // A key nobody named keeps its caption; only a value present in the
      // file is taken as stored.
      record.name = cutName(file_.find(section_, nameKey).value_or(slot.caption), nameKey);
      // An empty Key reads like a missing one, as every integer of the file does.
      const std::u16string_view singleKeyKey = name_(kSingleKeyKey, v);
      KeyCode singleKey = file_.getInt(section_, singleKeyKey, v);
      if (record.kind == KindSingleKey && !isKeyCode(singleKey)) {
        // No key has such a code: the key sends none, as a stored 0 does,
        // rather than whatever key the code's low byte would name.
        report(singleKeyKey, "is " + number(singleKey) + ", which names no key (key codes are " +
                                 number(kFirstKeyCode) + ".." + number(kLastKeyCode) +
                                 "); the key does nothing");
        singleKey = 0;
      }
      switch (record.kind) {
        case KindMacro:
          if (record.macroIndex < 0 ||
              static_cast<std::size_t>(record.macroIndex) >= working_.macroSteps.size()) {
            // A macro that is not in the list cannot be played: the key is unassigned.
            report(macroIndexKey,
                   "names macro " + number(record.macroIndex) + " but the section has " +
                       number(static_cast<std::int64_t>(working_.macroSteps.size())) +
                       "; the key loads as unassigned");
            record = KeyAssignment{slot.caption, KindSingleKey, 0};
            removeAssigned(working_.assigned, static_cast<std::int32_t>(KeySlotTable::indexOf(s)));
            working_.translation[v] = KeyList{v};
            continue;
          }
          break;
        case KindMultimedia:
          if (!layout_.media.contains(record.name)) {
            report(nameKey, "is no multimedia key of the layout; the key types itself",
                   record.name);
          }
          break;
        case KindFunctionKey:
          if (findFunctionKey(record.name) == nullptr) {
            report(nameKey, "matches no function (names compare with case); the key does nothing",
                   record.name);
          }
          break;
        default:
          if (!isStoredKind(record.kind)) {
            report(kindKey, "is " + number(record.kind) + ", no kind (0..3); the key types itself");
          }
          break;
      }
      BuildEntry(working_, v, record, singleKey, layout_.media);
    }
  }

  ProfileData& working_;
  const MainLayout& layout_;
  const IniDocument& file_;
  std::u16string section_;
  std::vector<SettingsProblem>* problems_;
  // Key names built without allocating, one buffer for each name in use at once.
  NumberedName name_;
  NumberedName kindName_;
  NumberedName nameName_;
  NumberedName macroIndexName_;
};

}  // namespace

std::int32_t readProfileNumber(const IniDocument& file, std::vector<SettingsProblem>* problems) {
  const std::int32_t n = file.getInt(kTypeSection, kTypeKey, 1);
  if (isProfileNumber(n)) return n;
  if (problems != nullptr) {
    problems->push_back(
        {std::u16string(kTypeSection),
         std::u16string(kTypeKey),
         {},
         "is " + number(n) + ", no profile (1.." + number(kProfileCount) + "); read as 1"});
  }
  return 1;
}

void LoadProfile(ProfileSet& profiles, const MainLayout& layout, const IniDocument& file,
                 std::int32_t p, std::int32_t target, std::vector<SettingsProblem>* problems) {
  ProfileData& working = profiles.working;
  working.translation.clear();
  working.assigned.clear();
  working.macroSteps.clear();
  working.macroNames.clear();
  working.macroBindings.clear();
  working.macroTimings.clear();
  working.actions.clear();
  SectionLoader(working, layout, file, profileSectionName(p), problems).run();
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
    // Only a timed macro has these keys: an untimed one is written as it
    // always was, and a program that knows no timing plays every macro as
    // the chord it was.
    const MacroTiming& timing = timingOf(store->macroTimings, i);
    if (timing.isTimed()) {
      file.setInt(section, numberedName(kMacroModeKey, n), static_cast<std::int32_t>(timing.mode));
      MacroStepList delays(store->macroSteps[i].size() / kMacroStepWidth);
      for (std::size_t k = 0; k < delays.size(); ++k) delays[k] = timing.delay(k);
      file.setString(section, numberedName(kMacroDelayKey, n), joinSteps(delays));
    }
  }
  file.setInt(section, kAssignedCountKey, static_cast<std::int32_t>(store->assigned.size()));
  for (std::size_t i = 0; i < store->assigned.size(); ++i) {
    file.setInt(section, numberedName(kAssignedKey, static_cast<std::int64_t>(i)),
                store->assigned[i]);
  }
}

bool hasSettingsSections(const IniDocument& file) {
  if (file.hasSection(kTypeSection) || file.hasSection(kAutoProfileSection)) return true;
  for (std::int32_t p = 1; p <= kProfileCount; ++p) {
    if (file.hasSection(profileSectionName(p))) return true;
  }
  return false;
}

bool readsAsSettings(const IniDocument& file) { return file.blank() || hasSettingsSections(file); }

void loadSettings(ProfileSet& profiles, const MainLayout& layout, const IniDocument& file) {
  profiles.activeProfile = readProfileNumber(file);
  profiles.programRules = readProgramRules(file);
  // The active profile loads last, leaving its data in the working profile.
  for (std::int32_t k = 1; k <= kProfileCount; ++k) {
    const std::int32_t p = (profiles.activeProfile + k - 1) % kProfileCount + 1;
    LoadProfile(profiles, layout, file, p, p);
  }
}

ini::FileStatus saveSettings(ProfileSet& profiles, const KeySlotTable& slots,
                             const std::filesystem::path& path, const ini::CodePagePtr& codePage) {
  CommitWorkingProfile(profiles);
  ini::ReadResult current = ini::readIniFile(path, settingsReadOptions(codePage));
  if (!current.status.ok()) return current.status;
  for (std::int32_t p = 1; p <= kProfileCount; ++p) {
    SaveProfile(profiles, slots, current.document, p);
  }
  current.document.setInt(kTypeSection, kTypeKey, profiles.activeProfile);
  writeProgramRules(profiles.programRules, current.document);
  return ini::writeIniFile(path, current.document);
}

}  // namespace tarsil
