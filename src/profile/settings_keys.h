#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "layout/key_slot.h"
#include "profile/profile_data.h"

// The names set.ini and profile files use, and the bounds the loader holds
// hand-edited values to. The loader, the saver and the check take both from
// here and from nowhere else.
namespace tarsil {

inline constexpr std::u16string_view kTypeSection = u"TYPE";
inline constexpr std::u16string_view kTypeKey = u"type";
// "Profile1".."Profile3".
inline constexpr std::u16string_view kProfileSectionPrefix = u"Profile";

// Per key slot, followed by the slot's key code: "IndexPic65".
inline constexpr std::u16string_view kKindKey = u"IndexPic";
inline constexpr std::u16string_view kMacroIndexKey = u"MacroIndex";
inline constexpr std::u16string_view kNameKey = u"SetName";
inline constexpr std::u16string_view kSingleKeyKey = u"Key";  // kind 0 only

// The macro list: a count, then per macro index "MacroName0", "MacroKey0"
// (the step integers, comma separated) and "MacroKeyNum0" (how many).
inline constexpr std::u16string_view kMacroCountKey = u"MacroStrNum";
inline constexpr std::u16string_view kMacroNameKey = u"MacroName";
inline constexpr std::u16string_view kMacroStepsKey = u"MacroKey";
inline constexpr std::u16string_view kMacroStepCountKey = u"MacroKeyNum";
// Beside them, only for a macro that plays other than as a chord or waits
// before a step, so a file without such macros is written as it always was:
// "MacroMode0" (a MacroMode, 0..3; anything else reads as 0, a chord) and
// "MacroDelay0" (the milliseconds before each step, comma separated, each
// held to 0..kMaxStepDelayMs; a missing one is 0).
inline constexpr std::u16string_view kMacroModeKey = u"MacroMode";
inline constexpr std::u16string_view kMacroDelayKey = u"MacroDelay";

// The assigned-key list: a count, then "setindex0", "setindex1", ...
inline constexpr std::u16string_view kAssignedCountKey = u"SetIndexNum";
inline constexpr std::u16string_view kAssignedKey = u"setindex";

// [AutoProfile]: the profile that follows each program to the front, and
// the one for programs without a rule. Only the program rules read and
// write it.
inline constexpr std::u16string_view kAutoProfileSection = u"AutoProfile";
inline constexpr std::u16string_view kProgramCountKey = u"ProgramNum";
inline constexpr std::u16string_view kProgramKey = u"Program";                // "Program0"
inline constexpr std::u16string_view kProgramProfileKey = u"ProgramProfile";  // "ProgramProfile0"
inline constexpr std::u16string_view kFallbackKey = u"Fallback";

// Counts in the file are hand-editable. No real file comes near these, so
// loops and allocations stop there instead of trusting a count of two billion.
inline constexpr std::int32_t kMaxListCount = 10000;          // SetIndexNum, MacroStrNum
inline constexpr std::int32_t kMaxMacroIntegers = 300000;     // 100000 strokes in one macro
inline constexpr std::int64_t kMaxProfileIntegers = 1000000;  // all macros of one profile
inline constexpr std::int32_t kMaxProgramRules = 1000;        // ProgramNum

// A name (SetName, MacroName) is read into a buffer of 260 characters, as
// the program always has: longer ones are cut.
inline constexpr std::size_t kMaxNameLength = 259;

namespace detail {

constexpr std::int64_t decimalDigits(std::int64_t n) {
  std::int64_t digits = 1;
  for (; n >= 10; n /= 10) ++digits;
  return digits;
}
// One "key=value" line with CR LF, in characters.
constexpr std::int64_t lineChars(std::int64_t key, std::int64_t value) { return key + value + 3; }

inline constexpr std::int64_t kIntChars = 11;                   // "-2147483648"
inline constexpr std::int64_t kNameChars = kMaxNameLength + 2;  // in quotes
inline constexpr std::int64_t kIndexChars = decimalDigits(kMaxListCount - 1);
inline constexpr std::int64_t kCountChars = decimalDigits(kMaxListCount);
inline constexpr std::int64_t kSlotChars = lineChars(kKindKey.size() + kIntChars, kIntChars) +
                                           lineChars(kMacroIndexKey.size() + kIntChars, kIntChars) +
                                           lineChars(kNameKey.size() + kIntChars, kNameChars) +
                                           lineChars(kSingleKeyKey.size() + kIntChars, kIntChars);
inline constexpr std::int64_t kSectionChars =
    kProfileSectionPrefix.size() + 5 +  // "[Profile1]" and CR LF
    kLastStoredSlot * kSlotChars + lineChars(kMacroCountKey.size(), kCountChars) +
    kMaxListCount * (lineChars(kMacroNameKey.size() + kIndexChars, kNameChars) +
                     lineChars(kMacroStepsKey.size() + kIndexChars, 0) +
                     lineChars(kMacroStepCountKey.size() + kIndexChars,
                               decimalDigits(kMaxMacroIntegers))) +
    kMaxProfileIntegers * (kIntChars + 1) +  // the step numbers and their commas
    kMaxListCount * (lineChars(kMacroModeKey.size() + kIndexChars, kIntChars) +
                     lineChars(kMacroDelayKey.size() + kIndexChars, 0)) +
    // a delay per step and its comma
    kMaxProfileIntegers / static_cast<std::int64_t>(kMacroStepWidth) *
        (decimalDigits(kMaxStepDelayMs) + 1) +
    lineChars(kAssignedCountKey.size(), kCountChars) +
    kMaxListCount * lineChars(kAssignedKey.size() + kIndexChars, decimalDigits(kSlotCount - 1));
inline constexpr std::int64_t kRuleIndexChars = decimalDigits(kMaxProgramRules - 1);
inline constexpr std::int64_t kAutoProfileChars =
    kAutoProfileSection.size() + 4 +
    lineChars(kProgramCountKey.size(), decimalDigits(kMaxProgramRules)) +
    kMaxProgramRules * (lineChars(kProgramKey.size() + kRuleIndexChars, kNameChars) +
                        lineChars(kProgramProfileKey.size() + kRuleIndexChars, kIntChars)) +
    lineChars(kFallbackKey.size(), kIntChars);
inline constexpr std::int64_t kFileChars = kProfileCount * kSectionChars + kTypeSection.size() + 4 +
                                           lineChars(kTypeKey.size(), kIntChars) +
                                           kAutoProfileChars;
// Name characters take up to 3 bytes in UTF-8, every character 2 in UTF-16.
inline constexpr std::int64_t kNameUnits =
    (kProfileCount * (kLastStoredSlot + kMaxListCount) + kMaxProgramRules) * kNameChars;
inline constexpr std::int64_t kSectionLines =
    1 + 4 * kLastStoredSlot + 1 + 5 * kMaxListCount + 1 + kMaxListCount;
inline constexpr std::int64_t kAutoProfileLines = 1 + 1 + 2 * kMaxProgramRules + 1;

}  // namespace detail

// The largest settings or profile file the program writes from what the
// loader accepts: three profile sections full to every limit, [TYPE], and
// [AutoProfile] with every rule it reads.
// A larger file, or one of more lines, was not written by the program;
// reading it would only cost time and memory, so it is refused.
inline constexpr std::int64_t kMaxSettingsFileBytes =
    std::max(2 + 2 * detail::kFileChars, detail::kFileChars + 2 * detail::kNameUnits);
inline constexpr std::int64_t kMaxSettingsFileLines =
    kProfileCount * detail::kSectionLines + 2 + detail::kAutoProfileLines;

// A stored kind the loader builds an entry for (AssignmentKind 0..3).
constexpr bool isStoredKind(std::int32_t kind) { return kind >= 0 && kind <= 3; }
// An entry of the assigned-key list: a 0-based key slot index.
constexpr bool isSlotIndex(std::int32_t index) { return index >= 0 && index < kSlotCount; }

// A numbered key or section name: the pattern followed by n in decimal, as
// "IndexPic65", "setindex0" or "Profile2".
std::u16string numberedName(std::u16string_view pattern, std::int64_t n);

// numberedName into a buffer of its own, for the loader, which asks for
// thousands of names: the view holds until the next call.
class NumberedName {
 public:
  std::u16string_view operator()(std::u16string_view pattern, std::int64_t n);

 private:
  std::array<char16_t, 48> text_{};
};

// "Profile1".."Profile3" (any number formats, as import may name another).
std::u16string profileSectionName(std::int32_t profile);

}  // namespace tarsil
