#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "layout/key_code.h"

namespace tarsil {

// How a macro plays. A chord presses every recorded press at once when its
// key goes down and releases them when it comes up, as every macro always
// has; the other modes play the steps in order, each after its delay.
enum class MacroMode : std::int32_t {
  kChord = 0,
  kSequenceOnce = 1,     // each press plays the steps once
  kRepeatWhileHeld = 2,  // the steps again and again while the key is held
  kToggle = 3,           // a press starts repeating, the next press stops
};

constexpr bool isMacroMode(std::int32_t value) { return value >= 0 && value <= 3; }

// The longest wait before one step; a longer stored delay is cut to it.
inline constexpr std::int32_t kMaxStepDelayMs = 60000;

constexpr std::int32_t clampDelay(std::int64_t ms) {
  return ms < 0 ? 0 : ms > kMaxStepDelayMs ? kMaxStepDelayMs : static_cast<std::int32_t>(ms);
}

// A macro's mode and the milliseconds to wait before each of its steps.
// `delays` is empty when no step waits, and otherwise holds one entry per
// step; a missing entry reads as 0.
struct MacroTiming {
  MacroMode mode = MacroMode::kChord;
  std::vector<std::int32_t> delays;

  bool operator==(const MacroTiming&) const = default;

  std::int32_t delay(std::size_t step) const { return step < delays.size() ? delays[step] : 0; }
  // A chord without delays is what every macro was before timing existed.
  bool isTimed() const;
};

// The timings of a profile's macros run parallel to its macro list, but may
// be shorter: a macro without an entry is a chord without delays.
using MacroTimings = std::vector<MacroTiming>;

const MacroTiming& timingOf(const MacroTimings& timings, std::size_t macro);

// One pass of the macro: the sum of its steps' delays, in milliseconds (0
// for a chord, which plays at once).
std::int64_t passDuration(const MacroTiming& timing, std::size_t steps);

// How the mode is named to people: "chord", "sequence", "repeat while
// held", "toggle".
std::u16string_view modeName(MacroMode mode);

// One line about a macro for tooltips and tarsilctl:
// "Combo: sequence, 6 steps, 420 ms"; a chord, which plays at once, gives no
// duration: "Combo: chord, 6 steps".
std::u16string describeMacro(std::u16string_view name, std::size_t steps,
                             const MacroTiming& timing);

}  // namespace tarsil
