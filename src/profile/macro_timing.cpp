#include "profile/macro_timing.h"

#include <algorithm>
#include <numeric>

namespace tarsil {

bool MacroTiming::isTimed() const {
  return mode != MacroMode::kChord ||
         std::any_of(delays.begin(), delays.end(), [](std::int32_t ms) { return ms != 0; });
}

const MacroTiming& timingOf(const MacroTimings& timings, std::size_t macro) {
  static const MacroTiming kChordWithoutDelays;
  return macro < timings.size() ? timings[macro] : kChordWithoutDelays;
}

std::int64_t passDuration(const MacroTiming& timing, std::size_t steps) {
  if (timing.mode == MacroMode::kChord) return 0;
  const std::size_t counted = std::min(steps, timing.delays.size());
  return std::accumulate(timing.delays.begin(),
                         timing.delays.begin() + static_cast<std::ptrdiff_t>(counted),
                         std::int64_t{0});
}

std::u16string_view modeName(MacroMode mode) {
  switch (mode) {
    case MacroMode::kSequenceOnce:
      return u"sequence";
    case MacroMode::kRepeatWhileHeld:
      return u"repeat while held";
    case MacroMode::kToggle:
      return u"toggle";
    case MacroMode::kChord:
      break;
  }
  return u"chord";
}

namespace {

std::u16string decimal(std::int64_t n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::u16string describeMacro(std::u16string_view name, std::size_t steps,
                             const MacroTiming& timing) {
  std::u16string text(name);
  text.append(u": ").append(modeName(timing.mode)).append(u", ");
  text.append(decimal(static_cast<std::int64_t>(steps))).append(steps == 1 ? u" step" : u" steps");
  if (timing.mode != MacroMode::kChord) {
    text.append(u", ").append(decimal(passDuration(timing, steps))).append(u" ms");
  }
  return text;
}

}  // namespace tarsil
