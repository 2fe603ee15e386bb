#pragma once

// What the macro player's timing is measured with, on Windows and on Linux
// alike, and how the result is printed.

#include <algorithm>
#include <cstdio>
#include <vector>

#include "profile/macro_library.h"

namespace tarsil::bench {

// STEPS presses and releases of Q, with delays of 1 to 60 ms as a recording
// has them.
inline TimedMacro pacedSequence(int steps) {
  TimedMacro sequence{MacroMode::kSequenceOnce, {}};
  for (int k = 0; k < steps; ++k) {
    sequence.steps.push_back({'Q', k % 2 == 0, k == 0 ? 0 : 1 + (k * 37) % 60});
  }
  return sequence;
}

// A toggle of four steps 20 ms apart, as a game's auto-fire would be.
inline TimedMacro steadyToggle() {
  return {MacroMode::kToggle,
          {{'W', true, 0}, {'W', false, 20}, {'E', true, 20}, {'E', false, 20}}};
}

// "N steps, gap minus delay: min .. median .. p99 .. max .." from each step's
// gap to the step before minus its delay, in milliseconds.
inline void printGapErrors(std::vector<double> errors) {
  if (errors.empty()) {
    std::printf("no step came through\n");
    return;
  }
  std::sort(errors.begin(), errors.end());
  const auto at = [&](double share) {
    return errors[std::min(errors.size() - 1,
                           static_cast<std::size_t>(share * static_cast<double>(errors.size())))];
  };
  std::printf("%zu steps, gap minus delay: min %.3f ms  median %.3f ms  p99 %.3f ms  max %.3f ms\n",
              errors.size() + 1, errors.front(), at(0.5), at(0.99), errors.back());
}

// "toggle repeating for N s: .. strokes, CPU .. ms = .. % of one core".
inline void printToggleCost(double wallMs, std::size_t strokes, double cpuMs) {
  std::printf("toggle repeating for %.1f s: %zu strokes, CPU %.1f ms = %.3f %% of one core\n",
              wallMs / 1000.0, strokes, cpuMs, 100.0 * cpuMs / wallMs);
}

}  // namespace tarsil::bench
