#include "profile/settings_check.h"

#include <string>

#include "profile/settings_file.h"
#include "profile/translation_rules.h"

namespace tarsil {

namespace {

using ini::FormatInt;

std::u16string KeyName(std::u16string_view pattern, std::int32_t n) {
  return std::u16string(pattern) + FormatInt(n);
}

std::string Number(std::int64_t n) { return std::to_string(n); }

class SectionChecker {
 public:
  SectionChecker(const ini::IniDocument& file, const MainLayout& layout, std::u16string section,
                 std::vector<SettingsProblem>& problems)
      : file_(file), layout_(layout), section_(std::move(section)), problems_(problems) {}

  void Run() {
    CheckAssignedList();
    const std::int32_t macros = CheckMacros();
    CheckSlots(macros);
  }

 private:
  void Report(std::u16string key, std::string message, std::u16string value = {}) {
    problems_.push_back({section_, std::move(key), std::move(value), std::move(message)});
  }

  // A count the loader would cap or that runs past the keys present. Returns
  // the count the loader actually uses.
  std::int32_t CheckCount(std::u16string_view countKey, std::int32_t limit) {
    const std::int32_t n = file_.GetInt(section_, countKey, 0);
    if (n < 0) {
      Report(std::u16string(countKey), "is negative (" + Number(n) + "); read as 0");
      return 0;
    }
    if (n > limit) {
      Report(std::u16string(countKey), "is " + Number(n) + ", beyond the limit of " +
                                           Number(limit) + "; only that many are read");
      return limit;
    }
    return n;
  }

  void CheckMissing(std::u16string_view countKey, std::int32_t n, std::u16string_view pattern) {
    std::int32_t missing = 0;
    for (std::int32_t i = 0; i < n; ++i) {
      if (!file_.Find(section_, KeyName(pattern, i))) ++missing;
    }
    if (missing > 0) {
      Report(std::u16string(countKey),
             "counts " + Number(n) + " entries but " + Number(missing) + " " +
                 std::string(pattern.begin(), pattern.end()) + " keys are missing; they read as " +
                 (pattern == u"MacroName" || pattern == u"MacroKey" ? "empty" : "0"));
    }
  }

  void CheckAssignedList() {
    const std::int32_t n = CheckCount(u"SetIndexNum", kMaxListCount);
    CheckMissing(u"SetIndexNum", n, u"setindex");
    for (std::int32_t i = 0; i < n; ++i) {
      const std::u16string key = KeyName(u"setindex", i);
      if (!file_.Find(section_, key)) continue;
      const std::int32_t index = file_.GetInt(section_, key, 0);
      if (index < 0 || index >= kSlotCount) {
        Report(key, "names no key slot (" + Number(index) + " is outside 0..131); dropped");
      }
    }
  }

  std::int32_t CheckMacros() {
    const std::int32_t m = CheckCount(u"MacroStrNum", kMaxListCount);
    CheckMissing(u"MacroStrNum", m, u"MacroName");
    CheckMissing(u"MacroStrNum", m, u"MacroKeyNum");
    for (std::int32_t i = 0; i < m; ++i) {
      const std::u16string countKey = KeyName(u"MacroKeyNum", i);
      if (!file_.Find(section_, countKey)) continue;
      const std::int32_t c = CheckCount(countKey, kMaxMacroIntegers);
      const std::u16string text = file_.GetString(section_, KeyName(u"MacroKey", i));
      std::int64_t fields = text.empty() ? 0 : 1;
      for (char16_t ch : text) fields += ch == u',' ? 1 : 0;
      if (c > fields) {
        Report(countKey, "counts " + Number(c) + " numbers but MacroKey" + Number(i) + " holds " +
                             Number(fields) + "; the missing ones read as 0");
      }
      if (c % 3 != 0) {
        Report(countKey, "is " + Number(c) + ", not a whole number of steps (3 numbers each)");
      }
    }
    return m;
  }

  void CheckSlots(std::int32_t macros) {
    for (int s = 1; s <= kLastStoredSlot; ++s) {
      const KeyCode v = layout_.slots[static_cast<std::size_t>(s - 1)].vk;
      const std::u16string kindKey = KeyName(u"IndexPic", v);
      const std::int32_t kind = file_.GetInt(section_, kindKey, KindSingleKey);
      const std::u16string nameKey = KeyName(u"SetName", v);
      const std::u16string name = file_.GetString(section_, nameKey);
      switch (kind) {
        case KindSingleKey:
          break;
        case KindMacro: {
          const std::u16string indexKey = KeyName(u"MacroIndex", v);
          const std::int32_t index = file_.GetInt(section_, indexKey, 0);
          if (index < 0 || index >= macros) {
            Report(indexKey, "names macro " + Number(index) + " but the section has " +
                                 Number(macros) + "; the key loads as unassigned");
          }
          break;
        }
        case KindMultimedia:
          if (!layout_.media.contains(name)) {
            Report(nameKey, "is no multimedia key of the layout; the key types itself", name);
          }
          break;
        case KindFunctionKey:
          if (FindFunctionKey(name) == nullptr) {
            Report(nameKey, "matches no function (names compare with case); the key does nothing",
                   name);
          }
          break;
        default:
          Report(kindKey, "is " + Number(kind) + ", no kind (0..3); the key does nothing");
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

std::vector<SettingsProblem> CheckSettings(const ini::IniDocument& file, const MainLayout& layout) {
  std::vector<SettingsProblem> problems;
  if (file.Find(kTypeSection, kTypeKey)) {
    const std::int32_t type = file.GetInt(kTypeSection, kTypeKey, 1);
    if (!IsProfileNumber(type)) {
      problems.push_back({std::u16string(kTypeSection),
                          std::u16string(kTypeKey),
                          {},
                          "is " + Number(type) + ", no profile (1..3); read as 1"});
    }
  }
  for (std::int32_t p = 1; p <= kProfileCount; ++p) {
    const std::u16string section = ProfileSectionName(p);
    if (file.HasSection(section)) SectionChecker(file, layout, section, problems).Run();
  }
  return problems;
}

}  // namespace tarsil
