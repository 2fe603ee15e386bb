#include "profile/settings_check.h"

#include <string>

#include "profile/settings_file.h"
#include "profile/translation_rules.h"

namespace tarsil {

namespace {

std::string number(std::int64_t n) { return std::to_string(n); }

class SectionChecker {
 public:
  SectionChecker(const ini::IniDocument& file, const MainLayout& layout, std::u16string section,
                 std::vector<SettingsProblem>& problems)
      : file_(file), layout_(layout), section_(std::move(section)), problems_(problems) {}

  void Run() {
    checkAssignedList();
    const std::int32_t macros = checkMacros();
    checkSlots(macros);
  }

 private:
  void report(std::u16string key, std::string message, std::u16string value = {}) {
    problems_.push_back({section_, std::move(key), std::move(value), std::move(message)});
  }

  // A count the loader would cap or that runs past the keys present. Returns
  // the count the loader actually uses.
  std::int32_t checkCount(std::u16string_view countKey, std::int32_t limit) {
    const std::int32_t n = file_.getInt(section_, countKey, 0);
    if (n < 0) {
      report(std::u16string(countKey), "is negative (" + number(n) + "); read as 0");
      return 0;
    }
    if (n > limit) {
      report(std::u16string(countKey), "is " + number(n) + ", beyond the limit of " +
                                           number(limit) + "; only that many are read");
      return limit;
    }
    return n;
  }

  void checkMissing(std::u16string_view countKey, std::int32_t n, std::u16string_view pattern) {
    std::int32_t missing = 0;
    for (std::int32_t i = 0; i < n; ++i) {
      if (!file_.find(section_, numberedName(pattern, i))) ++missing;
    }
    if (missing > 0) {
      report(std::u16string(countKey),
             "counts " + number(n) + " entries but " + number(missing) + " " +
                 std::string(pattern.begin(), pattern.end()) + " keys are missing; they read as " +
                 (pattern == kMacroNameKey || pattern == kMacroStepsKey ? "empty" : "0"));
    }
  }

  void checkAssignedList() {
    const std::int32_t n = checkCount(kAssignedCountKey, kMaxListCount);
    checkMissing(kAssignedCountKey, n, kAssignedKey);
    for (std::int32_t i = 0; i < n; ++i) {
      const std::u16string key = numberedName(kAssignedKey, i);
      if (!file_.find(section_, key)) continue;
      const std::int32_t index = file_.getInt(section_, key, 0);
      if (!isSlotIndex(index)) {
        report(key, "names no key slot (" + number(index) + " is outside 0.." +
                        number(kSlotCount - 1) + "); dropped");
      }
    }
  }

  std::int32_t checkMacros() {
    const std::int32_t m = checkCount(kMacroCountKey, kMaxListCount);
    checkMissing(kMacroCountKey, m, kMacroNameKey);
    checkMissing(kMacroCountKey, m, kMacroStepCountKey);
    for (std::int32_t i = 0; i < m; ++i) {
      const std::u16string countKey = numberedName(kMacroStepCountKey, i);
      if (!file_.find(section_, countKey)) continue;
      const std::int32_t c = checkCount(countKey, kMaxMacroIntegers);
      const std::u16string text = file_.getString(section_, numberedName(kMacroStepsKey, i));
      std::int64_t fields = text.empty() ? 0 : 1;
      for (char16_t ch : text) fields += ch == u',' ? 1 : 0;
      if (c > fields) {
        report(countKey, "counts " + number(c) + " numbers but MacroKey" + number(i) + " holds " +
                             number(fields) + "; the missing ones read as 0");
      }
      if (c % 3 != 0) {
        report(countKey, "is " + number(c) + ", not a whole number of steps (3 numbers each)");
      }
    }
    return m;
  }

  void checkSlots(std::int32_t macros) {
    for (int s = 1; s <= kLastStoredSlot; ++s) {
      const KeyCode v = layout_.slots.slot(s).vk;
      const std::u16string kindKey = numberedName(kKindKey, v);
      const std::int32_t kind = file_.getInt(section_, kindKey, KindSingleKey);
      const std::u16string nameKey = numberedName(kNameKey, v);
      const std::u16string name = file_.getString(section_, nameKey);
      switch (kind) {
        case KindSingleKey:
          break;
        case KindMacro: {
          const std::u16string indexKey = numberedName(kMacroIndexKey, v);
          const std::int32_t index = file_.getInt(section_, indexKey, 0);
          if (index < 0 || index >= macros) {
            report(indexKey, "names macro " + number(index) + " but the section has " +
                                 number(macros) + "; the key loads as unassigned");
          }
          break;
        }
        case KindMultimedia:
          if (!layout_.media.contains(name)) {
            report(nameKey, "is no multimedia key of the layout; the key types itself", name);
          }
          break;
        case KindFunctionKey:
          if (findFunctionKey(name) == nullptr) {
            report(nameKey, "matches no function (names compare with case); the key does nothing",
                   name);
          }
          break;
        default:
          report(kindKey, "is " + number(kind) + ", no kind (0..3); the key does nothing");
          break;
      }
    }
  }

  const ini::IniDocument& file_;
  const MainLayout& layout_;
  std::u16string section_;
  std::vector<SettingsProblem>& problems_;
};

}  // namespace

std::vector<SettingsProblem> checkSettings(const ini::IniDocument& file, const MainLayout& layout) {
  std::vector<SettingsProblem> problems;
  if (file.find(kTypeSection, kTypeKey)) {
    const std::int32_t type = file.getInt(kTypeSection, kTypeKey, 1);
    if (!isProfileNumber(type)) {
      problems.push_back({std::u16string(kTypeSection),
                          std::u16string(kTypeKey),
                          {},
                          "is " + number(type) + ", no profile (1..3); read as 1"});
    }
  }
  for (std::int32_t p = 1; p <= kProfileCount; ++p) {
    const std::u16string section = profileSectionName(p);
    if (file.hasSection(section)) SectionChecker(file, layout, section, problems).Run();
  }
  return problems;
}

}  // namespace tarsil
